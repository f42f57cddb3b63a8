#pragma once
// What the desktop program does before its main window: numbers in the C locale whatever the user's
// locale, Qt's own dialogs in Japanese, a Japanese font, and the program and data folders.
#include <QString>
#include <filesystem>

class QApplication;
class QCoreApplication;

namespace kelmora {

// Qt's own texts (dialog buttons, file dialogs, the command line's help) in Japanese.
void InstallJapaneseTranslations(QCoreApplication& app);

// After QApplication has set the process locale from the environment: LC_NUMERIC back to "C" (the
// engine and the plan format and read numbers with the C library), Qt's Japanese translations, and
// Noto Sans CJK JP as the application font when the default font has no Japanese.
void PrepareApplication(QApplication& app);

// The folder of the running program.
std::filesystem::path ProgramFolder();

// The per-user folder under which the data folder is made when the program's own folder is not
// writable.
std::filesystem::path UserDataFolder();

}  // namespace kelmora
