// A question pack as the game reads it: the start-up count of its lines, then a question drawn
// from it (the chosen line read past its forerunners, expanded, and cut at its last star).
#include <cstdlib>
#include <cstring>

#include "core/random.h"
#include "fuzz_support.h"
#include "game/packs.h"

FUZZ_TARGET(Packs) {
    EnterFuzzFolder();
    // The start-up check of every pack, once as the program does it, with the packs empty; then
    // each input becomes one pack, counted again as the check counts it.
    static bool checked = [] {
        for (const PackEntry* row = PackTable; row->path; ++row) WriteFuzzFile(row->path, "", 0);
        return CheckQuestionPacks();
    }();
    if (!checked) std::abort();
    FuzzInput in(data, size);
    PackEntry& row = PackTable[in.Byte() % PackCount];
    const uint32_t seed = in.U32();
    const std::string_view file = in.Rest();
    WriteFuzzFile(row.path, file.data(), file.size());

    if (!CountPackLines(row)) std::abort();
    // Every line ends at a line feed after unscrambling, the last one also at the file's end.
    const int32_t key = MeasurePackKey();
    int32_t feeds = 0;
    for (size_t i = 0; i < file.size(); ++i)
        feeds +=
            UnscramblePackByte(static_cast<uint8_t>(file[i]), static_cast<int32_t>(i), key) == '\n';
    if (row.lineCount != feeds) std::abort();

    SeedRandom(seed);
    LoadQuestion(row.level, row.answer);
    const char* text = QuestionText();
    const size_t length = strnlen(text, QuestionTextSize);
    if (length >= static_cast<size_t>(QuestionTextSize)) std::abort();
    for (size_t i = 0; i < length; ++i)
        if (static_cast<uint8_t>(text[i]) < 32) std::abort();
    return 0;
}
