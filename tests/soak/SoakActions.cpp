// The soak's table of actions: what a user (or a screen reader) does, with its weight and when it
// applies. A new dialog gets its rows here; dialogs without rows of their own are still driven by the
// generic rows (their fields typed into, their buttons pressed, Esc and the close box).
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>
#include <cmath>
#include <cstring>

#include "app/KelmoraDocument.h"
#include "app/MapController.h"
#include "app/PlanView.h"
#include "app/PrintController.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/EditorDialog.h"
#include "dialogs/PredictionDialog.h"
#include "dialogs/ProgressDialog.h"
#include "editing/EditorKinds.h"
#include "editing/ListTable.h"
#include "editing/PredictionEditor.h"
#include "soak/Soak.h"
#include "soak/SoakInputs.h"

namespace kelmora::soak {

namespace {

// ---- Widgets ---------------------------------------------------------------------------------------

template <typename T>
std::vector<T*> Usable(QWidget* root) {
    std::vector<T*> out;
    if (root == nullptr) return out;
    for (T* w : root->findChildren<T*>())
        if (w->isVisible() && w->isEnabled()) out.push_back(w);
    return out;
}

int ControlId(const QWidget* w) {
    const QVariant v = w->property("controlId");
    return v.isValid() ? v.toInt() : 0;
}

QAbstractButton* ButtonWithId(QWidget* dialog, int id) {
    for (QAbstractButton* b : Usable<QAbstractButton>(dialog))
        if (ControlId(b) == id || b->objectName() == QString::number(id)) return b;
    return nullptr;
}

QAbstractButton* ButtonWithText(QWidget* dialog, const char* text) {
    for (QAbstractButton* b : Usable<QAbstractButton>(dialog))
        if (b->text() == QString::fromUtf8(text)) return b;
    return nullptr;
}

// A press as the user makes it: mostly the mouse, sometimes the keyboard, now and then a screen
// reader's press action (which lands a moment later).
void Press(Soak& soak, QAbstractButton* button) {
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) return;
    soak.Note("  press '" + button->text().toStdString() + "' in '" +
              button->window()->windowTitle().toStdString() + "'");
    const int how = soak.Uniform(0, 99);
    if (how < 85) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (how < 95) {
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
    } else {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        if (iface != nullptr && iface->actionInterface() != nullptr) {
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            soak.ExpectLateEvents(300);
        } else {
            button->click();
        }
    }
}

// Text typed into a field: ASCII key by key, other text committed as an input method does, long text
// pasted at once.
void Type(Soak& soak, QLineEdit* field, const std::string& text) {
    if (field == nullptr) return;
    soak.Note("  type '" + text.substr(0, 40) + (text.size() > 40 ? "..." : "") + "' into " +
              field->objectName().toStdString() + " of '" + field->window()->windowTitle().toStdString() +
              "'");
    const QString q = QString::fromStdString(text);
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && c < 127 && c >= 32; });
    field->setFocus();
    if (text.size() > 40) {
        field->setText(q);
    } else if (ascii) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, q);
    } else {
        field->selectAll();
        QInputMethodEvent commit;
        commit.setCommitString(q);
        QApplication::sendEvent(field, &commit);
    }
}

void Escape(Soak& soak, QWidget* dialog) {
    soak.Note("  Esc");
    QWidget* target = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, Qt::Key_Escape);
}

void CloseBox(Soak& soak, QWidget* dialog) {
    soak.Note("  close box");
    dialog->close();
}

void ClickRow(Soak& soak, QAbstractItemView* view, int row, bool twice = false) {
    if (view == nullptr || row < 0) return;
    const QModelIndex index = view->model()->index(row, 0);
    if (!index.isValid()) return;
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    soak.Note("  " + std::string(twice ? "double-click" : "click") + " row " + std::to_string(row));
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
}

// ---- Generic controls of any dialog ----------------------------------------------------------------

void PokeCombo(Soak& soak, QWidget* dialog) {
    std::vector<QComboBox*> combos = Usable<QComboBox>(dialog);
    if (combos.empty()) return;
    QComboBox* combo = soak.Pick(combos);
    soak.Note("  choose in " + combo->objectName().toStdString());
    if (soak.Chance(0.5)) {
        combo->setFocus();
        QTest::keyClick(combo, soak.Chance(0.5) ? Qt::Key_Down : Qt::Key_Up);
    } else {
        combo->setCurrentIndex(soak.Uniform(0, combo->count() - 1));
    }
}

void PokeCheck(Soak& soak, QWidget* dialog) {
    std::vector<QAbstractButton*> checks;
    for (QAbstractButton* b : Usable<QAbstractButton>(dialog))
        if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) checks.push_back(b);
    if (!checks.empty()) Press(soak, soak.Pick(checks));
}

void PokeRow(Soak& soak, QWidget* dialog) {
    std::vector<QAbstractItemView*> views = Usable<QAbstractItemView>(dialog);
    if (views.empty()) return;
    QAbstractItemView* view = soak.Pick(views);
    const int rows = view->model()->rowCount();
    if (rows > 0) ClickRow(soak, view, soak.Uniform(0, rows - 1), soak.Chance(0.1));
}

void PokeField(Soak& soak, QWidget* dialog) {
    std::vector<QLineEdit*> fields = Usable<QLineEdit>(dialog);
    if (fields.empty()) return;
    QLineEdit* field = soak.Pick(fields);
    Type(soak, field, soak.Chance(0.8) ? AnyNumberText(soak.rng(), std::nullopt) : FreeText(soak.rng()));
}

void PokeButton(Soak& soak, QWidget* dialog) {
    std::vector<QAbstractButton*> buttons;
    for (QAbstractButton* b : Usable<QAbstractButton>(dialog))
        if (qobject_cast<QPushButton*>(b) || qobject_cast<QToolButton*>(b)) buttons.push_back(b);
    if (!buttons.empty()) Press(soak, soak.Pick(buttons));
}

// ---- Scene helpers ---------------------------------------------------------------------------------

template <typename T>
std::vector<T*> ModelessOf(const Scene& scene) {
    std::vector<T*> out;
    if (!scene.free()) return out;
    for (QDialog* d : scene.modeless)
        if (auto* t = qobject_cast<T*>(d)) out.push_back(t);
    return out;
}

// The editor the user works with: the building editor when it is up, otherwise a modeless editor.
EditorDialog* TargetEditor(Soak& soak, const Scene& scene) {
    if (scene.modalEditor != nullptr) return scene.modalEditor;
    std::vector<EditorDialog*> editors = ModelessOf<EditorDialog>(scene);
    return editors.empty() ? nullptr : soak.Pick(editors);
}

bool HasEditor(Soak&, const Scene& scene) {
    return scene.modalEditor != nullptr || !ModelessOf<EditorDialog>(scene).empty();
}

// Other dialogs the soak has no rows for: any modal one on top, and modeless ones that are no editor
// of a chain and no progress dialog (the size dialog, the section window, dialogs added later).
QDialog* GenericDialog(Soak& soak, const Scene& scene) {
    if (scene.otherModal != nullptr) return scene.otherModal;
    if (!scene.free()) return nullptr;
    std::vector<QDialog*> others;
    for (QDialog* d : scene.modeless)
        if (!qobject_cast<EditorDialog*>(d) && !qobject_cast<ProgressDialog*>(d)) others.push_back(d);
    return others.empty() ? nullptr : soak.Pick(others);
}

bool HasGeneric(Soak& soak, const Scene& scene) {
    if (scene.otherModal != nullptr) return true;
    if (!scene.free()) return false;
    for (QDialog* d : scene.modeless)
        if (!qobject_cast<EditorDialog*>(d) && !qobject_cast<ProgressDialog*>(d)) return true;
    (void)soak;
    return false;
}

PredictionDialog* TargetPrediction(Soak& soak, const Scene& scene) {
    std::vector<PredictionDialog*> dialogs = ModelessOf<PredictionDialog>(scene);
    return dialogs.empty() ? nullptr : soak.Pick(dialogs);
}

ProgressDialog* TargetProgress(Soak& soak, const Scene& scene) {
    std::vector<ProgressDialog*> dialogs = ModelessOf<ProgressDialog>(scene);
    return dialogs.empty() ? nullptr : soak.Pick(dialogs);
}

bool Calculating(const Scene& scene) {
    return std::any_of(scene.documents.begin(), scene.documents.end(),
                       [](KelmoraDocument* d) { return d->calculating(); });
}

// Whether a calculation runs now (documents may have gone since the scene was seen).
bool CalculatingNow(Soak& soak) {
    if (soak.window() == nullptr) return false;
    const std::vector<KelmoraDocument*> documents = soak.window()->documents().documents();
    return std::any_of(documents.begin(), documents.end(),
                       [](KelmoraDocument* d) { return d->calculating(); });
}

// ---- Editors ---------------------------------------------------------------------------------------

std::optional<FieldLimits> LimitsOf(EditorDialog& editor, int id) {
    const EditorField* field = editor.editor().form().Find(id);
    return field != nullptr ? field->limits : std::nullopt;
}

bool IsNumberField(EditorDialog& editor, int id) {
    const EditorField* field = editor.editor().form().Find(id);
    return field != nullptr && field->kind == FieldKind::kNumber;
}

void EditorType(Soak& soak, const Scene& scene) {
    EditorDialog* editor = TargetEditor(soak, scene);
    std::vector<QLineEdit*> fields = Usable<QLineEdit>(editor);
    if (fields.empty()) return;
    QLineEdit* field = soak.Pick(fields);
    const int id = ControlId(field);
    Type(
        soak, field,
        IsNumberField(*editor, id) ? AnyNumberText(soak.rng(), LimitsOf(*editor, id)) : FreeText(soak.rng()));
}

void SetField(EditorDialog& editor, int id, double value) {
    auto* field = qobject_cast<QLineEdit*>(FindControl(&editor, id));
    if (field != nullptr && field->isEnabled()) field->setText(QString::number(value, 'g', 10));
}

int FieldNamed(EditorDialog& editor, const char* name) {
    for (const EditorField& field : editor.editor().form().fields())
        if (field.kind == FieldKind::kNumber && std::strcmp(field.name, name) == 0) return field.controlId;
    return 0;
}

// Values that pass the editors' checks between fields, most of the time: a rectangle with sides of a
// metre and more, a ceiling above the floor, a top above the bottom, a wall's range in order.
void MakeConsistent(Soak& soak, EditorDialog& editor) {
    const int rect[] = {kRectEntryX1Id, kRectEntryY1Id, kRectEntryZ1Id, kRectEntryX2Id,
                        kRectEntryY2Id, kRectEntryX3Id, kRectEntryY3Id, kRectEntryZ3Id};
    const bool hasRect =
        std::all_of(std::begin(rect), std::end(rect), [&](int id) { return IsNumberField(editor, id); });
    if (hasRect) {
        const double x1 = soak.UniformReal(-20, 120), y1 = soak.UniformReal(-20, 120);
        const double angle = soak.UniformReal(0, 6.283), length = soak.UniformReal(1.5, 30);
        const double depth = soak.UniformReal(1.5, 20), z1 = soak.UniformReal(1, 15);
        const double values[] = {x1,
                                 y1,
                                 z1,
                                 x1 + length * std::cos(angle),
                                 y1 + length * std::sin(angle),
                                 x1 - depth * std::sin(angle),
                                 y1 + depth * std::cos(angle),
                                 soak.UniformReal(0, z1)};
        for (int i = 0; i < 8; ++i)
            SetField(editor, rect[i], values[i]);
    }
    const auto pair = [&](const char* low, const char* high, double minGap, double maxGap) {
        const int lowId = FieldNamed(editor, low), highId = FieldNamed(editor, high);
        if (lowId == 0 || highId == 0) return;
        const double bottom = soak.UniformReal(0, 10);
        SetField(editor, lowId, bottom);
        SetField(editor, highId, bottom + soak.UniformReal(minGap, maxGap));
    };
    pair("floorZ", "ceilingZ", 1.2, 8);
    pair("bottomZ", "topZ", 0.5, 12);
    pair("rangeStart", "rangeEnd", 1, 20);
    if (const int height = FieldNamed(editor, "height")) SetField(editor, height, soak.UniformReal(0.5, 10));
}

// Every number field a valid value, so that the editor's checks have a chance to pass.
void EditorFillValid(Soak& soak, const Scene& scene) {
    EditorDialog* editor = TargetEditor(soak, scene);
    for (QLineEdit* field : Usable<QLineEdit>(editor)) {
        const int id = ControlId(field);
        if (!IsNumberField(*editor, id) || soak.Chance(0.3)) continue;
        std::optional<FieldLimits> limits = LimitsOf(*editor, id);
        field->setText(QString::fromStdString(NumberText(soak.rng(), InputKind::Valid, limits)));
    }
    if (soak.Chance(0.8)) MakeConsistent(soak, *editor);
    soak.Note("  valid values typed into '" + editor->windowTitle().toStdString() + "'");
}

void EditorPressId(Soak& soak, const Scene& scene, int id) {
    if (EditorDialog* editor = TargetEditor(soak, scene)) Press(soak, ButtonWithId(editor, id));
}

// The buttons of one kind in the editor's field table.
std::vector<int> EditorButtons(EditorDialog& editor, FieldKind kind) {
    std::vector<int> ids;
    for (const EditorField& field : editor.editor().form().fields())
        if (field.kind == kind && editor.editor().IsButtonEnabled(field.controlId))
            ids.push_back(field.controlId);
    return ids;
}

void EditorTableButton(Soak& soak, const Scene& scene, FieldKind kind) {
    EditorDialog* editor = TargetEditor(soak, scene);
    std::vector<int> ids = EditorButtons(*editor, kind);
    if (!ids.empty()) Press(soak, ButtonWithId(editor, soak.Pick(ids)));
}

void EditorVertexButton(Soak& soak, const Scene& scene) {
    EditorDialog* editor = TargetEditor(soak, scene);
    static const std::vector<int> ids = {kVertexAddId,    kVertexAddId,       kVertexChangeId,
                                         kVertexDeleteId, kVertexDeleteAllId, kVertexInsertId,
                                         kVertexCopyId};
    const int id = ids[static_cast<std::size_t>(soak.Uniform(0, static_cast<int>(ids.size()) - 1))];
    // A valid vertex first, most of the time.
    if (id == kVertexAddId && editor->editor().vertexList() && soak.Chance(0.7)) {
        const VertexListSpec& spec = *editor->editor().vertexList();
        for (const int field : {spec.xId, spec.yId, spec.zId})
            if (field != 0)
                if (auto* edit = qobject_cast<QLineEdit*>(FindControl(editor, field));
                    edit && edit->isEnabled())
                    edit->setText(QString::fromStdString(
                        NumberText(soak.rng(), InputKind::Valid, LimitsOf(*editor, field))));
    }
    Press(soak, ButtonWithId(editor, id));
}

// ---- Plan ------------------------------------------------------------------------------------------

PlanView* TargetView(Soak& soak, const Scene& scene) {
    std::vector<PlanView*> views = scene.views;
    return views.empty() ? nullptr : soak.Pick(views);
}

QPoint RandomPoint(Soak& soak, QWidget* w) {
    return {soak.Uniform(0, std::max(0, w->width() - 1)), soak.Uniform(0, std::max(0, w->height() - 1))};
}

Qt::KeyboardModifiers RandomKeys(Soak& soak) {
    switch (soak.Uniform(0, 9)) {
        case 0:
        case 1:
            return Qt::ControlModifier;
        case 2:
        case 3:
            return Qt::ShiftModifier;
        case 4:
            return Qt::ControlModifier | Qt::ShiftModifier;
        default:
            return Qt::NoModifier;
    }
}

void PlanClick(Soak& soak, const Scene& scene, Qt::MouseButton button) {
    PlanView* view = TargetView(soak, scene);
    if (view == nullptr) return;
    const QPoint at = RandomPoint(soak, view);
    const Qt::KeyboardModifiers keys = RandomKeys(soak);
    soak.Note("  click " + std::to_string(static_cast<int>(button)) + " keys " +
              std::to_string(keys.toInt()) + " at " + std::to_string(at.x()) + "," + std::to_string(at.y()) +
              " on " + view->document().title().toStdString());
    QTest::mouseClick(view, button, keys, at);
}

void PlanDrag(Soak& soak, const Scene& scene) {
    PlanView* view = TargetView(soak, scene);
    if (view == nullptr) return;
    const QPoint from = RandomPoint(soak, view);
    const QPoint to = RandomPoint(soak, view);
    const int kind = soak.Uniform(0, 9);
    const Qt::KeyboardModifiers keys = kind < 4   ? Qt::ShiftModifier
                                       : kind < 8 ? Qt::ControlModifier
                                                  : Qt::NoModifier;
    const Qt::MouseButton button = soak.Chance(0.9) ? Qt::LeftButton : Qt::RightButton;
    soak.Note("  drag keys " + std::to_string(keys.toInt()) + " from " + std::to_string(from.x()) + "," +
              std::to_string(from.y()) + " to " + std::to_string(to.x()) + "," + std::to_string(to.y()));
    QTest::mousePress(view, button, keys, from);
    const int moves = soak.Uniform(1, 6);
    for (int i = 1; i <= moves; ++i) {
        if (!view->isVisible()) return;
        QTest::mouseMove(view, from + (to - from) * i / moves);
    }
    if (view->isVisible()) QTest::mouseRelease(view, button, keys, to);
}

void PlanWheel(Soak& soak, const Scene& scene) {
    PlanView* view = TargetView(soak, scene);
    if (view == nullptr) return;
    const QPoint at = RandomPoint(soak, view);
    const int notches = soak.Uniform(-3, 3);
    soak.Note("  wheel " + std::to_string(notches));
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
}

// ---- Main window -----------------------------------------------------------------------------------

// A command of the main window, from its menu or its toolbar; nothing while it is disabled.
void Command(Soak& soak, QAction* action) {
    if (action == nullptr || !action->isEnabled() || !action->isVisible()) return;
    soak.Note("  command '" + action->text().toStdString() + "'");
    QToolBar* toolbar = soak.window()->actions().toolBarWidget;
    QWidget* button = toolbar != nullptr && toolbar->isVisible() ? toolbar->widgetForAction(action) : nullptr;
    if (button != nullptr && button->isVisible() && soak.Chance(0.4))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        action->trigger();
}

QMdiSubWindow* RandomSubWindow(Soak& soak) {
    QList<QMdiSubWindow*> windows = soak.window()->area().subWindowList();
    if (windows.isEmpty()) return nullptr;
    return windows[soak.Uniform(0, static_cast<int>(windows.size()) - 1)];
}

bool HasDocument(Soak&, const Scene& scene) {
    return scene.free() && scene.active != nullptr;
}

bool ActiveIdle(Soak&, const Scene& scene) {
    return scene.free() && scene.active != nullptr && scene.active->transaction().editMode() == kIdleMode;
}

// ---- A screen reader -------------------------------------------------------------------------------

// A button of any window pressed through accessibility, modal dialogs notwithstanding: screen readers
// reach windows that the mouse cannot.
void ScreenReaderPress(Soak& soak, const Scene& scene) {
    std::vector<QAbstractButton*> buttons;
    for (QWidget* window : scene.windows)
        for (QAbstractButton* b : Usable<QAbstractButton>(window))
            buttons.push_back(b);
    if (buttons.empty()) return;
    QAbstractButton* button = soak.Pick(buttons);
    soak.Note("  screen reader presses '" + button->text().toStdString() + "' in '" +
              button->window()->windowTitle().toStdString() + "'");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    if (iface == nullptr || iface->actionInterface() == nullptr) return;
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    soak.ExpectLateEvents(300);
}

// ---- Prediction ------------------------------------------------------------------------------------

void PredictionType(Soak& soak, const Scene& scene) {
    PredictionDialog* dialog = TargetPrediction(soak, scene);
    std::vector<QLineEdit*> fields = Usable<QLineEdit>(dialog);
    if (fields.empty()) return;
    QLineEdit* field = soak.Pick(fields);
    std::optional<FieldLimits> limits;
    switch (ControlId(field)) {
        case kRowDivisionsId:
        case kColumnDivisionsId:
            limits = FieldLimits{1, 4};
            break;
        case kMaxReflectionsId:
            limits = FieldLimits{0, 2};
            break;
        case kTargetTimeId:
            limits = kTargetTimeLimits;
            break;
        case kTemperatureId:
            limits = kTemperatureLimits;
            break;
        case kHumidityId:
            limits = kHumidityLimits;
            break;
        case kEffectiveDistanceId:
            limits = kEffectiveDistanceLimits;
            break;
        case kGridHeightId:
            limits = kGridHeightLimits;
            break;
        case kGridTopHeightId:
            limits = kGridTopHeightLimits;
            break;
        case kPredictionMemoId:
            Type(soak, field, FreeText(soak.rng()));
            return;
        default:
            limits = kPointCoordinateLimits;
            break;
    }
    std::string text = AnyNumberText(soak.rng(), limits);
    if ((ControlId(field) == kRowDivisionsId || ControlId(field) == kColumnDivisionsId ||
         ControlId(field) == kMaxReflectionsId) &&
        soak.Chance(0.6))
        text = std::to_string(soak.Uniform(static_cast<int>(limits->low), static_cast<int>(limits->high)));
    Type(soak, field, text);
}

// "予測計算開始..." on settings small enough for a run of moments: few grid divisions and reflections.
void PredictionRun(Soak& soak, const Scene& scene) {
    PredictionDialog* dialog = TargetPrediction(soak, scene);
    if (soak.Chance(0.9)) {
        const std::pair<int, std::string> small[] = {
            {kRowDivisionsId, std::to_string(soak.Uniform(1, 3))},
            {kColumnDivisionsId, std::to_string(soak.Uniform(1, 3))},
            {kMaxReflectionsId, std::to_string(soak.Uniform(0, 1))},
            {kEffectiveDistanceId, std::to_string(soak.Uniform(20, 300))},
        };
        for (const auto& [id, text] : small)
            if (auto* field = qobject_cast<QLineEdit*>(FindControl(dialog, id)))
                field->setText(QString::fromStdString(text));
        // Lists of many points stay short.
        if (KelmoraDocument* doc = scene.active;
            doc && doc->transaction().workingCopy().calcInfo.pointList.size() > 12 && soak.Chance(0.5))
            Press(soak, ButtonWithId(dialog, kDeleteAllPointsId));
    }
    Press(soak, ButtonWithId(dialog, kStartRunId));
    // Most runs end before the next step, so that a replay meets the same state; some are cancelled at
    // once, some go on while the user does other things.
    const int plan = soak.Uniform(0, 99);
    if (plan < 60) {
        soak.Note("  wait for the end of the run");
        (void)QTest::qWaitFor([&] { return !CalculatingNow(soak); }, 120000);
    } else if (plan < 85) {
        soak.Settle();
        if (soak.window() == nullptr) return;
        if (auto* progress = soak.window()->findChild<ProgressDialog*>()) {
            if (progress->isVisible()) Press(soak, ButtonWithText(progress, "キャンセル"));
        }
    }
}

// ---- Quitting -------------------------------------------------------------------------------------

// Every dialog closed the way a user tidies up before quitting: Cancel, Esc, the close box, a running
// calculation cancelled and awaited.
void CloseEveryDialog(Soak& soak) {
    for (int round = 0; round < 60 && soak.window() != nullptr; ++round) {
        QWidget* modal = QApplication::activeModalWidget();
        QWidget* target = modal;
        if (target == nullptr)
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && qobject_cast<QDialog*>(w)) target = w;
        if (target == nullptr) return;
        if (auto* progress = qobject_cast<ProgressDialog*>(target)) {
            Press(soak, ButtonWithText(progress, "キャンセル"));
            (void)QTest::qWaitFor([&] { return !CalculatingNow(soak); }, 120000);
        } else if (QAbstractButton* cancel = ButtonWithId(target, kCancelButtonId)) {
            Press(soak, cancel);
        } else {
            CloseBox(soak, target);
        }
        soak.Settle();
    }
}

// ---- The table -------------------------------------------------------------------------------------

#define ACT(...)                         \
    [](Soak& soak, const Scene& scene) { \
        (void)soak;                      \
        (void)scene;                     \
        __VA_ARGS__;                     \
    }
#define WHEN(...)                                \
    [](Soak& soak, const Scene& scene) -> bool { \
        (void)soak;                              \
        (void)scene;                             \
        return __VA_ARGS__;                      \
    }

std::vector<Action> MakeActions() {
    return {
        // -- A context menu --
        {"menu-pick", 6, false, WHEN(scene.popup != nullptr), ACT({
             std::vector<QAction*> actions;
             for (QAction* a : scene.popup->actions())
                 if (a->isEnabled() && a->isVisible() && !a->isSeparator() && !a->menu())
                     actions.push_back(a);
             if (actions.empty()) {
                 scene.popup->close();
                 return;
             }
             QAction* a = soak.Pick(actions);
             soak.Note("  menu item '" + a->text().toStdString() + "'");
             QTest::mouseClick(scene.popup, Qt::LeftButton, {}, scene.popup->actionGeometry(a).center());
         })},
        {"menu-esc", 3, false, WHEN(scene.popup != nullptr),
         ACT(QTest::keyClick(scene.popup, Qt::Key_Escape))},

        // -- A message box --
        {"box-button", 8, false, WHEN(scene.box != nullptr), ACT({
             std::vector<QAbstractButton*> buttons;
             for (QAbstractButton* b : scene.box->buttons())
                 if (b->isVisible()) buttons.push_back(b);
             if (!buttons.empty()) Press(soak, soak.Pick(buttons));
         })},
        {"box-esc", 2, false, WHEN(scene.box != nullptr), ACT(Escape(soak, scene.box))},
        {"box-enter", 1, false, WHEN(scene.box != nullptr), ACT(QTest::keyClick(scene.box, Qt::Key_Return))},

        // -- Qt's file dialog (the band library's files) --
        {"file-choose", 6, false, WHEN(scene.fileDialog != nullptr), ACT({
             // Copies of the band library samples: appending writes into them.
             const std::filesystem::path& w = soak.work();
             const std::filesystem::path files[] = {w / "two-spectra.csv",   w / "quoted-titles.csv",
                                                    w / "damaged.csv",       w / "bands.csv",
                                                    w / "missing" / "x.csv", w / "site.png"};
             const std::filesystem::path& file = files[soak.Uniform(0, 5)];
             soak.Note("  file '" + file.string() + "'");
             auto* name = scene.fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
             if (name != nullptr) name->setText(QString::fromStdString(file.string()));
             QMetaObject::invokeMethod(scene.fileDialog, "accept");
             if (scene.fileDialog->isVisible()) scene.fileDialog->reject();
         })},
        {"file-cancel", 2, false, WHEN(scene.fileDialog != nullptr), ACT(scene.fileDialog->reject())},

        // -- Lists of the editing chains --
        {"list-select", 10, false, WHEN(scene.list != nullptr), ACT({
             QTableWidget* table = scene.list->table();
             if (table->rowCount() > 0) ClickRow(soak, table, soak.Uniform(0, table->rowCount() - 1));
         })},
        {"list-key", 2, false, WHEN(scene.list != nullptr), ACT({
             scene.list->table()->setFocus();
             QTest::keyClick(scene.list->table(), soak.Chance(0.5) ? Qt::Key_Down : Qt::Key_Up);
         })},
        {"list-add", 12, false, WHEN(scene.list != nullptr),
         ACT(Press(soak, scene.list->button(kListAddButtonId)))},
        {"list-change", 14, false, WHEN(scene.list != nullptr),
         ACT(Press(soak, scene.list->button(kChangeButtonId)))},
        {"list-double-click", 3, false, WHEN(scene.list != nullptr), ACT({
             QTableWidget* table = scene.list->table();
             if (table->rowCount() > 0) ClickRow(soak, table, soak.Uniform(0, table->rowCount() - 1), true);
         })},
        {"list-delete", 3, false, WHEN(scene.list != nullptr),
         ACT(Press(soak, scene.list->button(kDeleteButtonId)))},
        {"list-up", 2, false, WHEN(scene.list != nullptr), ACT(Press(soak, scene.list->button(kUpButtonId)))},
        {"list-down", 2, false, WHEN(scene.list != nullptr),
         ACT(Press(soak, scene.list->button(kDownButtonId)))},
        {"list-extra", 3, false, WHEN(scene.list != nullptr), ACT({
             Press(soak, scene.list->button(kShiftedCopyButtonId));
             Press(soak, scene.list->button(kGenerateButtonId));
         })},
        {"list-ok", 6, false, WHEN(scene.list != nullptr), ACT(Press(soak, scene.list->button(kOkButtonId)))},
        {"list-cancel", 3, false, WHEN(scene.list != nullptr),
         ACT(Press(soak, scene.list->button(kCancelButtonId)))},
        {"list-esc", 1, false, WHEN(scene.list != nullptr), ACT(Escape(soak, scene.list))},
        {"list-close-box", 1, false, WHEN(scene.list != nullptr), ACT(CloseBox(soak, scene.list))},

        // -- Editors of the editing chains --
        {"editor-type", 14, false, WHEN(HasEditor(soak, scene)), ACT(EditorType(soak, scene))},
        {"editor-fill-valid", 10, false, WHEN(HasEditor(soak, scene)), ACT(EditorFillValid(soak, scene))},
        {"editor-choice", 3, false, WHEN(HasEditor(soak, scene)),
         ACT(PokeCombo(soak, TargetEditor(soak, scene)))},
        {"editor-check", 3, false, WHEN(HasEditor(soak, scene)),
         ACT(PokeCheck(soak, TargetEditor(soak, scene)))},
        {"editor-vertex-row", 2, false, WHEN(HasEditor(soak, scene)),
         ACT(PokeRow(soak, TargetEditor(soak, scene)))},
        {"editor-vertex-button", 8, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorVertexButton(soak, scene))},
        {"editor-sub-list", 8, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorTableButton(soak, scene, FieldKind::kSubList))},
        {"editor-spectrum", 3, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorTableButton(soak, scene, FieldKind::kSpectrum))},
        {"editor-action", 2, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorTableButton(soak, scene, FieldKind::kAction))},
        {"editor-ok", 8, false, WHEN(HasEditor(soak, scene)), ACT(EditorPressId(soak, scene, kOkButtonId))},
        {"editor-apply", 3, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorPressId(soak, scene, kApplyButtonId))},
        {"editor-cancel", 3, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorPressId(soak, scene, kCancelButtonId))},
        {"editor-all-ok", 2, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorPressId(soak, scene, kAllOkButtonId))},
        {"editor-all-cancel", 1, false, WHEN(HasEditor(soak, scene)),
         ACT(EditorPressId(soak, scene, kAllCancelButtonId))},
        {"editor-esc", 1, false, WHEN(HasEditor(soak, scene)), ACT(Escape(soak, TargetEditor(soak, scene)))},
        {"editor-close-box", 1, false, WHEN(HasEditor(soak, scene)),
         ACT(CloseBox(soak, TargetEditor(soak, scene)))},

        // -- The prediction dialog --
        {"prediction-type", 6, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(PredictionType(soak, scene))},
        {"prediction-mode", 3, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(PokeCheck(soak, TargetPrediction(soak, scene)))},
        {"prediction-point-row", 1, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(PokeRow(soak, TargetPrediction(soak, scene)))},
        {"prediction-point-button", 3, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()), ACT({
             static const int ids[] = {kAddPointId, kAddPointId, kChangePointId, kDeleteAllPointsId};
             Press(soak, ButtonWithId(TargetPrediction(soak, scene), ids[soak.Uniform(0, 3)]));
         })},
        {"prediction-apply", 2, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(Press(soak, ButtonWithId(TargetPrediction(soak, scene), kApplyId)))},
        {"prediction-run", 8, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(PredictionRun(soak, scene))},
        {"prediction-ok", 2, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(Press(soak, ButtonWithId(TargetPrediction(soak, scene), kOkButtonId)))},
        {"prediction-cancel", 2, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(Press(soak, ButtonWithId(TargetPrediction(soak, scene), kCancelButtonId)))},
        {"prediction-esc", 1, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(Escape(soak, TargetPrediction(soak, scene)))},
        {"prediction-close-box", 1, false, WHEN(!ModelessOf<PredictionDialog>(scene).empty()),
         ACT(CloseBox(soak, TargetPrediction(soak, scene)))},

        // -- A calculation --
        {"calc-wait", 12, false, WHEN(Calculating(scene)), ACT({
             const int ms = soak.Uniform(10, 1500);
             soak.Note("  wait up to " + std::to_string(ms) + " ms");
             (void)QTest::qWaitFor([&] { return !CalculatingNow(soak); }, ms);
         })},
        {"calc-cancel", 3, false, WHEN(!ModelessOf<ProgressDialog>(scene).empty()), ACT({
             ProgressDialog* progress = TargetProgress(soak, scene);
             switch (soak.Uniform(0, 2)) {
                 case 0:
                     Press(soak, ButtonWithText(progress, "キャンセル"));
                     break;
                 case 1:
                     Escape(soak, progress);
                     break;
                 default:
                     CloseBox(soak, progress);
                     break;
             }
         })},

        // -- Other dialogs: the size dialog, the band editor and its tools, the offsets, the section
        //    window, and any dialog added later --
        {"dialog-type", 6, false, WHEN(HasGeneric(soak, scene)),
         ACT(PokeField(soak, GenericDialog(soak, scene)))},
        {"dialog-button", 6, false, WHEN(HasGeneric(soak, scene)),
         ACT(PokeButton(soak, GenericDialog(soak, scene)))},
        {"dialog-choice", 1, false, WHEN(HasGeneric(soak, scene)),
         ACT(PokeCombo(soak, GenericDialog(soak, scene)))},
        {"dialog-check", 1, false, WHEN(HasGeneric(soak, scene)),
         ACT(PokeCheck(soak, GenericDialog(soak, scene)))},
        {"dialog-row", 1, false, WHEN(HasGeneric(soak, scene)),
         ACT(PokeRow(soak, GenericDialog(soak, scene)))},
        {"dialog-ok", 3, false, WHEN(HasGeneric(soak, scene)),
         ACT(Press(soak, ButtonWithText(GenericDialog(soak, scene), "OK")))},
        {"dialog-esc", 2, false, WHEN(HasGeneric(soak, scene)),
         ACT(Escape(soak, GenericDialog(soak, scene)))},
        {"dialog-close-box", 2, false, WHEN(HasGeneric(soak, scene)),
         ACT(CloseBox(soak, GenericDialog(soak, scene)))},

        // -- The plan --
        {"plan-click", 10, false, WHEN(scene.free() && !scene.views.empty()),
         ACT(PlanClick(soak, scene, Qt::LeftButton))},
        {"plan-right-click", 2, false, WHEN(scene.free() && !scene.views.empty()),
         ACT(PlanClick(soak, scene, Qt::RightButton))},
        {"plan-drag", 4, false, WHEN(scene.free() && !scene.views.empty()), ACT(PlanDrag(soak, scene))},
        {"plan-wheel", 3, false, WHEN(scene.free() && !scene.views.empty()), ACT(PlanWheel(soak, scene))},

        // -- Commands of the main window --
        {"ground-lines", 8, false, WHEN(ActiveIdle(soak, scene)),
         ACT(Command(soak, soak.window()->actions().groundLines))},
        {"buildings", 12, false, WHEN(ActiveIdle(soak, scene)),
         ACT(Command(soak, soak.window()->actions().buildings))},
        {"outdoor-sources", 5, false, WHEN(ActiveIdle(soak, scene)),
         ACT(Command(soak, soak.window()->actions().outdoorSources))},
        {"prediction", 6, false, WHEN(ActiveIdle(soak, scene)),
         ACT(Command(soak, soak.window()->actions().prediction))},
        {"size-change", 2, false, WHEN(ActiveIdle(soak, scene)),
         ACT(Command(soak, soak.window()->actions().sizeChange))},
        {"picture", 1, false, WHEN(ActiveIdle(soak, scene)),
         ACT(Command(soak, soak.window()->actions().picture))},
        {"undo", 5, false, WHEN(HasDocument(soak, scene)), ACT(Command(soak, soak.window()->actions().undo))},
        {"redo", 3, false, WHEN(HasDocument(soak, scene)), ACT(Command(soak, soak.window()->actions().redo))},
        {"undo-key", 1, false, WHEN(HasDocument(soak, scene)), ACT({
             soak.window()->activateWindow();
             QTest::keyClick(soak.window(), soak.Chance(0.6) ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
         })},
        {"new-document", 2, false, WHEN(scene.free() && scene.documents.size() < 5),
         ACT(Command(soak, soak.window()->actions().newDocument))},
        {"open", 2, false, WHEN(scene.free() && scene.documents.size() < 5),
         ACT(Command(soak, soak.window()->actions().open))},
        {"open-recent", 1, false, WHEN(scene.free() && scene.documents.size() < 5), ACT({
             std::vector<QAction*> entries;
             for (QAction* entry : soak.window()->actions().recentEntries)
                 if (entry->isEnabled() && entry->isVisible()) entries.push_back(entry);
             if (!entries.empty()) Command(soak, soak.Pick(entries));
         })},
        {"save", 3, false, WHEN(HasDocument(soak, scene)), ACT(Command(soak, soak.window()->actions().save))},
        {"save-as", 1, false, WHEN(HasDocument(soak, scene)),
         ACT(Command(soak, soak.window()->actions().saveAs))},
        {"close-document", 1, false, WHEN(HasDocument(soak, scene)),
         ACT(Command(soak, soak.window()->actions().close))},
        {"new-window", 2, false, WHEN(HasDocument(soak, scene)),
         ACT(Command(soak, soak.window()->actions().newWindow))},
        {"close-window", 2, false, WHEN(scene.free() && !scene.views.empty()), ACT({
             if (QMdiSubWindow* w = RandomSubWindow(soak)) {
                 soak.Note("  close window '" + w->windowTitle().toStdString() + "'");
                 w->close();
             }
         })},
        {"activate-window", 3, false, WHEN(scene.free() && !scene.views.empty()), ACT({
             if (QMdiSubWindow* w = RandomSubWindow(soak)) {
                 soak.Note("  activate '" + w->windowTitle().toStdString() + "'");
                 soak.window()->area().setActiveSubWindow(w);
             }
         })},
        {"window-state", 1, false, WHEN(scene.free() && !scene.views.empty()), ACT({
             QMdiSubWindow* w = RandomSubWindow(soak);
             if (w == nullptr) return;
             switch (soak.Uniform(0, 4)) {
                 case 0:
                     w->showMinimized();
                     break;
                 case 1:
                     w->showMaximized();
                     break;
                 case 2:
                     w->showNormal();
                     break;
                 case 3:
                     soak.window()->area().tileSubWindows();
                     break;
                 default:
                     w->resize(soak.Uniform(120, 900), soak.Uniform(100, 700));
                     break;
             }
         })},
        {"map-menu", 2, false, WHEN(HasDocument(soak, scene)), ACT({
             const MapActions& m = soak.window()->maps().actions();
             QAction* items[] = {m.showMap,        m.isoLines,      m.legend,  m.laeq,       m.lamax,
                                 m.openResultFile, m.differenceMap, m.section, m.savePicture};
             Command(soak, items[soak.Uniform(0, 8)]);
         })},
        {"map-settings", 1, false, WHEN(HasDocument(soak, scene)),
         ACT(Command(soak, soak.window()->maps().actions().settings))},
        {"print", 1, false, WHEN(HasDocument(soak, scene)),
         ACT(Command(soak, soak.window()->printing().printAction()))},
        {"export-pdf", 1, false, WHEN(HasDocument(soak, scene)),
         ACT(Command(soak, soak.window()->printing().pdfAction()))},
        {"import", 2, false, WHEN(scene.free()), ACT(Command(soak, soak.window()->actions().importSite))},
        {"about", 1, false, WHEN(scene.free()), ACT(Command(soak, soak.window()->actions().about))},
        {"quit-and-restart", 2, true, WHEN(scene.free()), ACT({
             if (soak.Chance(0.7)) CloseEveryDialog(soak);
             soak.RestartWindow();
         })},
        {"undo-check", 1, true, WHEN(ActiveIdle(soak, scene)), ACT(soak.CheckUndoToStart(*scene.active))},
        {"wait", 2, false, WHEN(true), ACT(QTest::qWait(soak.Uniform(0, 30)))},

        // -- A screen reader pressing buttons of any window --
        {"screen-reader-press", 2, false, WHEN(!scene.windows.empty()), ACT(ScreenReaderPress(soak, scene))},
    };
}

#undef ACT
#undef WHEN

}  // namespace

const std::vector<Action>& Actions() {
    static const std::vector<Action> actions = MakeActions();
    return actions;
}

}  // namespace kelmora::soak
