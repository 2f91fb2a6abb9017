// A small synthesiser for the effects and the tunes: oscillators, noise, filters, envelopes.
#pragma once
#include <cstdint>
#include <vector>

constexpr int kRate = 44100;
using Wave = std::vector<float>;

enum class Shape { Sine, Triangle, Square, Saw };

// Deterministic noise source.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    float Next() {
        state = state * 1664525u + 1013904223u;
        return float(int32_t(state)) / 2147483648.0f;
    }
};

// Two-pole resonant band-pass (constant peak gain) with a settable centre.
struct BandPass {
    double b0 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void Set(double centre, double q);
    float Run(float x);
};

// One-pole low-pass.
struct LowPass {
    double a = 1, y = 0;
    void Set(double cutoff);
    float Run(float x) { return float(y += a * (x - y)); }
};

Wave Silence(double seconds);
int Samples(double seconds);

// Adds a tone gliding exponentially from f0 to f1 with an attack and an exponential decay
// (decay in 1/s; 0 holds the level), ending with a 5 ms release at `dur`.
void AddTone(Wave& w, double t0, double dur, double f0, double f1, Shape shape, double amp,
             double attack, double decay, double vibratoHz = 0, double vibratoDepth = 0);
// Adds a struck bell or glass: inharmonic partials `ratios` with their own decays.
void AddBell(Wave& w, double t0, double f, double amp, double decay,
             const std::vector<double>& ratios, const std::vector<double>& gains);
// Adds band-passed noise whose centre glides from c0 to c1 (Hz); q sets the width.
void AddNoise(Wave& w, double t0, double dur, double c0, double c1, double q, double amp,
              double attack, double decay, uint32_t seed);
// Adds a vowel: a buzzing voice at pitch f0..f1 through three formants.
void AddVowel(Wave& w, double t0, double dur, double f0, double f1, const double formants[3],
              double amp, double attack, double release);
// Drum sounds.
void AddKick(Wave& w, double t0, double amp);
void AddSnare(Wave& w, double t0, double amp, uint32_t seed);
void AddHat(Wave& w, double t0, double amp, uint32_t seed, double length = 0.04);

// Scales to the given peak and converts to 16 bits; `fadeMs` fades both ends.
std::vector<int16_t> ToPcm(const Wave& w, double peak, double fadeMs);
// Makes a wave loop seamlessly: its last `overlap` seconds are blended into its start and cut.
Wave MakeLoop(const Wave& w, double overlap);
