// brindlemark-packs: builds the 48 question packs from the plain-text sources, dumps a pack as
// the game shows it, and checks the sources.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "check.h"
#include "pack_file.h"
#include "sources.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: brindlemark-packs build SRC_DIR OUT_DIR [--font FONT2.BMP]\n"
                 "       brindlemark-packs dump FILE\n"
                 "       brindlemark-packs check SRC_DIR [--font FONT2.BMP]\n"
                 "With --font, every statement must fit the question box in that font.\n");
    return 2;
}

void PrintCounts(const SourceReport& report) {
    std::printf("level  true false\n");
    for (int level = 1; level <= 24; ++level)
        std::printf("%5d %5d %5d\n", level, report.perPack[(level - 1) * 2],
                    report.perPack[(level - 1) * 2 + 1]);
    int total = 0;
    for (int n : report.perPack) total += n;
    std::printf("total %d\n\nsource                         statements\n", total);
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
    return Usage();
}
