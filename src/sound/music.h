// The game's music: the main tune loops from the menu on, through the games that follow; the rules
// screen pauses it; the win screen and the end of the program stop it. The rules tune is loaded
// and opened with the main tune, and is not played.
#pragma once

class MusicTrack;

// The two tunes, read whole from "sounds//MainTune.mp3" and "sounds//Rules.mp3" when the program
// starts; a missing file leaves its tune silent.
MusicTrack& MainTune();
MusicTrack& RulesTune();

// The menu screen is entered: loop the first minute of the main tune from 27 ms. A run that is
// going is left alone; a paused run resumes.
void PlayMainTune();
// The rules screen opens / closes.
void PauseMainTune();
void ResumeMainTune();
// The win screen opens, or the menu ends the program.
void StopMainTune();
