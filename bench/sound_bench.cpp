// The music player's costs: decoding the 60 s main tune through the player's decode-and-convert
// path, beside mpg123's test decode of the same file and a bare decoder loop, and the probe of a
// 75 s file. Files come from the staged assets when they are there, else sox and lame make them.
#include <benchmark/benchmark.h>
#include <mad.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/mp3_probe.h"
#include "sound/wmp3.h"
#include "support/scratch.h"

namespace {
std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

// A tune of `seconds` made by sox (chords of sweeps with a little noise) and lame, in a scratch
// folder that lasts as long as the program.
std::string MakeTune(const std::string& name, int seconds, const std::string& lameOptions) {
    static ScratchFolder scratch("sound-bench");
    std::string wav = scratch.File(name + ".wav");
    std::string mp3 = scratch.File(name + ".mp3");
    if (Exists(mp3)) return mp3;
    std::string make =
        "sox -n -r 44100 -c 2 " + wav + " synth " + std::to_string(seconds) +
        " sine 110-880 sine 330-660 pinknoise vol 0.4 >/dev/null 2>&1 && lame --quiet " +
        lameOptions + " " + wav + " " + mp3 + " && rm -f " + wav;
    if (std::system(make.c_str()) != 0) return "";
    return mp3;
}

const std::string& MainTunePath() {
    static const std::string path = [] {
        std::string staged = std::string(BRINDLEMARK_STAGE_DIR) + "/sounds/MainTune.mp3";
        return Exists(staged) ? staged : MakeTune("maintune60", 60, "-b 128 --cbr");
    }();
    return path;
}

void DecodeTune(benchmark::State& state) {
    std::vector<uint8_t> bytes = ReadAll(MainTunePath());
    WMp3 player;
    if (bytes.empty() || !player.OpenMp3Stream(bytes.data(), bytes.size(), 2000)) {
        state.SkipWithError("no main tune");
        return;
    }
    std::vector<int16_t> pcm;
    pcm.reserve(static_cast<size_t>(player.GetSongLength()) * 100);
    double seconds = 0;
    for (auto _ : state) {
        pcm.clear();
        size_t frames = player.DecodeToPcm(pcm, UINT64_MAX);
        benchmark::DoNotOptimize(pcm.data());
        seconds += static_cast<double>(frames) / player.Facts().sampleRate;
    }
    state.counters["x_real_time"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(DecodeTune)->Unit(benchmark::kMillisecond);

// The same decode without conversion or output: the decoder and synthesis alone.
void BareDecoderLoop(benchmark::State& state) {
    std::vector<uint8_t> bytes = ReadAll(MainTunePath());
    if (bytes.empty()) {
        state.SkipWithError("no main tune");
        return;
    }
    bytes.resize(bytes.size() + MAD_BUFFER_GUARD, 0);
    double seconds = 0;
    for (auto _ : state) {
        mad_stream stream;
        mad_frame frame;
        mad_synth synth;
        mad_stream_init(&stream);
        mad_frame_init(&frame);
        mad_synth_init(&synth);
        mad_stream_buffer(&stream, bytes.data(), bytes.size());
        uint64_t samples = 0;
        for (;;) {
            if (mad_frame_decode(&frame, &stream) == -1) {
                if (MAD_RECOVERABLE(stream.error)) continue;
                break;
            }
            mad_synth_frame(&synth, &frame);
            samples += synth.pcm.length;
            benchmark::DoNotOptimize(synth.pcm.samples[0][0]);
        }
        seconds += static_cast<double>(samples) / 44100.0;
        mad_synth_finish(&synth);
        mad_frame_finish(&frame);
        mad_stream_finish(&stream);
    }
    state.counters["x_real_time"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BareDecoderLoop)->Unit(benchmark::kMillisecond);

// mpg123's test decode of the same file, timed by the processor time of the child process.
void Mpg123TestDecode(benchmark::State& state) {
    const std::string& path = MainTunePath();
    std::vector<uint8_t> bytes = ReadAll(path);
    WMp3 player;
    if (bytes.empty() || !player.OpenMp3Stream(bytes.data(), bytes.size(), 2000)) {
        state.SkipWithError("no main tune");
        return;
    }
    const double songSeconds = player.GetSongLength() / 1000.0;
    const std::string command = "mpg123 -q -t '" + path + "' >/dev/null 2>&1";
    double seconds = 0;
    for (auto _ : state) {
        rusage before{}, after{};
        getrusage(RUSAGE_CHILDREN, &before);
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("mpg123 failed");
            return;
        }
        getrusage(RUSAGE_CHILDREN, &after);
        auto cpu = [](const rusage& r) {
            return r.ru_utime.tv_sec + r.ru_stime.tv_sec +
                   (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
        };
        state.SetIterationTime(cpu(after) - cpu(before));
        seconds += songSeconds;
    }
    state.counters["x_real_time"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(Mpg123TestDecode)->UseManualTime()->Unit(benchmark::kMillisecond);

// The probe of a 75 s file: with a VBR header (lame's Info frame), a plain constant-bitrate
// stream (the 200-frame scan) and a variable-bitrate one.
void Probe75s(benchmark::State& state, const char* name, const char* options) {
    std::vector<uint8_t> bytes = ReadAll(MakeTune(name, 75, options));
    if (bytes.empty()) {
        state.SkipWithError("no 75 s file");
        return;
    }
    Mp3StreamFacts facts;
    std::string error;
    for (auto _ : state) {
        bool ok = ProbeMp3(bytes.data(), bytes.size(), facts, error);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["song_ms"] = facts.songLengthMs;
}
BENCHMARK_CAPTURE(Probe75s, cbr_info, "probe75_info", "-b 128 --cbr")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Probe75s, cbr_plain, "probe75_plain", "-b 128 --cbr -t")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Probe75s, vbr, "probe75_vbr", "-V 2")->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
