#pragma once
// What every dialog of the program does the same way: controls known by their resource identifiers,
// messages shown as message boxes with the focus moved afterwards, the wait cursor, and the file
// dialogs (Qt's own, so that scripts and screen readers see them like any other window).
#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

#include "model/UserMessage.h"

class QDialog;
class QWidget;
class QLineEdit;
class QLabel;

namespace kelmora {

// A text of the program's (UTF-8) as Qt shows it.
inline QString QtText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Marks a control with its identifier, which the plain classes name in their messages.
void SetControlId(QWidget* control, int id);
// The control of a dialog with that identifier, or null.
QWidget* FindControl(QWidget* dialog, int id);

// Runs `dialog` in a nested event loop (exec) and deletes it afterwards. The dialog must be made on the
// heap as a child of the window that opens it, its owner: should the owner be destroyed meanwhile
// (closed by an accessibility client, which reaches buttons that the nested dialog blocks for the
// mouse, or by the editing chain), the nested dialog goes with it. The result, or nothing when the
// dialog went that way: the caller must then return at once, touching nothing of the owner.
std::optional<int> RunOwnedDialog(QDialog* dialog);

// True while a question the dialog opened through RunOwnedDialog (a message box, a file dialog, a
// choice) waits for its answer. The dialog's own commands do nothing meanwhile: a screen reader can
// press them beneath the question, and they would open a question beneath the first or act on what
// the first is still asking about.
bool AsksQuestion(const QWidget* dialog);

// Shows the message as a modal message box over the dialog (RunOwnedDialog), then gives the focus to
// the control the message names (selecting the text of a field). False when the dialog was destroyed
// while the message was shown: the caller must return at once.
bool ShowUserMessage(QWidget* dialog, const UserMessage& message);

// Makes the label the field's buddy, so that the field is found by its label.
QLabel* BuddyLabel(const char* text, QWidget* field);

// A file to read or write, chosen in Qt's file dialog (RunOwnedDialog over `parent`); empty when the
// user cancels, or when `parent` was destroyed meanwhile.
struct FileDialogSpec {
    QString title;
    QString nameFilter;        // "csvファイル(*.csv)"
    QString defaultSuffix;     // added to a name typed without one (save only)
    bool save = false;         // a save dialog: the file need not exist
    bool askOverwrite = true;  // save only: ask before an existing file is chosen
};
QString ChooseFile(QWidget* parent, const FileDialogSpec& spec);

// The wait cursor over the whole program while it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Text of a field in the program's own form (UTF-8) and back; a field shown anew shows the start of its
// text.
std::string FieldString(const QLineEdit* field);
void SetFieldString(QLineEdit* field, const std::string& text);

}  // namespace kelmora
