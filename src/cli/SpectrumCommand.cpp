// `kelmora-calc spectrum`: A-weights a measured one-third-octave sound pressure spectrum and
// converts it to the sound power level of a point source.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/Commands.h"
#include "model/Band.h"
#include "model/persistence/TextCodec.h"

namespace kelmora::cli {
namespace {

struct SpectrumOptions {
    std::string file;
    double distance = 3.0;  // m
    double q = 2.0;
    bool weighted = false;
};

// Reads the first line "title,v1,...,v21" of a CP932 CSV file.
bool ReadSpectrumLine(const std::string& path, CBand& band, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "ファイルを開けません: " + path;
        return false;
    }
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::stringstream fields(line);
    std::string title;
    std::getline(fields, title, ',');
    band = CBand{};
    band.title = Cp932ToUtf8(title);
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        std::string v;
        if (!std::getline(fields, v, ',')) {
            error = "21個のバンド値が必要です: " + path;
            return false;
        }
        try {
            band.third[i] = std::stod(v);
        } catch (const std::exception&) {
            error = "数値ではありません: " + v;
            return false;
        }
    }
    return true;
}

int RunSpectrum(const SpectrumOptions& opt) {
    CBand band;
    std::string error;
    if (!ReadSpectrumLine(opt.file, band, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!opt.weighted) band.addAWeighting();
    std::printf("%s\n", band.title.c_str());
    std::printf("A特性音圧レベル LpA = %.1f dB (距離 %.1f m)\n", band.overallLevel(), opt.distance);
    band.toPowerFromPointSpl(opt.distance, opt.q);
    std::printf("A特性音響パワーレベル LWA = %.1f dB (Q = %.1f)\n", band.overallLevel(), opt.q);
    return 0;
}

}  // namespace

void AddSpectrumCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<SpectrumOptions>();
    CLI::App* cmd = app.add_subcommand("spectrum", "A-weighted level and sound power of a measured spectrum");
    cmd->add_option("file", opt->file, "CSV line: title and 21 one-third-octave levels [dB]")->required();
    cmd->add_option("--distance", opt->distance, "measuring distance [m]");
    cmd->add_option("--q", opt->q, "directivity factor Q");
    cmd->add_flag("--weighted", opt->weighted, "the levels are A-weighted already");
    cmd->callback([opt, &exitCode] { exitCode = RunSpectrum(*opt); });
}

}  // namespace kelmora::cli
