// One write of the game journal as a game writes it at a touch: a game ten questions in, its
// state turned into text, written to a temporary file in data/ on the disk, forced to the disk,
// renamed over the journal and the folder forced to the disk. The budget is one frame of 15 ms:
// a write costs the main loop no visible frame when it takes well under that. The text alone is
// measured beside it, to tell the processor's share from the disk's.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/random.h"
#include "game/journal.h"
#include "game/packs.h"
#include "game/session.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "records/audit.h"

namespace fs = std::filesystem;

namespace {
// A game ten questions in, journaled in a folder beside the benchmark program (on the disk,
// where the cabinet keeps its data/, not in memory).
void SetUpGameInProgress() {
    static bool done = false;
    if (done) return;
    done = true;
    fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "journal-bench";
    fs::create_directories(folder / "data");
    fs::current_path(folder);
    SelectBackend(Backend::Headless);
    ClockUseVirtual(1000, 1);
    SeedRandom(7);
    ResetAuditRecord();
    PickWinPlan(1);
    PrepareGameSession();
    EnableJournal(true);
    JournalGameSetUp();
    std::snprintf(gPackReader.questionText, QuestionTextSize, "%s",
                  "The river that flows through the capital city of the country is the longest "
                  "river in that country, and it is crossed by more than thirty bridges.");
    gPackReader.packPath = PackTable[20].path;
    for (int q = 0; q < 10; ++q) {
        gPackReader.lineNumber = 100 + q;
        JournalQuestionPut(false);
        JournalVerdictGiven("true", true);
        gGameSession.TotalTasksCompleted += 1;
    }
    JournalQuestionPut(false);
}

void BM_JournalWrite(benchmark::State& state) {
    SetUpGameInProgress();
    for (auto _ : state) WriteJournal();
}
BENCHMARK(BM_JournalWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JournalText(benchmark::State& state) {
    SetUpGameInProgress();
    size_t bytes = 0;
    for (auto _ : state) bytes = JournalText(gJournal).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_JournalText)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
