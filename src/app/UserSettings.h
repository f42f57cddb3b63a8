#pragma once
// The per-user settings store (organisation "Brenwick", application "Kelmora"): the four most recently
// used files and the main window's initial show state.
#include <QString>
#include <QStringList>

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

}  // namespace kelmora
