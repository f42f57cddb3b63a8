// kelmora-calc: the prediction engine without the desktop program, for batch work, tests and
// benchmarks. It reads and writes the same files as the desktop program.
#include <clocale>
#include <cstdio>
#include <exception>
#include <new>

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
    kelmora::cli::AddMergeCommand(app, exitCode);
    kelmora::cli::AddClusterCommand(app, exitCode);
    kelmora::cli::AddMapCommand(app, exitCode);
    kelmora::cli::AddImportCommand(app, exitCode);
    kelmora::cli::AddContributionsCommand(app, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        exitCode = app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        exitCode = app.exit(e);
    } catch (const CLI::ParseError& e) {
        // A wrong command line is an ordinary failure of the command: status 1, message on stderr.
        app.exit(e);
        return 1;
    } catch (const std::bad_alloc&) {
        // Resources that run out end the command like any other failure, with a message.
        std::fprintf(stderr, "メモリが足りません\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // Whatever a command printed must have reached its destination: a full disk or a closed pipe
    // behind the standard output is a failure, not a success.
    // (A command that failed has said why already.)
    if (!kelmora::cli::CloseStandardOutput() && exitCode == 0) {
        std::fprintf(stderr, "標準出力に書き込めません\n");
        return 1;
    }
    return exitCode;
}
