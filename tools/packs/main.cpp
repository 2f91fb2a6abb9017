// brindlemark-packs: builds the 48 question packs from the plain-text sources, dumps a pack as
// the game shows it, and checks the sources.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "check.h"
#include "pack_file.h"
#include "question_sources.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: brindlemark-packs build SRC_DIR OUT_DIR [--font FONT2.BMP]\n"
                 "       brindlemark-packs dump FILE\n"
                 "       brindlemark-packs check SRC_DIR [--font FONT2.BMP]\n"
                 "       brindlemark-packs list SRC_DIR   (every statement with its source)\n"
                 "With --font, every statement must fit the question box in that font.\n");
    return 2;
}

void PrintCounts(const SourceReport& report) {
    std::printf("level  true false\n");
    int total = 0, perLevel[25] = {}, least = report.perPack[0];
    for (int p = 0; p < 48; ++p) {
        total += report.perPack[p];
        perLevel[p / 2 + 1] += report.perPack[p];
        least = std::min(least, report.perPack[p]);
    }
    for (int level = 1; level <= 24; ++level)
        std::printf("%5d %5d %5d\n", level, report.perPack[(level - 1) * 2],
                    report.perPack[(level - 1) * 2 + 1]);
    std::printf("total %d statements, the smallest pack %d\n\n", total, least);
    // The spread by family over the three bands of levels the game draws from.
    std::printf("%-26s %6s %6s %6s %6s %7s %14s\n", "family", "1-4", "5-14", "15-24", "all",
                "bank %", "most of a level");
    for (const Family& f : Families()) {
        auto found = report.perFamily.find(f.key);
        if (found == report.perFamily.end()) continue;
        const auto& levels = found->second;
        int band[3] = {}, all = 0, worstLevel = 1;
        double worst = 0;
        for (int level = 1; level <= 24; ++level) {
            int n = levels[static_cast<size_t>(level)];
            band[level <= 4 ? 0 : (level <= 14 ? 1 : 2)] += n;
            all += n;
            double share = perLevel[level] ? 100.0 * n / perLevel[level] : 0;
            if (share > worst) worst = share, worstLevel = level;
        }
        std::printf("%-26s %6d %6d %6d %6d %6.1f%% %6.1f%% (L%02d)\n", f.name, band[0], band[1],
                    band[2], all, total ? 100.0 * all / total : 0.0, worst, worstLevel);
    }
    std::printf("\nsource file                    statements\n");
    for (const auto& [source, n] : report.perSource) std::printf("%-30s %5d\n", source.c_str(), n);
}

// Loads and checks the sources; prints the problems; false when there are any.
bool LoadChecked(const std::string& dir, std::vector<Statement>& statements, SourceReport& report) {
    std::vector<std::string> errors;
    LoadSources(dir, statements, errors);
    report = CheckStatements(statements, QuestionBoxFitTest());
    report.problems.insert(report.problems.begin(), errors.begin(), errors.end());
    for (const std::string& p : report.problems) std::fprintf(stderr, "%s\n", p.c_str());
    if (!report.fitChecked)
        std::fprintf(stderr,
                     "note: the question box fit was not checked: give the question font with "
                     "--font\n");
    return report.problems.empty();
}

int Check(const std::string& dir) {
    std::vector<Statement> statements;
    SourceReport report;
    bool ok = LoadChecked(dir, statements, report);
    PrintCounts(report);
    std::printf("%s\n", ok ? "check passed" : "check FAILED");
    return ok ? 0 : 1;
}

int Build(const std::string& dir, const std::string& outDir) {
    std::vector<Statement> statements;
    SourceReport report;
    if (!LoadChecked(dir, statements, report)) {
        std::fprintf(stderr, "no packs written\n");
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    std::vector<std::string> packs[48];
    for (const Statement& s : statements) packs[PackIndex(s)].push_back(s.text);
    for (int p = 0; p < 48; ++p) {
        char name[32];
        std::snprintf(name, sizeof name, "Data%02d.pck", p + 1);
        std::filesystem::path target = std::filesystem::path(outDir) / name;
        std::filesystem::path temp = target;
        temp += ".tmp";
        std::vector<uint8_t> bytes = MakePackBytes(packs[p]);
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
            if (!out) {
                std::fprintf(stderr, "%s: cannot be written\n", temp.c_str());
                return 1;
            }
        }
        std::filesystem::rename(temp, target, ec);
        if (ec) {
            std::fprintf(stderr, "%s: %s\n", target.c_str(), ec.message().c_str());
            return 1;
        }
    }
    std::printf("wrote 48 packs with %zu statements to %s\n", statements.size(), outDir.c_str());
    return 0;
}

// Every statement with what it rests on, one a line: level, T or F, family, text, source, origin.
int List(const std::string& dir) {
    std::vector<Statement> statements;
    std::vector<std::string> errors;
    LoadSources(dir, statements, errors);
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    for (const Statement& s : statements)
        std::printf("%d\t%c\t%s\t%s\t%s\t%s\n", s.level, s.truth ? 'T' : 'F', s.family.c_str(),
                    ToUtf8(s.text).c_str(), s.source.c_str(), s.origin.c_str());
    return errors.empty() ? 0 : 1;
}

int Dump(const std::string& file) {
    std::vector<std::string> lines;
    if (!ReadPackStatements(file, lines)) {
        std::fprintf(stderr, "%s: cannot be opened\n", file.c_str());
        return 1;
    }
    for (const std::string& line : lines) std::printf("%s\n", ToUtf8(line).c_str());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string verb = argv[1];
    if (argc >= 5 && std::string(argv[argc - 2]) == "--font") {
        std::string error;
        if (!LoadQuestionFont(argv[argc - 1], error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        argc -= 2;
    }
    if (verb == "build" && argc == 4) return Build(argv[2], argv[3]);
    if (verb == "dump" && argc == 3) return Dump(argv[2]);
    if (verb == "check" && argc == 3) return Check(argv[2]);
    if (verb == "list" && argc == 3) return List(argv[2]);
    return Usage();
}
