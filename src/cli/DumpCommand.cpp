// `kelmora-calc dump PROJECT`: prints a project file as JSON on the standard output.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora::cli {
namespace {

int RunDump(const std::string& path) {
    const std::optional<ProjectDocument> doc = ReadCommandProject(path);
    if (!doc) return 1;
    const std::string text = ProjectJsonText(*doc);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "標準出力に書き込めません\n");
        return 1;
    }
    return 0;
}

}  // namespace

void AddDumpCommand(CLI::App& app, int& exitCode) {
    auto path = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("dump", "Print a project file as JSON");
    cmd->add_option("project", *path, "project file")->required();
    cmd->callback([path, &exitCode] { exitCode = RunDump(*path); });
}

}  // namespace kelmora::cli
