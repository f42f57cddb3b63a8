#include "dialogs/ChainListDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "FakeChainHost.h"
#include "QtTestApplication.h"
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/ShiftAmountDialog.h"
#include "model/SiteModelSamples.h"

namespace kelmora {
namespace {

constexpr ScreenPoint kCentre{400, 300};

// Runs `work` on the modal dialog that opens next, from the event loop it runs in.
void OnNextModal(std::function<void(QWidget*)> work) {
    QTimer::singleShot(0, [work = std::move(work)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        work(modal);
    });
}

class ChainListDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::TestApplication();
        RegisterChainDialogs(registry);
        host.tx.Load(testing::SampleModel(), "/work/site.kel", false);
    }

    // The dialog the registry makes for the transaction's open list, shown.
    std::unique_ptr<ChainListDialog> Show(const ChainStep& step) {
        EXPECT_TRUE(step.open);
        const ChainDialogFactory* factory = registry.Find(step.open->editMode);
        EXPECT_NE(factory, nullptr);
        auto* dialog = dynamic_cast<ChainListDialog*>((*factory)(host, *step.open, nullptr));
        EXPECT_NE(dialog, nullptr);
        dialog->show();
        return std::unique_ptr<ChainListDialog>(dialog);
    }

    // Hands row 0 to its editor and lets the editor open `subListMode`.
    ChainStep Enter(int subListMode) {
        host.tx.ListClosed(ListExit::Change, 0);
        host.tx.ResumeChain();
        host.tx.EditorClosed(EditorExit::OpenSubList, subListMode);
        return host.tx.ResumeChain();
    }

    void ClickRow(ChainListDialog& dialog, int row) {
        QTableWidget* table = dialog.table();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(row, 0)).center());
    }

    bool Enabled(ChainListDialog& dialog, int id) { return dialog.button(id)->isEnabled(); }

    testing::FakeChainHost host;
    ChainDialogRegistry registry;
};

TEST_F(ChainListDialogTest, EveryListModeOpensTheListDialog) {
    for (const EditLevel level : {EditLevel::GroundLine, EditLevel::Wall, EditLevel::Building,
                                  EditLevel::Roof, EditLevel::ExteriorWall, EditLevel::Room,
                                  EditLevel::Opening, EditLevel::RoomSource, EditLevel::OutdoorSource})
        EXPECT_NE(registry.Find(ModesOf(level).list), nullptr) << DialogCaption(ModesOf(level).list);
}

TEST_F(ChainListDialogTest, ShowsTheRowsAndEnablesTheButtonsAsTheSelectionMoves) {
    auto dialog = Show(host.tx.StartChain(EditCommand::Buildings, kCentre));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("建物情報一覧"));
    EXPECT_TRUE(dialog->isModal());

    QTableWidget* table = dialog->table();
    ASSERT_EQ(table->rowCount(), 2);
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QString::fromUtf8(" 外壁個数\u3000\u3000 "));
    EXPECT_EQ(table->item(0, 3)->text(), QString::fromUtf8("第1工場"));
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(table->showGrid());
    // Each column at least as wide as its header, so no header is cut.
    for (int c = 0; c < table->columnCount() - 1; ++c)
        EXPECT_GE(table->columnWidth(c), table->horizontalHeader()->sectionSizeHint(c)) << c;

    const std::vector<std::pair<int, const char*>> buttons = {
        {1004, "追加..."}, {1008, "変更..."}, {1017, "削除"},   {1026, "↑"},
        {1037, "↓"},       {1, "OK"},         {2, "キャンセル"}};
    for (const auto& [id, text] : buttons) {
        ASSERT_NE(dialog->button(id), nullptr) << id;
        EXPECT_EQ(dialog->button(id)->text(), QString::fromUtf8(text));
    }
    EXPECT_EQ(dialog->button(kShiftedCopyButtonId), nullptr);
    EXPECT_EQ(dialog->button(kGenerateButtonId), nullptr);

    // Opened on the first row: the plan highlights it.
    EXPECT_EQ(table->currentRow(), 0);
    EXPECT_EQ(host.hints, std::vector<int>{4});
    EXPECT_TRUE(Enabled(*dialog, kChangeButtonId));
    EXPECT_FALSE(Enabled(*dialog, kUpButtonId));
    EXPECT_TRUE(Enabled(*dialog, kDownButtonId));

    ClickRow(*dialog, 1);
    EXPECT_EQ(host.tx.edit().currentBuilding, 1);
    EXPECT_TRUE(Enabled(*dialog, kUpButtonId));
    EXPECT_FALSE(Enabled(*dialog, kDownButtonId));

    // "↑" moves the row and the selection with it.
    QTest::mouseClick(dialog->button(kUpButtonId), Qt::LeftButton);
    EXPECT_EQ(table->item(0, 3)->text(), "");
    EXPECT_EQ(table->currentRow(), 0);
    EXPECT_EQ(host.tx.edit().currentBuilding, 0);

    // Deleting both rows leaves only "追加...", OK and Cancel.
    host.hints.clear();
    QTest::mouseClick(dialog->button(kDeleteButtonId), Qt::LeftButton);
    QTest::mouseClick(dialog->button(kDeleteButtonId), Qt::LeftButton);
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(host.hints, (std::vector<int>{2, 4, 2, 3}));
    for (const int id : {kChangeButtonId, kDeleteButtonId, kUpButtonId, kDownButtonId})
        EXPECT_FALSE(Enabled(*dialog, id)) << id;
    EXPECT_TRUE(Enabled(*dialog, kListAddButtonId));
    EXPECT_EQ(host.tx.edit().currentBuilding, -1);
    EXPECT_TRUE(host.applied.empty()) << "the list stays open";
}

TEST_F(ChainListDialogTest, EscapeTakesTheCancelPathAndAddHandsTheNewItemOver) {
    {
        auto dialog = Show(host.tx.StartChain(EditCommand::OutdoorSources, kCentre));
        QTest::mouseClick(dialog->button(kDeleteButtonId), Qt::LeftButton);
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible());
        ASSERT_EQ(host.applied.size(), 1u);
        EXPECT_EQ(host.applied[0].outcome, ChainOutcome::Discarded);
        EXPECT_EQ(host.tx.model(), testing::SampleModel());
        EXPECT_EQ(host.tx.editMode(), kIdleMode);
    }
    host.applied.clear();
    auto dialog = Show(host.tx.StartChain(EditCommand::OutdoorSources, kCentre));
    QTest::mouseClick(dialog->button(kListAddButtonId), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(host.applied.size(), 1u);
    EXPECT_TRUE(host.applied[0].resume);
    EXPECT_EQ(host.tx.editMode(), kOutdoorSourceAddMode);
    EXPECT_EQ(host.tx.edit().currentOutdoorSource, 2);
}

TEST_F(ChainListDialogTest, ACascadePressesTheListsOwnButtonOnceShown) {
    ChainStep step = host.tx.StartChain(EditCommand::GroundLines, kCentre);
    step.open->cascadePress = -1;
    auto dialog = Show(step);
    QTRY_COMPARE(host.applied.size(), std::size_t{1});
    EXPECT_EQ(host.applied[0].outcome, ChainOutcome::Discarded);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ChainListDialogTest, GenerationButtonIsHiddenInTheListOfAnOpeningsOpenings) {
    host.tx.StartChain(EditCommand::Buildings, kCentre);
    Enter(kRoomListMode);
    auto roomOpenings = Show(Enter(kOpeningListMode));
    ASSERT_NE(roomOpenings->button(kGenerateButtonId), nullptr);
    EXPECT_EQ(roomOpenings->button(kGenerateButtonId)->text(), QString::fromUtf8("室形状から壁生成"));
    EXPECT_FALSE(roomOpenings->button(kGenerateButtonId)->isHidden());
    QTest::mouseClick(roomOpenings->button(kGenerateButtonId), Qt::LeftButton);
    EXPECT_EQ(roomOpenings->table()->rowCount(), 5);
    EXPECT_EQ(roomOpenings->table()->currentRow(), 4);
    roomOpenings->hide();

    auto inner = Show(Enter(kOpeningListMode));
    EXPECT_EQ(inner->table()->rowCount(), 2);
    EXPECT_TRUE(inner->button(kGenerateButtonId)->isHidden());
}

TEST_F(ChainListDialogTest, GenerationFailureIsToldInAMessageBox) {
    CNoise site = testing::SampleModel();
    site.buildings[0].roofs.clear();
    host.tx.Load(site, "", false);
    host.tx.StartChain(EditCommand::Buildings, kCentre);
    auto walls = Show(Enter(kExteriorWallListMode));
    QString caption, text;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        box->accept();
    });
    walls->button(kGenerateButtonId)->click();
    EXPECT_EQ(caption, QString::fromUtf8("外壁生成エラー"));
    EXPECT_EQ(text, QString::fromUtf8("屋上矩形が定義されていません"));
    EXPECT_EQ(walls->table()->rowCount(), 1);
}

TEST_F(ChainListDialogTest, MovedCopyOfAGroundLineTakesFullWidthDistancesAndRefusesOthers) {
    auto lines = Show(host.tx.StartChain(EditCommand::GroundLines, kCentre));
    ASSERT_NE(lines->button(kShiftedCopyButtonId), nullptr);
    EXPECT_EQ(lines->button(kShiftedCopyButtonId)->text(), QString::fromUtf8("選択地表線移動追加..."));

    // Cancelling the distances adds nothing.
    OnNextModal([](QWidget* modal) { modal->close(); });
    lines->button(kShiftedCopyButtonId)->click();
    EXPECT_TRUE(lines->isVisible());
    EXPECT_EQ(host.tx.workingCopy().groundLines.size(), 2u);

    // Text that is not a number is refused on its field; full-width digits and signs are numbers.
    QString refusal;
    OnNextModal([&](QWidget* modal) {
        auto* amount = qobject_cast<ShiftAmountDialog*>(modal);
        ASSERT_NE(amount, nullptr);
        EXPECT_EQ(amount->windowTitle(),
                  QString::fromUtf8("地表線移動量　＜左右は地表面ポリライン矢印方向に対して＞"));
        // Each field is found by its label.
        for (QLineEdit* field : {amount->horizontalField(), amount->verticalField()}) {
            bool labelled = false;
            for (QLabel* label : amount->findChildren<QLabel*>())
                labelled = labelled || label->buddy() == field;
            EXPECT_TRUE(labelled);
            EXPECT_EQ(field->text(), "0");
        }
        amount->horizontalField()->setText(QString::fromUtf8("－２．５"));
        amount->verticalField()->setText("1m");
        OnNextModal([&](QWidget* box) {
            refusal = qobject_cast<QMessageBox*>(box)->text();
            box->close();
        });
        amount->accept();
        EXPECT_EQ(amount->focusWidget(), amount->verticalField()) << "the refused field";
        amount->verticalField()->setText(QString::fromUtf8(" ０.５ "));
        amount->accept();
    });
    lines->button(kShiftedCopyButtonId)->click();
    EXPECT_EQ(refusal, QString::fromUtf8("数字を入力してください。"));
    EXPECT_FALSE(lines->isVisible());
    EXPECT_EQ(host.tx.editMode(), kGroundLineAddMode);
    ASSERT_EQ(host.tx.workingCopy().groundLines.size(), 3u);
    // 2.5 m to the right of the first segment (+x) is −y.
    EXPECT_EQ(host.tx.workingCopy().groundLines[2].polyline.vertices.front(), (CVector3D{0, -2.5, 0.5}));
}

}  // namespace
}  // namespace kelmora
