// Every sound of the game, synthesised: a formant voice for the Wanderer's
// grumbles, noise and oscillators for the effects, and two little tunes that
// loop seamlessly (notes that run past the end wrap round to the start).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "canvas.h"
#include "files.h"

namespace art {
namespace {

constexpr int kRate = 22050;
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2 * kPi;

using Samples = std::vector<float>;

int Len(float seconds) { return static_cast<int>(std::lround(seconds * kRate)); }

// RBJ biquad, coefficients settable per block.
struct Biquad {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
    void BandPass(float freq, float q) {
        float w = kTwoPi * std::min(freq, kRate * 0.45f) / kRate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
        b0 = alpha / a0;
        b1 = 0;
        b2 = -alpha / a0;
        a1 = -2 * std::cos(w) / a0;
        a2 = (1 - alpha) / a0;
    }
    void LowPass(float freq, float q) {
        float w = kTwoPi * std::min(freq, kRate * 0.45f) / kRate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha, c = std::cos(w);
        b0 = (1 - c) / 2 / a0;
        b1 = (1 - c) / a0;
        b2 = b0;
        a1 = -2 * c / a0;
        a2 = (1 - alpha) / a0;
    }
    void HighPass(float freq, float q) {
        float w = kTwoPi * std::min(freq, kRate * 0.45f) / kRate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha, c = std::cos(w);
        b0 = (1 + c) / 2 / a0;
        b1 = -(1 + c) / a0;
        b2 = b0;
        a1 = -2 * c / a0;
        a2 = (1 - alpha) / a0;
    }
    float Run(float x) {
        float y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// ---- levels ----
//
// Every sound is made at whatever level its synthesis gives and set to its
// level at the end. The mix must never clip: the loudest moment of the music
// with the two loudest effects at their peaks on top of it stays below
// -1 dBFS. Effects share one loudness, the two tunes another.

float Decibels(float gain) { return 20 * std::log10(gain); }
float Gain(float decibels) { return std::pow(10.f, decibels / 20); }

float Rms(const Samples& s, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) sum += double(s[i]) * s[i];
    return count ? static_cast<float>(std::sqrt(sum / double(count))) : 0.f;
}

// An effect's loudness: the RMS of its loudest 400 ms.
float LoudestMoment(const Samples& s) {
    const std::size_t window = std::min(s.size(), static_cast<std::size_t>(Len(0.4f)));
    float loudest = 0;
    for (std::size_t at = 0; at + window <= s.size(); at += static_cast<std::size_t>(Len(0.01f)))
        loudest = std::max(loudest, Rms(s, at, window));
    return loudest;
}

// A tune's loudness: the RMS of the whole loop.
float Overall(const Samples& s) { return Rms(s, 0, s.size()); }

// Rounds off every peak above 70 % of the ceiling (3 dB below it) so that
// none reaches it; what lies below is untouched.
void Limit(Samples& s, float ceiling) {
    const float knee = ceiling * 0.7f, room = ceiling - knee;
    for (float& v : s) {
        const float a = std::fabs(v);
        if (a > knee) v = std::copysign(knee + room * std::tanh((a - knee) / room), v);
    }
}

// Brings `loudness(s)` to `target` dBFS with no peak at or above `ceiling`
// dBFS: rounding off the peaks takes a little loudness, which the next round
// gives back.
void SetLevel(Samples& s, float (*loudness)(const Samples&), float target, float ceiling) {
    for (int round = 0; round < 4; ++round) {
        const float now = loudness(s);
        if (now <= 0) return;
        for (float& v : s) v *= Gain(target) / now;
        Limit(s, Gain(ceiling));
    }
}

// The music's ceiling and twice an effect's add up to -1.6 dBFS, which leaves
// room for the resampler's overshoot between samples. Effects and tunes are
// equally loud; most effects peak 10 to 14 dB above their loudness, the box
// being eaten 20 dB, so the ceiling rounds off only their sharpest peaks.
constexpr float kEffectLoudness = -22.5f;
constexpr float kEffectCeiling = -11.f;
constexpr float kTuneLoudness = -22.5f;
constexpr float kTuneCeiling = -11.5f;

// Short fades so no sound starts or stops with a click.
void Fade(Samples& s, float in, float out) {
    int a = Len(in), b = Len(out);
    for (int i = 0; i < a && i < static_cast<int>(s.size()); ++i) s[static_cast<std::size_t>(i)] *= static_cast<float>(i) / static_cast<float>(a);
    for (int i = 0; i < b && i < static_cast<int>(s.size()); ++i)
        s[s.size() - 1 - static_cast<std::size_t>(i)] *= static_cast<float>(i) / static_cast<float>(b);
}

void AddAt(Samples& to, const Samples& from, int at, float gain = 1, bool wrap = false) {
    for (std::size_t i = 0; i < from.size(); ++i) {
        long k = at + static_cast<long>(i);
        if (wrap) k %= static_cast<long>(to.size());
        if (k >= 0 && k < static_cast<long>(to.size())) to[static_cast<std::size_t>(k)] += from[i] * gain;
    }
}

// ---- the formant voice ----

struct Vowel {
    float f1, f2, f3;
};
Vowel VowelOf(char v) {
    switch (v) {
        case 'a': return {700, 1150, 2450};
        case 'o': return {520, 860, 2400};
        case 'u': return {330, 800, 2250};
        case 'e': return {500, 1750, 2450};
        case 'i': return {300, 2150, 2900};
        case 'm': return {260, 1100, 2300};  // nasal hum
        default: return {480, 1400, 2400};    // neutral "uh"
    }
}

// One phone: what the voice does over `dur` seconds.
struct Phone {
    char kind;     // vowel letter, 'm'/'n' hum, 'r' trill, consonants 's','f','x'(sh),'h','k','t','g','b','d','_' (silence)
    char vowel;    // vowel colour for voiced parts
    float dur;
    float f0a, f0b;  // pitch from, to (Hz)
    float amp;
};

struct VoiceParams {
    float f0 = 120, voice = 0, noise = 0, noiseFreq = 3000, noiseQ = 1.5f, aspiration = 0, trill = 0;
    Vowel formants{480, 1400, 2400};
};

Samples Speak(const std::vector<Phone>& phones, std::uint32_t seed, float grit = 1.0f) {
    // Key points at each phone's start, then linear glides between them.
    struct Key {
        int at;
        VoiceParams p;
    };
    std::vector<Key> keys;
    int t = 0;
    for (const Phone& ph : phones) {
        VoiceParams p;
        p.f0 = ph.f0a;
        p.formants = VowelOf(ph.vowel);
        switch (ph.kind) {
            case 'a': case 'o': case 'u': case 'e': case 'i': case '@':
                p.voice = ph.amp;
                p.aspiration = 0.08f * ph.amp;
                p.formants = VowelOf(ph.kind);
                break;
            case 'm': case 'n': case 'l':
                p.voice = ph.amp * 0.6f;
                p.formants = VowelOf(ph.kind == 'l' ? 'o' : 'm');
                break;
            case 'r':
                p.voice = ph.amp * 0.8f;
                p.trill = 1;
                p.formants = VowelOf('@');
                break;
            case 's': p.noise = ph.amp * 0.5f; p.noiseFreq = 5200; p.noiseQ = 2; break;
            case 'x': p.noise = ph.amp * 0.6f; p.noiseFreq = 2600; p.noiseQ = 2; break;
            case 'f': p.noise = ph.amp * 0.35f; p.noiseFreq = 1800; p.noiseQ = 0.7f; break;
            case 'h': p.aspiration = ph.amp * 0.5f; break;
            case 'k': case 't': p.noise = ph.amp * 0.8f; p.noiseFreq = ph.kind == 'k' ? 1700 : 4000; p.noiseQ = 1.2f; break;
            case 'g': case 'b': case 'd':
                p.voice = ph.amp * 0.35f;
                p.noise = ph.amp * 0.3f;
                p.noiseFreq = ph.kind == 'g' ? 1500 : (ph.kind == 'b' ? 700 : 3200);
                p.formants = VowelOf('u');
                break;
            default: break;  // silence
        }
        keys.push_back({t, p});
        VoiceParams end = p;
        end.f0 = ph.f0b;
        t += Len(ph.dur);
        keys.push_back({t - 1, end});
    }
    Samples out(static_cast<std::size_t>(t), 0.f);
    Random rnd(seed);
    Biquad f1, f2, f3, nf, asp1, asp2;
    float phase = 0, jitter = 0, smooth = 0, lastFlow = 0;
    std::size_t k = 0;
    VoiceParams p;
    for (int i = 0; i < t; ++i) {
        while (k + 1 < keys.size() && keys[k + 1].at <= i) ++k;
        const Key& a = keys[k];
        const Key& b = keys[std::min(k + 1, keys.size() - 1)];
        float u = b.at > a.at ? static_cast<float>(i - a.at) / static_cast<float>(b.at - a.at) : 0;
        // Glide quickly between phones, so consonants stay crisp.
        float g = Clamp01(u);
        auto lerp = [g](float x, float y) { return x + (y - x) * g; };
        p.f0 = lerp(a.p.f0, b.p.f0);
        // Target amplitudes are smoothed for a natural attack.
        float target = a.p.voice;
        smooth += (target - smooth) * 0.004f;
        p.noise = a.p.noise;
        p.aspiration = a.p.aspiration;
        p.trill = a.p.trill;
        p.formants = {lerp(a.p.formants.f1, b.p.formants.f1), lerp(a.p.formants.f2, b.p.formants.f2),
                      lerp(a.p.formants.f3, b.p.formants.f3)};
        if (i % 32 == 0) {
            f1.BandPass(p.formants.f1 * 0.92f, 6);
            f2.BandPass(p.formants.f2 * 0.92f, 9);
            f3.BandPass(p.formants.f3 * 0.92f, 11);
            nf.BandPass(a.p.noiseFreq, a.p.noiseQ);
            asp1.BandPass(p.formants.f1, 3);
            asp2.BandPass(p.formants.f2, 4);
        }
        jitter += (rnd.Range(-1, 1) - jitter) * 0.02f;
        float f0 = p.f0 * (1 + 0.03f * jitter * grit);
        phase += f0 / kRate;
        if (phase >= 1) phase -= 1;
        // Rosenberg glottal flow, slow to open and quick to close; its
        // derivative excites the tract, rich in harmonics like a real voice.
        float flow = phase < 0.4f ? 0.5f * (1 - std::cos(kPi * phase / 0.4f))
                                  : (phase < 0.56f ? std::cos(kPi * 0.5f * (phase - 0.4f) / 0.16f) : 0.f);
        float source = (flow - lastFlow) * 18.f;
        lastFlow = flow;
        float trill = p.trill > 0 ? 0.55f + 0.45f * std::sin(kTwoPi * 26.f * static_cast<float>(i) / kRate) : 1.f;
        float voiced = source * smooth * trill;
        float noise = rnd.Range(-1, 1);
        float formant = f1.Run(voiced) * 1.0f + f2.Run(voiced) * 0.6f + f3.Run(voiced) * 0.25f;
        float breath = (asp1.Run(noise) + asp2.Run(noise) * 0.5f) * p.aspiration;
        float hiss = nf.Run(noise) * p.noise;
        float s = formant * 2.2f + breath + hiss;
        // A little grit from soft saturation; too much turns the voice to noise.
        out[static_cast<std::size_t>(i)] = std::tanh(s * (0.35f + 0.25f * grit));
    }
    // Low, chesty voice: a gentle low-pass takes the edge off.
    Biquad lp;
    lp.LowPass(4200, 0.7f);
    for (float& v : out) v = lp.Run(v);
    return out;
}

Samples Fit(Samples s, float seconds) {
    s.resize(static_cast<std::size_t>(Len(seconds)), 0.f);
    Fade(s, 0.004f, 0.03f);
    return s;
}

// Four swears in the Wanderer's own gibberish.
Samples Swear1() {  // "grumbl-DASH!"
    return Fit(Speak({{'g', 'u', 0.03f, 115, 115, 0.8f}, {'u', 'u', 0.11f, 118, 104, 0.8f}, {'m', 'm', 0.07f, 104, 100, 0.7f},
                      {'b', 'u', 0.02f, 100, 100, 0.7f}, {'l', 'o', 0.05f, 110, 120, 0.8f}, {'a', 'a', 0.15f, 165, 112, 1.0f},
                      {'x', 'a', 0.1f, 110, 110, 0.9f}, {'_', 'a', 0.03f, 100, 100, 0}},
                     140, 1.0f),
               0.56f);
}
Samples Swear2() {  // "FRAK-ush!"
    return Fit(Speak({{'f', 'a', 0.05f, 150, 150, 0.9f}, {'r', 'a', 0.05f, 150, 160, 0.9f}, {'a', 'a', 0.12f, 172, 128, 1.0f},
                      {'k', 'a', 0.04f, 120, 120, 1.0f}, {'@', '@', 0.07f, 125, 110, 0.7f}, {'x', 'u', 0.08f, 110, 110, 0.8f},
                      {'_', 'a', 0.02f, 100, 100, 0}},
                     143, 1.1f),
               0.43f);
}
Samples Swear3() {  // "bah! hrmm-BOTHERa"
    return Fit(Speak({{'b', 'a', 0.02f, 130, 130, 0.8f}, {'a', 'a', 0.13f, 140, 98, 0.9f}, {'_', 'a', 0.06f, 100, 100, 0},
                      {'h', 'a', 0.04f, 100, 100, 0.7f}, {'r', 'u', 0.05f, 102, 106, 0.8f}, {'m', 'm', 0.12f, 108, 94, 0.8f},
                      {'b', 'o', 0.02f, 120, 120, 0.8f}, {'o', 'o', 0.1f, 152, 124, 1.0f}, {'d', 'e', 0.02f, 120, 120, 0.8f},
                      {'e', 'e', 0.06f, 122, 96, 0.8f}, {'r', '@', 0.05f, 96, 90, 0.6f}},
                     144, 0.9f),
               0.65f);
}
Samples Swear4() {  // "blast'n-DRAT!"
    return Fit(Speak({{'b', 'a', 0.02f, 135, 135, 0.8f}, {'l', 'a', 0.04f, 135, 140, 0.7f}, {'a', 'a', 0.11f, 145, 125, 0.9f},
                      {'s', 'a', 0.07f, 125, 125, 0.8f}, {'t', 'a', 0.02f, 120, 120, 0.6f}, {'n', 'm', 0.06f, 112, 108, 0.7f},
                      {'d', 'a', 0.02f, 130, 130, 0.8f}, {'r', 'a', 0.04f, 140, 160, 0.9f}, {'a', 'a', 0.12f, 178, 118, 1.0f},
                      {'t', 'a', 0.04f, 110, 110, 1.0f}, {'_', 'a', 0.02f, 100, 100, 0}},
                     145, 1.2f),
               0.57f);
}

Samples FallAsleep() {  // a yawn that sinks into a snore
    Samples yawn = Speak({{'h', 'a', 0.05f, 170, 170, 0.6f}, {'a', 'a', 0.18f, 180, 240, 0.8f}, {'o', 'o', 0.12f, 230, 120, 0.7f},
                          {'m', 'm', 0.06f, 115, 100, 0.4f}},
                         141, 0.6f);
    Samples out(static_cast<std::size_t>(Len(0.66f)), 0.f);
    AddAt(out, yawn, 0, 0.8f);
    // Snore: a low rattling inhale.
    Random rnd(41);
    Biquad lp;
    lp.LowPass(420, 1.2f);
    int start = Len(0.40f), n = Len(0.26f);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(n);
        float env = std::sin(kPi * t) * 0.9f;
        float rattle = 0.5f + 0.5f * std::sin(kTwoPi * 34.f * static_cast<float>(i) / kRate);
        float v = lp.Run(rnd.Range(-1, 1)) * 3.0f * rattle + 0.3f * std::sin(kTwoPi * 62.f * static_cast<float>(i) / kRate) * rattle;
        out[static_cast<std::size_t>(start + i)] += v * env;
    }
    return Fit(out, 0.66f);
}

Samples Gulp() {
    Samples out(static_cast<std::size_t>(Len(0.47f)), 0.f);
    Random rnd(42);
    for (int g = 0; g < 3; ++g) {
        int start = Len(0.02f + 0.13f * static_cast<float>(g));
        int n = Len(0.09f);
        float phase = 0;
        Biquad click;
        click.BandPass(1400, 2);
        for (int i = 0; i < n; ++i) {
            float t = static_cast<float>(i) / static_cast<float>(n);
            float f = 460 * std::pow(0.32f, t) + 90;
            phase += kTwoPi * f / kRate;
            float env = std::min(1.f, t * 30) * std::pow(1 - t, 1.5f);
            float v = std::sin(phase) * env + click.Run(rnd.Range(-1, 1)) * (t < 0.08f ? 1.5f : 0.f);
            out[static_cast<std::size_t>(start + i)] += v * (g == 2 ? 0.7f : 1.f);
        }
    }
    Samples ah = Speak({{'h', 'a', 0.03f, 130, 130, 0.5f}, {'a', 'a', 0.06f, 140, 120, 0.5f}}, 142, 0.4f);
    AddAt(out, ah, Len(0.38f), 0.5f);
    return Fit(out, 0.47f);
}

Samples Rage() {
    Samples growl = Speak({{'g', 'u', 0.05f, 90, 90, 0.8f}, {'r', '@', 0.35f, 88, 100, 0.9f}, {'a', 'a', 0.7f, 110, 150, 1.0f},
                           {'a', 'a', 0.45f, 150, 120, 1.0f}, {'o', 'o', 0.3f, 120, 80, 0.8f}, {'h', 'o', 0.15f, 80, 80, 0.4f}},
                          146, 2.2f);
    Samples out(static_cast<std::size_t>(Len(2.0f)), 0.f);
    AddAt(out, growl, 0);
    // Rumble of the temper boiling over, with a vibrato shake.
    Random rnd(46);
    Biquad lp;
    lp.LowPass(180, 0.9f);
    for (std::size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float env = Clamp01(t / 0.8f) * Clamp01((2.0f - t) / 0.4f);
        out[i] = out[i] * (0.75f + 0.25f * std::sin(kTwoPi * 7.f * t)) + lp.Run(rnd.Range(-1, 1)) * 0.9f * env;
    }
    return Fit(out, 2.0f);
}

Samples EatBox() {
    Samples out(static_cast<std::size_t>(Len(1.73f)), 0.f);
    Random rnd(47);
    for (int chew = 0; chew < 7; ++chew) {
        int start = Len(0.04f + 0.235f * static_cast<float>(chew));
        int n = Len(0.15f);
        Biquad bp;
        bp.BandPass(rnd.Range(900, 2600), 1.3f);
        for (int i = 0; i < n; ++i) {
            float t = static_cast<float>(i) / static_cast<float>(n);
            float env = std::min(1.f, t * 40) * std::pow(1 - t, 2.2f);
            // Crackle: sparse hard impulses within the crunch.
            float crackle = rnd.Unit() < 0.06f ? rnd.Range(-1, 1) * 2.5f : 0.f;
            float thump = std::sin(kTwoPi * 85.f * static_cast<float>(i) / kRate) * std::max(0.f, 1 - t * 5);
            out[static_cast<std::size_t>(start + i)] += (bp.Run(rnd.Range(-1, 1) + crackle) * 2.2f + thump * 0.6f) * env;
        }
        if (chew % 2 == 1) {
            Samples hum = Speak({{'m', 'm', 0.08f, 118, 108, 0.5f}}, 470u + static_cast<std::uint32_t>(chew), 0.3f);
            AddAt(out, hum, start + Len(0.14f), 0.35f);
        }
    }
    return Fit(out, 1.73f);
}

Samples SpectreTouch() {
    Samples out(static_cast<std::size_t>(Len(2.07f)), 0.f);
    Random rnd(48);
    // A cold whoosh falling through the spectrum.
    Biquad bp;
    for (int i = 0; i < Len(1.1f); ++i) {
        float t = static_cast<float>(i) / kRate;
        if (i % 32 == 0) bp.BandPass(3200 * std::pow(0.12f, t / 1.1f) + 250, 3);
        float env = Clamp01(t / 0.05f) * Clamp01((1.1f - t) / 0.6f);
        out[static_cast<std::size_t>(i)] += bp.Run(rnd.Range(-1, 1)) * 1.6f * env;
    }
    // His startled "oof, hrrm".
    Samples oof = Speak({{'o', 'o', 0.12f, 170, 140, 0.9f}, {'f', 'u', 0.06f, 140, 140, 0.7f}, {'_', 'a', 0.1f, 100, 100, 0},
                         {'h', 'u', 0.04f, 110, 110, 0.5f}, {'r', 'u', 0.1f, 110, 100, 0.7f}, {'m', 'm', 0.16f, 104, 92, 0.6f}},
                        148, 1.0f);
    AddAt(out, oof, Len(0.08f), 0.9f);
    // The spectre's wail, detuned voices drifting down.
    for (int v = 0; v < 3; ++v) {
        float phase = 0, det = 1 + 0.012f * static_cast<float>(v - 1);
        int start = Len(0.35f), n = Len(1.7f);
        for (int i = 0; i < n; ++i) {
            float t = static_cast<float>(i) / kRate;
            float f = (640 - 260 * Clamp01(t / 1.5f)) * det * (1 + 0.02f * std::sin(kTwoPi * 5.5f * t));
            phase += kTwoPi * f / kRate;
            float env = Clamp01(t / 0.3f) * Clamp01((1.7f - t) / 0.8f);
            out[static_cast<std::size_t>(start + i)] += (std::sin(phase) + 0.2f * std::sin(2 * phase)) * env * 0.22f;
        }
    }
    return Fit(out, 2.07f);
}

Samples SpectreAppear() {
    const float total = 1.84f;
    Samples out(static_cast<std::size_t>(Len(total)), 0.f);
    Random rnd(50);
    // A shimmering chord that rises as the figure forms.
    const float partials[] = {660, 990, 1320, 1760, 2220};
    for (int p = 0; p < 5; ++p) {
        float phase = 0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            float t = static_cast<float>(i) / kRate;
            float f = partials[p] * (1 + 0.25f * Clamp01(t / 1.2f)) * (1 + 0.006f * std::sin(kTwoPi * (4.f + static_cast<float>(p)) * t));
            phase += kTwoPi * f / kRate;
            float trem = 0.6f + 0.4f * std::sin(kTwoPi * 9.f * t + static_cast<float>(p));
            float env = Clamp01(t / 0.35f) * Clamp01((total - t) / 0.7f);
            out[i] += std::sin(phase) * trem * env * (0.3f / static_cast<float>(p + 1));
        }
    }
    // Sparkling pings.
    for (int k = 0; k < 22; ++k) {
        int start = Len(rnd.Range(0.02f, total - 0.25f));
        float f = rnd.Range(2200, 5200), phase = 0;
        int n = Len(0.12f);
        for (int i = 0; i < n; ++i) {
            float t = static_cast<float>(i) / static_cast<float>(n);
            phase += kTwoPi * f / kRate;
            out[static_cast<std::size_t>(start + i)] += std::sin(phase) * std::pow(1 - t, 3.f) * 0.18f;
        }
    }
    // A hollow "ooo" underneath.
    float phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        phase += kTwoPi * (220 + 80 * Clamp01(t / 1.4f)) * (1 + 0.015f * std::sin(kTwoPi * 5 * t)) / kRate;
        float env = Clamp01((t - 0.2f) / 0.4f) * Clamp01((total - t) / 0.6f);
        out[i] += std::sin(phase) * env * 0.2f;
    }
    return Fit(out, total);
}

// ---- tunes ----

float MidiToHz(int note) { return 440.f * std::pow(2.f, static_cast<float>(note - 69) / 12.f); }

int NoteNumber(const std::string& name) {
    static const int steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int n = steps[name[0] - 'A'];
    std::size_t i = 1;
    if (i < name.size() && name[i] == '#') ++n, ++i;
    if (i < name.size() && name[i] == 'b') --n, ++i;
    int octave = name[i] - '0';
    return 12 * (octave + 1) + n;
}

enum class Voice { Lead, Bass, Pluck, Tuba };

Samples Note(Voice voice, float hz, float seconds, Random& rnd) {
    float release = voice == Voice::Pluck ? 0.25f : 0.09f;
    int n = Len(seconds + release);
    Samples s(static_cast<std::size_t>(n));
    float phase = 0, lp = 0, lp2 = 0;
    float start = rnd.Range(0, 1);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float vib = voice == Voice::Lead ? 1 + 0.006f * std::sin(kTwoPi * 5.5f * t) * Clamp01((t - 0.15f) / 0.2f) : 1.f;
        phase += hz * vib / kRate;
        float ph = std::fmod(phase + start, 1.f);
        float v = 0, env = 1;
        switch (voice) {
            case Voice::Lead: {
                // Soft square and sine: a mellow whistle-reed.
                float sq = ph < 0.5f ? 1.f : -1.f;
                v = 0.45f * sq + 0.8f * std::sin(kTwoPi * ph);
                env = Clamp01(t / 0.012f) * (0.75f + 0.25f * std::exp(-t * 8));
                break;
            }
            case Voice::Bass:
            case Voice::Tuba: {
                float tri = 4 * std::fabs(ph - 0.5f) - 1;
                v = tri + 0.35f * std::sin(kTwoPi * ph * 2);
                env = Clamp01(t / 0.01f) * (0.6f + 0.4f * std::exp(-t * 6));
                break;
            }
            case Voice::Pluck: {
                float saw = 2 * ph - 1;
                v = saw;
                env = Clamp01(t / 0.003f) * std::exp(-t * 9);
                break;
            }
        }
        if (t > seconds) env *= Clamp01(1 - (t - seconds) / release);
        // Tame the brightness with two one-pole low-passes.
        float cut = voice == Voice::Lead ? 0.35f : (voice == Voice::Pluck ? 0.25f : 0.12f);
        lp += (v - lp) * cut;
        lp2 += (lp - lp2) * cut;
        s[static_cast<std::size_t>(i)] = lp2 * env;
    }
    return s;
}

Samples Kick() {
    Samples s(static_cast<std::size_t>(Len(0.22f)));
    float phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        phase += kTwoPi * (48 + 110 * std::exp(-t * 30)) / kRate;
        s[i] = std::sin(phase) * std::exp(-t * 14) * Clamp01(t / 0.002f);
    }
    return s;
}

Samples Snare(Random& rnd) {
    Samples s(static_cast<std::size_t>(Len(0.18f)));
    Biquad bp;
    bp.BandPass(2200, 0.8f);
    float phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        phase += kTwoPi * 190 / kRate;
        s[i] = (bp.Run(rnd.Range(-1, 1)) * 1.4f * std::exp(-t * 22) + std::sin(phase) * 0.5f * std::exp(-t * 30)) *
               Clamp01(t / 0.001f);
    }
    return s;
}

Samples Hat(Random& rnd, float length) {
    Samples s(static_cast<std::size_t>(Len(length)));
    Biquad hp;
    hp.HighPass(7000, 0.7f);
    for (std::size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        s[i] = hp.Run(rnd.Range(-1, 1)) * std::exp(-t * (0.8f / length) * 8) * Clamp01(t / 0.001f);
    }
    return s;
}

struct Step {
    const char* note;  // "R" for a rest
    float beats;
};

// Lays out a line of notes from `startBeat`, wrapping round the loop.
void Play(Samples& out, Voice voice, const std::vector<Step>& line, float startBeat, float beat, float gain, Random& rnd) {
    float b = startBeat;
    for (const Step& s : line) {
        if (std::string(s.note) != "R") {
            Samples n = Note(voice, MidiToHz(NoteNumber(s.note)), s.beats * beat * 0.92f, rnd);
            AddAt(out, n, Len(b * beat), gain, true);
        }
        b += s.beats;
    }
}

Samples Interlude() {
    const float total = 4.23f, beat = total / 8;
    Samples out(static_cast<std::size_t>(Len(total)), 0.f);
    Random rnd(149);
    Play(out, Voice::Lead,
         {{"E5", 0.5f}, {"G5", 0.5f}, {"A5", 1}, {"G5", 0.5f}, {"E5", 0.5f}, {"C5", 1},
          {"D5", 0.5f}, {"E5", 0.5f}, {"F5", 0.5f}, {"D5", 0.5f}, {"C5", 1.5f}, {"R", 0.5f}},
         0, beat, 0.28f, rnd);
    Play(out, Voice::Tuba,
         {{"C3", 1}, {"G2", 1}, {"C3", 1}, {"G2", 1}, {"F2", 1}, {"G2", 1}, {"C3", 1}, {"G2", 1}}, 0, beat, 0.4f, rnd);
    // Off-beat "pah" chords.
    const char* chords[8][3] = {{"E4", "G4", "C5"}, {"D4", "G4", "B4"}, {"E4", "G4", "C5"}, {"D4", "G4", "B4"},
                                {"F4", "A4", "C5"}, {"D4", "G4", "B4"}, {"E4", "G4", "C5"}, {"D4", "F4", "B4"}};
    for (int b = 0; b < 8; ++b)
        for (const char* n : chords[b]) {
            Samples s = Note(Voice::Pluck, MidiToHz(NoteNumber(n)), beat * 0.3f, rnd);
            AddAt(out, s, Len((static_cast<float>(b) + 0.5f) * beat), 0.09f, true);
        }
    Samples kick = Kick();
    for (int b = 0; b < 8; b += 2) AddAt(out, kick, Len(static_cast<float>(b) * beat), 0.35f, true);
    for (int b = 1; b < 8; b += 2) AddAt(out, Snare(rnd), Len(static_cast<float>(b) * beat), 0.15f, true);
    for (float& v : out) v = std::tanh(v * 1.2f);
    return out;
}

Samples Music() {
    // 16 bars of 4 beats at 120 beats a minute: 32 seconds, one seamless loop.
    const float beat = 0.5f;
    const int bars = 16;
    Samples out(static_cast<std::size_t>(Len(beat * 4 * bars)), 0.f);
    Random rnd(2024);
    std::vector<Step> melody = {
        // A
        {"E5", 1}, {"G5", 1}, {"C6", 1}, {"G5", 1},
        {"A5", 1.5f}, {"G5", 0.5f}, {"E5", 1}, {"C5", 1},
        {"F5", 1}, {"A5", 1}, {"C6", 1.5f}, {"A5", 0.5f},
        {"G5", 2}, {"D5", 1}, {"B4", 1},
        {"E5", 1}, {"G5", 1}, {"C6", 1}, {"E6", 1},
        {"D6", 1}, {"C6", 0.5f}, {"A5", 0.5f}, {"E5", 2},
        {"F5", 1}, {"A5", 1}, {"G5", 1}, {"B5", 1},
        {"C6", 3}, {"R", 1},
        // B
        {"A5", 0.5f}, {"A5", 0.5f}, {"C6", 1}, {"A5", 1}, {"F5", 1},
        {"B5", 0.5f}, {"B5", 0.5f}, {"D6", 1}, {"B5", 1}, {"G5", 1},
        {"G5", 1}, {"E5", 1}, {"B5", 1.5f}, {"G5", 0.5f},
        {"A5", 2}, {"E5", 1}, {"C5", 1},
        {"F5", 1}, {"A5", 0.5f}, {"C6", 0.5f}, {"F6", 1}, {"C6", 1},
        {"D6", 1}, {"B5", 0.5f}, {"G5", 0.5f}, {"D5", 1}, {"G5", 1},
        {"E5", 1}, {"G5", 1}, {"C6", 1}, {"E6", 1},
        {"D6", 2}, {"B5", 1}, {"G5", 1},
    };
    Play(out, Voice::Lead, melody, 0, beat, 0.22f, rnd);
    // Chords per half bar: root, third, fifth.
    const char* chordOf[bars][2] = {{"C", "C"}, {"Am", "Am"}, {"F", "F"}, {"G", "G"}, {"C", "C"}, {"Am", "Am"},
                                    {"Dm", "G"}, {"C", "C"}, {"F", "F"}, {"G", "G"}, {"Em", "Em"}, {"Am", "Am"},
                                    {"F", "F"}, {"G", "G"}, {"C", "C"}, {"G", "G"}};
    auto triad = [](const std::string& c) -> std::vector<int> {
        if (c == "C") return {48, 52, 55};
        if (c == "Am") return {45, 48, 52};
        if (c == "F") return {41, 45, 48};
        if (c == "G") return {43, 47, 50};
        if (c == "Dm") return {38, 41, 45};
        return {40, 43, 47};  // Em
    };
    Samples kick = Kick();
    for (int bar = 0; bar < bars; ++bar) {
        for (int half = 0; half < 2; ++half) {
            std::vector<int> ch = triad(chordOf[bar][half]);
            float b0 = static_cast<float>(bar * 4 + half * 2);
            // Bass: root then fifth, an octave down.
            Samples r = Note(Voice::Bass, MidiToHz(ch[0] - 12), beat * 0.85f, rnd);
            Samples f = Note(Voice::Bass, MidiToHz(ch[2] - 12), beat * 0.85f, rnd);
            AddAt(out, r, Len(b0 * beat), 0.42f, true);
            AddAt(out, f, Len((b0 + 1) * beat), 0.36f, true);
            // Arpeggio in eighths.
            const int pattern[4] = {0, 1, 2, 1};
            for (int e = 0; e < 4; ++e) {
                int note = ch[static_cast<std::size_t>(pattern[e])] + 12 + (e == 2 ? 12 : 0) * 0;
                Samples p = Note(Voice::Pluck, MidiToHz(note + 12), beat * 0.4f, rnd);
                AddAt(out, p, Len((b0 + 0.5f * static_cast<float>(e)) * beat), 0.07f, true);
            }
        }
        // Drums.
        for (int b = 0; b < 4; ++b) {
            float at = static_cast<float>(bar * 4 + b);
            if (b == 0 || b == 2) AddAt(out, kick, Len(at * beat), 0.38f, true);
            if (b == 1 || b == 3) AddAt(out, Snare(rnd), Len(at * beat), 0.14f, true);
            for (int e = 0; e < 2; ++e) AddAt(out, Hat(rnd, e ? 0.04f : 0.06f), Len((at + 0.5f * static_cast<float>(e)) * beat), e ? 0.035f : 0.05f, true);
        }
        if (bar % 8 == 7) {
            for (int e = 0; e < 4; ++e)
                AddAt(out, Snare(rnd), Len((static_cast<float>(bar * 4 + 2) + 0.5f * static_cast<float>(e)) * beat), 0.08f + 0.02f * static_cast<float>(e), true);
        }
    }
    for (float& v : out) v = std::tanh(v * 1.1f);
    return out;
}

}  // namespace

bool MakeSounds(const std::string& resDir) {
    struct Item {
        const char* file;
        Samples (*make)();
        bool tune;
    };
    const Item items[] = {{"swear1.wav", Swear1, false},          {"fall_asleep.wav", FallAsleep, false},
                          {"gulp.wav", Gulp, false},              {"swear2.wav", Swear2, false},
                          {"swear3.wav", Swear3, false},          {"swear4.wav", Swear4, false},
                          {"rage.wav", Rage, false},              {"eat_box.wav", EatBox, false},
                          {"spectre_touch.wav", SpectreTouch, false}, {"interlude.wav", Interlude, true},
                          {"spectre_appear.wav", SpectreAppear, false}, {"music.zk", Music, true}};
    // The worst case the levels are set for: the music's peak and two
    // effects' peaks, all at the same instant and of the same sign.
    const float worst = Gain(kTuneCeiling) + 2 * Gain(kEffectCeiling);
    std::fprintf(stderr, "  levels: worst case %.2f dBFS\n", Decibels(worst));
    if (worst >= Gain(-1.f)) {
        std::fprintf(stderr, "zarnok_assetgen: the levels leave less than 1 dB of headroom\n");
        return false;
    }
    bool ok = true;
    for (const Item& item : items) {
        Samples s = item.make();
        if (item.tune) SetLevel(s, Overall, kTuneLoudness, kTuneCeiling);
        else SetLevel(s, LoudestMoment, kEffectLoudness, kEffectCeiling);
        float peak = 0;
        for (float v : s) peak = std::max(peak, std::fabs(v));
        std::fprintf(stderr, "  sound %-18s loudness %6.2f dBFS, peak %6.2f dBFS\n", item.file,
                     Decibels(item.tune ? Overall(s) : LoudestMoment(s)), Decibels(peak));
        ok = WriteWav(resDir + "/" + item.file, s, kRate) && ok;
    }
    return ok;
}

}  // namespace art
