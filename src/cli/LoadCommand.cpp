// `kelmora-calc load JSON -o PROJECT`: writes a project file from its JSON form. The JSON is read
// and checked completely before anything is written, and the project file is replaced only by a
// complete new one.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
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

// Reads the whole stream, or fails with EFBIG once it holds more than kMaxJsonBytes.
bool ReadAll(std::istream& in, std::string& text) {
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (text.size() + static_cast<std::size_t>(in.gcount()) > kMaxJsonBytes) {
            errno = EFBIG;
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return !in.bad();
}

bool ReadText(const std::string& path, std::string& text) {
    if (path == "-") return ReadAll(std::cin, text);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    return ReadAll(in, text);
}

int RunLoad(const LoadOptions& opt) {
    std::string text;
    if (!ReadText(opt.json, text)) {
        std::fprintf(stderr, "JSON ファイルを読めません: %s (%s)\n", opt.json.c_str(), std::strerror(errno));
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
