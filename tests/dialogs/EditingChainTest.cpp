// Whole editing chains through the program's own list and editor windows, compared with the project
// that is saved afterwards, in the JSON form that "kelmora-calc dump" prints.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "QtTestApplication.h"
#include "dialogs/BandEditorDialog.h"
#include "dialogs/ChainRunner.h"
#include "dialogs/ControlIds.h"
#include "dialogs/DialogSupport.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora {
namespace {

using testing::ChainRunner;
using testing::Click;
using testing::Control;
using testing::Type;

// Works the band editor that the next spectrum button opens: every band set to `value`, then OK.
class BandEditorAnswer {
public:
    explicit BandEditorAnswer(const char* value) : value_(value) {
        QTimer::singleShot(0, [this] { Answer(); });
    }
    // Waits until the band editor has been answered and has closed.
    bool Answered() {
        return QTest::qWaitFor(
            [this] { return !caption.empty() && QApplication::activeModalWidget() == nullptr; }, 3000);
    }
    std::string caption;

private:
    void Answer() {
        auto* editor = dynamic_cast<BandEditorDialog*>(QApplication::activeModalWidget());
        if (editor == nullptr) {
            if (++tries_ < 200) QTimer::singleShot(10, [this] { Answer(); });
            return;
        }
        caption = editor->windowTitle().toStdString();
        qobject_cast<QLineEdit*>(FindControl(editor, kAllBandsFieldId))->setText(QString::fromUtf8(value_));
        qobject_cast<QAbstractButton*>(FindControl(editor, kAllBandsButtonId))->click();
        qobject_cast<QAbstractButton*>(FindControl(editor, kOkButtonId))->click();
    }
    const char* value_;
    int tries_ = 0;
};

class EditingChainTest : public ::testing::Test {
protected:
    void SetUp() override { kelmora::testing::TestApplication(); }
};

TEST_F(EditingChainTest, ARoomWithAnOpeningEnteredThroughEveryWindowIsSaved) {
    CNoise site;
    site.buildings.emplace_back().memo = "第1工場";
    ChainRunner runner(site);

    runner.Start(EditCommand::Buildings);
    ASSERT_TRUE(runner.WaitFor(kBuildingListMode));
    runner.ChangeRow(0);
    ASSERT_TRUE(runner.WaitFor(kBuildingChangeMode));
    Click(runner.dialog, 1025);  // "室編集..."
    ASSERT_TRUE(runner.WaitFor(kRoomListMode));
    runner.AddRow();
    ASSERT_TRUE(runner.WaitFor(kRoomAddMode));

    QWidget* room = runner.dialog;
    for (const auto& [x, y] : {std::pair{"0", "0"}, {"12", "0"}, {"12", "8"}, {"0", "8"}}) {
        Type(room, 1016, x);
        Type(room, 1044, y);
        Click(room, 1004);  // "追加"
    }
    Type(room, 1039, "4.5");
    Type(room, 1035, "プレス室");
    {
        BandEditorAnswer band("0.2");
        Click(room, 1049);  // "壁吸音率..."
        ASSERT_TRUE(band.Answered());
        EXPECT_EQ(band.caption, "壁のデフォルト吸音率");
    }
    Click(room, 1051);  // "壁など開口部情報..."
    ASSERT_TRUE(runner.WaitFor(kOpeningListMode));
    runner.AddRow();
    ASSERT_TRUE(runner.WaitFor(kOpeningAddMode));

    // A shutter 4 m wide from the floor up to 3 m, entered by its top side and its foot.
    QWidget* opening = runner.dialog;
    const std::pair<int, const char*> rectangle[] = {{1016, "2"}, {1044, "0"}, {1039, "3"}, {1056, "6"},
                                                     {1024, "0"}, {1058, "2"}, {1028, "0"}, {1042, "0"}};
    for (auto [id, text] : rectangle)
        Type(opening, id, text);
    Type(opening, 1035, "シャッター");  // "メモ :"
    Click(opening, kOkButtonId);

    ASSERT_TRUE(runner.WaitFor(kOpeningListMode));
    runner.PressListButton(kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kRoomAddMode));
    Click(runner.dialog, kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kRoomListMode));
    runner.PressListButton(kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kBuildingChangeMode));
    Click(runner.dialog, kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kBuildingListMode));
    runner.PressListButton(kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kIdleMode));
    EXPECT_EQ(runner.outcome, ChainOutcome::Committed);

    ProjectDocument saved = NewProjectDocument();
    saved.model = runner.transaction().model();
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kelmora-editing-chain.kel";
    SaveProjectFile(file, saved);
    const ProjectDocument read = ReadProjectFile(file);
    std::filesystem::remove(file);

    ProjectDocument expected = NewProjectDocument();
    expected.model = site;
    CRoom& pressRoom = expected.model.buildings[0].rooms.emplace_back();
    pressRoom.outline.vertices = {{0, 0, 0}, {12, 0, 0}, {12, 8, 0}, {0, 8, 0}};
    pressRoom.ceilingZ = 4.5;
    pressRoom.defaultAbsorptionWall = CBand::Filled(0.2);
    pressRoom.memo = "プレス室";
    CWindow& shutter = pressRoom.openings.emplace_back();
    shutter.rect = {{2, 0, 3}, {6, 0, 3}, {6, 0, 0}};
    shutter.memo = "シャッター";
    EXPECT_EQ(ProjectJsonText(read), ProjectJsonText(expected));
}

}  // namespace
}  // namespace kelmora
