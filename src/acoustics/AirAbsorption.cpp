#include "acoustics/AirAbsorption.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace kelmora {

double AirAbsorptionCoefficient(double frequency, double temperature, double humidity) {
    const double t = temperature + 273.0;  // K
    // Molar concentration of water vapour [%] from the saturation vapour pressure.
    const double h = humidity * 41200.0 * std::pow(10.0, -8070.0 / std::pow(t, 1.261));
    // Relaxation frequencies [Hz] of oxygen and nitrogen.
    const double frO = 24.0 + 40400.0 * h * (0.02 + h) / (0.391 + h);
    const double frN =
        (17.1 / std::sqrt(t)) * (9.0 + 18100.0 * h * std::exp(-3500.0 / (temperature + 819.0)));
    const double f2 = frequency * frequency;
    const double relaxation = std::pow(293.0 / t, 2.5);
    const double classical = 1.6;
    const double oxygen = 1.11e9 * relaxation * std::exp(-2240.0 / t) * frO / (frO * frO + f2);
    const double nitrogen = 9.28e9 * relaxation * std::exp(-3350.0 / t) * frN / (frN * frN + f2);
    return f2 * 1e-10 * (classical + oxygen + nitrogen);
}

namespace {

// The band coefficients of the conditions last asked for on this thread.
struct CCoefficientMemo {
    bool filled = false;
    double temperature = 0.0;
    double humidity = 0.0;
    int kind = 0;
    std::array<double, kThirdOctaveBands> coefficients{};
};

const std::array<double, kThirdOctaveBands>& BandCoefficients(double temperature, double humidity, int kind) {
    thread_local CCoefficientMemo memo;
    // Compared by their bits: equal conditions give equal coefficients, whatever they are.
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    if (!memo.filled || !same(memo.temperature, temperature) || !same(memo.humidity, humidity) ||
        memo.kind != kind) {
        memo = {true, temperature, humidity, kind, {}};
        for (int i = 0; i < bandCount(kind) && kind != 0; ++i)
            memo.coefficients[static_cast<std::size_t>(i)] =
                AirAbsorptionCoefficient(bandFrequency(kind, i), temperature, humidity);
    }
    return memo.coefficients;
}

}  // namespace

CBand AirAbsorptionInBands(double distance, double temperature, double humidity, int kind) {
    CBand band;
    band.kind = kind;
    if (kind != 0) {
        const std::array<double, kThirdOctaveBands>& coefficients =
            BandCoefficients(temperature, humidity, kind);
        for (int i = 0; i < band.bandCount(); ++i)
            band.value(i) = -coefficients[static_cast<std::size_t>(i)] * distance;
    }
    return band;
}

CBand AirAbsorptionBand(double distance, double temperature, double humidity, int kind) {
    CBand band;
    band.kind = kind;
    if (kind != 0) {
        for (int i = 0; i < band.bandCount(); ++i) {
            band.value(i) =
                -AirAbsorptionCoefficient(bandFrequency(kind, i), temperature, humidity) * distance;
        }
    }
    band.syncRepresentations();
    return band;
}

}  // namespace kelmora
