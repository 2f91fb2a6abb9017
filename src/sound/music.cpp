#include "sound/music.h"

#include "sound/music_track.h"

namespace {
// Both tunes are read before the entry point runs and live until the program exits.
MusicTrack gMainTune("sounds//MainTune.mp3");
MusicTrack gRulesTune("sounds//Rules.mp3");
}  // namespace

MusicTrack& MainTune() {
    return gMainTune;
}
MusicTrack& RulesTune() {
    return gRulesTune;
}

bool PlayMainTune(int32_t fromMs, int32_t lengthMs) {
    return gMainTune.Play(fromMs, lengthMs);
}
bool PauseMainTune() {
    return gMainTune.Pause();
}
bool ResumeMainTune() {
    return gMainTune.Resume();
}
bool StopMainTune() {
    return gMainTune.Stop();
}
