// Display speed against one full-screen copy: the cross-fade blend, a headless present (pacing
// wait excluded) and decoding the 800x600 menu background. Compare each with BM_ScreenMemcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "display/display.h"
#include "display/image_decode.h"
#include "display/resource_images.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "support/picture_files.h"
#include "support/scratch.h"

namespace {
constexpr size_t kScreenBytes = 800 * 600 * 4;

// The headless display at depth, with random-looking pictures on work surfaces 0 and 1.
void DisplayAt(int depth) {
    SelectBackend(Backend::Headless);
    ResetDisplayDeviceFaults();
    for (int d = 32; d > depth; d -= 8) RefuseDisplayMode(d, DDERR_INVALIDMODE);
    InitDisplay();
    uint32_t seed = 12345;
    for (int n = 0; n < 2; ++n) {
        DisplaySurface* work = DisplayWorkSurface(n);
        for (int y = 0; y < 600; ++y) {
            uint8_t* row = work->Pixels() + y * work->Pitch();
            for (int i = 0; i < 800 * work->BytesPerPixel(); ++i) {
                seed = seed * 1103515245u + 12345u;
                row[i] = static_cast<uint8_t>(seed >> 16);
            }
        }
    }
}

// An 800x600 24-bit picture of varied colours, as the menu background is.
std::vector<uint8_t> MenuBackgroundBmp() {
    return EncodeBmp(PatternPicture(800, 600, 7));
}

void BM_ScreenMemcpy(benchmark::State& state) {
    std::vector<uint8_t> from(kScreenBytes, 1), to(kScreenBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kScreenBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kScreenBytes));
}
BENCHMARK(BM_ScreenMemcpy);

void BM_BlendFade(benchmark::State& state) {
    DisplayAt(static_cast<int>(state.range(0)));
    CaptureFadeSource(nullptr);
    CaptureFadeTarget(nullptr);
    const int32_t mode = static_cast<int32_t>(state.range(1));
    int32_t p = 0;
    for (auto _ : state) {
        BlendFade(p, nullptr, mode);
        p = (p + 7) % 101;
        benchmark::ClobberMemory();
    }
    ShutdownDisplay();
}
BENCHMARK(BM_BlendFade)
    ->ArgNames({"depth", "keyed"})
    ->Args({32, 0})
    ->Args({16, 0})
    ->Args({32, 2})
    ->Args({24, 0});

// The copy that ends every blend: work surface 0 to the back buffer.
void BM_BlitWorkSurface(benchmark::State& state) {
    DisplayAt(32);
    const bool keyed = state.range(0) != 0;
    for (auto _ : state) {
        BlitWorkSurface(0, 0, 0, keyed, 0, 0, 800, 600);
        benchmark::ClobberMemory();
    }
    ShutdownDisplay();
}
BENCHMARK(BM_BlitWorkSurface)->ArgName("keyed")->Arg(0)->Arg(1);

void BM_PresentHeadless(benchmark::State& state) {
    DisplayAt(static_cast<int>(state.range(0)));
    // Every clock read moves 100 ms on, so the frame deadline has always passed: no pacing wait.
    ClockUseVirtual(0, 100);
    // The copy of the screen back into the back buffer is made when the next frame first touches
    // the back buffer; the lock stands for that first drawing, so each frame pays for the copy.
    DisplaySurface* back = DisplayBackBuffer();
    for (auto _ : state) {
        Present();
        DDSURFACEDESC desc;
        if (back->Lock(nullptr, desc, DDLOCK_WAIT) == DD_OK) {
            desc.surface[0] ^= 1;
            back->Unlock();
        }
        benchmark::ClobberMemory();
    }
    ClockUseReal();
    ShutdownDisplay();
}
BENCHMARK(BM_PresentHeadless)->ArgName("depth")->Arg(32)->Arg(16);

void BM_DecodeMenuBackground(benchmark::State& state) {
    const std::vector<uint8_t> file = MenuBackgroundBmp();
    DecodedImage image;
    std::string error;
    for (auto _ : state) {
        DecodeBmp(file.data(), file.size(), static_cast<int32_t>(state.range(0)), image, error);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_DecodeMenuBackground)->ArgName("depth")->Arg(32)->Arg(16);

// The whole first load of the menu background: file read, decode, surface made and filled.
void BM_LoadMenuBackground(benchmark::State& state) {
    ScratchDir dir;
    std::filesystem::create_directories("Graphic_resource/Menu");
    WriteBytes("Graphic_resource/Menu/OptionBackgroundBLank.BMP", MenuBackgroundBmp());
    DisplayAt(32);
    ResourceImage image;
    for (auto _ : state) {
        LoadResourceImage(image, 16, 1);
        benchmark::DoNotOptimize(image.width);
        state.PauseTiming();
        ReleaseResourceImages();
        state.ResumeTiming();
    }
    ShutdownDisplay();
}
BENCHMARK(BM_LoadMenuBackground);
}  // namespace

BENCHMARK_MAIN();
