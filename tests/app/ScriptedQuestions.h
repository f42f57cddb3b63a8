#pragma once
// The program's questions answered from a script: file dialogs by their title, message boxes by a
// part of their text; every question and message is recorded.
#include <QString>
#include <QStringList>
#include <map>

#include "dialogs/UserQuestions.h"

namespace kelmora::testing {

class ScriptedQuestions : public UserQuestions {
public:
    // File dialog titles → the file chosen; a title without an answer is cancelled.
    std::map<QString, std::string> files;
    // Message texts containing the key → the button pressed; others get their escape button (No or
    // Cancel).
    std::map<QString, QMessageBox::StandardButton> answers;
    QStringList asked;      // titles of file dialogs and texts of questions, in order
    QStringList told;       // texts of messages
    QStringList suggested;  // names (or paths) the save dialogs started with, in order

    std::optional<std::string> ChooseFileToOpen(QWidget*, const QString& title, const QString&) override {
        asked << title;
        const auto it = files.find(title);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> ChooseFileToSave(QWidget*, const QString& title, const QString&,
                                                const QString&, const QString& suggestedName) override {
        suggested << suggestedName;
        return ChooseFileToOpen(nullptr, title, {});
    }
    QMessageBox::StandardButton Ask(QWidget*, const QString&, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon) override {
        asked << text;
        for (const auto& [key, button] : answers)
            if (text.contains(key)) return button;
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    }
    void Tell(QWidget*, const QString&, const QString& text, QMessageBox::Icon) override { told << text; }
};

}  // namespace kelmora::testing
