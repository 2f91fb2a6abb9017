// brindlemark-assets: writes every picture, font, sound effect and tune the cabinet reads into a
// working folder, the same bytes on every run; optionally draws a review sheet of the pictures.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets.h"
#include "cairo_draw.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: brindlemark-assets [--contact-sheet FILE.png] [OUTDIR]\n"
                 "  writes the cabinet's assets under OUTDIR (Graphic_resource/, sounds/);\n"
                 "  --contact-sheet draws every sprite frame and resource image on one PNG\n");
    return 2;
}

std::vector<Picture> MakePictures() {
    std::vector<Picture> pictures;
    MakeScreenPictures(pictures);
    MakeFontPictures(pictures);
    MakeMessagePanel(pictures);
    MakeButtonPictures(pictures);
    MakeGamePictures(pictures);
    MakeTeamPictures(pictures);
    return pictures;
}
}  // namespace

int main(int argc, char** argv) {
    std::string outDir, sheetPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--contact-sheet") == 0 && i + 1 < argc)
            sheetPath = argv[++i];
        else if (argv[i][0] == '-' || !outDir.empty())
            return Usage();
        else
            outDir = argv[i];
    }
    if (outDir.empty() && sheetPath.empty()) return Usage();
    auto start = std::chrono::steady_clock::now();
    if (!LoadFaces()) return 1;
    std::vector<Picture> pictures = MakePictures();
    int status = 0;
    if (!sheetPath.empty() && !WritePng(ContactSheet(pictures), sheetPath)) {
        std::fprintf(stderr, "brindlemark-assets: cannot write %s\n", sheetPath.c_str());
        status = 1;
    }
    ReleaseFaces();
    if (!outDir.empty() && status == 0) {
        std::vector<Sound> sounds;
        MakeEffects(sounds);
        if (!MakeTunes(sounds)) status = 1;
        size_t files = 0;
        for (const Picture& p : pictures) {
            if (!WriteFileBytes(outDir + "/" + p.path, EncodePicture(p))) {
                std::fprintf(stderr, "brindlemark-assets: cannot write %s/%s\n", outDir.c_str(),
                             p.path.c_str());
                status = 1;
            }
            ++files;
        }
        for (const Sound& s : sounds) {
            if (!WriteFileBytes(outDir + "/" + s.path, s.bytes)) {
                std::fprintf(stderr, "brindlemark-assets: cannot write %s/%s\n", outDir.c_str(),
                             s.path.c_str());
                status = 1;
            }
            ++files;
        }
        double secs =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "brindlemark-assets: %zu files in %s (%.1f s)\n", files,
                     outDir.c_str(), secs);
    }
    return status;
}
