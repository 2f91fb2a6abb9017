#include "game/game_support.h"

#include <algorithm>

#include "game/answer_clock.h"
#include "game/effects.h"
#include "game/outside.h"
#include "game/packs.h"
#include "game/panels.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "records/audit.h"
#include "shell/random.h"
#include "shell/window.h"

OutsideLog gOutsideLog;
ScriptedPlayer gPlayer;

bool OutsideLog::Shown(int32_t panel) const {
    return std::find(panels.begin(), panels.end(), panel) != panels.end();
}

int32_t OutsideLog::Count(uint8_t effect) const {
    return static_cast<int32_t>(std::count(effects.begin(), effects.end(), effect));
}

namespace {
void LogSprite(const char* path, int32_t frame, int32_t, int32_t, bool alpha, float) {
    if (std::string(path) == MessagePanelPicture) gOutsideLog.panels.push_back(frame);
    if (!alpha) gOutsideLog.keyedDraws.emplace_back(path, frame);
}
void LogSpritePart(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
    ++gOutsideLog.warningStrips;
}
void LogQuestionText(const char*) {
    ++gOutsideLog.questionTexts;
    gPlayer.asking = true;
}
// The game's reaction to a press retires the play that caused it.
void React(uint8_t id) {
    if (gPlayer.next >= gPlayer.plays.size()) return;
    Play play = gPlayer.plays[gPlayer.next];
    bool answered = (play == Play::Right || play == Play::Wrong) &&
                    (id == EffectAnswerBuildUp || id == EffectTryAgain);
    bool done = (answered && gPlayer.pressed) ||
                (play == Play::Pass && gPlayer.pressed && id == EffectSkip) ||
                (play == Play::Joker && gPlayer.pressed && id == EffectJoker) ||
                (play == Play::TimeOut && id == EffectTimeOut);
    if (done) {
        ++gPlayer.next;
        gPlayer.pressed = false;
    }
}
void LogEffect(uint8_t id) {
    gOutsideLog.effects.push_back(id);
    React(id);
}
void LogStopAll() {
    ++gOutsideLog.stopAll;
}
void LogMusicStop() {
    ++gOutsideLog.musicStops;
}
void LogPayment(int16_t amount) {
    gOutsideLog.payments.push_back(amount);
}
void NoImage(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void NoLoad(const char*, int32_t) {}
void NoImageLoad(int32_t) {}

bool PlayerPresses(uint32_t, int16_t& x, int16_t& y) {
    ScriptedPlayer& p = gPlayer;
    if (!p.asking || p.next >= p.plays.size()) return false;
    p.asking = false;
    Play play = p.plays[p.next];
    bool truth = CorrectAnswer() == 1;
    switch (play) {
        case Play::Right:
        case Play::Wrong: {
            bool touchTrue = (play == Play::Right) == truth;
            x = 520;
            y = touchTrue ? 470 : 540;
            break;
        }
        case Play::Pass:
        case Play::IgnoredPass:
            x = 60, y = 520;
            break;
        case Play::Joker:
        case Play::IgnoredJoker:
            x = 730, y = 520;
            break;
        case Play::TimeOut:
            return false;
    }
    if (play == Play::IgnoredPass || play == Play::IgnoredJoker) {
        ++p.next;  // nothing will react: the play is spent with the touch
    } else {
        p.pressed = true;
    }
    ++p.presses;
    return true;
}
}  // namespace

void StartGameHarness(uint32_t seed) {
    SelectBackend(Backend::Headless);
    HeadlessResetInput();
    PlatformRegisterClass("BRINDLEMARK", MainWindowProc);
    // Each harness starts the clock later than the last one ran, so that the frame pacing left
    // behind by an earlier test never holds a present back.
    static uint32_t start = 1000000;
    start += 10000000;
    ClockUseVirtual(start, 1);
    TouchPoint = {-1, -1};
    ResetAuditRecord();
    SeedRandom(seed);
    gOutsideLog = OutsideLog{};
    gPlayer = ScriptedPlayer{};
    GameOutside o = DefaultGameOutside();
    o.restoreImage = NoImage;
    o.drawSprite = LogSprite;
    o.drawSpritePart = LogSpritePart;
    o.drawQuestionText = LogQuestionText;
    o.loadSprite = NoLoad;
    o.loadResourceImage = NoImageLoad;
    o.playEffect = LogEffect;
    o.playEffectAndWait = LogEffect;
    o.stopAllEffects = LogStopAll;
    o.stopMusic = LogMusicStop;
    o.payPrize = LogPayment;
    gGameOutside = o;
    HeadlessSetPressSource(PlayerPresses);
}

void StopGameHarness() {
    HeadlessResetInput();
    gGameOutside = DefaultGameOutside();
    ClockUseReal();
}

void ScriptPlays(std::vector<Play> plays) {
    gPlayer.plays = std::move(plays);
    gPlayer.next = 0;
}

std::vector<Play> Repeat(Play play, int count) {
    return std::vector<Play>(count, play);
}
