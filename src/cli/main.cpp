// kelmora-calc: the prediction engine without the desktop program, for batch work, tests and
// benchmarks. It reads and writes the same files as the desktop program.
#include <clocale>

#include "cli/Commands.h"

int main(int argc, char** argv) {
    // Numbers in every file are formatted in the C locale whatever the user's environment says.
    std::setlocale(LC_ALL, "C");
    CLI::App app{"Kelmora headless prediction engine"};
    app.require_subcommand(1);
    int exitCode = 0;
    kelmora::cli::AddSpectrumCommand(app, exitCode);
    kelmora::cli::AddDumpCommand(app, exitCode);
    kelmora::cli::AddLoadCommand(app, exitCode);
    kelmora::cli::AddRenderCommand(app, exitCode);
    kelmora::cli::AddRunCommand(app, exitCode);
    CLI11_PARSE(app, argc, argv);
    return exitCode;
}
