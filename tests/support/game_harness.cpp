#include "support/game_harness.h"

#include <algorithm>

#include "core/messages.h"
#include "core/random.h"
#include "game/answer_clock.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "game/packs.h"
#include "game/session.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "records/audit.h"
#include "sound/effect_ids.h"
#include "support/headless_start.h"

OutsideLog gOutsideLog;
ScriptedPlayer gPlayer;
std::function<void()> gOnPlayTaken;

bool OutsideLog::Shown(int32_t panel) const {
    return std::find(panels.begin(), panels.end(), panel) != panels.end();
}

int32_t OutsideLog::Count(uint8_t effect) const {
    return static_cast<int32_t>(std::count(effects.begin(), effects.end(), effect));
}

namespace {
// The program's own calls, to which the log passes on what the harness was told to.
GameOutside gReal;
HarnessPassOn gPassOn;

void LogRestore(int32_t id, const FadeRect& area) {
    if (gPassOn.drawing) gReal.restoreImage(id, area);
}
void LogSprite(const char* path, int32_t frame, int32_t x, int32_t y, bool alpha, float opacity) {
    if (std::string(path) == MessagePanelSprite) gOutsideLog.panels.push_back(frame);
    if (!alpha) gOutsideLog.keyedDraws.emplace_back(path, frame);
    if (gPassOn.drawing) gReal.drawSprite(path, frame, x, y, alpha, opacity);
}
void LogSpritePart(const char* path, const RECT& part, int32_t x, int32_t y) {
    ++gOutsideLog.warningStrips;
    if (gPassOn.drawing) gReal.drawSpritePart(path, part, x, y);
}
void LogQuestionText(const char* text) {
    ++gOutsideLog.questionTexts;
    gPlayer.asking = true;
    if (gPassOn.drawing) gReal.drawQuestionText(text);
}
void LogLoadSprite(const char* path, int32_t frames) {
    if (gPassOn.drawing) gReal.loadSprite(path, frames);
}
void LogLoadImage(int32_t id) {
    if (gPassOn.drawing) gReal.loadResourceImage(id);
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
        if (gOnPlayTaken) gOnPlayTaken();
    }
}
void LogEffect(uint8_t id) {
    gOutsideLog.effects.push_back(id);
    if (gPassOn.sound) gReal.playEffect(id);
    React(id);
}
void LogEffectAndWait(uint8_t id) {
    gOutsideLog.effects.push_back(id);
    if (gPassOn.sound) gReal.playEffectAndWait(id);
    React(id);
}
void LogStopAll() {
    ++gOutsideLog.stopAll;
    if (gPassOn.sound) gReal.stopAllEffects();
}
void LogMusicStop() {
    ++gOutsideLog.musicStops;
    if (gPassOn.sound) gReal.stopMusic();
}
void LogPayment(int16_t amount) {
    gOutsideLog.payments.push_back(amount);
    if (gPassOn.payments) gReal.payPrize(amount);
}

}  // namespace

bool gScriptedPress(uint32_t, int16_t& x, int16_t& y) {
    ScriptedPlayer& p = gPlayer;
    if (!p.asking || p.next >= p.plays.size()) return false;
    if (AnswerTimeLeft() >= p.answerBelowMs) return false;
    p.asking = false;
    Play play = p.plays[p.next];
    // A random player does not reach for a help that is not there: it answers instead.
    if (p.answerForMissingHelps && ((play == Play::Pass && gGameSession.PassesLeft == 0) ||
                                    (play == Play::Joker && gGameSession.JokersLeft == 0))) {
        play = Play::Right;
        p.plays[p.next] = play;
    }
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

void StartGameHarness(uint32_t seed, HarnessPassOn passOn) {
    gPassOn = passOn;
    StartHeadlessClock(1000000);
    PlatformRegisterClass("BRINDLEMARK", MainWindowProc);
    TouchPoint = {-1, -1};
    ResetAuditRecord();
    SeedRandom(seed);
    gOutsideLog = OutsideLog{};
    gPlayer = ScriptedPlayer{};
    gOnPlayTaken = nullptr;
    gReal = DefaultGameOutside();
    GameOutside o = gReal;
    o.restoreImage = LogRestore;
    o.drawSprite = LogSprite;
    o.drawSpritePart = LogSpritePart;
    o.drawQuestionText = LogQuestionText;
    o.loadSprite = LogLoadSprite;
    o.loadResourceImage = LogLoadImage;
    o.playEffect = LogEffect;
    o.playEffectAndWait = LogEffectAndWait;
    o.stopAllEffects = LogStopAll;
    o.stopMusic = LogMusicStop;
    o.payPrize = LogPayment;
    gGameOutside = o;
    HeadlessSetPressSource(gScriptedPress);
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

std::vector<Play> RandomPlays(std::mt19937& chooser) {
    std::vector<Play> plays;
    std::uniform_int_distribution<int> pick(0, 99);
    // More plays than any game can take: 14 questions, three final ones, a second try and helps.
    for (int i = 0; i < 40; ++i) {
        int r = pick(chooser);
        plays.push_back(r < 84   ? Play::Right
                        : r < 90 ? Play::Wrong
                        : r < 94 ? Play::Pass
                        : r < 98 ? Play::Joker
                                 : Play::TimeOut);
    }
    return plays;
}
