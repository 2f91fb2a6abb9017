// The two tunes, composed here and encoded as MP3: the main tune, a jaunty pub-piano number of
// 32 bars that loops after exactly 60 seconds, and a gentler waltz for the rules.
#include <lame.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "assets.h"
#include "synth.h"

namespace {
struct Track {
    Wave left, right;
    explicit Track(double seconds) : left(Silence(seconds)), right(Silence(seconds)) {}
};

// MIDI note number of a name such as "F#4" or "Bb3".
int Midi(const std::string& name) {
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int n = base[name[0] - 'A'];
    size_t i = 1;
    if (i < name.size() && name[i] == '#') n++, i++;
    if (i < name.size() && name[i] == 'b') n--, i++;
    return n + 12 * (std::stoi(name.substr(i)) + 1);
}

double Freq(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// Honky-tonk piano: two slightly detuned strings per note, partials decaying at their own rates.
void Piano(Track& tr, double t0, int midi, double vel, double pan, double hold) {
    double f = Freq(midi);
    int start = Samples(t0);
    double len = std::min(2.2, hold + 0.35);
    int n = Samples(len);
    const int kPartials = 6;
    const double gains[kPartials] = {1, 0.55, 0.3, 0.18, 0.1, 0.06};
    double gl = std::sqrt(1 - pan), gr = std::sqrt(pan);
    for (int string = 0; string < 2; ++string) {
        double detune = string == 0 ? 0.9985 : 1.0015;
        for (int k = 0; k < kPartials; ++k) {
            double fk = f * (k + 1) * detune * (1 + 0.0004 * k * k);
            if (fk > 16000) break;
            double w = 2 * M_PI * fk / kRate;
            double c = std::cos(w), s = std::sin(w);
            double x = 0, y = 1;  // rotating phasor
            double decay = std::exp(-(1.6 + 0.9 * k + f / 600) / kRate);
            double env = vel * gains[k] * 0.5;
            int release = Samples(hold);
            for (int i = 0; i < n && start + i < int(tr.left.size()); ++i) {
                double a = env * std::min(1.0, i / 40.0);
                if (i > release) a *= std::exp(-(i - release) / (0.06 * kRate));
                float v = float(a * x);
                tr.left[start + i] += float(v * gl);
                tr.right[start + i] += float(v * gr);
                double nx = x * c + y * s;
                y = y * c - x * s;
                x = nx;
                env *= decay;
            }
        }
    }
}

// A reed voice (accordion): two detuned saws through a low-pass, with a gentle vibrato.
void Reed(Track& tr, double t0, int midi, double dur, double amp, double pan) {
    Wave w = Silence(dur + 0.05);
    AddTone(w, 0, dur, Freq(midi) * 1.003, Freq(midi) * 1.003, Shape::Saw, amp, 0.03, 0.4, 5.2,
            0.004);
    AddTone(w, 0, dur, Freq(midi) * 0.997, Freq(midi) * 0.997, Shape::Saw, amp, 0.03, 0.4, 4.8,
            0.004);
    AddTone(w, 0, dur, Freq(midi) * 2, Freq(midi) * 2, Shape::Square, amp * 0.15, 0.03, 0.6);
    LowPass lp;
    lp.Set(2600);
    int start = Samples(t0);
    double gl = std::sqrt(1 - pan), gr = std::sqrt(pan);
    for (size_t i = 0; i < w.size() && start + i < tr.left.size(); ++i) {
        float v = lp.Run(w[i]);
        tr.left[start + i] += float(v * gl);
        tr.right[start + i] += float(v * gr);
    }
}

// Upright bass: a round pluck.
void Bass(Track& tr, double t0, int midi, double dur, double amp) {
    Wave w = Silence(dur + 0.1);
    AddTone(w, 0, dur, Freq(midi), Freq(midi), Shape::Sine, amp, 0.004, 2.5);
    AddTone(w, 0, dur, Freq(midi) * 2, Freq(midi) * 2, Shape::Sine, amp * 0.35, 0.004, 5);
    AddTone(w, 0, dur, Freq(midi) * 3, Freq(midi) * 3, Shape::Sine, amp * 0.12, 0.002, 9);
    int start = Samples(t0);
    for (size_t i = 0; i < w.size() && start + i < tr.left.size(); ++i) {
        tr.left[start + i] += w[i];
        tr.right[start + i] += w[i];
    }
}

void Drum(Track& tr, double t0, int kind, double amp, uint32_t seed) {
    Wave w = Silence(0.3);
    if (kind == 0) AddKick(w, 0, amp);
    if (kind == 1) AddNoise(w, 0, 0.16, 2600, 1800, 0.6, amp * 0.7, 0.004, 14, seed);  // brush
    if (kind == 2) AddHat(w, 0, amp, seed, 0.03);
    double pan = kind == 2 ? 0.65 : 0.5;
    int start = Samples(t0);
    for (size_t i = 0; i < w.size() && start + i < tr.left.size(); ++i) {
        tr.left[start + i] += float(w[i] * std::sqrt(1 - pan));
        tr.right[start + i] += float(w[i] * std::sqrt(pan));
    }
}

std::vector<int> Chord(const std::string& name) {
    if (name == "G") return {Midi("G3"), Midi("B3"), Midi("D4")};
    if (name == "C") return {Midi("C4"), Midi("E4"), Midi("G4")};
    if (name == "Em") return {Midi("E3"), Midi("G3"), Midi("B3")};
    if (name == "Am") return {Midi("A3"), Midi("C4"), Midi("E4")};
    if (name == "A7") return {Midi("A3"), Midi("C#4"), Midi("E4"), Midi("G4")};
    if (name == "D7") return {Midi("D4"), Midi("F#4"), Midi("A3"), Midi("C4")};
    if (name == "D") return {Midi("D4"), Midi("F#4"), Midi("A3")};
    if (name == "E7") return {Midi("E3"), Midi("G#3"), Midi("B3"), Midi("D4")};
    return {Midi("G3"), Midi("B3"), Midi("D4")};
}

int Root(const std::string& name) {
    std::string r = name.substr(0, name[1] == '#' || name[1] == 'b' ? 2 : 1);
    return Midi(r + "2");
}

struct Bar {
    const char* chords;  // one chord, or two for the two halves of the bar
    const char* melody;  // NOTE:beats tokens; r is a rest
};

// The main tune: AABA in G major, 32 bars.
const Bar kA[8] = {
    {"G", "D5:1 B4:.5 G4:.5 B4:1 D5:1"},  {"G", "G5:1.5 F#5:.5 E5:1 D5:1"},
    {"C", "E5:1 C5:.5 E5:.5 G5:1 E5:1"},  {"G", "D5:2 B4:1 r:1"},
    {"Em", "E5:1 G5:.5 E5:.5 B4:1 E5:1"}, {"A7", "C#5:1 E5:.5 C#5:.5 A4:1 G5:1"},
    {"D7", "F#5:1.5 E5:.5 D5:1 C5:1"},    {"D7", "A4:2 r:1 D5:1"},
};
const Bar kA2End[4] = {
    {"C", "E5:1 G5:.5 E5:.5 C5:1 E5:1"},
    {"G", "D5:1 B4:.5 D5:.5 G5:2"},
    {"D7", "F#5:1 A5:1 F#5:.5 E5:.5 D5:.5 C5:.5"},
    {"G", "B4:2 G4:1 r:1"},
};
const Bar kB[8] = {
    {"C", "E5:.5 F#5:.5 G5:1 G5:1 E5:1"},  {"C", "C6:1.5 B5:.5 A5:1 G5:1"},
    {"G", "D5:.5 E5:.5 G5:1 G5:1 B4:1"},   {"G", "D5:3 r:1"},
    {"A7", "C#5:.5 D5:.5 E5:1 A5:1 G5:1"}, {"A7", "E5:1.5 C#5:.5 A4:2"},
    {"D", "F#5:1 E5:.5 D5:.5 A5:1 F#5:1"}, {"D7", "A5:1 G5:1 F#5:1 C5:1"},
};
const Bar kA3End[4] = {
    {"C", "E5:1 G5:.5 E5:.5 C6:1 A5:1"},
    {"G E7", "G5:1 D5:.5 B4:.5 G5:2"},
    {"A7 D7", "A5:1 F#5:.5 D5:.5 E5:1 F#5:1"},
    {"G D7", "G5:2 r:1 D5:1"},
};

std::vector<Bar> MainTuneBars() {
    std::vector<Bar> bars(kA, kA + 8);
    bars.insert(bars.end(), kA, kA + 4);
    bars.insert(bars.end(), kA2End, kA2End + 4);
    bars.insert(bars.end(), kB, kB + 8);
    bars.insert(bars.end(), kA, kA + 4);
    bars.insert(bars.end(), kA3End, kA3End + 4);
    return bars;
}

std::vector<std::string> Split(const std::string& s) {
    std::stringstream ss(s);
    std::vector<std::string> out;
    std::string t;
    while (ss >> t) out.push_back(t);
    return out;
}

// Plays one bar of the main tune starting at t (seconds), `beat` seconds a beat.
void PlayBar(Track& tr, const Bar& bar, double t, double beat, int barIndex) {
    std::vector<std::string> chords = Split(bar.chords);
    for (int b = 0; b < 4; ++b) {
        const std::string& ch = chords[chords.size() == 1 ? 0 : b / 2];
        double tb = t + b * beat;
        std::vector<int> notes = Chord(ch);
        if (b % 2 == 0) {
            // Oom: the root (beat 1) or the fifth (beat 3), low.
            int bass = Root(ch) + (b == 2 && chords.size() == 1 ? 7 : 0);
            Piano(tr, tb, bass + 12, 0.55, 0.4, beat * 0.9);
            Bass(tr, tb, bass, beat * 0.95, 0.42);
            Drum(tr, tb, 0, 0.55, 0);
        } else {
            // Pah: the chord, short.
            for (int n : notes) Piano(tr, tb, n, 0.26, 0.55, beat * 0.45);
            Drum(tr, tb, 1, 0.25, uint32_t(barIndex * 8 + b));
        }
        Drum(tr, tb, 2, 0.10, uint32_t(barIndex * 16 + b * 2 + 1000));
        Drum(tr, tb + beat * 0.62, 2, 0.06, uint32_t(barIndex * 16 + b * 2 + 1001));
    }
    double pos = t;
    for (const std::string& tok : Split(bar.melody)) {
        size_t colon = tok.find(':');
        std::string name = tok.substr(0, colon);
        double beats = std::stod(tok.substr(colon + 1));
        double start = pos;
        double len = beats * beat;
        if (name != "r") {
            Reed(tr, start, Midi(name), len * 0.92, 0.085, 0.45);
            Piano(tr, start, Midi(name) + 12, 0.12, 0.6, len * 0.8);
        }
        pos += len;
    }
}

Track MainTune() {
    // 128 beats a minute, 4 beats a bar: 32 bars take exactly 60 s. The file holds the 32 bars
    // and the first two again, and starts with the ringing-out of the last bar, so that any
    // 60-second stretch of it loops without a seam.
    const double beat = 60.0 / 128.0, barLen = 4 * beat;
    std::vector<Bar> bars = MainTuneBars();
    const int kExtra = 2;
    Track full(barLen * (bars.size() + kExtra + 1) + 1);
    for (int i = -1; i < int(bars.size()) + kExtra; ++i) {
        int b = (i + int(bars.size())) % int(bars.size());
        PlayBar(full, bars[b], barLen * (i + 1), beat, b);
    }
    int skip = Samples(barLen);
    int keep = Samples(barLen * (bars.size() + kExtra));
    Track out(0);
    out.left.assign(full.left.begin() + skip, full.left.begin() + skip + keep);
    out.right.assign(full.right.begin() + skip, full.right.begin() + skip + keep);
    return out;
}

Track RulesTune() {
    // A waltz in D: arpeggiated piano over a bass, melody from the chord tones.
    const double beat = 0.5;
    const char* chords[16] = {"D", "D", "G",  "D",  "Em", "A7", "D",  "A7",
                              "G", "D", "Em", "A7", "D",  "G",  "A7", "D"};
    Track tr(16 * 3 * beat + 2.0);
    for (int bar = 0; bar < 16; ++bar) {
        std::string ch = chords[bar];
        std::vector<int> notes = Chord(ch == "D" ? "D" : ch);
        double t = bar * 3 * beat;
        Bass(tr, t, Root(ch), beat * 2.5, 0.4);
        Piano(tr, t, Root(ch) + 12, 0.4, 0.4, beat * 2.5);
        for (int b = 1; b < 3; ++b)
            for (int n : notes) Piano(tr, t + b * beat, n, 0.18, 0.55, beat * 0.8);
        // Melody: a chord tone an octave up, stepping through the chord.
        int top = notes[(bar * 2) % notes.size()] + 12;
        int next = notes[(bar * 2 + 1) % notes.size()] + 12;
        Piano(tr, t, top, 0.3, 0.6, beat * 1.8);
        Piano(tr, t + 2 * beat, next, 0.25, 0.6, beat * 0.9);
        Reed(tr, t, top, beat * 2, 0.05, 0.5);
        Reed(tr, t + 2 * beat, next, beat, 0.05, 0.5);
    }
    return tr;
}

bool EncodeMp3(const Track& tr, Bytes& out) {
    lame_global_flags* gf = lame_init();
    if (!gf) return false;
    lame_set_in_samplerate(gf, kRate);
    lame_set_out_samplerate(gf, kRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_brate(gf, 128);
    lame_set_quality(gf, 5);
    lame_set_bWriteVbrTag(gf, 0);
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return false;
    }
    Wave both(tr.left.size() * 2);
    for (size_t i = 0; i < tr.left.size(); ++i) {
        both[2 * i] = tr.left[i];
        both[2 * i + 1] = tr.right[i];
    }
    std::vector<int16_t> pcm = ToPcm(both, 0.8, 0);
    int frames = int(tr.left.size());
    out.assign(size_t(1.25 * frames + 7200), 0);
    int n = lame_encode_buffer_interleaved(gf, pcm.data(), frames, out.data(), int(out.size()));
    if (n < 0) {
        lame_close(gf);
        return false;
    }
    Bytes tail(7200);
    int m = lame_encode_flush(gf, tail.data(), int(tail.size()));
    lame_close(gf);
    if (m < 0) return false;
    out.resize(size_t(n));
    out.insert(out.end(), tail.begin(), tail.begin() + m);
    return true;
}
}  // namespace

bool MakeTunes(std::vector<Sound>& out) {
    Bytes main, rules;
    if (!EncodeMp3(MainTune(), main) || !EncodeMp3(RulesTune(), rules)) {
        std::fprintf(stderr, "brindlemark-assets: the MP3 encoder failed\n");
        return false;
    }
    out.push_back({"sounds/MainTune.mp3", std::move(main)});
    out.push_back({"sounds/Rules.mp3", std::move(rules)});
    return true;
}
