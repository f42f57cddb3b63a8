#include "acoustics/Formulas.h"

#include <cmath>

namespace kelmora {
namespace {

double Distance(const CVector3D& a, const CVector3D& b) {
    const CVector3D d = b - a;
    return std::sqrt(Dot(d, d));
}

// One diffraction chart: below `lowerBound` nothing, up to 0 the illuminated side rising to 0 dB,
// up to N = 1 the shadow side falling by the asinh law, beyond N = 1 the log law.
struct WedgeChart {
    double farShadow;   // dB at N = 1 of the log law
    double edgeLevel;   // dB at N = 0
    double lowerBound;  // N below which the edge has no effect
};

constexpr WedgeChart kKnifeChart{13.0, 5.0, -0.324};
constexpr WedgeChart kRightAngleChart{10.5, 2.5, -0.0718};
constexpr double kAsinhSlope = 9.08;  // dB
constexpr double kAsinhExponent = 0.485;

double ChartValue(const WedgeChart& chart, double n) {
    if (n >= 1.0) return -chart.farShadow - 10.0 * std::log10(n);
    if (n >= 0.0) return -chart.edgeLevel - kAsinhSlope * std::asinh(std::pow(n, kAsinhExponent));
    if (n >= chart.lowerBound)
        return -chart.edgeLevel + kAsinhSlope * std::asinh(std::pow(-n, kAsinhExponent));
    return 0.0;
}

double EdgeEnergy(double frequency, double pathDifference) {
    return std::pow(10.0, EdgeEnergyRatio(frequency, pathDifference) / 10.0);
}

}  // namespace

double PathDifference(const CVector3D& source, const CVector3D& receiver, const CVector3D& edge,
                      bool crosses) {
    const double delta = Distance(source, edge) + Distance(edge, receiver) - Distance(source, receiver);
    return crosses ? delta : -delta;
}

double FresnelNumber(double frequency, double pathDifference) {
    return 2.0 * pathDifference / (kSpeedOfSound / frequency);
}

double WedgeDiffractionCorrection(int wedgeType, double frequency, double pathDifference) {
    const WedgeChart& chart = wedgeType == 0 ? kKnifeChart : kRightAngleChart;
    return ChartValue(chart, FresnelNumber(frequency, pathDifference));
}

double EdgeEnergyRatio(double frequency, double pathDifference) {
    const double n = 2.0 * std::abs(pathDifference) * frequency / kSpeedOfSound;
    const double g = 0.5 / std::pow(1.0 + std::pow(10.0 * n, 2.0 / 3.0), 1.5);
    return 10.0 * std::log10(g);
}

double EdgePairEnergyDifference(double frequency, double pathDifference1, double pathDifference2) {
    return 10.0 * std::log10(std::abs(EdgeEnergy(frequency, pathDifference1) -
                                      EdgeEnergy(frequency, pathDifference2)));
}

double FourEdgeEnergyCorrection(double frequency, double pathDifference1, double pathDifference2,
                                double pathDifference3, double pathDifference4) {
    const double e1 = EdgeEnergy(frequency, pathDifference1);
    const double e2 = EdgeEnergy(frequency, pathDifference2);
    const double e3 = EdgeEnergy(frequency, pathDifference3);
    const double e4 = EdgeEnergy(frequency, pathDifference4);
    return 10.0 * std::log10((1.0 - e1 - e3) * (1.0 - e2 - e4));
}

std::optional<double> TransmissionCombination(double diffraction, double transmissionLoss) {
    const double d = std::pow(10.0, diffraction / 10.0);
    const double bracket = (1.0 - d) * std::pow(10.0, -transmissionLoss / 10.0) + d;
    if (!(bracket > 0.0)) return std::nullopt;
    return 10.0 * std::log10(bracket);
}

double AbsorptionCorrection(double absorption) {
    return 10.0 * std::log10(1.0 - absorption);
}

}  // namespace kelmora
