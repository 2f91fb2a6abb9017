// brindlemark-inspect image: a resource-image file as the cabinet holds it at a display depth.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "display/image_decode.h"
#include "platform/files.h"
#include "platform/png.h"

namespace {
int Fail(const std::string& file, const std::string& reason) {
    std::fprintf(stderr, "brindlemark-inspect image: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

// The table's file type for a path: PCX for a .pcx name (any case), BMP for everything else.
int32_t TypeOfPath(const std::string& path) {
    if (path.size() < 4) return ResourceTypeBmp;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == ".pcx" ? ResourceTypePcx : ResourceTypeBmp;
}

bool ParseInt(const std::string& text, int& value) {
    try {
        size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

int InspectImage(const std::vector<std::string>& args) {
    std::string file, png;
    int depth = 0, frames = 1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--depth" && hasValue) {
            if (!ParseInt(args[++i], depth)) depth = -1;
        } else if (a == "--frames" && hasValue) {
            if (!ParseInt(args[++i], frames)) frames = -1;
        } else if (a == "--png" && hasValue) {
            png = args[++i];
        } else if (file.empty() && !a.starts_with("--")) {
            file = a;
        } else {
            std::fprintf(stderr, "brindlemark-inspect image: unexpected argument %s\n", a.c_str());
            return 2;
        }
    }
    if (file.empty() || png.empty() || (depth != 16 && depth != 24 && depth != 32) || frames < 1 ||
        frames > 32767) {
        std::fprintf(stderr,
                     "usage: brindlemark-inspect image FILE --depth 16|24|32 [--frames N] "
                     "--png OUT\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file.c_str(), bytes)) return Fail(file, "cannot be read");
    DecodedImage image;
    std::string error;
    if (!DecodeResourceFile(bytes.data(), bytes.size(), TypeOfPath(file), depth, image, error))
        return Fail(file, error);
    if (!WritePng(png, DecodedToRgba(image), image.width, image.height))
        return Fail(png, "cannot be written");
    std::printf("width %d height %d frame height %d\n", image.width, image.height,
                image.height / frames);
    return 0;
}

const bool registered =
    RegisterInspectCommand("image", "FILE --depth 16|24|32 [--frames N] --png OUT", InspectImage);
}  // namespace
