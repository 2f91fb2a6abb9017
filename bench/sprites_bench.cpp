// Sprite drawing against SDL2's blitter and pixman doing the same work: the 50 team badges of
// 80x59 with alpha onto the 800x600 back buffer at 32 bits (opacity 1 and 0.3), and a
// colour-keyed 188x135 button. After the runs, each of the program's figures is printed as a
// ratio to the references'.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/sprites.h"
#include "platform/backend.h"

namespace {
constexpr int kBadgeWidth = 80, kBadgeHeight = 59, kBadges = 50;
constexpr int kButtonWidth = 188, kButtonHeight = 135;

// 50 badge frames stacked vertically: a rounded shield with a soft edge, transparent corners,
// straight alpha, blue, green, red, alpha bytes.
std::vector<uint8_t> MakeBadges() {
    std::vector<uint8_t> p(static_cast<size_t>(kBadgeWidth) * kBadgeHeight * kBadges * 4);
    for (int f = 0; f < kBadges; ++f)
        for (int y = 0; y < kBadgeHeight; ++y)
            for (int x = 0; x < kBadgeWidth; ++x) {
                double dx = (x + 0.5 - kBadgeWidth / 2.0) / (kBadgeWidth / 2.0 - 2);
                double dy = (y + 0.5 - kBadgeHeight / 2.0) / (kBadgeHeight / 2.0 - 2);
                double d = std::sqrt(dx * dx * dx * dx + dy * dy * dy * dy);
                double a = std::clamp((1.0 - d) * 12.0, 0.0, 1.0);
                uint8_t* q =
                    &p[((static_cast<size_t>(f) * kBadgeHeight + y) * kBadgeWidth + x) * 4];
                q[0] = static_cast<uint8_t>(40 + f * 4);
                q[1] = static_cast<uint8_t>(x * 3);
                q[2] = static_cast<uint8_t>(200 - y * 2);
                q[3] = static_cast<uint8_t>(std::lround(a * 255));
            }
    return p;
}

// A button: an opaque panel with magenta around rounded corners and a magenta cut-out.
std::vector<uint8_t> MakeButton() {
    std::vector<uint8_t> p(static_cast<size_t>(kButtonWidth) * kButtonHeight * 4);
    for (int y = 0; y < kButtonHeight; ++y)
        for (int x = 0; x < kButtonWidth; ++x) {
            int cx = std::min(x, kButtonWidth - 1 - x), cy = std::min(y, kButtonHeight - 1 - y);
            bool corner = cx < 12 && cy < 12 && (12 - cx) * (12 - cx) + (12 - cy) * (12 - cy) > 144;
            bool hole = x > 70 && x < 120 && y > 50 && y < 80;
            uint8_t* q = &p[(static_cast<size_t>(y) * kButtonWidth + x) * 4];
            if (corner || hole) {
                q[0] = 255, q[1] = 0, q[2] = 255;
            } else {
                q[0] = static_cast<uint8_t>(x), q[1] = static_cast<uint8_t>(y), q[2] = 90;
            }
            q[3] = 255;
        }
    return p;
}

int BadgeX(int i) {
    return (i % 10) * 80;
}
int BadgeY(int i) {
    return 60 + (i / 10) * 100;
}

// The program's own path: sprites on the headless display's back buffer.
struct Program {
    DisplaySurfacePtr badges, button;
    Program() {
        SelectBackend(Backend::Headless);
        if (!InitDisplay()) std::abort();
        badges = Fill(CreateSpriteSurface(kBadgeWidth, kBadgeHeight * kBadges), MakeBadges(),
                      kBadgeWidth);
        button = Fill(CreateSpriteSurface(kButtonWidth, kButtonHeight), MakeButton(), kButtonWidth);
        ImageManager.records.push_back({"badges", kBadgeWidth, kBadgeHeight * kBadges, kBadges});
    }
    static DisplaySurfacePtr Fill(DisplaySurfacePtr s, const std::vector<uint8_t>& p, int w) {
        DDSURFACEDESC desc;
        if (!s || s->Lock(nullptr, desc, DDLOCK_WAIT) != DD_OK) std::abort();
        for (int y = 0; y < desc.height; ++y)
            std::memcpy(desc.surface + static_cast<size_t>(y) * desc.pitch,
                        &p[static_cast<size_t>(y) * w * 4], static_cast<size_t>(w) * 4);
        s->Unlock();
        return s;
    }
};
Program& TheProgram() {
    static Program program;
    return program;
}

void ProgramBadges(benchmark::State& state, float opacity) {
    Program& p = TheProgram();
    for (auto _ : state) {
        for (int i = 0; i < kBadges; ++i)
            DrawSprite(p.badges.get(), GetFrameRect("badges", i), DisplayBackBuffer(), BadgeX(i),
                       BadgeY(i), 1, 1, 0, true, opacity);
        benchmark::ClobberMemory();
    }
}
void BM_Program_Badges(benchmark::State& state) {
    ProgramBadges(state, 1.0f);
}
void BM_Program_BadgesDimmed(benchmark::State& state) {
    ProgramBadges(state, 0.3f);
}
void BM_Program_Button(benchmark::State& state) {
    Program& p = TheProgram();
    for (auto _ : state) {
        DrawSprite(p.button.get(), nullptr, DisplayBackBuffer(), 300, 200);
        benchmark::ClobberMemory();
    }
}

// SDL2's blitter: per-pixel alpha blending, alpha modulation, colour key.
struct Sdl {
    SDL_Surface* screen;
    SDL_Surface* badges;
    SDL_Surface* button;
    std::vector<uint8_t> badgePixels = MakeBadges(), buttonPixels = MakeButton();
    Sdl() {
        screen = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_RGB888);
        badges = SDL_CreateRGBSurfaceWithFormatFrom(badgePixels.data(), kBadgeWidth,
                                                    kBadgeHeight * kBadges, 32, kBadgeWidth * 4,
                                                    SDL_PIXELFORMAT_ARGB8888);
        button =
            SDL_CreateRGBSurfaceWithFormatFrom(buttonPixels.data(), kButtonWidth, kButtonHeight, 32,
                                               kButtonWidth * 4, SDL_PIXELFORMAT_RGB888);
        if (!screen || !badges || !button) std::abort();
        SDL_FillRect(screen, nullptr, 0x00304050);
        SDL_SetSurfaceBlendMode(badges, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceBlendMode(button, SDL_BLENDMODE_NONE);
        SDL_SetColorKey(button, SDL_TRUE, 0x00FF00FF);
    }
};
Sdl& TheSdl() {
    static Sdl sdl;
    return sdl;
}

void SdlBadges(benchmark::State& state, uint8_t alphaMod) {
    Sdl& s = TheSdl();
    SDL_SetSurfaceAlphaMod(s.badges, alphaMod);
    for (auto _ : state) {
        for (int i = 0; i < kBadges; ++i) {
            SDL_Rect from{0, i * kBadgeHeight, kBadgeWidth, kBadgeHeight};
            SDL_Rect to{BadgeX(i), BadgeY(i), kBadgeWidth, kBadgeHeight};
            SDL_BlitSurface(s.badges, &from, s.screen, &to);
        }
        benchmark::ClobberMemory();
    }
}
void BM_Sdl_Badges(benchmark::State& state) {
    SdlBadges(state, 255);
}
void BM_Sdl_BadgesDimmed(benchmark::State& state) {
    SdlBadges(state, 77);
}
void BM_Sdl_Button(benchmark::State& state) {
    Sdl& s = TheSdl();
    for (auto _ : state) {
        SDL_Rect to{300, 200, kButtonWidth, kButtonHeight};
        SDL_BlitSurface(s.button, nullptr, s.screen, &to);
        benchmark::ClobberMemory();
    }
}

// pixman: OVER of the same badges, premultiplied, optionally through a solid 0.3 mask.
struct Pixman {
    std::vector<uint32_t> screenPixels = std::vector<uint32_t>(800 * 600, 0x00304050);
    std::vector<uint32_t> badgePixels;
    pixman_image_t* screen;
    pixman_image_t* badges;
    pixman_image_t* dim;
    Pixman() {
        std::vector<uint8_t> straight = MakeBadges();
        for (size_t i = 0; i < straight.size(); i += 4) {
            uint32_t a = straight[i + 3];
            auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
            badgePixels.push_back(a << 24 | pre(straight[i + 2]) << 16 | pre(straight[i + 1]) << 8 |
                                  pre(straight[i]));
        }
        screen = pixman_image_create_bits(PIXMAN_x8r8g8b8, 800, 600, screenPixels.data(), 800 * 4);
        badges = pixman_image_create_bits(PIXMAN_a8r8g8b8, kBadgeWidth, kBadgeHeight * kBadges,
                                          badgePixels.data(), kBadgeWidth * 4);
        pixman_color_t grey{0, 0, 0, static_cast<uint16_t>(0.3 * 65535)};
        dim = pixman_image_create_solid_fill(&grey);
    }
};
Pixman& ThePixman() {
    static Pixman pixman;
    return pixman;
}

void PixmanBadges(benchmark::State& state, bool dimmed) {
    Pixman& p = ThePixman();
    for (auto _ : state) {
        for (int i = 0; i < kBadges; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, p.badges, dimmed ? p.dim : nullptr, p.screen,
                                     0, i * kBadgeHeight, 0, 0, BadgeX(i), BadgeY(i), kBadgeWidth,
                                     kBadgeHeight);
        benchmark::ClobberMemory();
    }
}
void BM_Pixman_Badges(benchmark::State& state) {
    PixmanBadges(state, false);
}
void BM_Pixman_BadgesDimmed(benchmark::State& state) {
    PixmanBadges(state, true);
}

BENCHMARK(BM_Program_Badges);
BENCHMARK(BM_Sdl_Badges);
BENCHMARK(BM_Pixman_Badges);
BENCHMARK(BM_Program_BadgesDimmed);
BENCHMARK(BM_Sdl_BadgesDimmed);
BENCHMARK(BM_Pixman_BadgesDimmed);
BENCHMARK(BM_Program_Button);
BENCHMARK(BM_Sdl_Button);

// Prints the runs as usual and keeps each one's processor time for the ratios (wall time on a
// shared machine mostly measures the other processes).
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* ours, const char* theirs, const char* label) {
        // The median of repeated runs when there are repetitions, else the single run.
        auto find = [&](const std::string& name) {
            auto median = reporter.times.find(name + "_median");
            return median != reporter.times.end() ? median : reporter.times.find(name);
        };
        auto a = find(ours), b = find(theirs);
        if (a == reporter.times.end() || b == reporter.times.end()) return;
        std::printf("%-44s %6.2fx %s\n", label, b->second / a->second,
                    b->second >= a->second ? "(faster)" : "(slower)");
    };
    std::printf("\nprocessor time of the reference / the program's (>1: the program is faster):\n");
    ratio("BM_Program_Badges", "BM_Sdl_Badges", "badges, opacity 1, vs SDL2");
    ratio("BM_Program_Badges", "BM_Pixman_Badges", "badges, opacity 1, vs pixman");
    ratio("BM_Program_BadgesDimmed", "BM_Sdl_BadgesDimmed", "badges, opacity 0.3, vs SDL2");
    ratio("BM_Program_BadgesDimmed", "BM_Pixman_BadgesDimmed", "badges, opacity 0.3, vs pixman");
    ratio("BM_Program_Button", "BM_Sdl_Button", "keyed 188x135 button vs SDL2");
    benchmark::Shutdown();
    return 0;
}
