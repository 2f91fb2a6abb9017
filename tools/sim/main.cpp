// brindlemark-sim: plays many games of the real cabinet program headless, with
// a simulated player, and reports the payout figures an operator tunes a
// cabinet by.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "credit/link.h"
#include "game/journal.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "shell/startup.h"
#include "sim_player.h"
#include "sim_repeats.h"
#include "sim_report.h"
#include "sim_service.h"
#include "sim_state.h"

namespace {
// Starts in a row that play no game before the simulator gives up.
constexpr int MaxStartsWithoutAGame = 100;

int Usage() {
    std::fprintf(
        stderr,
        "usage: brindlemark-sim [--games N] [--seed S] [--skill P | --skill P1,P2,P3]\n"
        "                       [--port N] [--cash-out PENCE] [--frames] [--stage DIR]\n"
        "                       [--folder DIR]\n"
        "  --skill     chance of a right answer, for all grades or for grades 1, 2, 3\n"
        "  --port      play against the credit service on 127.0.0.1:N (default: one in\n"
        "              memory)\n"
        "  --cash-out  the player puts in a 1.00 coin when credit and bank are short, and\n"
        "              takes its money away (asked of the service as a stake) when they\n"
        "              reach PENCE, 200 to 9000 (default 2000)\n"
        "  --frames    draw every frame as the cabinet would (slower)\n"
        "  --stage     the cabinet's files (default: the build's stage folder)\n"
        "  --folder    keep the cabinet's working folder (record, journal, recall, log) and\n"
        "              the simulator's own state in DIR: a run killed and started again on\n"
        "              the same folder resumes where it stood, and its report covers every\n"
        "              run on it (default: a folder in memory, removed at the end)\n");
    return 2;
}

bool ParseSkill(const char* text, double skill[3]) {
    char* end = nullptr;
    for (int i = 0; i < 3; ++i) {
        skill[i] = std::strtod(text, &end);
        if (end == text || skill[i] < 0 || skill[i] > 1) return false;
        if (*end == 0) {
            for (int j = i + 1; j < 3; ++j) skill[j] = skill[i];
            return i == 0 || i == 2;
        }
        if (*end != ',') return false;
        text = end + 1;
    }
    return *end == 0;
}

bool ParseNumber(const char* text, uint64_t limit, uint64_t& value) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (end == text || *end || text[0] == '-' || v > limit) return false;
    value = v;
    return true;
}

// The cabinet's working folder for the run: the staged files linked in, records
// written apart. It is kept in memory where possible, since the record is written
// and flushed after every game.
std::filesystem::path MakeWorkFolder(const std::filesystem::path& stage,
                                     const std::filesystem::path& kept) {
    std::filesystem::path work =
        kept.empty() ? std::filesystem::path(MakeMemoryFolder("brindlemark-sim")) : kept;
    std::error_code ec;
    if (!kept.empty()) std::filesystem::create_directories(work, ec);
    if (work.empty() || ec) return {};
    work = std::filesystem::absolute(work);
    for (const char* item : {"Graphic_resource", "sounds", "Questions"})
        if (std::filesystem::exists(stage / item) && !std::filesystem::is_symlink(work / item))
            std::filesystem::create_directory_symlink(std::filesystem::absolute(stage / item),
                                                      work / item);
    return work;
}

std::filesystem::path DefaultStage(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) self = argv0;
    for (std::filesystem::path p :
         {self.parent_path() / "../../stage", self.parent_path() / "../share/brindlemark"})
        if (std::filesystem::exists(p / "Questions")) return p;
    return "/usr/share/brindlemark";
}
}  // namespace

int main(int argc, char** argv) {
    SimSettings settings;
    std::filesystem::path stage = DefaultStage(argv[0]);
    uint16_t realPort = 0;
    std::filesystem::path kept;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        uint64_t v = 0;
        bool hasValue = i + 1 < argc;
        if (a == "--frames") {
            settings.frames = true;
        } else if (a == "--games" && hasValue && ParseNumber(argv[++i], 100000000, v) && v > 0) {
            settings.games = v;
        } else if (a == "--seed" && hasValue && ParseNumber(argv[++i], 0xFFFFFFFFu, v)) {
            settings.seed = static_cast<uint32_t>(v);
        } else if (a == "--skill" && hasValue && ParseSkill(argv[++i], settings.skill)) {
        } else if (a == "--port" && hasValue && ParseNumber(argv[++i], 65535, v) && v > 0) {
            realPort = static_cast<uint16_t>(v);
        } else if (a == "--cash-out" && hasValue && ParseNumber(argv[++i], MostCashOut, v) &&
                   static_cast<int64_t>(v) >= LeastCashOut) {
            settings.cashOut = static_cast<int64_t>(v);
        } else if (a == "--stage" && hasValue) {
            stage = argv[++i];
        } else if (a == "--folder" && hasValue && argv[i + 1][0] != 0) {
            kept = argv[++i];
        } else {
            return Usage();
        }
    }
    if (!std::filesystem::exists(stage / "Questions")) {
        std::fprintf(stderr, "brindlemark-sim: no question packs under %s (use --stage)\n",
                     stage.c_str());
        return 1;
    }

    bool memoryService = realPort == 0;
    settings.servicePort = memoryService ? StartMemoryService(0, 0) : realPort;
    if (settings.servicePort == 0 || !ConnectPlayerLine(settings.servicePort)) {
        std::fprintf(stderr, "brindlemark-sim: cannot reach a credit service\n");
        return 1;
    }
    std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::path work = MakeWorkFolder(stage, kept);
    if (work.empty()) {
        std::fprintf(stderr, "brindlemark-sim: cannot make a working folder\n");
        return 1;
    }
    std::filesystem::current_path(work);

    SelectBackend(Backend::Headless);
    gCreditServicePort = settings.servicePort;
    InstallSimPlayer(settings);
    // A folder in memory is thrown away at the end: nothing could resume from its journal.
    KeepJournalInMemoryOnly(kept.empty());
    SimMoney money;
    bool carriedOn = LoadSimState(kept.empty() ? std::string() : work.string(), money);
    CountRecalledGames();
    if (carriedOn) {
        // A run on a kept folder goes on where the last one stood, clock and all.
        ClockUseVirtual(money.clockStart + money.clockRan, 4);
        SettlePlayerMove();
    } else {
        money.startCredit = PlayerExchange("CGET\r\n");
        money.startBank = PlayerExchange("BGET\r\n");
        // The game seeds its generator from the clock: the seed sets where the clock
        // starts.
        money.clockStart = 0x01000000u + settings.seed * 7919u;
        ClockUseVirtual(money.clockStart, 4);
        SaveSimState();
    }
    // The kiosk starts the cabinet again whenever it ends, and so does the simulator until the
    // games are played: the menu ends on its own, for one, when its idle deadline crosses the
    // wrap of the millisecond clock (every 49.7 days of play).
    int exitCode = 0;
    for (int idleStarts = 0; idleStarts < MaxStartsWithoutAGame; ++idleStarts) {
        uint64_t before = gSimTally.gamesPlayed;
        ++gSimTally.cabinetStarts;
        exitCode = WinMain();
        if (exitCode != 0 || gSimTally.gamesPlayed >= settings.games) break;
        if (gSimTally.gamesPlayed > before) idleStarts = -1;
    }

    money.clockRan = ClockPeek() - money.clockStart;
    SaveSimState();
    money.endCredit = PlayerExchange("CGET\r\n");
    money.endBank = PlayerExchange("BGET\r\n");
    ClosePlayerLine();
    if (memoryService) StopMemoryService();
    std::filesystem::current_path(old);
    if (kept.empty()) std::filesystem::remove_all(work);
    if (exitCode != 0) {
        std::fprintf(stderr, "brindlemark-sim: the cabinet ended with code %d\n", exitCode);
        return 1;
    }
    bool accounted = PrintSimReport(settings, money, memoryService);
    PrintRepeats();
    if (gSimTally.gamesPlayed < settings.games) {
        std::fprintf(stderr, "brindlemark-sim: the cabinet stopped after %llu of %llu games\n",
                     static_cast<unsigned long long>(gSimTally.gamesPlayed),
                     static_cast<unsigned long long>(settings.games));
        return 1;
    }
    return accounted ? 0 : 1;
}
