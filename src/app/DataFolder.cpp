#include "app/DataFolder.h"

#include <unistd.h>

#include <system_error>

namespace kelmora {

namespace fs = std::filesystem;

bool EnsureWritableFolder(const fs::path& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<fs::path> ChooseDataFolder(const char* variable, const fs::path& programFolder,
                                         const fs::path& userDataFolder) {
    if (variable != nullptr && variable[0] != '\0') {
        const fs::path chosen(variable);
        if (EnsureWritableFolder(chosen)) return chosen;
        return std::nullopt;
    }
    for (const fs::path& base : {programFolder, userDataFolder}) {
        if (base.empty()) continue;
        const fs::path folder = base / "Data";
        if (EnsureWritableFolder(folder)) return folder;
    }
    return std::nullopt;
}

}  // namespace kelmora
