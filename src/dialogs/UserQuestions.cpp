#include "dialogs/UserQuestions.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>

#include "dialogs/DialogSupport.h"

namespace kelmora {

namespace {

// The file chosen in `dialog` (RunOwnedDialog: nothing when its parent went meanwhile).
std::optional<std::string> ChosenFile(QFileDialog* dialog) {
    std::optional<std::string> chosen;
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, &chosen] {
        if (!dialog->selectedFiles().isEmpty()) chosen = dialog->selectedFiles().front().toStdString();
    });
    if (RunOwnedDialog(dialog) != QDialog::Accepted) return std::nullopt;
    return chosen;
}

}  // namespace

std::optional<std::string> DialogQuestions::ChooseFileToOpen(QWidget* parent, const QString& title,
                                                             const QString& filter) {
    auto* dialog = new QFileDialog(parent, title, QString(), filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return ChosenFile(dialog);
}

std::optional<std::string> DialogQuestions::ChooseFileToSave(QWidget* parent, const QString& title,
                                                             const QString& filter, const QString& suffix,
                                                             const QString& suggestedName) {
    auto* dialog = new QFileDialog(parent, title, QString(), filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (!suffix.isEmpty()) dialog->setDefaultSuffix(suffix);
    const QFileInfo suggested(suggestedName);
    if (!suggestedName.isEmpty() && suggested.isAbsolute()) {
        if (suggested.absoluteDir().exists()) dialog->setDirectory(suggested.absolutePath());
        dialog->selectFile(suggested.fileName());
    } else if (!suggestedName.isEmpty()) {
        dialog->selectFile(suggestedName);
    }
    return ChosenFile(dialog);
}

QMessageBox::StandardButton DialogQuestions::Ask(QWidget* parent, const QString& caption, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::Icon icon) {
    // A question whose window went unanswered is answered as closed.
    const std::optional<int> answer = RunOwnedDialog(new QMessageBox(icon, caption, text, buttons, parent));
    return static_cast<QMessageBox::StandardButton>(answer.value_or(QMessageBox::NoButton));
}

void DialogQuestions::Tell(QWidget* parent, const QString& caption, const QString& text,
                           QMessageBox::Icon icon) {
    RunOwnedDialog(new QMessageBox(icon, caption, text, QMessageBox::Ok, parent));
}

bool DialogQuestions::Choose(QWidget* parent, const QString& caption, const QString& text,
                             const QString& yesText, const QString& noText, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(yesText, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(noText, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString QtFileFilter(std::string_view pipeFilter) {
    const QStringList parts = QString::fromUtf8(pipeFilter.data(), static_cast<qsizetype>(pipeFilter.size()))
                                  .split('|', Qt::SkipEmptyParts);
    QStringList entries;
    static const QRegularExpression lowerExtension(QStringLiteral("\\*\\.([a-z0-9]+)"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i];
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        QStringList withUpper;
        for (const QString& p : patterns) {
            withUpper << p;
            if (lowerExtension.match(p).hasMatch() && p.toUpper() != p) withUpper << p.toUpper();
        }
        // Qt reads the patterns in the text's parentheses; put them there, keeping the text.
        const qsizetype open = text.lastIndexOf('(');
        if (open >= 0) text = text.left(open);
        entries << QStringLiteral("%1(%2)").arg(text, withUpper.join(' '));
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace kelmora
