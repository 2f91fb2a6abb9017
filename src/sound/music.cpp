#include "sound/music.h"

#include "sound/music_track.h"

namespace {
// Both tunes are read before the entry point runs and live until the program exits.
MusicTrack gMainTune("sounds//MainTune.mp3");
MusicTrack gRulesTune("sounds//Rules.mp3");

constexpr int MainTuneFromMs = 27;
constexpr int MainTuneLengthMs = 60000;
}  // namespace

MusicTrack& MainTune() {
    return gMainTune;
}
MusicTrack& RulesTune() {
    return gRulesTune;
}

void PlayMainTune() {
    gMainTune.Play(MainTuneFromMs, MainTuneLengthMs);
}
void PauseMainTune() {
    gMainTune.Pause();
}
void ResumeMainTune() {
    gMainTune.Resume();
}
void StopMainTune() {
    gMainTune.Stop();
}
