#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "QtTestApplication.h"
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/PlanView.h"
#include "app/WindowPlacement.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

TEST(WindowPlacement, StoredRectanglesKeepTheirExclusiveEdgesAndStayOnTheScreen) {
    const QRect r(10, 20, 300, 200);
    EXPECT_EQ(ToFrameRect(r), (FrameRect{10, 20, 310, 220}));
    EXPECT_EQ(ToQRect(ToFrameRect(r)), r);

    const QRect screen(0, 0, 1920, 1040);
    struct Case {
        FrameRect stored;
        std::optional<QRect> placed;
    };
    const Case cases[] = {
        {{100, 100, 1100, 800}, QRect(100, 100, 1000, 700)},    // on the screen: as stored
        {{1800, 900, 2800, 1600}, QRect(920, 340, 1000, 700)},  // off to the right and below: pulled in
        {{-500, -50, 500, 650}, QRect(0, 0, 1000, 700)},        // off to the left and above
        {{0, 0, 4000, 3000}, QRect(0, 0, 1920, 1040)},          // larger than the screen: shrunk to it
        {{0, 0, 0, 0}, std::nullopt},                           // empty: the system places the window
        {{-2147483647 - 1, 0, 2147483647, 10}, QRect(0, 0, 1920, 10)},  // extreme values do not overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(RestoredMainWindowRect(c.stored, screen), c.placed) << c.stored.left << "," << c.stored.top;
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("kelmora-folders-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(Folders, DataFolderFromTheVariableBesideTheProgramOrPerUser) {
    EXPECT_EQ(ChooseDataFolder((root / "env").c_str(), root / "bin", root / "user"), root / "env");
    EXPECT_TRUE(fs::is_directory(root / "env"));
    EXPECT_EQ(ChooseDataFolder(nullptr, root / "bin", root / "user"), root / "bin" / "Data");
    EXPECT_EQ(ChooseDataFolder("", root / "bin", root / "user"), root / "bin" / "Data")
        << "empty means unset";

    // A program folder where no "Data" can be made (here a file stands in the way): the user's folder.
    std::ofstream(root / "blocked") << "x";
    EXPECT_EQ(ChooseDataFolder(nullptr, root / "blocked", root / "user"), root / "user" / "Data");
    EXPECT_EQ(ChooseDataFolder(nullptr, root / "blocked", root / "blocked"), std::nullopt);
    EXPECT_EQ(ChooseDataFolder((root / "blocked" / "x").c_str(), root / "bin", root / "user"), std::nullopt)
        << "a variable naming an impossible folder is not silently replaced";
}

// A chain dialog for the tests: a list with OK and Cancel.
class FakeList : public ChainDialog {
public:
    FakeList(ChainHost& host, const DialogRequest& request, QWidget* parent)
        : ChainDialog(host, request, parent) {
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
        BindButton(kOkButtonId, ok);
        BindButton(kCancelButtonId, cancel);
        connect(ok, &QPushButton::clicked, this, [this] { Finish(transaction().ListClosed(ListExit::Ok)); });
        connect(cancel, &QPushButton::clicked, this,
                [this] { Finish(transaction().ListClosed(ListExit::Cancel), Rejected); });
    }
};

class Desktop : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        // The program's own size dialog, a fake outdoor source list, and no ground line list: the
        // tests see how the document unwinds a chain whose dialog is missing.
        ChainDialogRegistry program;
        RegisterChainDialogs(program);
        context.registry.Register(kSizeChangeMode, *program.Find(kSizeChangeMode));
        context.registry.RegisterList(EditLevel::OutdoorSource,
                                      [](ChainHost& host, const DialogRequest& request, QWidget* parent) {
                                          return new FakeList(host, request, parent);
                                      });
        OpenWindow();
        OpenExample();
    }
};

TEST_F(Desktop, OpenDialogHoldsTheDocumentAndItsCommandsUntilItCloses) {
    doc->RunCommand(EditCommand::OutdoorSources);
    auto* list = window->findChild<FakeList*>();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->windowTitle(), QString::fromUtf8("屋外音源情報一覧"));
    EXPECT_EQ(list->windowModality(), Qt::WindowModal);
    for (QAction* command :
         {window->actions().groundLines, window->actions().buildings, window->actions().outdoorSources,
          window->actions().prediction, window->actions().sizeChange, window->actions().picture})
        EXPECT_FALSE(command->isEnabled()) << command->text().toStdString();
    EXPECT_FALSE(window->documents().Close(*doc)) << "not while its list is open";
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());

    list->PressButton(kOkButtonId);
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
    EXPECT_TRUE(window->actions().groundLines->isEnabled());
    EXPECT_TRUE(doc->transaction().modified()) << "the outermost OK commits";
    EXPECT_TRUE(doc->transaction().path().empty());
    QTRY_VERIFY(window->findChild<FakeList*>() == nullptr);
}

TEST_F(Desktop, DialogNotYetBuiltUnwindsItsChain) {
    const CNoise before = doc->transaction().model();
    doc->RunCommand(EditCommand::GroundLines);
    EXPECT_EQ(questions.told.back(), QString::fromUtf8("「地表線情報一覧」はまだ用意されていません。"));
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
    EXPECT_FALSE(doc->transaction().modified());
}

TEST_F(Desktop, SizeDialogTakesItsPositionFromARightClickAndClosesAsBack) {
    PlanView* view = doc->views().front();
    doc->RunCommand(EditCommand::SizeChange);
    ChainDialog* dialog = doc->openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("サイズ変更"));
    QTest::mouseClick(view, Qt::RightButton, {}, QPoint(120, 80));
    const QList<QLineEdit*> fields = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 6);
    // Order of the rows: on-screen length, logical length, position X, position Y, logical X, Y.
    EXPECT_EQ(fields[2]->text(), QStringLiteral("120"));
    EXPECT_EQ(fields[3]->text(), QStringLiteral("80"));

    // Esc leaves the values alone; the close box goes back.
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(doc->transaction().editMode(), kSizeChangeMode);
    dialog->close();
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
    EXPECT_TRUE(window->actions().sizeChange->isEnabled());
}

TEST_F(Desktop, SizeDialogApplyCalibratesTheActiveWindowOnly) {
    window->documents().NewWindow(*doc);  // asks for a picture: cancelled, a blank window
    ASSERT_EQ(doc->views().size(), 2u);
    PlanView* first = doc->views()[0];
    PlanView* second = doc->views()[1];
    doc->SetActiveView(first);
    const CKelmoraViewData secondBefore = second->viewData();
    doc->RunCommand(EditCommand::SizeChange);
    ChainDialog* dialog = doc->openDialog();
    ASSERT_NE(dialog, nullptr);
    const QList<QLineEdit*> fields = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 6);
    fields[0]->setText(QStringLiteral("200"));  // 200 px …
    fields[1]->setText(QStringLiteral("50"));   // … are 50 m
    fields[2]->setText(QStringLiteral("0"));
    fields[3]->setText(QStringLiteral("300"));
    fields[4]->setText(QStringLiteral("0"));
    fields[5]->setText(QStringLiteral("0"));
    dialog->PressButton(1005);
    const CVertex2D p = ModelToClient(first->viewData(), {50, 0, 0});
    EXPECT_NEAR(p.x, 200, 1e-6);
    EXPECT_NEAR(p.y, 300, 1e-6);
    EXPECT_EQ(second->viewData(), secondBefore);
    EXPECT_TRUE(doc->transaction().modified());
    dialog->PressButton(kOkButtonId);  // "戻る"
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
}

TEST_F(Desktop, FilesDroppedOnTheWindowOpenAsDocuments) {
    const fs::path copy =
        fs::temp_directory_path() / ("kelmora-dropped-" + std::to_string(::getpid()) + ".kel");
    fs::copy_file(KELMORA_EXAMPLE_PROJECT, copy, fs::copy_options::overwrite_existing);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(copy.string())),
                  QUrl(QStringLiteral("https://example.org/site.kel"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    ASSERT_EQ(window->documents().documents().size(), 2u) << "the local file opens, the web address does not";
    EXPECT_EQ(window->documents().documents()[1]->title(), QString::fromStdString(copy.filename().string()));
    fs::remove(copy);
}

TEST_F(Desktop, BackgroundPictureChangesUnderTheSameCalibration) {
    const fs::path folder = fs::temp_directory_path() / ("kelmora-pictures-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(QColor(10, 120, 30));
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "site.png").string())));
    std::ofstream(folder / "broken.jpg") << "not a picture";
    const QString title = QString::fromUtf8("読み込むファイルを指定してください");

    PlanView* view = doc->views().front();
    const CKelmoraViewData before = view->viewData();
    questions.files[title] = (folder / "site.png").string();
    doc->RunCommand(EditCommand::ChangePicture);
    EXPECT_TRUE(view->hasPicture());
    EXPECT_EQ(view->viewData().imagePath, (folder / "site.png").string());
    EXPECT_EQ(view->viewData().imageWidth, 640);
    EXPECT_EQ(view->viewData().calibration, before.calibration);
    EXPECT_EQ(view->viewData().zoom, before.zoom);
    EXPECT_TRUE(doc->transaction().modified());

    // A file that does not decode: the message, and the picture before it stays.
    questions.files[title] = (folder / "broken.jpg").string();
    doc->RunCommand(EditCommand::ChangePicture);
    ASSERT_FALSE(questions.told.isEmpty());
    EXPECT_TRUE(questions.told.back().startsWith(QString::fromUtf8("背景画像の読込に失敗しました.\n") +
                                                 QString::fromStdString((folder / "broken.jpg").string())));
    EXPECT_TRUE(view->hasPicture());
    EXPECT_EQ(view->viewData().imagePath, (folder / "site.png").string());
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kelmora
