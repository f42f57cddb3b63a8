#pragma once
// The folders of the desktop program: the program folder (where the program file and its manual lie)
// and the data folder that holds the settings file and the document backups.
//
// The data folder is, in this order: the folder named by the environment variable KELMORA_DATA_DIR
// (tests and administrators use it); "Data" beside the program when that folder exists or can be
// created and is writable (a portable installation, the build tree); "Data" under the user's
// application data folder (an installed program). Each is created when missing.
#include <filesystem>
#include <optional>

namespace kelmora {

inline constexpr const char* kDataFolderVariable = "KELMORA_DATA_DIR";
inline constexpr const char* kDataFolderFailedMessage = "データ保存フォルダが作成できませんでした.";

// Creates the folder when missing; true when it then exists and new files can be written in it.
bool EnsureWritableFolder(const std::filesystem::path& folder);

// The data folder from the choices above; none when no folder can be made (the program then goes on
// without settings and backups). `variable` is the environment variable's value or null.
std::optional<std::filesystem::path> ChooseDataFolder(const char* variable,
                                                      const std::filesystem::path& programFolder,
                                                      const std::filesystem::path& userDataFolder);

}  // namespace kelmora
