// `kelmora-calc load JSON -o PROJECT`: writes a project file from its JSON form. The JSON is read
// and checked completely before anything is written, and the project file is replaced only by a
// complete new one.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "model/persistence/InputFile.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora::cli {
namespace {

struct LoadOptions {
    std::string json;  // "-" for the standard input
    std::string output;
};

// The largest JSON text read: far beyond any project, short of what memory holds.
constexpr std::size_t kMaxJsonBytes = std::size_t{512} << 20;

// The standard input to its end, or nothing once it holds more than kMaxJsonBytes.
std::optional<std::string> ReadStandardInput() {
    std::string text;
    char buffer[1 << 16];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
        if (text.size() + static_cast<std::size_t>(std::cin.gcount()) > kMaxJsonBytes) return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
    }
    if (std::cin.bad()) return std::nullopt;
    return text;
}

// The JSON text of `path` ("-": the standard input), or why it cannot be read.
std::string ReadText(const std::string& path) {
    if (path == "-") {
        std::optional<std::string> text = ReadStandardInput();
        if (!text) throw InputFileError(path, std::strerror(std::cin.bad() ? EIO : EFBIG));
        return std::move(*text);
    }
    // Only a regular file: a FIFO would block, a device never end.
    const std::vector<std::uint8_t> bytes = ReadRegularFile(path, kMaxJsonBytes);
    return std::string(bytes.begin(), bytes.end());
}

int RunLoad(const LoadOptions& opt) {
    std::string text;
    try {
        text = ReadText(opt.json);
    } catch (const InputFileError& e) {
        std::fprintf(stderr, "JSON ファイルを読めません: %s (%s)\n", opt.json.c_str(), e.reason().c_str());
        return 1;
    }
    try {
        SaveProjectFile(opt.output, ParseProjectJson(text));
    } catch (const ProjectFileError& e) {
        std::fprintf(stderr, "%s (%s)\n", e.what(), e.reason().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", opt.json.c_str(), e.what());
        return 1;
    }
    return 0;
}

}  // namespace

void AddLoadCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<LoadOptions>();
    CLI::App* cmd = app.add_subcommand("load", "Write a project file from its JSON form");
    cmd->add_option("json", opt->json, "JSON file of the project (- for the standard input)")->required();
    cmd->add_option("-o,--output", opt->output, "project file to write")->required();
    cmd->callback([opt, &exitCode] { exitCode = RunLoad(*opt); });
}

}  // namespace kelmora::cli
