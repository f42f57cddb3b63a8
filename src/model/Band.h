#pragma once
// CBand: one spectrum of the calculation. It holds three representations — the overall (OA)
// value, 7 octave bands (63 Hz..4 kHz) and 21 one-third-octave bands (50 Hz..5 kHz) — of which
// `kind` says which one is in use. Levels are in dB; absorption spectra hold coefficients 0..1 in
// the same slots. No sound is −100 dB.
#include <array>
#include <cstddef>
#include <string>

namespace kelmora {

class CArchive;

inline constexpr double kNoSoundLevel = -100.0;  // dB
inline constexpr int kThirdOctaveBands = 21;
inline constexpr int kOctaveBands = 7;

class CBand {
public:
    CBand() = default;
    virtual ~CBand() = default;
    CBand(const CBand&) = default;
    CBand& operator=(const CBand&) = default;
    CBand(CBand&&) = default;
    CBand& operator=(CBand&&) = default;

    // A one-third-octave spectrum with every band at `value`.
    static CBand Filled(double value);

    int bandCount() const;
    // Value i of the band's own kind (the overall value for kind 0).
    double& value(int i);
    double value(int i) const;

    // 10·log10 Σ 10^(value/10) over the values of its kind; −100 when the energy is not > 0.
    double overallLevel() const;
    // The value of the band that contains frequency f [Hz]; a frequency on a band's upper edge
    // belongs to the lower band, frequencies outside the range to the first or last band.
    double levelAt(double f) const;
    void fill(double v);
    bool allEqual(double v) const;
    // Per-band decibel (energy) sum of `other` into this; `overall` is not refreshed.
    void addEnergy(const CBand& other);
    // value_i += other.levelAt(f_i)
    void addLevels(const CBand& other);
    // value_i *= other.levelAt(f_i)
    void multiplyLevels(const CBand& other);
    void scale(double k);
    // Rewrites the other two representations from the one in use.
    void syncRepresentations();
    void addAWeighting();
    // Sound pressure levels measured at r [m] from a point source of directivity Q → sound power levels.
    void toPowerFromPointSpl(double r, double q);
    // Adds PointSpreadingTerm(r, Q) to every band.
    void applyPointSpreading(double r, double q);

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CBand& a, const CBand& b) {
        return a.kind == b.kind && a.overall == b.overall && a.octave == b.octave && a.third == b.third &&
               a.title == b.title;
    }

    int kind = 2;  // 0 overall only, 1 octaves, 2 one-third octaves
    double overall = 0.0;
    std::array<double, kOctaveBands> octave{};
    std::array<double, kThirdOctaveBands> third{};
    std::string title;
};

// Number of values of a representation: 1, 7 or 21.
inline int bandCount(int kind) {
    return kind == 0 ? 1 : kind == 1 ? kOctaveBands : kThirdOctaveBands;
}

// Nominal centre frequency [Hz] of band i of the kind (0 for kind 0).
inline double bandFrequency(int kind, int i) {
    constexpr std::array<double, kThirdOctaveBands> kThird = {50,   63,   80,   100,  125,  160,  200,
                                                              250,  315,  400,  500,  630,  800,  1000,
                                                              1250, 1600, 2000, 2500, 3150, 4000, 5000};
    constexpr std::array<double, kOctaveBands> kOctave = {63, 125, 250, 500, 1000, 2000, 4000};
    if (kind == 1) return kOctave[static_cast<std::size_t>(i)];
    if (kind == 2) return kThird[static_cast<std::size_t>(i)];
    return 0.0;
}

// The per-band accessors, which every loop over the bands of a spectrum calls.
inline int CBand::bandCount() const {
    return kelmora::bandCount(kind);
}
inline double& CBand::value(int i) {
    return kind == 0   ? overall
           : kind == 1 ? octave[static_cast<std::size_t>(i)]
                       : third[static_cast<std::size_t>(i)];
}
inline double CBand::value(int i) const {
    return kind == 0   ? overall
           : kind == 1 ? octave[static_cast<std::size_t>(i)]
                       : third[static_cast<std::size_t>(i)];
}
inline void CBand::fill(double v) {
    for (int i = 0; i < bandCount(); ++i)
        value(i) = v;
}
inline bool CBand::allEqual(double v) const {
    for (int i = 0; i < bandCount(); ++i) {
        if (value(i) != v) return false;
    }
    return true;
}

// A-weighting correction [dB] of band i of the kind, rounded to 0.1 dB (0 for kind 0).
double aWeighting(int kind, int i);
// Point-source spreading 10·log10 Q − 11 − 20·log10 r [dB] for distance r [m] and directivity Q
// (Q = 2 for half free space).
double PointSpreadingTerm(double r, double q);

}  // namespace kelmora
