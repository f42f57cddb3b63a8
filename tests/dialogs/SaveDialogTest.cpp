// The save dialog the program asks with: a full suggested path starts it in that path's folder with its
// name, as "名前を付けて保存" does for a project.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <filesystem>
#include <string>

#include "DialogTestSupport.h"
#include "dialogs/UserQuestions.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

struct Seen {
    QString folder;
    QString name;
};

// The folder and the name field of the save dialog as it opens for `suggested`; the dialog is cancelled.
Seen SaveDialogFor(const QString& suggested) {
    Seen seen;
    testing::ModalAnswers answers({[&seen](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        seen.folder = dialog->directory().absolutePath();
        seen.name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        dialog->reject();
    }});
    DialogQuestions questions;
    EXPECT_FALSE(questions.ChooseFileToSave(nullptr, QStringLiteral("名前を付けて保存"),
                                            QStringLiteral("すべて (*)"), QString(), suggested));
    EXPECT_EQ(answers.unexpected(), 0);
    return seen;
}

TEST(SaveDialog, StartsInTheFolderOfASuggestedPathWithItsName) {
    testing::TestApplication();
    const fs::path folder = fs::temp_directory_path() / ("kelmora-save-" + std::to_string(::getpid()));
    fs::create_directories(folder / "site");
    const QString site = QString::fromStdString(fs::canonical(folder / "site").string());

    const Seen project = SaveDialogFor(site + QStringLiteral("/factory.kel"));
    EXPECT_EQ(project.folder, site);
    EXPECT_EQ(project.name, QStringLiteral("factory.kel"));

    // A bare name keeps the folder the dialog would open in; a folder that has gone is not forced on it.
    const Seen untitled = SaveDialogFor(QStringLiteral("Kelmora1"));
    EXPECT_EQ(untitled.name, QStringLiteral("Kelmora1"));
    const Seen moved = SaveDialogFor(site + QStringLiteral("/gone/factory.kel"));
    EXPECT_EQ(moved.name, QStringLiteral("factory.kel"));
    EXPECT_NE(moved.folder, site + QStringLiteral("/gone"));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kelmora
