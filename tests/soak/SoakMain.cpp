// kelmora-soak: random use of the desktop program from a seed, with its invariants checked after every
// step (see Soak.h).
//
//   kelmora-soak [--seed N] [--seconds S | --steps N] [--verbose] [--work DIR] [--skip a,b]
//
// Exits 0 when the run ends without a finding; on a finding prints the seed, the step and the command
// that replays it, and exits 1.
#include <unistd.h>
#include <CLI/CLI.hpp>
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "soak/Soak.h"

int main(int argc, char** argv) {
    kelmora::soak::SoakOptions options;
    std::string work;
    std::string skip;
    CLI::App cli{"kelmora-soak: random use of the desktop program from a seed"};
    cli.add_option("--seed", options.seed, "seed of the random sequence");
    cli.add_option("--seconds", options.seconds, "how long to run");
    cli.add_option("--steps", options.steps, "replay: stop after this step");
    cli.add_flag("--verbose", options.verbose, "print every step");
    cli.add_option("--work", work, "scratch folder (emptied)");
    cli.add_option("--skip", skip, "actions to leave out, comma separated");
    CLI11_PARSE(cli, argc, argv);

    if (work.empty())
        work = (std::filesystem::temp_directory_path() / ("kelmora-soak-" + std::to_string(::getpid())))
                   .string();
    options.work = work;
    options.example = std::filesystem::path(KELMORA_SOURCE_DIR) / "examples" / "factory.json";
    options.sourceDir = KELMORA_SOURCE_DIR;
    std::stringstream names(skip);
    for (std::string name; std::getline(names, name, ',');)
        if (!name.empty()) options.skip.insert(name);

    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The per-user settings (recent files) of this run only, so that a replay starts as the run did.
    const std::filesystem::path home = options.work.string() + "-home";
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("KelmoraSoak"));

    int status = 0;
    {
        kelmora::soak::Soak soak(options);
        status = soak.Run();
    }
    std::filesystem::remove_all(options.work);
    std::filesystem::remove_all(home);
    return status;
}
