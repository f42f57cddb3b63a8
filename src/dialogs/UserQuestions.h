#pragma once
// The questions the program puts to the user through standard dialogs: files to open and to save,
// yes/no questions and messages. The desktop program answers them with Qt's own dialogs
// (DialogQuestions); tests answer them from a script.
#include <QMessageBox>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace kelmora {

// The caption of the program's plain message boxes.
inline constexpr const char* kProgramCaption = "Kelmora";

class UserQuestions {
public:
    virtual ~UserQuestions() = default;

    // An open dialog with a title and a filter in Qt's form ("text (*.a *.b);;text (*)"): the chosen
    // existing file (UTF-8), or none when cancelled.
    virtual std::optional<std::string> ChooseFileToOpen(QWidget* parent, const QString& title,
                                                        const QString& filter) = 0;
    // A save dialog that confirms overwriting; `suffix` (without the dot) is added to a name typed
    // without one. `suggestedName` is a file name, or a full path: the dialog then starts in its folder
    // (when that still exists) with its name. The chosen file, or none when cancelled.
    virtual std::optional<std::string> ChooseFileToSave(QWidget* parent, const QString& title,
                                                        const QString& filter, const QString& suffix,
                                                        const QString& suggestedName) = 0;
    // A message box with the buttons given; the button pressed (Escape gives the escape button).
    virtual QMessageBox::StandardButton Ask(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) = 0;
    // A message box with "OK".
    virtual void Tell(QWidget* parent, const QString& caption, const QString& text,
                      QMessageBox::Icon icon) = 0;
    // A choice between two actions, each a button that says what it does: true for `yesText`, false for
    // `noText` (also Escape). Without buttons of its own, the question is asked as a Yes/No question.
    virtual bool Choose(QWidget* parent, const QString& caption, const QString& text, const QString& yesText,
                        const QString& noText, QMessageBox::Icon icon) {
        (void)yesText;
        (void)noText;
        return Ask(parent, caption, text, QMessageBox::Yes | QMessageBox::No, icon) == QMessageBox::Yes;
    }
};

// Qt's own file dialogs (not the platform's, so that scripts and screen readers find their fields)
// and message boxes.
class DialogQuestions : public UserQuestions {
public:
    std::optional<std::string> ChooseFileToOpen(QWidget* parent, const QString& title,
                                                const QString& filter) override;
    std::optional<std::string> ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                                                const QString& suffix, const QString& suggestedName) override;
    QMessageBox::StandardButton Ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
    void Tell(QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon) override;
    bool Choose(QWidget* parent, const QString& caption, const QString& text, const QString& yesText,
                const QString& noText, QMessageBox::Icon icon) override;
};

// A filter written as "text|pattern|text|pattern||" in Qt's form "text;;text": each entry keeps its
// text, whose parenthesised patterns Qt uses. Lower-case extensions also match upper-case ones
// ("*.jpg" lists SITE.JPG too), as users of pictures from other systems expect.
QString QtFileFilter(std::string_view pipeFilter);

}  // namespace kelmora
