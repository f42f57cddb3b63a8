// The small dialogs that read numbers outside the editors — the two offset dialogs of a snapped click
// and the size dialog — read them as every field of the program does (full-width digits too), with the
// framework's messages, and take Enter as their default button says.
#include <gtest/gtest.h>

#include <QTest>

#include "dialogs/DialogTestSupport.h"
#include "dialogs/FakeChainHost.h"
#include "dialogs/OffsetDialogs.h"
#include "dialogs/SizeChangeDialog.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

using testing::ButtonNamed;
using testing::FieldLabelled;
using testing::ModalAnswers;
using testing::SeenMessage;

QDialog* AsDialog(QWidget* w) {
    auto* dialog = qobject_cast<QDialog*>(w);
    EXPECT_NE(dialog, nullptr);
    return dialog;
}

bool ShowsText(QWidget* dialog, const char* text) {
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->text().contains(QString::fromUtf8(text))) return true;
    return false;
}

TEST(OffsetDialogs, OffsetTypedInFullWidthAndConfirmedWithEnterIsTaken) {
    testing::TestApplication();
    ModalAnswers answers({[](QWidget* w) {
        QDialog* dialog = AsDialog(w);
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("オフセット"));
        EXPECT_TRUE(ShowsText(dialog, "近接点に加えるオフセット値"));
        EXPECT_TRUE(ButtonNamed(dialog, "OK")->isDefault());
        FieldLabelled(dialog, "X :")->setText(QString::fromUtf8("１．５"));
        FieldLabelled(dialog, "Y :")->setText(QString::fromUtf8("－２"));
        QTest::keyClick(FieldLabelled(dialog, "Y :"), Qt::Key_Return);
    }});
    const std::optional<CVertex2D> offset = AskOffsetXYDialog(nullptr);
    ASSERT_TRUE(offset);
    EXPECT_EQ(*offset, (CVertex2D{1.5, -2.0}));
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST(OffsetDialogs, DistanceDialogExplainsThatEnterKeepsTheNearestPoint) {
    testing::TestApplication();
    std::vector<SeenMessage> seen;
    ModalAnswers answers({
        [](QWidget* w) {
            QDialog* dialog = AsDialog(w);
            EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("線上点オフセット"));
            EXPECT_TRUE(ShowsText(dialog, "線の近接点で良い場合は"));
            EXPECT_TRUE(ShowsText(dialog, "[キャンセル]をクリックしてください"));
            EXPECT_TRUE(ButtonNamed(dialog, "キャンセル")->isDefault());
            FieldLabelled(dialog, "線の近接端点からの距離")->setText(QStringLiteral("3"));
            QTest::keyClick(FieldLabelled(dialog, "線の近接端点からの距離"), Qt::Key_Return);
        },
        [&seen](QWidget* w) {
            QDialog* dialog = AsDialog(w);
            FieldLabelled(dialog, "線の近接端点からの距離")->setText(QString::fromUtf8("－１"));
            // The refusal's message box runs inside the click: it is answered from a timer of its own.
            QTimer::singleShot(50, [&seen] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
                box->button(QMessageBox::Ok)->click();
            });
            ButtonNamed(dialog, "OK")->click();  // refused: the message, and the dialog stays
            EXPECT_TRUE(dialog->isVisible());
            FieldLabelled(dialog, "線の近接端点からの距離")->setText(QString::fromUtf8("２.５"));
            ButtonNamed(dialog, "OK")->click();
        },
    });
    EXPECT_EQ(AskOffsetLengthDialog(nullptr), std::nullopt) << "Enter is キャンセル: the nearest point";
    EXPECT_EQ(AskOffsetLengthDialog(nullptr), 2.5);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "0 以上の数字を入力してください。");
    EXPECT_EQ(answers.unexpected(), 0);
}

class ActiveWindowHost : public testing::FakeChainHost {
public:
    CKelmoraViewData* activeViewData() override { return &view; }
    CKelmoraViewData view;
};

TEST(SizeChangeDialog, TakesFullWidthDigitsLikeEveryField) {
    testing::TestApplication();
    ActiveWindowHost host;
    ApplyDefaultTransforms(host.view);
    host.tx.BeginSizeChange({});
    SizeChangeDialog dialog(host, DialogRequest{kSizeChangeMode});
    const auto set = [&dialog](const char* label, const char* text) {
        QLineEdit* field = FieldLabelled(&dialog, label);
        ASSERT_NE(field, nullptr) << label;
        field->setText(QString::fromUtf8(text));
    };
    // The fields show the start of their numbers.
    EXPECT_EQ(FieldLabelled(&dialog, "論理上の長さ[m]")->cursorPosition(), 0);
    set("画面上の長さ", "２００");
    set("論理上の長さ[m]", "５０");
    set("画面上の位置 X", "０");
    set("画面上の位置 Y", "３００");
    set("論理座標 X", "０");
    set("論理座標 Y", "０");
    ModalAnswers answers({});
    dialog.PressButton(1005);  // "適用"
    const CVertex2D p = ModelToClient(host.view, {50, 0, 0});
    EXPECT_NEAR(p.x, 200, 1e-9) << "50 m now span 200 px";
    EXPECT_NEAR(p.y, 300, 1e-9);
    EXPECT_EQ(answers.unexpected(), 0) << "no message";
}

}  // namespace
}  // namespace kelmora
