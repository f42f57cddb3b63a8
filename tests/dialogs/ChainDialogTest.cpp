#include "dialogs/ChainDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "FakeChainHost.h"
#include "QtTestApplication.h"
#include "dialogs/ChainDialogRegistry.h"

namespace kelmora {
namespace {

using FakeHost = testing::FakeChainHost;

// A list as the chain sees it: OK and Cancel end it, one field takes clicks.
class ListLike : public ChainDialog {
public:
    ListLike(ChainHost& host, const DialogRequest& request) : ChainDialog(host, request) {
        field = new QLineEdit(this);
        ok = new QPushButton("OK", this);
        cancel = new QPushButton("キャンセル", this);
        BindField(1006, field);
        BindButton(kOkButtonId, ok);
        BindButton(kCancelButtonId, cancel);
        connect(ok, &QPushButton::clicked, this, [this] { Finish(transaction().ListClosed(ListExit::Ok)); });
        connect(cancel, &QPushButton::clicked, this,
                [this] { Finish(transaction().ListClosed(ListExit::Cancel), Rejected); });
    }
    QLineEdit* field;
    QPushButton* ok;
    QPushButton* cancel;
};

class ChainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::TestApplication();
        CNoise model;
        model.outdoorSources.resize(2);
        host.tx.Load(model, "", false);
        request = *host.tx.StartChain(EditCommand::OutdoorSources, {300, 200}).open;
    }
    FakeHost host;
    DialogRequest request;
};

TEST_F(ChainDialogTest, EscapeAndTheCloseBoxTakeTheCancelPath) {
    ListLike dialog(host, request);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_EQ(host.applied.size(), 1u);
    EXPECT_EQ(host.applied[0].outcome, ChainOutcome::Discarded);
    EXPECT_EQ(host.tx.editMode(), kIdleMode);
    EXPECT_FALSE(dialog.isVisible());

    host.tx.StartChain(EditCommand::OutdoorSources, {300, 200});
    ListLike second(host, request);
    second.show();
    second.close();
    ASSERT_EQ(host.applied.size(), 2u);
    EXPECT_EQ(host.tx.editMode(), kIdleMode);
}

TEST_F(ChainDialogTest, CascadePressesItsOwnButtonOnceShown) {
    DialogRequest cascading = request;
    cascading.cascadePress = +1;
    ListLike dialog(host, cascading);
    dialog.show();
    EXPECT_TRUE(host.applied.empty()) << "pressed from the event loop, not inside show()";
    QTRY_COMPARE(host.applied.size(), std::size_t{1});
    EXPECT_EQ(host.applied[0].outcome, ChainOutcome::Committed);
}

TEST_F(ChainDialogTest, PlanClicksReachBoundControlsOnly) {
    ListLike dialog(host, request);
    dialog.SetControlText(1006, "12.500");
    dialog.SetControlText(4242, "ignored");
    EXPECT_EQ(dialog.field->text(), "12.500");
    dialog.ok->setEnabled(false);
    EXPECT_FALSE(dialog.IsButtonEnabled(kOkButtonId));
    EXPECT_FALSE(dialog.IsButtonEnabled(4242));
    dialog.PressButton(kOkButtonId);
    EXPECT_TRUE(host.applied.empty()) << "a disabled button is not pressed";
}

TEST_F(ChainDialogTest, FinishRemembersWhereTheDialogWas) {
    ListLike dialog(host, request);
    dialog.resize(200, 100);
    dialog.show();
    dialog.move(500, 400);
    dialog.PressButton(kOkButtonId);
    const ScreenPoint centre = host.tx.dialogCentre();
    EXPECT_EQ(centre.x, dialog.frameGeometry().left() + 100);
    EXPECT_EQ(centre.y, dialog.frameGeometry().top() + 50);
}

TEST(ChainDialogRegistry, EditorsServeBothModesOfTheirLevel) {
    ChainDialogRegistry registry;
    registry.RegisterEditor(EditLevel::Roof,
                            [](ChainHost&, const DialogRequest&, QWidget*) { return nullptr; });
    EXPECT_NE(registry.Find(kRoofAddMode), nullptr);
    EXPECT_NE(registry.Find(kRoofChangeMode), nullptr);
    EXPECT_EQ(registry.Find(kRoofListMode), nullptr);
}

}  // namespace
}  // namespace kelmora
