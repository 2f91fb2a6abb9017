// The 44 sound effects, each synthesised to fit its name, as 16-bit PCM WAV at 44.1 kHz.
#include <cmath>
#include <functional>
#include <string>

#include "assets.h"
#include "synth.h"

namespace {
struct Stereo {
    Wave left, right;
};

const double kVowelA[3] = {800, 1150, 2900};
const double kVowelO[3] = {450, 800, 2830};
const double kVowelU[3] = {325, 700, 2530};
const std::vector<double> kBellRatios = {1, 2.0, 2.76, 4.07, 5.4};
const std::vector<double> kBellGains = {1, 0.5, 0.6, 0.3, 0.2};
const std::vector<double> kGlassRatios = {1, 2.32, 4.25, 6.63};
const std::vector<double> kGlassGains = {1, 0.55, 0.35, 0.15};

double Note(int semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

Wave Teletype() {
    Wave w = Silence(1.2);
    Noise n(3);
    for (int i = 0; i < 22; ++i) {
        double t = i * 0.05 + (n.Next() + 1) * 0.008;
        AddNoise(w, t, 0.02, 3500, 2500, 2, 0.7, 0.0005, 180, 100 + i);
        AddTone(w, t, 0.015, 900, 700, Shape::Square, 0.12, 0.0005, 250);
    }
    AddBell(w, 1.1, 2100, 0.15, 20, {1}, {1});
    return w;
}

Wave Incorrect() {
    Wave w = Silence(0.9);
    AddTone(w, 0, 0.85, 146, 140, Shape::Square, 0.5, 0.005, 0.8);
    AddTone(w, 0, 0.85, 155, 149, Shape::Saw, 0.5, 0.005, 0.8);
    AddTone(w, 0, 0.85, 73, 70, Shape::Square, 0.3, 0.005, 0.8);
    return w;
}

Wave Button() {
    Wave w = Silence(0.1);
    AddTone(w, 0, 0.06, 1400, 900, Shape::Sine, 0.8, 0.0005, 60);
    AddNoise(w, 0, 0.015, 4000, 4000, 1.5, 0.3, 0.0002, 300, 7);
    return w;
}

Wave AnimationSpin() {
    Wave w = Silence(1.3);
    double t = 0, gap = 0.03;
    int i = 0;
    while (t < 1.2) {
        AddNoise(w, t, 0.015, 2500, 2000, 3, 0.45, 0.0003, 250, 200 + i);
        t += gap;
        gap *= 1.045;
        ++i;
    }
    AddTone(w, 0, 1.25, 300, 120, Shape::Triangle, 0.2, 0.05, 1.5);
    return w;
}

Wave Tick() {
    Wave w = Silence(0.06);
    AddTone(w, 0, 0.05, 1800, 1700, Shape::Sine, 0.7, 0.0003, 90);
    AddNoise(w, 0, 0.01, 5000, 5000, 2, 0.4, 0.0002, 400, 11);
    return w;
}

Wave TimerUp() {
    Wave w = Silence(0.9);
    for (int i = 0; i < 4; ++i)
        AddTone(w, i * 0.2, 0.15, 1320, 1320, Shape::Square, 0.35, 0.002, 4);
    return w;
}

Wave AddPoints() {
    Wave w = Silence(0.7);
    for (int i = 0; i < 6; ++i)
        AddTone(w, i * 0.09, 0.12, Note(3 + i * 2), Note(3 + i * 2), Shape::Square, 0.3, 0.002, 18);
    return w;
}

Stereo Mumbling() {
    // A pub full of talk: many voices at different pitches and vowels, over a noise bed.
    const double kLen = 6.0, kOverlap = 1.0;
    Stereo s{Silence(kLen + kOverlap), Silence(kLen + kOverlap)};
    Noise n(29);
    const double* vowels[3] = {kVowelA, kVowelO, kVowelU};
    for (int v = 0; v < 46; ++v) {
        double t = (n.Next() + 1) * 0.5 * (kLen + kOverlap - 0.5);
        double pitch = 95 + (n.Next() + 1) * 70;
        double dur = 0.12 + (n.Next() + 1) * 0.16;
        Wave& side = (v % 2) ? s.left : s.right;
        const double* f = vowels[v % 3];
        double shifted[3] = {f[0] * (0.9 + 0.1 * n.Next()), f[1] * (0.9 + 0.15 * n.Next()), f[2]};
        AddVowel(side, t, dur, pitch, pitch * (0.85 + 0.1 * n.Next()), shifted, 0.10, 0.04, 0.06);
        Wave& other = (v % 2) ? s.right : s.left;
        AddVowel(other, t + 0.01, dur, pitch, pitch * 0.9, shifted, 0.04, 0.04, 0.06);
    }
    AddNoise(s.left, 0, kLen + kOverlap, 500, 500, 0.5, 0.05, 0.0, 0, 41);
    AddNoise(s.right, 0, kLen + kOverlap, 520, 520, 0.5, 0.05, 0.0, 0, 42);
    // A glass now and then.
    AddBell(s.left, 1.7, 2350, 0.05, 9, kGlassRatios, kGlassGains);
    AddBell(s.right, 4.3, 2600, 0.04, 9, kGlassRatios, kGlassGains);
    return {MakeLoop(s.left, kOverlap), MakeLoop(s.right, kOverlap)};
}

Wave Correct() {
    Wave w = Silence(1.3);
    const int notes[4] = {3, 7, 10, 15};  // C, E, G, C: rising
    for (int i = 0; i < 4; ++i)
        AddBell(w, i * 0.11, Note(notes[i]), 0.4, 3.5, kBellRatios, kBellGains);
    return w;
}

Wave SmallPoints() {
    Wave w = Silence(0.5);
    AddBell(w, 0, Note(15), 0.6, 7, kBellRatios, kBellGains);
    return w;
}

Wave BigPoints() {
    Wave w = Silence(1.4);
    const int chord[4] = {-2, 2, 5, 10};
    for (int n : chord) AddTone(w, 0, 1.2, Note(n), Note(n), Shape::Saw, 0.18, 0.02, 2.2, 5, 0.004);
    AddKick(w, 0, 0.6);
    for (int i = 0; i < 8; ++i)
        AddBell(w, 0.1 + i * 0.07, Note(17 + i), 0.08, 6, {1, 2.0}, {1, 0.3});
    return w;
}

Wave CashWinplan() {
    Wave w = Silence(1.4);
    // Till drawer and bell: ka-ching.
    AddNoise(w, 0, 0.12, 1500, 600, 1.5, 0.5, 0.001, 25, 51);
    AddBell(w, 0.12, 2637, 0.5, 2.2, {1, 2.4, 3.9}, {1, 0.4, 0.2});
    AddBell(w, 0.14, 3520, 0.3, 2.5, {1, 2.4}, {1, 0.3});
    for (int i = 0; i < 10; ++i)
        AddBell(w, 0.3 + i * 0.055, 4200 + (i * 733 % 1500), 0.08, 18, kGlassRatios, kGlassGains);
    return w;
}

Wave DoubleOrQuits() {
    Wave w = Silence(1.6);
    for (int i = 0; i < 20; ++i) AddSnare(w, i * 0.05, 0.15 + i * 0.02, 60 + i);
    AddTone(w, 1.0, 0.55, Note(-5), Note(-5), Shape::Saw, 0.3, 0.01, 2, 6, 0.01);
    AddTone(w, 1.0, 0.55, Note(1), Note(1), Shape::Saw, 0.25, 0.01, 2, 6, 0.01);
    return w;
}

Wave ExtraReveal() {
    Wave w = Silence(0.9);
    for (int i = 0; i < 12; ++i)
        AddBell(w, i * 0.045, Note(8 + i * 2), 0.15, 8, {1, 2.0}, {1, 0.25});
    AddNoise(w, 0, 0.7, 3000, 9000, 2, 0.15, 0.2, 3, 61);
    return w;
}

Wave TrueOrFalse() {
    Wave w = Silence(1.1);
    AddBell(w, 0, Note(7), 0.5, 3, kBellRatios, kBellGains);
    AddBell(w, 0.35, Note(3), 0.5, 3, kBellRatios, kBellGains);
    return w;
}

Wave LosePoints() {
    Wave w = Silence(0.7);
    for (int i = 0; i < 6; ++i)
        AddTone(w, i * 0.09, 0.12, Note(12 - i * 2), Note(12 - i * 2), Shape::Triangle, 0.4, 0.002,
                15);
    return w;
}

Wave Bell() {
    Wave w = Silence(1.8);
    // Last orders: a brass hand bell rung three times.
    for (int i = 0; i < 3; ++i)
        AddBell(w, i * 0.32, 880, 0.5, 2.2, {1, 2.1, 3.2, 4.9, 6.8}, {1, 0.7, 0.4, 0.25, 0.12});
    return w;
}

Wave YourOut() {
    Wave w = Silence(1.7);
    const int notes[4] = {-2, -3, -4, -5};
    for (int i = 0; i < 4; ++i) {
        double len = i == 3 ? 0.7 : 0.3;
        AddTone(w, i * 0.33, len, Note(notes[i] - 12), Note(notes[i] - 12) * (i == 3 ? 0.94 : 1),
                Shape::Saw, 0.45, 0.03, 1.0, 5, i == 3 ? 0.02 : 0.0);
    }
    return w;
}

Wave Whistle() {
    Wave w = Silence(0.9);
    // A pea whistle: a bright tone warbling fast.
    AddTone(w, 0, 0.8, 2800, 2750, Shape::Sine, 0.5, 0.01, 0.5, 28, 0.04);
    AddNoise(w, 0, 0.8, 2800, 2800, 8, 0.12, 0.01, 0.5, 71);
    return w;
}

Stereo Panned(bool toLeft) {
    Stereo s{Silence(0.45), Silence(0.45)};
    Wave tone = Silence(0.45);
    AddTone(tone, 0, 0.4, toLeft ? 700 : 520, toLeft ? 1000 : 780, Shape::Triangle, 0.5, 0.01, 5);
    for (size_t i = 0; i < tone.size(); ++i) {
        double pan = double(i) / double(tone.size());
        double l = toLeft ? 0.55 + 0.45 * pan : 0.45 - 0.45 * pan;
        s.left[i] = float(tone[i] * l);
        s.right[i] = float(tone[i] * (1 - l));
    }
    return s;
}

Wave Bloop() {
    Wave w = Silence(0.22);
    AddTone(w, 0, 0.18, 300, 900, Shape::Sine, 0.8, 0.003, 10);
    return w;
}

Wave GridStop() {
    Wave w = Silence(0.35);
    AddKick(w, 0, 0.7);
    AddNoise(w, 0, 0.05, 1200, 800, 1.5, 0.5, 0.0005, 70, 81);
    AddTone(w, 0.02, 0.1, 220, 200, Shape::Square, 0.15, 0.001, 35);
    return w;
}

Wave QuestionPop() {
    Wave w = Silence(0.35);
    AddNoise(w, 0, 0.02, 2000, 2000, 1, 0.5, 0.0002, 200, 91);
    AddTone(w, 0.01, 0.3, Note(3), Note(15), Shape::Sine, 0.5, 0.003, 8);
    return w;
}

Wave Glass() {
    Wave w = Silence(1.1);
    // Two pint glasses touching: a bright clink and its answer.
    AddNoise(w, 0, 0.006, 6000, 6000, 1, 0.4, 0.0002, 700, 101);
    AddBell(w, 0, 2310, 0.45, 5, kGlassRatios, kGlassGains);
    AddBell(w, 0.004, 2740, 0.35, 6, kGlassRatios, kGlassGains);
    return w;
}

Wave GlassDown() {
    Wave w = Silence(0.6);
    AddKick(w, 0, 0.35);
    AddNoise(w, 0, 0.05, 900, 500, 1, 0.5, 0.001, 60, 111);
    AddBell(w, 0.005, 1650, 0.15, 12, kGlassRatios, kGlassGains);
    return w;
}

Wave Burp() {
    Wave w = Silence(0.7);
    const double f[3] = {500, 900, 2400};
    AddVowel(w, 0, 0.6, 95, 70, f, 0.6, 0.02, 0.15);
    AddNoise(w, 0, 0.6, 300, 200, 1, 0.15, 0.02, 3, 121);
    return w;
}

Wave Ah() {
    Wave w = Silence(1.0);
    AddVowel(w, 0, 0.95, 190, 140, kVowelA, 0.6, 0.05, 0.3);
    AddNoise(w, 0, 0.2, 1500, 1500, 0.8, 0.1, 0.02, 6, 131);
    return w;
}

Wave Smacky() {
    Wave w = Silence(0.25);
    AddNoise(w, 0, 0.03, 1800, 1000, 2, 0.7, 0.0005, 120, 141);
    AddTone(w, 0.015, 0.08, 400, 250, Shape::Sine, 0.5, 0.001, 50);
    AddNoise(w, 0.1, 0.02, 2500, 2500, 2, 0.3, 0.0005, 150, 142);
    return w;
}

Wave Gulp() {
    Wave w = Silence(0.5);
    AddTone(w, 0, 0.18, 180, 420, Shape::Sine, 0.7, 0.005, 12);
    AddNoise(w, 0.05, 0.04, 700, 1100, 3, 0.3, 0.001, 60, 151);
    AddTone(w, 0.2, 0.2, 120, 260, Shape::Sine, 0.5, 0.005, 14);
    return w;
}

Wave HoHoHo() {
    Wave w = Silence(1.4);
    for (int i = 0; i < 4; ++i) {
        double t = i * 0.3;
        AddNoise(w, t, 0.05, 1200, 1200, 0.8, 0.15, 0.005, 20, 161 + i);
        AddVowel(w, t + 0.03, 0.22, 130 - i * 6, 110 - i * 6, kVowelO, 0.6, 0.02, 0.08);
    }
    return w;
}

Wave Shhh() {
    Wave w = Silence(1.3);
    AddNoise(w, 0, 1.25, 3200, 2900, 1.2, 0.6, 0.12, 0.6, 171);
    AddNoise(w, 0, 1.25, 5500, 5000, 1.5, 0.25, 0.12, 0.6, 172);
    return w;
}

Wave GameOver() {
    Wave w = Silence(2.0);
    // A falling minor line: G, E flat, D, C.
    const int notes[4] = {-2, -6, -7, -9};
    const double lens[4] = {0.3, 0.3, 0.3, 0.9};
    double t = 0;
    for (int i = 0; i < 4; ++i) {
        AddTone(w, t, lens[i], Note(notes[i]), Note(notes[i]), Shape::Saw, 0.3, 0.02, 1.2, 5,
                0.006);
        AddTone(w, t, lens[i], Note(notes[i] - 12), Note(notes[i] - 12), Shape::Triangle, 0.3, 0.02,
                1.2);
        t += lens[i];
    }
    return w;
}

Wave Pour() {
    Wave w = Silence(1.2);
    // Beer from the tap: a gush whose resonance rises as the glass fills, with bubbles.
    AddNoise(w, 0, 1.15, 450, 1400, 3, 0.6, 0.05, 0.4, 181);
    AddNoise(w, 0, 1.15, 2500, 3500, 1, 0.2, 0.05, 0.5, 182);
    Noise n(183);
    for (int i = 0; i < 24; ++i) {
        double t = (n.Next() + 1) * 0.5 * 1.05;
        double f = 500 + t * 900 + n.Next() * 150;
        AddTone(w, t, 0.04, f, f * 1.6, Shape::Sine, 0.12, 0.002, 50);
    }
    return w;
}

Wave Up() {
    Wave w = Silence(0.45);
    AddTone(w, 0, 0.4, 300, 1200, Shape::Triangle, 0.6, 0.01, 3);
    return w;
}

Wave Down() {
    Wave w = Silence(0.45);
    AddTone(w, 0, 0.4, 1200, 300, Shape::Triangle, 0.6, 0.01, 3);
    return w;
}

Wave TryAgain() {
    Wave w = Silence(0.8);
    // Uh-oh: two soft notes a minor third apart, falling.
    AddTone(w, 0, 0.22, Note(2), Note(2), Shape::Triangle, 0.5, 0.01, 4);
    AddTone(w, 0.25, 0.45, Note(-1), Note(-1), Shape::Triangle, 0.5, 0.01, 3);
    AddTone(w, 0, 0.22, Note(-10), Note(-10), Shape::Sine, 0.3, 0.01, 4);
    AddTone(w, 0.25, 0.45, Note(-13), Note(-13), Shape::Sine, 0.3, 0.01, 3);
    return w;
}

Stereo Whoosh(bool leftToRight, double low, double high, uint32_t seed, bool thump) {
    Wave mono = Silence(0.55);
    AddNoise(mono, 0, 0.5, low, high, 1.4, 0.8, 0.18, 0, seed);
    AddNoise(mono, 0, 0.5, low * 2, high * 2, 2, 0.3, 0.2, 0, seed + 1);
    for (size_t i = 0; i < mono.size(); ++i) {
        double t = double(i) / double(mono.size());
        mono[i] *= float(std::sin(M_PI * std::min(1.0, t * 1.1)));
    }
    if (thump) AddKick(mono, 0.3, 0.3);
    Stereo s{Silence(0.55), Silence(0.55)};
    for (size_t i = 0; i < mono.size(); ++i) {
        double pan = double(i) / double(mono.size());
        double l = leftToRight ? 1 - pan : pan;
        s.left[i] = float(mono[i] * std::sqrt(l));
        s.right[i] = float(mono[i] * std::sqrt(1 - l));
    }
    return s;
}

Wave Joker() {
    Wave w = Silence(1.1);
    // A short brass fanfare: da-da-da-daaa.
    const int notes[4] = {-2, -2, -2, 3};
    const double times[4] = {0, 0.11, 0.22, 0.36};
    const double lens[4] = {0.09, 0.09, 0.12, 0.65};
    for (int i = 0; i < 4; ++i) {
        AddTone(w, times[i], lens[i], Note(notes[i]), Note(notes[i]), Shape::Saw, 0.3, 0.015, 1.5,
                5, i == 3 ? 0.008 : 0);
        AddTone(w, times[i], lens[i], Note(notes[i] + 4), Note(notes[i] + 4), Shape::Saw, 0.2,
                0.015, 1.5);
        AddTone(w, times[i], lens[i], Note(notes[i] + 7), Note(notes[i] + 7), Shape::Saw, 0.15,
                0.015, 1.5);
    }
    AddSnare(w, 0.36, 0.4, 191);
    return w;
}

Wave Skip() {
    Wave w = Silence(0.4);
    AddTone(w, 0, 0.1, 600, 900, Shape::Square, 0.3, 0.003, 10);
    AddTone(w, 0.12, 0.14, 900, 1500, Shape::Square, 0.3, 0.003, 8);
    AddNoise(w, 0, 0.3, 2000, 6000, 2, 0.15, 0.05, 6, 201);
    return w;
}

Wave BigTeamsUp() {
    Wave w = Silence(0.45);
    AddKick(w, 0, 0.8);
    AddSnare(w, 0, 0.35, 211);
    AddTone(w, 0.02, 0.35, Note(-9), Note(-2), Shape::Saw, 0.3, 0.01, 4);
    return w;
}

Wave TimeOut() {
    Wave w = Silence(1.05);
    // A horn: two falling blasts.
    AddTone(w, 0, 0.45, 330, 300, Shape::Saw, 0.4, 0.01, 0.8);
    AddTone(w, 0, 0.45, 392, 357, Shape::Saw, 0.3, 0.01, 0.8);
    AddTone(w, 0.5, 0.5, 294, 250, Shape::Saw, 0.4, 0.01, 0.8);
    AddTone(w, 0.5, 0.5, 350, 298, Shape::Saw, 0.3, 0.01, 0.8);
    return w;
}

Wave AnswerBuildUp() {
    // A drum roll that swells, with a rising tone; the screen waits for it, so it stays short.
    Wave w = Silence(1.3);
    double t = 0, gap = 0.07;
    int i = 0;
    while (t < 1.05) {
        AddSnare(w, t, 0.12 + t * 0.35, 300 + i++);
        t += gap;
        gap = std::max(0.03, gap * 0.93);
    }
    AddTone(w, 0, 1.1, Note(-14), Note(-2), Shape::Saw, 0.15, 0.3, 0);
    AddKick(w, 1.1, 0.7);
    AddBell(w, 1.1, Note(3), 0.15, 8, kBellRatios, kBellGains);
    return w;
}

Bytes MonoWav(const Wave& w) {
    return EncodeWav(ToPcm(w, 0.85, 3), 1, kRate);
}

Bytes StereoWav(const Stereo& s, double fadeMs) {
    // Both channels share one scale so that the balance stays as mixed.
    Wave both(s.left.size() * 2);
    for (size_t i = 0; i < s.left.size(); ++i) {
        both[2 * i] = s.left[i];
        both[2 * i + 1] = s.right[i];
    }
    std::vector<int16_t> pcm = ToPcm(both, 0.85, 0);
    if (fadeMs > 0) {
        size_t fade = size_t(Samples(fadeMs / 1000));
        size_t frames = s.left.size();
        for (size_t i = 0; i < frames; ++i) {
            double g = 1;
            if (i < fade) g = double(i) / double(fade);
            if (frames - 1 - i < fade) g = std::min(g, double(frames - 1 - i) / double(fade));
            pcm[2 * i] = int16_t(std::lround(pcm[2 * i] * g));
            pcm[2 * i + 1] = int16_t(std::lround(pcm[2 * i + 1] * g));
        }
    }
    return EncodeWav(pcm, 2, kRate);
}
}  // namespace

void MakeEffects(std::vector<Sound>& out) {
    auto mono = [&](const char* name, Wave w) {
        out.push_back({std::string("sounds/") + name, MonoWav(w)});
    };
    auto stereo = [&](const char* name, const Stereo& s, double fadeMs) {
        out.push_back({std::string("sounds/") + name, StereoWav(s, fadeMs)});
    };
    mono("teletype.wav", Teletype());
    mono("InCorrect.wav", Incorrect());
    mono("Button.wav", Button());
    mono("AnimationSpin.wav", AnimationSpin());
    mono("Timer.wav", Tick());
    mono("TimerUp.wav", TimerUp());
    mono("AddPoints.wav", AddPoints());
    stereo("Mumbling.wav", Mumbling(), 0);  // loops: no fades
    mono("Correct.wav", Correct());
    mono("SmallPoints.wav", SmallPoints());
    mono("BigPoints.wav", BigPoints());
    mono("CashWinplan.wav", CashWinplan());
    mono("DoubleOrQuits.wav", DoubleOrQuits());
    mono("ExtraReveal.wav", ExtraReveal());
    mono("TrueOrFalse.wav", TrueOrFalse());
    mono("LosePoints.wav", LosePoints());
    mono("Bell.wav", Bell());
    mono("YourOut.wav", YourOut());
    mono("Whistle.wav", Whistle());
    stereo("LeftUn.wav", Panned(true), 3);
    stereo("RightUn.wav", Panned(false), 3);
    mono("Bloop.wav", Bloop());
    mono("GridStop.wav", GridStop());
    mono("QuestionPop.wav", QuestionPop());
    mono("glass.wav", Glass());
    mono("GlassDown.wav", GlassDown());
    mono("burp.wav", Burp());
    mono("ah.wav", Ah());
    mono("smacky.wav", Smacky());
    mono("Gulp.wav", Gulp());
    mono("hohohoho.wav", HoHoHo());
    mono("shhhh.wav", Shhh());
    mono("GameOver.wav", GameOver());
    mono("Pour.wav", Pour());
    mono("Up.wav", Up());
    mono("Down.wav", Down());
    mono("TryAgain.wav", TryAgain());
    stereo("TeamGone1.wav", Whoosh(true, 400, 2500, 221, false), 3);
    stereo("TeamGone2.wav", Whoosh(false, 250, 1500, 231, true), 3);
    mono("Joker.wav", Joker());
    mono("Skip.wav", Skip());
    mono("BigTeamsUp.wav", BigTeamsUp());
    mono("TimeOut.wav", TimeOut());
    mono("AnswerBuildUp.wav", AnswerBuildUp());
}
