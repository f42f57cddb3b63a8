#pragma once
// Writing a file that GDAL creates by its path without ever leaving a half-written file under the
// target's name, or a temporary beside it: GDAL writes into its memory file system (/vsimem/), and the
// finished bytes go to the target through a replacing file (ReplacingFile.h) — a temporary beside the
// target, every write checked (a full disk is an error, not a short file), flushed to the disk and
// renamed over the target, which a kill leaves behind no more than its previous version. A symbolic
// link is written through to its target, as by every output of the program.
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace kelmora {

class FileReplaceError : public std::runtime_error {
public:
    explicit FileReplaceError(const std::string& message) : std::runtime_error(message) {}
};

// Checks that `target` can be replaced (its folder exists, it is no folder), calls `write` with a path
// in GDAL's memory file system (same file name as `target`) to create the file at, then puts that
// file in the target's place. Whatever `write` throws is passed on; the target is then untouched, as
// it is when FileReplaceError is thrown: the target cannot be replaced, `write` made no file, or the
// file cannot be written out (a full disk, say).
void ReplaceFileByWriting(const std::filesystem::path& target,
                          const std::function<void(const std::filesystem::path&)>& write);

}  // namespace kelmora
