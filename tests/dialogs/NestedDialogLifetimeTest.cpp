// An editor closed while a dialog it opened is still on the screen: the band editor of every spectrum
// button, and the band editor's own message box on top of it. A screen reader (or any accessibility
// client) can press the editor's buttons although the band editor blocks them for the mouse, and the
// chain can close the editor on its own (the document going, a press through the editor port). The
// editor closes with everything it opened, the transaction goes on as after a plain press, and nothing
// is left on the screen or freed twice (these tests are also run under AddressSanitizer).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "AccessibleActions.h"
#include "DialogTestSupport.h"
#include "QtTestApplication.h"
#include "dialogs/BandEditorDialog.h"
#include "dialogs/ChainRunner.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/EditorDialog.h"
#include "dialogs/PageSetupDialog.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using testing::ButtonNamed;
using testing::ChainRunner;
using testing::PressAccessibly;

// Every editor that has spectrum buttons, with the text of one of them.
struct SpectrumEditor {
    int mode;
    const char* button;
};
constexpr SpectrumEditor kSpectrumEditors[] = {
    {kWallChangeMode, "左側吸音率..."},
    {kRoofChangeMode, "右側吸音率..."},
    {kExteriorWallChangeMode, "吸音率..."},
    {kRoomChangeMode, "平均吸音率..."},
    {kOpeningChangeMode, "TL..."},
    {kRoomSourceChangeMode, "平均レベル..."},
    {kOutdoorSourceChangeMode, "最大レベル..."},
};

// How the editor is closed while its band editor is open.
enum class Closing {
    AccessibleCancel,     // a screen reader presses "キャンセル"
    AccessibleAllCancel,  // ... or "All Cancel"
    ChainCancel,   // the chain presses "キャンセル" through the editor port (as a plan click does)
    DocumentGoes,  // the document deletes its open dialog (the program ends, the session is reset)
};

const char* Name(Closing c) {
    switch (c) {
        case Closing::AccessibleCancel:
            return "accessible Cancel";
        case Closing::AccessibleAllCancel:
            return "accessible All Cancel";
        case Closing::ChainCancel:
            return "Cancel through the chain";
        case Closing::DocumentGoes:
            return "document goes";
    }
    return "";
}

QAbstractButton* AnyButtonWithText(QWidget* dialog, const char* text) {
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->text() == QString::fromUtf8(text)) return button;
    return nullptr;
}

// Runs `action` once the active modal window satisfies `wanted` (checked every 10 ms for 3 s).
void WhenModal(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> action, int tries = 300) {
    QTimer::singleShot(10, [wanted, action, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible() && wanted(modal)) {
            action(modal);
        } else if (tries > 0) {
            WhenModal(wanted, action, tries - 1);
        }
    });
}

bool IsBandEditor(QWidget* w) {
    return dynamic_cast<BandEditorDialog*>(w) != nullptr;
}

bool IsMessageOverBandEditor(QWidget* w) {
    return qobject_cast<QMessageBox*>(w) != nullptr && IsBandEditor(w->parentWidget());
}

bool NothingVisible() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) return false;
    return true;
}

class NestedDialogLifetime : public ::testing::Test {
protected:
    void SetUp() override { testing::TestApplication(); }

    // Opens the band editor from `editor`'s spectrum button; once it is up (and, with
    // `withMessage`, once its own message box is up over it), closes the editor as `closing` says.
    // Returns when the chain has carried that out.
    void CloseEditorOverBandEditor(const SpectrumEditor& editor, Closing closing, bool withMessage) {
        const CNoise site = plantest::SmallSite();
        auto runner = std::make_unique<ChainRunner>(site);
        runner->OpenEditor(editor.mode);
        QPointer<ChainDialog> dialog = runner->dialog;
        ASSERT_TRUE(dialog && dialog->isVisible());
        QAbstractButton* spectrum = AnyButtonWithText(dialog, editor.button);
        ASSERT_NE(spectrum, nullptr) << editor.button;
        ASSERT_TRUE(spectrum->isEnabled()) << editor.button;
        const int listMode = ModesOf(*LevelOfMode(editor.mode)).list;

        bool closed = false;
        const auto close = [&, dialog](QWidget*) {
            closed = true;
            ASSERT_TRUE(dialog);
            switch (closing) {
                case Closing::AccessibleCancel:
                    PressAccessibly(AnyButtonWithText(dialog, "キャンセル"));
                    break;
                case Closing::AccessibleAllCancel:
                    PressAccessibly(AnyButtonWithText(dialog, "All Cancel"));
                    break;
                case Closing::ChainCancel:
                    dialog->PressButton(kCancelButtonId);
                    break;
                case Closing::DocumentGoes:
                    runner.reset();
                    break;
            }
        };
        if (withMessage) {
            // A band the band editor refuses on its OK: its message box opens over it.
            WhenModal(IsBandEditor, [](QWidget* band) {
                band->findChildren<QLineEdit*>().front()->setText(QStringLiteral("not a number"));
                AnyButtonWithText(band, "OK")->click();
            });
            WhenModal(IsMessageOverBandEditor, close);
        } else {
            WhenModal(IsBandEditor, close);
        }
        spectrum->click();

        ASSERT_TRUE(QTest::qWaitFor([&] { return closed && !dialog; }, 3000)) << "the editor is still there";
        QTest::qWait(20);  // deferred deletions and queued continuations
        for (QWidget* window : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(window->isVisible() && (IsBandEditor(window) || qobject_cast<QMessageBox*>(window)))
                << "a band editor or its message stays on the screen";
        }
        if (closing == Closing::DocumentGoes) {
            EXPECT_TRUE(NothingVisible());
            return;
        }
        // The chain goes on as after a plain press: back to the list, or, after All Cancel, to the end
        // of the transaction with nothing committed.
        if (closing == Closing::AccessibleAllCancel) {
            ASSERT_TRUE(runner->WaitFor(kIdleMode));
            EXPECT_EQ(runner->outcome, ChainOutcome::Discarded);
            EXPECT_EQ(runner->transaction().model(), site);
            EXPECT_TRUE(NothingVisible());
        } else {
            ASSERT_TRUE(runner->WaitFor(listMode));
            EXPECT_EQ(runner->working(), site);
        }
    }
};

TEST_F(NestedDialogLifetime, AnEditorClosedOverItsBandEditorTakesTheBandEditorWithIt) {
    for (const SpectrumEditor& editor : kSpectrumEditors) {
        for (Closing closing : {Closing::AccessibleCancel, Closing::AccessibleAllCancel, Closing::ChainCancel,
                                Closing::DocumentGoes}) {
            SCOPED_TRACE(std::string(editor.button) + ", " + Name(closing));
            CloseEditorOverBandEditor(editor, closing, false);
        }
    }
}

TEST_F(NestedDialogLifetime, AnEditorClosedWhileItsBandEditorShowsAMessageTakesBoth) {
    for (const SpectrumEditor& editor : {kSpectrumEditors[0], kSpectrumEditors[6]}) {
        for (Closing closing :
             {Closing::AccessibleCancel, Closing::AccessibleAllCancel, Closing::DocumentGoes}) {
            SCOPED_TRACE(std::string(editor.button) + ", " + Name(closing));
            CloseEditorOverBandEditor(editor, closing, true);
        }
    }
}

// The page set-up asks for the author, or shows its preview, in a dialog of its own. Its OK and
// キャンセル pressed beneath that dialog do nothing: the page would otherwise print from under a
// question still waiting for its answer. Once the question is answered, OK finishes the page.
TEST(OwnQuestions, ThePageStaysOpenWhileItsOwnQuestionIs) {
    testing::TestApplication();
    for (const char* asking : {"変更(&H)...", "プレビュー(&V)..."}) {
        SCOPED_TRACE(asking);
        int finished = 0;
        PageSetupDialog* page = nullptr;
        const auto pressBeneath = [&] {
            for (const char* button : {"OK", "キャンセル"})
                PressAccessibly(ButtonNamed(page, button));
        };
        // Each hook's dialog, run over the page as the program runs it; OK and キャンセル of the page are
        // pressed while it is up, then it is answered.
        const auto ask = [&](QWidget* parent) {
            auto* question = new QMessageBox(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                                             QMessageBox::Ok, parent);
            QTimer::singleShot(0, question, [&, question] {
                pressBeneath();
                QTimer::singleShot(300, question, [&, question] {
                    EXPECT_TRUE(page->isVisible());
                    EXPECT_EQ(finished, 0);
                    question->accept();
                });
            });
            return RunOwnedDialog(question);
        };
        PageSetupDialog::Hooks hooks;
        hooks.preview = [&](const PageSetup&, QWidget* parent) { ask(parent); };
        hooks.changeAuthor = [&](QWidget* parent) -> std::optional<ReportAuthor> {
            if (!ask(parent)) return std::nullopt;
            return ReportAuthor{QStringLiteral("K"), QStringLiteral("A")};
        };
        PageSetupDialog dialog(QStringLiteral("PDF"), PageSetupDialog::Target::File, PageSetup{}, 300, {},
                               std::move(hooks));
        page = &dialog;
        QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
        dialog.open();
        ButtonNamed(&dialog, asking)->click();
        EXPECT_TRUE(dialog.isVisible());
        ButtonNamed(&dialog, "OK")->click();
        EXPECT_EQ(finished, 1);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

// The band editor's commands pressed beneath its own file dialog do nothing (no message box opens
// beneath the file dialog, the editor stays open); once the file dialog is answered they work again.
TEST(OwnQuestions, TheBandEditorWaitsForItsOwnFileDialog) {
    testing::TestApplication();
    bool accepted = false;
    QPointer<BandEditorDialog> band =
        BandEditorDialog::Open(nullptr, CBand::Filled(10.0), BandSpectrum::kTransmissionLoss,
                               [&](const CBand&) { accepted = true; });
    bool pressedBeneath = false;
    WhenModal([](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
              [&](QWidget* files) {
                  for (const char* button : {"OK", "OA値表示...", "A特性補正", "ファイル情報に追加する..."})
                      PressAccessibly(AnyButtonWithText(band, button));
                  QTimer::singleShot(300, [&, files] {
                      QWidget* top = QApplication::activeModalWidget();
                      EXPECT_EQ(top, files);
                      if (top != files) qobject_cast<QDialog*>(top)->reject();
                      EXPECT_TRUE(band && band->isVisible());
                      EXPECT_FALSE(accepted);
                      pressedBeneath = true;
                      qobject_cast<QDialog*>(files)->reject();
                  });
              });
    AnyButtonWithText(band, "ファイル情報から選択する...")->click();
    EXPECT_TRUE(pressedBeneath);
    ASSERT_TRUE(band);
    ButtonNamed(band, "OK")->click();
    EXPECT_TRUE(accepted);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace kelmora
