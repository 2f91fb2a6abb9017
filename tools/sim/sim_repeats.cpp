#include "sim_repeats.h"

#include <cstdio>
#include <set>
#include <string>

namespace {
struct Run {
    std::set<std::string> earlier, thisGame;
    std::string last;
    int games = 0;
    uint64_t shown = 0, seenBefore = 0;
};
Run gRun;
uint64_t gRuns = 0, gShown = 0, gSeenBefore = 0;
}  // namespace

void NoteQuestionShown(const char* text) {
    if (gRun.last == text) return;
    gRun.last = text;
    ++gRun.shown;
    if (gRun.earlier.count(text)) ++gRun.seenBefore;
    gRun.thisGame.insert(text);
}

void NoteGameOver() {
    gRun.earlier.insert(gRun.thisGame.begin(), gRun.thisGame.end());
    gRun.thisGame.clear();
    gRun.last.clear();
    if (++gRun.games < RegularGames) return;
    // Only whole runs count, so that every regular is measured over the same number of games.
    ++gRuns;
    gShown += gRun.shown;
    gSeenBefore += gRun.seenBefore;
    gRun = Run{};
}

void PrintRepeats() {
    if (gRuns == 0) {
        std::printf("Repetition: fewer than %d games, no regular measured\n", RegularGames);
        return;
    }
    std::printf(
        "Repetition: %llu regulars of %d games each were shown %llu statements; %llu of them "
        "(%.1f%%) had been shown to the same regular in an earlier game\n",
        static_cast<unsigned long long>(gRuns), RegularGames,
        static_cast<unsigned long long>(gShown), static_cast<unsigned long long>(gSeenBefore),
        gShown ? 100.0 * static_cast<double>(gSeenBefore) / static_cast<double>(gShown) : 0.0);
}
