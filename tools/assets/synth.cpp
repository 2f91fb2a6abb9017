#include "synth.h"

#include <algorithm>
#include <cmath>

void BandPass::Set(double centre, double q) {
    double w0 = 2 * M_PI * std::clamp(centre, 20.0, kRate * 0.45) / kRate;
    double alpha = std::sin(w0) / (2 * q);
    double a0 = 1 + alpha;
    b0 = alpha / a0;
    b2 = -alpha / a0;
    a1 = -2 * std::cos(w0) / a0;
    a2 = (1 - alpha) / a0;
}

float BandPass::Run(float x) {
    double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return float(y);
}

void LowPass::Set(double cutoff) {
    a = 1 - std::exp(-2 * M_PI * cutoff / kRate);
}

int Samples(double seconds) {
    return int(std::lround(seconds * kRate));
}

Wave Silence(double seconds) {
    return Wave(size_t(Samples(seconds)), 0.0f);
}

// Correction of a hard edge for band-limited saw and square waves.
static double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

static double Osc(Shape shape, double phase, double freq) {
    double p = phase - std::floor(phase);
    double dt = std::min(0.5, freq / kRate);
    switch (shape) {
        case Shape::Sine:
            return std::sin(2 * M_PI * p);
        case Shape::Triangle:
            return 1 - 4 * std::fabs(p - 0.5);
        case Shape::Saw:
            return 0.8 * (2 * p - 1 - PolyBlep(p, dt));
        case Shape::Square: {
            double q = p + 0.5 - std::floor(p + 0.5);
            return 0.7 * ((p < 0.5 ? 1 : -1) + PolyBlep(p, dt) - PolyBlep(q, dt));
        }
    }
    return 0;
}

void AddTone(Wave& w, double t0, double dur, double f0, double f1, Shape shape, double amp,
             double attack, double decay, double vibratoHz, double vibratoDepth) {
    int start = Samples(t0), n = Samples(dur), rel = Samples(0.005);
    double phase = 0;
    for (int i = 0; i < n && start + i < int(w.size()); ++i) {
        if (start + i < 0) continue;
        double t = double(i) / kRate;
        double f = f0 * std::pow(f1 / f0, t / dur);
        if (vibratoDepth > 0) f *= 1 + vibratoDepth * std::sin(2 * M_PI * vibratoHz * t);
        double env = attack > 0 ? std::min(1.0, t / attack) : 1.0;
        if (decay > 0) env *= std::exp(-decay * std::max(0.0, t - attack));
        if (i > n - rel) env *= double(n - i) / rel;
        w[start + i] += float(amp * env * Osc(shape, phase, f));
        phase += f / kRate;
    }
}

void AddBell(Wave& w, double t0, double f, double amp, double decay,
             const std::vector<double>& ratios, const std::vector<double>& gains) {
    int start = Samples(t0);
    int n = Samples(std::min(6.0, 7.0 / decay));
    for (size_t k = 0; k < ratios.size(); ++k) {
        double fk = f * ratios[k];
        if (fk > kRate * 0.45) continue;
        double dk = decay * (1 + 0.6 * double(k));
        for (int i = 0; i < n && start + i < int(w.size()); ++i) {
            double t = double(i) / kRate;
            double env = std::min(1.0, t / 0.002) * std::exp(-dk * t);
            w[start + i] += float(amp * gains[k] * env * std::sin(2 * M_PI * fk * t));
        }
    }
}

void AddNoise(Wave& w, double t0, double dur, double c0, double c1, double q, double amp,
              double attack, double decay, uint32_t seed) {
    Noise noise(seed);
    BandPass bp;
    int start = Samples(t0), n = Samples(dur), rel = Samples(0.01);
    for (int i = 0; i < n && start + i < int(w.size()); ++i) {
        double t = double(i) / kRate;
        if (i % 16 == 0) bp.Set(c0 * std::pow(c1 / c0, t / dur), q);
        double env = attack > 0 ? std::min(1.0, t / attack) : 1.0;
        if (decay > 0) env *= std::exp(-decay * std::max(0.0, t - attack));
        if (i > n - rel) env *= double(n - i) / rel;
        float x = bp.Run(noise.Next());
        if (start + i >= 0) w[start + i] += float(amp * env * x * 2.5);
    }
}

void AddVowel(Wave& w, double t0, double dur, double f0, double f1, const double formants[3],
              double amp, double attack, double release) {
    BandPass bp[3];
    const double gains[3] = {1.0, 0.6, 0.25};
    for (int k = 0; k < 3; ++k) bp[k].Set(formants[k], 6 + 2 * k);
    int start = Samples(t0), n = Samples(dur);
    double phase = 0;
    for (int i = 0; i < n && start + i < int(w.size()); ++i) {
        double t = double(i) / kRate;
        double f = f0 * std::pow(f1 / f0, t / dur) * (1 + 0.01 * std::sin(2 * M_PI * 5.5 * t));
        phase += f / kRate;
        double p = phase - std::floor(phase);
        // A glottal pulse: a saw with a soft edge.
        double src = (1 - 2 * p) * (p < 0.9 ? 1 : (1 - p) / 0.1);
        double y = 0;
        for (int k = 0; k < 3; ++k) y += gains[k] * bp[k].Run(float(src));
        double env = std::min(1.0, t / attack) * std::min(1.0, (dur - t) / release);
        w[start + i] += float(amp * env * y * 3);
    }
}

void AddKick(Wave& w, double t0, double amp) {
    int start = Samples(t0), n = Samples(0.25);
    double phase = 0;
    for (int i = 0; i < n && start + i < int(w.size()); ++i) {
        double t = double(i) / kRate;
        double f = 48 + 90 * std::exp(-t * 30);
        phase += f / kRate;
        w[start + i] += float(amp * std::exp(-t * 14) * std::sin(2 * M_PI * phase));
    }
}

void AddSnare(Wave& w, double t0, double amp, uint32_t seed) {
    AddNoise(w, t0, 0.18, 3000, 2500, 0.7, amp * 0.8, 0.001, 22, seed);
    AddTone(w, t0, 0.12, 200, 170, Shape::Sine, amp * 0.5, 0.001, 30);
}

void AddHat(Wave& w, double t0, double amp, uint32_t seed, double length) {
    AddNoise(w, t0, length + 0.02, 9000, 8000, 1.2, amp, 0.0005, 3 / length, seed);
}

std::vector<int16_t> ToPcm(const Wave& w, double peak, double fadeMs) {
    float top = 1e-9f;
    for (float s : w) top = std::max(top, std::fabs(s));
    double gain = peak / top;
    int fade = Samples(fadeMs / 1000);
    std::vector<int16_t> out(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        double g = gain;
        if (fade > 0) {
            if (int(i) < fade) g *= double(i) / fade;
            if (int(w.size() - 1 - i) < fade) g *= double(w.size() - 1 - i) / fade;
        }
        out[i] = int16_t(std::lround(std::clamp(w[i] * g, -1.0, 1.0) * 32767));
    }
    return out;
}

Wave MakeLoop(const Wave& w, double overlap) {
    int x = Samples(overlap);
    int len = int(w.size()) - x;
    Wave out(w.begin(), w.begin() + len);
    for (int i = 0; i < x; ++i) {
        double a = double(i) / x;
        out[i] = float(w[i] * std::sqrt(a) + w[len + i] * std::sqrt(1 - a));
    }
    return out;
}
