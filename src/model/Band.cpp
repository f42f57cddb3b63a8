#include "model/Band.h"

#include <cmath>

#include "model/persistence/Archive.h"

namespace kelmora {
namespace {

constexpr std::array<double, kThirdOctaveBands> kThirdAWeighting = {
    -30.2, -26.2, -22.5, -19.1, -16.1, -13.4, -10.9, -8.6, -6.6, -4.8, -3.2,
    -1.9,  -0.8,  0.0,   0.6,   1.0,   1.2,   1.3,   1.2,  1.0,  0.5};
constexpr std::array<double, kOctaveBands> kOctaveAWeighting = {-26.2, -16.1, -8.6, -3.2, 0.0, 1.2, 1.0};
// The third band at each octave's centre frequency.
constexpr std::array<int, kOctaveBands> kOctaveCentreThird = {1, 4, 7, 10, 13, 16, 19};

// The value of `other` in band i of `kind`: its own band i when it is of that kind (the centre of each
// band lies within it: neighbouring centres are more than 2^(1/3) apart, a band reaches 2^(1/6) above its
// centre), else the band of `other` that contains band i's centre frequency.
double ValueInBand(const CBand& other, int kind, int i) {
    return other.kind == kind ? other.value(i) : other.levelAt(bandFrequency(kind, i));
}

double EnergySum(double a, double b) {
    const double s = std::pow(10.0, a / 10.0) + std::pow(10.0, b / 10.0);
    return s > 0.0 ? 10.0 * std::log10(s) : kNoSoundLevel;
}

}  // namespace

double aWeighting(int kind, int i) {
    if (kind == 1) return kOctaveAWeighting[i];
    if (kind == 2) return kThirdAWeighting[i];
    return 0.0;
}

double PointSpreadingTerm(double r, double q) {
    return 10.0 * std::log10(q) - 11.0 - 20.0 * std::log10(r);
}

CBand CBand::Filled(double value) {
    CBand b;
    b.fill(value);
    return b;
}

double CBand::overallLevel() const {
    double s = 0.0;
    for (int i = 0; i < bandCount(); ++i)
        s += std::pow(10.0, value(i) / 10.0);
    return s > 0.0 ? 10.0 * std::log10(s) : kNoSoundLevel;
}

double CBand::levelAt(double f) const {
    if (kind == 0) return overall;
    // A band reaches up to its nominal frequency times half its bandwidth ratio.
    const double upperEdge = kind == 1 ? std::pow(2.0, 1.0 / 2.0) : std::pow(2.0, 1.0 / 6.0);
    const int n = bandCount();
    const double top = kind == 1 ? 4000.0 : 5000.0;
    if (f > top) return value(n - 1);
    for (int i = 0; i < n; ++i) {
        if (bandFrequency(kind, i) * upperEdge >= f) return value(i);
    }
    return value(n - 1);
}

void CBand::addEnergy(const CBand& other) {
    if (kind == 0) {
        overall = EnergySum(other.overallLevel(), overall);
        return;
    }
    for (int i = 0; i < bandCount(); ++i)
        value(i) = EnergySum(value(i), ValueInBand(other, kind, i));
}

void CBand::addLevels(const CBand& other) {
    if (kind == 0) {
        overall += other.overallLevel();
        return;
    }
    for (int i = 0; i < bandCount(); ++i)
        value(i) += ValueInBand(other, kind, i);
}

void CBand::multiplyLevels(const CBand& other) {
    if (kind == 0) {
        overall *= other.overallLevel();
        return;
    }
    for (int i = 0; i < bandCount(); ++i)
        value(i) *= ValueInBand(other, kind, i);
}

void CBand::scale(double k) {
    for (int i = 0; i < bandCount(); ++i)
        value(i) *= k;
}

void CBand::syncRepresentations() {
    if (kind == 0) {
        octave.fill(overall);
        third.fill(overall);
    } else if (kind == 1) {
        overall = overallLevel();
        for (int i = 0; i < kOctaveBands; ++i) {
            const int c = kOctaveCentreThird[i];
            third[c - 1] = third[c] = third[c + 1] = octave[i];
        }
    } else {
        overall = overallLevel();
        for (int i = 0; i < kOctaveBands; ++i)
            octave[i] = third[kOctaveCentreThird[i]];
    }
}

void CBand::addAWeighting() {
    for (int i = 0; i < bandCount(); ++i)
        value(i) += aWeighting(kind, i);
}

void CBand::toPowerFromPointSpl(double r, double q) {
    CBand term = *this;
    term.fill(-PointSpreadingTerm(r, q));
    addLevels(term);
}

void CBand::applyPointSpreading(double r, double q) {
    CBand term = *this;
    term.fill(PointSpreadingTerm(r, q));
    addLevels(term);
}

void CBand::Serialize(CArchive& ar) {
    ar.Io(kind);
    ar.Io(overall);
    for (double& v : octave)
        ar.Io(v);
    for (double& v : third)
        ar.Io(v);
    ar.Io(title);
}

}  // namespace kelmora
