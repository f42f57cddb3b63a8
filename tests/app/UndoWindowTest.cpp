// Undo and redo in the desktop program, without a display: a building deleted through the building
// list and brought back with Ctrl+Z, a window's picture taken back, and where "名前を付けて保存" starts
// for an opened project and for a restored backup, whose save prompt names the project it came from.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "QtTestApplication.h"
#include "app/MainWindowTest.h"
#include "app/PlanView.h"
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/ChainListDialog.h"
#include "model/persistence/ExtensionFile.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

const QString kSaveAsTitle = QString::fromUtf8("名前を付けて保存");

class UndoWindow : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        MakeWorkFolder("undo");
        fs::create_directories(work / "Data");
        fs::create_directories(work / "site");
        fs::copy_file(KELMORA_EXAMPLE_PROJECT, Project());
        context.programFolder = work;
        context.dataFolder = work / "Data";
        RegisterChainDialogs(context.registry);
        OpenWindow();
        doc = window->documents().Open(QString::fromStdString(Project().string()));
        ASSERT_NE(doc, nullptr);
    }

    fs::path Project() const { return work / "site" / "factory.kel"; }

    // The building list: row `row` deleted, then OK.
    void DeleteBuilding(int row) {
        window->actions().buildings->trigger();
        auto* list = qobject_cast<ChainListDialog*>(doc->openDialog());
        if (list == nullptr) list = window->findChild<ChainListDialog*>();
        ASSERT_NE(list, nullptr);
        QTableWidget* table = list->table();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(row, 0)).center());
        list->button(1017)->click();  // "削除"
        list->button(1)->click();     // OK
        ASSERT_EQ(doc->transaction().editMode(), kIdleMode);
        QTRY_VERIFY(window->findChild<ChainListDialog*>() == nullptr);
    }

    // Keys pressed in the main window, as the user does once the list has gone.
    void Keys(QKeyCombination keys) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), keys.key(), keys.keyboardModifiers());
    }
};

TEST_F(UndoWindow, DeletedBuildingComesBackWithCtrlZAndGoesAgainWithCtrlY) {
    const CNoise original = doc->transaction().model();
    ASSERT_GE(original.buildings.size(), 2u);
    const QAction& undo = *window->actions().undo;
    const QAction& redo = *window->actions().redo;
    EXPECT_FALSE(undo.isEnabled());
    EXPECT_EQ(undo.text(), QString::fromUtf8("元に戻す(&U)"));
    EXPECT_EQ(undo.shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(redo.shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));

    DeleteBuilding(0);
    CNoise expected = original;
    expected.buildings.erase(expected.buildings.begin());
    ASSERT_EQ(doc->transaction().model(), expected);
    EXPECT_TRUE(undo.isEnabled());
    EXPECT_EQ(undo.text(), QString::fromUtf8("元に戻す(&U): 建物情報の変更"));
    EXPECT_EQ(undo.toolTip(), QString::fromUtf8("元に戻す: 建物情報の変更"));
    EXPECT_FALSE(redo.isEnabled());

    // Not while a dialog of the document is open.
    window->actions().buildings->trigger();
    EXPECT_FALSE(undo.isEnabled());
    Keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(doc->transaction().model(), expected);
    auto* list = window->findChild<ChainListDialog*>();
    ASSERT_NE(list, nullptr);
    list->button(2)->click();  // キャンセル
    QTRY_VERIFY(window->findChild<ChainListDialog*>() == nullptr);

    Keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(doc->transaction().model(), original);
    EXPECT_FALSE(doc->transaction().modified()) << "back at the file as opened";
    EXPECT_EQ(doc->transaction().path(), fs::absolute(Project()).string());
    EXPECT_FALSE(window->area().subWindowList().front()->isWindowModified());
    EXPECT_EQ(redo.text(), QString::fromUtf8("やり直し(&R): 建物情報の変更"));

    Keys(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(doc->transaction().model(), expected);
    EXPECT_TRUE(doc->transaction().modified());

    // The plain save asks for a name, in the project's folder with its name; the file holds the model.
    const fs::path saved = work / "site" / "saved.kel";
    questions.files[kSaveAsTitle] = saved.string();
    window->actions().save->trigger();
    ASSERT_FALSE(questions.suggested.isEmpty());
    EXPECT_EQ(questions.suggested.back(), QString::fromStdString(fs::absolute(Project()).string()));
    EXPECT_EQ(ReadProjectWithExtras(saved).project.model, expected);
    EXPECT_FALSE(doc->transaction().modified());
}

TEST_F(UndoWindow, PictureIsTakenBackInItsOwnWindowWhileItIsOpen) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const fs::path png = work / "site" / "site.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(png.string())));
    window->documents().NewWindow(*doc);  // asks for a picture: cancelled, a blank window
    ASSERT_EQ(doc->views().size(), 2u);
    PlanView* second = doc->views()[1];
    const CKelmoraViewData before = second->viewData();
    const CKelmoraViewData first = doc->views()[0]->viewData();

    questions.files[QString::fromUtf8("読み込むファイルを指定してください")] = png.string();
    window->actions().picture->trigger();
    ASSERT_TRUE(second->hasPicture());
    EXPECT_EQ(window->actions().undo->toolTip(), QString::fromUtf8("元に戻す: 背景画像の変更"));
    doc->Undo();
    EXPECT_EQ(second->viewData(), before);
    EXPECT_FALSE(second->hasPicture());
    EXPECT_EQ(doc->views()[0]->viewData(), first);
    doc->Redo();
    EXPECT_EQ(second->viewData().imagePath, png.string());
    EXPECT_TRUE(second->hasPicture());

    // With its window closed, the step still counts for the modified flag and touches no other window.
    second->parentWidget()->close();
    QTRY_COMPARE(doc->views().size(), 1u);
    doc->Undo();
    EXPECT_EQ(doc->views()[0]->viewData(), first);
    EXPECT_EQ(window->actions().redo->toolTip(), QString::fromUtf8("やり直し: 背景画像の変更"));
}

TEST_F(UndoWindow, RestoredBackupRemembersItsProjectWithoutWritingItIntoTheProjectsOwnFiles) {
    // Some extras of the project's own, so that a saved copy has an extension file to look into.
    ProjectExtras limits;
    limits.limits = {LevelLimit{LimitScope::AllPoints, "", 55.0, std::nullopt}};
    doc->Apply(doc->transaction().CommitChange("規制値の変更", doc->transaction().model(), limits));
    ASSERT_TRUE(window->WriteSession());
    EXPECT_EQ(ReadExtensionFile(work / "Data" / "DOC1.asj1").backupOf, fs::absolute(Project()).string());

    window->RestoreSession();
    ASSERT_EQ(window->documents().documents().size(), 1u);
    doc = window->documents().documents().front();
    EXPECT_EQ(doc->title(), QStringLiteral("DOC1.asj1"));
    EXPECT_EQ(doc->transaction().origin(), fs::absolute(Project()).string());
    EXPECT_TRUE(doc->extras().backupOf.empty());
    EXPECT_EQ(doc->extras().limits, limits.limits);
    EXPECT_TRUE(doc->transaction().modified());

    // Written again at the next close, its backup still names the project.
    ASSERT_TRUE(window->WriteSession());
    EXPECT_EQ(ReadExtensionFile(work / "Data" / "DOC1.asj1").backupOf, fs::absolute(Project()).string());

    // The prompt names the project; "名前を付けて保存" starts at it; the copy's extension file keeps the
    // limits and nothing of the backup.
    const fs::path copy = work / "site" / "copy.kel";
    questions.files[kSaveAsTitle] = copy.string();
    questions.answers[QString::fromUtf8("への変更を保存しますか?")] = QMessageBox::Yes;
    EXPECT_TRUE(window->documents().Close(*doc));
    ASSERT_FALSE(questions.asked.isEmpty());
    EXPECT_TRUE(
        questions.asked.contains(QString::fromUtf8("DOC1.asj1 (factory.kel) への変更を保存しますか?")))
        << questions.asked.join('\n').toStdString();
    ASSERT_FALSE(questions.suggested.isEmpty());
    EXPECT_EQ(questions.suggested.back(), QString::fromStdString(fs::absolute(Project()).string()));
    const ProjectExtras saved = ReadExtensionFile(copy);
    EXPECT_TRUE(saved.backupOf.empty());
    EXPECT_EQ(saved.limits, limits.limits);
}

TEST_F(UndoWindow, ADocumentNeverSavedSuggestsItsTitleAndItsBackupNamesNoProject) {
    KelmoraDocument* untitled = window->documents().NewDocument();
    window->documents().SaveAs(*untitled);  // cancelled
    EXPECT_EQ(questions.suggested.back(), untitled->title());
    ASSERT_TRUE(window->WriteSession());
    EXPECT_TRUE(ReadExtensionFile(work / "Data" / "DOC2.asj1").backupOf.empty());
    window->RestoreSession();
    ASSERT_EQ(window->documents().documents().size(), 2u);
    KelmoraDocument* restored = window->documents().documents()[1];
    EXPECT_TRUE(restored->transaction().origin().empty());
    EXPECT_TRUE(window->documents().Close(*restored) == false);  // the prompt is cancelled
    EXPECT_EQ(questions.asked.back(), QString::fromUtf8("DOC2.asj1 への変更を保存しますか?"));
}

}  // namespace
}  // namespace kelmora
