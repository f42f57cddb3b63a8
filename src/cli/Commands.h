#pragma once
// The subcommands of kelmora-calc. Each Add…Command registers its options on the application and
// sets `exitCode` when it runs.
#include <CLI/CLI.hpp>

namespace kelmora::cli {

void AddSpectrumCommand(CLI::App& app, int& exitCode);
void AddDumpCommand(CLI::App& app, int& exitCode);
void AddLoadCommand(CLI::App& app, int& exitCode);
void AddRenderCommand(CLI::App& app, int& exitCode);
void AddRunCommand(CLI::App& app, int& exitCode);
void AddMergeCommand(CLI::App& app, int& exitCode);
void AddClusterCommand(CLI::App& app, int& exitCode);

// Flushes and closes the standard output; false when anything written to it was lost.
bool CloseStandardOutput();
void AddMapCommand(CLI::App& app, int& exitCode);
void AddImportCommand(CLI::App& app, int& exitCode);
void AddContributionsCommand(CLI::App& app, int& exitCode);

}  // namespace kelmora::cli
