#include "asset_files.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        if (status) *status = -1;
        return out;
    }
    std::array<char, 65536> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    int rc = pclose(p);
    if (status) *status = rc;
    return out;
}

int RunGenerator(const std::string& args) {
    std::string cmd = std::string(ASSETS_TOOL) + " " + args + " 2>/dev/null";
    return std::system(cmd.c_str());
}

const std::string& GeneratedAssets() {
    // Written by the fixture that runs before these checks; empty when it did not run.
    static const std::string dir =
        std::filesystem::exists(std::string(ASSETS_DIR) + "/sounds") ? ASSETS_DIR : "";
    return dir;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

Pixels ReadPixels(const std::string& path) {
    Pixels px;
    int status = 0;
    std::string size = RunCommand("identify -format '%w %h' '" + path + "' 2>/dev/null", &status);
    if (status != 0) return px;
    std::istringstream(size) >> px.width >> px.height;
    std::string raw = RunCommand("convert '" + path + "' -depth 8 rgba:- 2>/dev/null", &status);
    if (status != 0 || raw.size() != size_t(px.width) * px.height * 4) return Pixels{};
    px.rgba.assign(raw.begin(), raw.end());
    return px;
}

std::vector<int> MeasureAdvances(const Pixels& font, int extra) {
    int fh = font.height / 96, fw = font.width;
    std::vector<int> adv(96, 0);
    for (int g = 0; g < 96; ++g) {
        int rightmost = 0;
        for (int k = 0; k < fh; ++k)
            for (int l = fw - 1; l >= 1; --l)
                if (!font.IsKey(l, g * fh + k)) {
                    rightmost = std::max(rightmost, l);
                    break;
                }
        adv[g] = rightmost + 1 + extra;
    }
    adv[0] = fw / 2;
    return adv;
}

int GlyphIndex(unsigned char c) {
    if (c == 0xA3) return 95;
    if (c >= 32 && c <= 127) return c - 32;
    return -1;
}
