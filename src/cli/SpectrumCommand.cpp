// `kelmora-calc spectrum`: A-weights a measured one-third-octave sound pressure spectrum and
// converts it to the sound power level of a point source.
#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "editing/BandEditor.h"
#include "model/Band.h"
#include "model/persistence/BandLibrary.h"

namespace kelmora::cli {
namespace {

struct SpectrumOptions {
    std::string file;
    double distance = 3.0;  // m
    double q = 2.0;
    bool weighted = false;
};

// The first spectrum of a band library file, or the message that refuses the file.
bool ReadSpectrum(const std::string& path, CBand& band, std::string& error) {
    BandLibraryRead read = ReadBandLibraryFile(path);
    if (read.message) {
        error = read.message->text;
        return false;
    }
    band = std::move(read.spectra.front());
    return true;
}

// The band editor's checks of a measured spectrum and of the conversion's distance and Q.
bool CheckSpectrum(const CBand& band, const SpectrumOptions& opt, std::string& error) {
    const BandEditorCaller& levels = BandEditorCallerFor(BandSpectrum::kSourceAveragePower);
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        if (!(band.third[i] >= levels.min && band.third[i] <= levels.max)) {
            error = BandRangeMessage(levels.min, levels.max) + " (" + BandFieldLabels()[i] + "Hz)";
            return false;
        }
    }
    for (const ValidationResult& issue : {CheckConversionDistance(opt.distance), CheckConversionQ(opt.q)}) {
        if (issue) {
            error = issue->message + (issue->field == "q" ? " (--q)" : " (--distance)");
            return false;
        }
    }
    return true;
}

int RunSpectrum(const SpectrumOptions& opt) {
    CBand band;
    std::string error;
    if (!ReadSpectrum(opt.file, band, error) || !CheckSpectrum(band, opt, error)) {
        // One line on the terminal, the file's name beside what went wrong.
        std::replace(error.begin(), error.end(), '\n', ' ');
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
    cmd->add_option("file", opt->file,
                    "band library CSV: its first spectrum, a title and 21 one-third-octave levels [dB]")
        ->required();
    cmd->add_option("--distance", opt->distance, "measuring distance [m], at least 0.001");
    cmd->add_option("--q", opt->q, "directivity factor Q, at least 1");
    cmd->add_flag("--weighted", opt->weighted, "the levels are A-weighted already");
    cmd->callback([opt, &exitCode] { exitCode = RunSpectrum(*opt); });
}

}  // namespace kelmora::cli
