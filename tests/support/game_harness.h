// Helpers for whole-game tests: a log of what the game asked the display, sound and credit link
// for, and a scripted player that touches what the question screen asks, reading the expected
// answer so that it can answer right or wrong on purpose.
#pragma once
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

// One press the player makes on a question screen, in order.
enum class Play {
    Right,         // touches the right answer
    Wrong,         // touches the wrong answer
    Pass,          // plays a pass
    Joker,         // plays the joker (the question then needs another play)
    TimeOut,       // touches nothing until the time is up
    IgnoredPass,   // touches Pass with none left: nothing happens
    IgnoredJoker,  // touches Joker with none left
};

struct OutsideLog {
    std::vector<int32_t> panels;  // message panel frames in drawing order
    std::vector<uint8_t> effects;
    std::vector<int32_t> payments;
    std::vector<std::pair<std::string, int32_t>> keyedDraws;  // colour-keyed pictures and frames
    int32_t warningStrips = 0;                                // warning strips drawn (lit or not)
    int32_t questionTexts = 0;
    int32_t stopAll = 0;
    int32_t musicStops = 0;
    bool Shown(int32_t panel) const;
    int32_t Count(uint8_t effect) const;
};
extern OutsideLog gOutsideLog;

// The scripted player: its plays, how many the game has taken, and presses it made.
struct ScriptedPlayer {
    std::vector<Play> plays;
    size_t next = 0;
    bool pressed = false;  // a press of the current play awaits the game's reaction
    bool asking = false;   // the question screen was redrawn since the last press
    int32_t presses = 0;
    int32_t answerBelowMs = 1000000;     // touches only once the answer clock shows less than this
    bool answerForMissingHelps = false;  // a pass or joker with none left becomes a right answer
};
extern ScriptedPlayer gPlayer;

// Which logged calls also go on to the program's own: the screens (the caller brings the display
// up), the sound effects and the music stop, and the prize payments to the credit link.
struct HarnessPassOn {
    bool drawing = false;
    bool sound = false;
    bool payments = false;
};

// Headless backend, virtual clock stepping 1 ms a read, the log hooked in, the player pressing.
void StartGameHarness(uint32_t seed, HarnessPassOn passOn = {});
void StopGameHarness();
// The player's own press decision, for harnesses that look at the screen before it.
bool gScriptedPress(uint32_t now, int16_t& x, int16_t& y);
// Called each time the game takes one of the player's plays.
extern std::function<void()> gOnPlayTaken;
// A game where the player makes these plays, then touches nothing.
void ScriptPlays(std::vector<Play> plays);
// `count` plays of one kind.
std::vector<Play> Repeat(Play play, int count);
// A random player's plays for one game: mostly right answers, with some wrong ones, passes,
// jokers and time-outs (set answerForMissingHelps, since it may reach for a help that is gone).
std::vector<Play> RandomPlays(std::mt19937& chooser);
