#include "sim_player.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "credit/link.h"
#include "game/answer_clock.h"
#include "game/game.h"
#include "game/outside.h"
#include "game/packs.h"
#include "game/session.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/net.h"
#include "platform/sound_device.h"
#include "platform/window.h"
#include "records/audit.h"
#include "shell/startup.h"
#include "sim_repeats.h"
#include "sim_state.h"

SimTally gSimTally;

namespace {
// Touch points: the middle of each button the player uses.
constexpr int16_t MainMenuX = 90, MainMenuY = 510;
constexpr int16_t StartX = 700, StartY = 480;
constexpr int16_t AnswerX = 520, TrueY = 470, FalseY = 540;
constexpr int16_t PassX = 60, PassY = 520;
constexpr int16_t JokerX = 730, JokerY = 520;
constexpr int32_t AnswerWindowMs = 20000;

SimSettings gSettings;
SocketHandle gLine = InvalidSocket;
StartupSteps gRealSteps;
GameOutside gRealOutside;

// The player's own generator, apart from the game's, so that its choices never
// shift the game's sequence of random numbers.
uint64_t gPlayerState = 1;
double PlayerChance() {
    gPlayerState = gPlayerState * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(gPlayerState >> 11) / 9007199254740992.0;
}

bool gInMenu = false;
uint32_t gLastMenuPress = 0;
// The question screen is redrawn every poll, also in the poll that takes a touch: a player who
// has just touched waits to see the game react rather than touching again at once.
constexpr uint32_t AnswerPressGapMs = 100;
uint32_t gLastAnswerPress = 0;
bool gQuestionShown = false;
bool gJokerPlayed = false;
int32_t gReactAt = 0;  // acts once the answer clock shows less than this

void NewReaction() {
    gReactAt = AnswerWindowMs - 1200 - static_cast<int32_t>(PlayerChance() * 5000);
}

int32_t QuestionGrade() {
    int32_t level = gPackReader.level;
    return level <= 4 ? 1 : (level <= 14 ? 2 : 3);
}

bool MenuPress(uint32_t now, int16_t& x, int16_t& y) {
    if (now - gLastMenuPress < 40) return false;
    gLastMenuPress = now;
    if (gSimTally.gamesPlayed >= gSettings.games) {
        x = MainMenuX, y = MainMenuY;
        return true;
    }
    int64_t credit = PlayerExchange("CGET\r\n"), bank = PlayerExchange("BGET\r\n");
    if (credit < 0 || bank < 0) return false;  // asked again at the next press
    if (credit + bank >= gSettings.cashOut) {
        char line[32];
        std::snprintf(line, sizeof line, "CUSE,%lld\r\n", static_cast<long long>(credit + bank));
        BeforePlayerMove(line, credit, bank);
        AfterPlayerMove(PlayerExchange(line) >= 0);
        return false;
    }
    if (credit + bank < GameStake) {
        BeforePlayerMove("CADD,100\r\n", credit, bank);
        AfterPlayerMove(PlayerExchange("CADD,100\r\n") >= 0);
        return false;  // the menu shows the play button on its next frame
    }
    x = StartX, y = StartY;
    return true;
}

bool AnswerPress(uint32_t now, int16_t& x, int16_t& y) {
    if (!gQuestionShown || now - gLastAnswerPress < AnswerPressGapMs) return false;
    int32_t left = AnswerTimeLeft();
    if (left > gReactAt || left <= 0) return false;
    bool final = gGameSession.TotalTasksCompleted >= MainRoundCount;
    if (!final && !gJokerPlayed && gGameSession.JokersLeft > 0 &&
        gGameSession.TotalTasksCompleted >= 7) {
        gJokerPlayed = true;  // the question is still to be answered
        x = JokerX, y = JokerY;
        return true;
    }
    gQuestionShown = false;
    NewReaction();
    bool knows = PlayerChance() < gSettings.skill[QuestionGrade() - 1];
    if (!knows && !final && gGameSession.PassesLeft > 0) {
        x = PassX, y = PassY;
        return true;
    }
    ++gSimTally.questionsAnswered;
    bool touchTrue = knows == (CorrectAnswer() == 1);
    x = AnswerX, y = touchTrue ? TrueY : FalseY;
    return true;
}

bool SimPress(uint32_t now, int16_t& x, int16_t& y) {
    if (gInMenu) return MenuPress(now, x, y);
    if (!AnswerPress(now, x, y)) return false;
    gLastAnswerPress = now;
    return true;
}

// The payout balance between games, for the bound on its rounding.
void NoteBalance() {
    double b = static_cast<double>(gAuditRecord.balance[0]);
    if (b < 0) b = -b;
    if (b > gSimTally.largestBalance) gSimTally.largestBalance = b;
}

bool SimRunMenu() {
    NoteBalance();
    gInMenu = true;
    bool play = gRealSteps.runMenu();
    gInMenu = false;
    return play;
}

void SimLoadAuditRecord() {
    gRealSteps.loadAuditRecord();
    if (gSimTally.cabinetStarts <= 1)
        gSimTally.startBalance = static_cast<double>(gAuditRecord.balance[0]);
}

void SimPlayGame() {
    NoteBalance();
    int band = PayoutBand();
    gJokerPlayed = false;
    gQuestionShown = false;
    NewReaction();
    // Peeking leaves the virtual clock where the game would find it.
    uint32_t started = ClockPeek();
    gRealSteps.playGame();
    // The game itself is counted from the cabinet's recall once it is recorded.
    gSimTally.bandMs[band] += ClockPeek() - started;
    NoteGameOver();
}

void SimQuestionText(const char* text) {
    NoteQuestionShown(text);
    gQuestionShown = true;
    if (gSettings.frames) gRealOutside.drawQuestionText(text);
}

// Without frames nothing is drawn: the game's pictures are never loaded and its
// drawing calls return at once, so that only the game's decisions and timing
// remain.
void NoRestore(int32_t, const FadeRect&) {}
void NoSprite(const char*, int32_t, int32_t, int32_t, bool, float) {}
void NoSpritePart(const char*, const RECT&, int32_t, int32_t) {}
void NoLoadSprite(const char*, int32_t) {}
void NoLoadImage(int32_t) {}
}  // namespace

bool ConnectPlayerLine(uint16_t port) {
    gLine = OpenTcpSocket();
    return gLine != InvalidSocket && ConnectSocket(gLine, CreditServiceAddress, port);
}

void ClosePlayerLine() {
    CloseSocket(gLine);
    gLine = InvalidSocket;
}

int64_t PlayerExchange(const char* line) {
    if (SendOnSocket(gLine, line, std::strlen(line)) != static_cast<long>(std::strlen(line)))
        return -1;
    char reply[64];
    long n = ReceiveOnSocket(gLine, reply, sizeof reply - 1, 2000);
    if (n <= 0) return -1;
    reply[n] = 0;
    const char* comma = std::strchr(reply, ',');
    if (!comma || std::strncmp(reply, "FAIL", 4) == 0) return -1;
    return std::strtoll(comma + 1, nullptr, 10);
}

void InstallSimPlayer(const SimSettings& settings) {
    gSettings = settings;
    gPlayerState = 0x9E3779B97F4A7C15ull ^ settings.seed;
    gSimTally = SimTally{};
    gRealSteps = gStartup;
    gStartup.runMenu = SimRunMenu;
    gStartup.loadAuditRecord = SimLoadAuditRecord;
    gStartup.playGame = SimPlayGame;
    gRealOutside = DefaultGameOutside();
    GameOutside o = gRealOutside;
    o.drawQuestionText = SimQuestionText;
    if (!settings.frames) {
        LeaveOutDisplay(gStartup);
        o.restoreImage = NoRestore;
        o.drawSprite = NoSprite;
        o.drawSpritePart = NoSpritePart;
        o.loadSprite = NoLoadSprite;
        o.loadResourceImage = NoLoadImage;
    }
    gGameOutside = o;
    // The effects keep their lengths (the game waits on some of them) but nothing is mixed.
    HeadlessSoundKeepTimeOnly(true);
    HeadlessSetPressSource(SimPress);
}
