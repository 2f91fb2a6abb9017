// The fault matrix: the whole cabinet started, in-process on the headless backend against a real
// credit service, once for every file it reads (each staged picture, sprite, effect, tune and
// pack, and the audit record with its checksum file), with that one file missing, cut to half its
// length, or with 64 bytes overwritten at random. Each run must end as the program's description
// says for that file, or play its game to the end; a sanitizer report or a hang fails it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cabinet_support.h"
#include "display/resource_images.h"
#include "game/session.h"
#include "records/audit.h"
#include "shell/startup.h"
#include "sound/effects.h"
#include "sound/sound_fx.h"

namespace fs = std::filesystem;

namespace {
struct Case {
    std::string path;  // in the working folder, with '/'
    FileDamage damage;
};

const char* DamageName(FileDamage d) {
    return d == FileDamage::Missing     ? "Missing"
           : d == FileDamage::CutToHalf ? "Cut"
                                        : "Overwritten";
}

// Every file of the staged working folder, and the audit record with its checksum file, in each
// state. The folders the cabinet makes for itself (~system, data), there when it was once played
// from the staged folder, are not staged.
std::vector<Case> Matrix() {
    std::vector<std::string> files;
    std::error_code e;
    for (const auto& entry : fs::recursive_directory_iterator(BRINDLEMARK_STAGE_DIR, e)) {
        const std::string path = fs::relative(entry.path(), BRINDLEMARK_STAGE_DIR).string();
        if (entry.is_regular_file() && !path.starts_with("~system/") && !path.starts_with("data/"))
            files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    files.push_back("data/pellwarden.rec");
    files.push_back("data/pellwarden.rec.sum");
    std::vector<Case> cases;
    for (const std::string& f : files)
        for (FileDamage d : {FileDamage::Missing, FileDamage::CutToHalf, FileDamage::Overwritten})
            cases.push_back({f, d});
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.path;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name + "_" + DamageName(info.param.damage);
}

bool EndsWith(const std::string& s, const char* tail) {
    std::string t = tail;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// The program's name for a staged file: backslashes for the folders.
std::string ProgramPath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

// The resource image loaded at start-up or by the game's set-up; ids 8, 9, 14 and 15 never are.
bool LoadedResourceImage(const std::string& path) {
    for (int row = 0; ResourceImageTable[row].id != 0; ++row) {
        const int32_t id = ResourceImageTable[row].id;
        if (ProgramPath(path) == ResourceImageTable[row].path)
            return id != 8 && id != 9 && id != 14 && id != 15;
    }
    return false;
}

// The effect slot of a staged file, or -1.
int EffectSlot(const std::string& path) {
    for (uint8_t id = 1; id <= EffectCount; ++id)
        if (ProgramPath(path) == EffectPath(id)) return id - 1;
    return -1;
}

// How a run ended, as counted in the summary.
void Tally(const Case& c, const char* outcome) {
    std::printf("fault matrix outcome: %s %s: %s\n", c.path.c_str(), DamageName(c.damage), outcome);
}

class FaultMatrix : public ::testing::TestWithParam<Case> {};
}  // namespace

TEST_P(FaultMatrix, TheCabinetEndsAsDescribedOrPlaysOn) {
    const Case& c = GetParam();
    Cabinet cabinet;
    if (!cabinet.ready()) GTEST_SKIP() << "no credit service, relay or staged files";
    const bool record = c.path.rfind("data/pellwarden.rec", 0) == 0;
    // A record of its own in the working folder, for the record's rows to damage.
    cabinet.PresetPayoutBalance(250.0f);
    ASSERT_TRUE(
        cabinet.Damage(c.path, c.damage, 0x5EED0000u + static_cast<uint32_t>(c.path.size())));
    ASSERT_TRUE(cabinet.Insert(50));

    // One short game: a wrong answer and its second try, also wrong.
    CabinetPlan plan;
    plan.plays = [](int) { return std::vector<Play>{Play::Wrong, Play::Wrong}; };
    plan.tunes = EndsWith(c.path, ".mp3");
    // Pictures are read by the display alone, and packs give the question text it draws; for
    // the other files the display stays down (nothing drawn), which spares most of a run's time.
    const bool pack = EndsWith(c.path, ".pck");
    plan.drawn = pack || c.path.rfind("Graphic_resource/", 0) == 0;
    const int exitCode = cabinet.Run(plan);
    const std::string log = cabinet.LogText();
    const std::vector<std::string> requests = cabinet.Requests();
    const bool termSent = !requests.empty() && requests.back() == "TERM\r\n";
    EXPECT_TRUE(termSent) << "the credit service is told that the cabinet has gone";

    if (pack && c.damage == FileDamage::Missing) {
        // A missing pack ends the start-up before any game.
        EXPECT_EQ(exitCode, ExitPackMissing);
        EXPECT_TRUE(cabinet.games().empty());
        Tally(c, "start-up ended with -7 and TERM");
        return;
    }
    ASSERT_EQ(exitCode, ExitNormal) << log;
    ASSERT_EQ(cabinet.games().size(), 1u);
    const GameRecord& game = cabinet.games()[0];
    EXPECT_EQ(game.state, GameLost) << "the game was played to its end";
    EXPECT_EQ(game.playsTaken, 2u);
    EXPECT_NE(log.find("Closing log"), std::string::npos) << log;
    if (!record || c.damage != FileDamage::Overwritten) {
        EXPECT_EQ(cabinet.savedRecord().counter[0], 1) << "the game was counted";
    }

    const int slot = EffectSlot(c.path);
    const std::string wavMessage =
        slot >= 0 ? "Couldn't open WAV file " + ProgramPath(c.path) + "!" : "";
    if (slot >= 0 && c.damage == FileDamage::Missing && EffectLoadAttempted(slot)) {
        // A missing effect is told once, in the failure message, when it is first played.
        EXPECT_NE(log.find(wavMessage), std::string::npos) << log;
        Tally(c, "played on after the missing effect's message");
        return;
    }
    if (slot >= 0) {
        EXPECT_EQ(log.find(wavMessage), std::string::npos) << log;
    }

    if (LoadedResourceImage(c.path) && c.damage == FileDamage::Missing) {
        // A missing resource image takes the display down; the game goes on undrawn.
        EXPECT_FALSE(game.displayUp);
        Tally(c, "played on with the display shut down");
        return;
    }
    if (c.damage == FileDamage::CutToHalf && plan.drawn) {
        // A picture that ends early decodes what is there: the display stays up.
        EXPECT_TRUE(game.displayUp);
    }
    Tally(c, game.displayUp || !plan.drawn ? "played to the end"
                                           : "played on with the display shut down");
}

INSTANTIATE_TEST_SUITE_P(StagedFiles, FaultMatrix, ::testing::ValuesIn(Matrix()), CaseName);
