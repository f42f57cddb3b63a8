#pragma once
// Small sites for the tests of path evaluation and prediction runs, whose levels can be worked out by
// hand, and helpers that read levels back from a calculation breakdown.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/Noise.h"
#include "model/Sound.h"
#include "model/persistence/TextCodec.h"
#include "propagation/SceneFixtures.h"

namespace kelmora::runsites {

// A steady source on all the time (w = 1 over any target time) with flat power spectra.
inline CSound Source(const CVector3D& at, double power, double q = 2.0, double maxPower = -1.0) {
    CSound s;
    s.position = at;
    s.q = q;
    s.noiseType = kSteadyNoise;
    s.duration = 3600.0;
    s.eventsPerHour = 1.0;
    s.powerAverage = CBand::Filled(power);
    s.powerMax = CBand::Filled(maxPower < 0.0 ? power + 10.0 : maxPower);
    return s;
}

// The energy sum of levels [dB].
inline double EnergySum(std::initializer_list<double> levels) {
    double e = 0.0;
    for (double l : levels)
        e += std::pow(10.0, l / 10.0);
    return 10.0 * std::log10(e);
}

// 10·log10 Q − 11 − 20·log10 r.
inline double Spreading(double r, double q) {
    return 10.0 * std::log10(q) - 11.0 - 20.0 * std::log10(r);
}

// The site of a reflecting wall: a ground line along y = 5 from x = −50 to 50 whose ground absorbs
// everything, carrying a 10 m high wall over its whole length that diffracts at no edge (an endless
// reflector) with the given absorption on both sides.
inline CNoise ReflectingWallSite(const CBand& absorptionLeft, const CBand& absorptionRight) {
    CNoise site;
    CGroundLine line = fixtures::GroundLine({{-50, 5, 0}, {50, 5, 0}}, 1.0, 1.0);
    CWall wall = fixtures::Wall(0.0, 100.0, 10.0);
    wall.diffractTop = 0;
    wall.absorptionLeft = absorptionLeft;
    wall.absorptionRight = absorptionRight;
    line.walls.push_back(wall);
    site.groundLines.push_back(line);
    return site;
}

// The breakdown text decoded from CP932, with CR LF turned into LF.
inline std::string DecodedBreakdown(const std::string& bytes) {
    std::string text = Cp932ToUtf8(bytes);
    std::string out;
    for (char c : text) {
        if (c != '\r') out += c;
    }
    return out;
}

// The lines of a decoded breakdown.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Number of lines containing `what`.
inline int CountLines(const std::string& text, std::string_view what) {
    int n = 0;
    for (const std::string& line : Lines(text))
        n += line.find(what) != std::string::npos ? 1 : 0;
    return n;
}

// The band values printed on the `occurrence`-th line (from 0) containing `heading`: the numbers after
// each "[Hz]バンド→, ". Empty when there is no such line.
inline std::vector<double> BandsOnLine(const std::string& text, std::string_view heading,
                                       int occurrence = 0) {
    for (const std::string& line : Lines(text)) {
        if (line.find(heading) == std::string::npos || occurrence-- > 0) continue;
        std::vector<double> values;
        const std::string key = "[Hz]バンド→, ";
        for (std::size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + 1))
            values.push_back(std::strtod(line.c_str() + at + key.size(), nullptr));
        return values;
    }
    return {};
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Band index of a nominal frequency of the one-third octaves.
inline int BandOf(double frequency) {
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        if (bandFrequency(2, i) == frequency) return i;
    }
    return -1;
}

}  // namespace kelmora::runsites
