#pragma once
// Writing a file that a library creates by its path (GDAL) without ever leaving a half-written file
// under the target's name: the library writes into a fresh folder beside the target, the finished
// file is flushed to the disk and renamed over the target, and the folder goes away — also on failure.
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace kelmora {

class FileReplaceError : public std::runtime_error {
public:
    explicit FileReplaceError(const std::string& message) : std::runtime_error(message) {}
};

// Calls `write` with the path of the file to create (same name as `target`, in a temporary folder in
// the target's folder), then puts that file in the target's place. Whatever `write` throws is passed on
// after the temporary folder is removed; the target is then untouched. Throws FileReplaceError when
// the folder cannot be made, `write` made no file, or the rename fails.
void ReplaceFileByWriting(const std::filesystem::path& target,
                          const std::function<void(const std::filesystem::path&)>& write);

}  // namespace kelmora
