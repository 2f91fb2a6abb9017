// The game's music: the main tune loops from the menu on, through the games that follow; the rules
// screen pauses it; the win screen and the end of the program stop it. The rules tune is loaded
// and opened with the main tune, and is not played.
#pragma once
#include <cstdint>

class MusicTrack;

// The two tunes, read whole from "sounds//MainTune.mp3" and "sounds//Rules.mp3" when the program
// starts; a missing file leaves its tune silent.
MusicTrack& MainTune();
MusicTrack& RulesTune();

// The menu screen is entered: loop the first minute of the main tune from 27 ms, up to 10000
// times. A run that is going is left alone; a paused run resumes. False when the tune is missing.
bool PlayMainTune(int32_t fromMs = 27, int32_t lengthMs = 60000);
// The rules screen opens / closes; false when there was nothing to pause / resume.
bool PauseMainTune();
bool ResumeMainTune();
// The win screen opens, or the menu ends the program; false when the tune is missing.
bool StopMainTune();
