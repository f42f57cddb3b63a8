#pragma once
// The per-user settings store (organisation "Brenwick", application "Kelmora"): the four most recently
// used files, the main window's initial show state, and the company and author of printed pages.
#include <QString>
#include <QStringList>
#include <optional>

#include "dialogs/PageSetupDialog.h"

namespace kelmora {

inline constexpr int kRecentFileCount = 4;

class RecentFiles {
public:
    // The list as stored, most recent first.
    RecentFiles();
    const QStringList& files() const { return files_; }
    // A file opened or saved goes to the top; the list keeps four, without repeats.
    void Add(const QString& path);
    // A file that could not be opened leaves the list.
    void Remove(const QString& path);

private:
    void Store() const;
    QStringList files_;
};

// How the main window first shows: the integer "show" of section "Window" (default 1, normal).
enum class InitialShow { Normal, Maximized, Minimized };
InitialShow ReadInitialShow();
// Remembers whether the main window was maximised when the program closed ("show" 3, else 1).
void WriteInitialShow(bool maximized);

// The company and the author of printed title blocks; none until the user has been asked (an answer
// left empty counts as asked).
std::optional<ReportAuthor> ReadReportAuthor();
void StoreReportAuthor(const ReportAuthor& author);

}  // namespace kelmora
