#include "app/PlanView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <optional>
#include <span>

#include "app/KelmoraDocument.h"
#include "dialogs/OffsetDialogs.h"
#include "platform/raster/BackgroundPicture.h"
#include "platform/raster/MapPicture.h"
#include "platform/raster/PlanRasterizer.h"
#include "propagation/GroundModel.h"
#include "view/ClickActions.h"
#include "view/FitView.h"
#include "view/PlanPointer.h"
#include "view/PlanScene.h"
#include "view/PlanWheel.h"
#include "view/PointPathsDrawing.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {

namespace {

// The pictures the plan takes: those of the picture dialog, PNG besides.
constexpr const char* kPictureFilter =
    "背景画像JPEG(*.jpg)|*.jpg;*.jpeg|背景画像BMP(*.bmp)|*.bmp|背景画像PNG(*.png)|*.png||";

ClientPoint At(const QPointF& p) {
    return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

ModifierKeys KeysOf(Qt::KeyboardModifiers flags) {
    // Shift and Ctrl as flagged with the event, Alt as held right now.
    return {flags.testFlag(Qt::ShiftModifier), flags.testFlag(Qt::ControlModifier),
            QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier)};
}

constexpr QColor kBackgroundColour(240, 248, 255);

// How far from a prediction point's mark a double click still picks it [px].
constexpr double kPointPickRadius = 8.0;

// The dialog a click on the plan feeds, for as long as it stays open. A snapped click asks for its
// offset in a modal dialog of its own, and the editor may close meanwhile (a screen reader reaches its
// キャンセル past the modal dialog): the click's point then goes nowhere, neither into a dialog that has
// gone nor, through its "追加", into the item its cancel has just restored.
class OpenDialogPort : public EditorPort {
public:
    explicit OpenDialogPort(ChainDialog& dialog) : dialog_(&dialog) {}

    void SetControlText(int controlId, const std::string& text) override {
        if (Open()) dialog_->SetControlText(controlId, text);
    }
    void PressButton(int buttonId) override {
        if (Open()) dialog_->PressButton(buttonId);
    }
    bool IsButtonEnabled(int buttonId) const override { return Open() && dialog_->IsButtonEnabled(buttonId); }

private:
    bool Open() const { return !dialog_.isNull() && dialog_->isVisible(); }

    QPointer<ChainDialog> dialog_;
};

}  // namespace

PlanView::PlanView(KelmoraDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(QString::fromUtf8("平面図"));
    setMinimumSize(100, 80);
    document_.AddView(this);
    // A dialog opening or closing changes what a click does.
    connect(&document_, &KelmoraDocument::stateChanged, this, [this] { UpdateCursor(); });
}

PlanView::~PlanView() {
    document_.RemoveView(this);
}

int PlanView::editMode() const {
    return document_.transaction().editMode();
}

void PlanView::LoadPicture() {
    picture_ = QImage();
    const PictureLoad load = LoadBackgroundPicture(state_.viewData.imagePath);
    if (load.ok()) picture_ = load.picture;
}

void PlanView::SetUp(const ViewRecord* record) {
    if (record != nullptr) {
        state_.viewData = record->viewData;
        LoadPicture();
    } else {
        CKelmoraViewData& v = state_.viewData;
        std::optional<PictureSize> decoded;
        if (v.imagePath.empty()) {
            const std::optional<std::string> chosen = document_.questions().ChooseFileToOpen(
                window(), QString::fromUtf8(kNewWindowPictureTitle), QtFileFilter(kPictureFilter));
            if (chosen) v.imagePath = *chosen;
        }
        LoadPicture();
        if (!picture_.isNull()) decoded = PictureSize{picture_.width(), picture_.height()};
        SetPictureSize(v, decoded);
        ApplyDefaultTransforms(v);
    }
    RebuildLayers();
}

void PlanView::ChangeBackground() {
    if (editMode() != kIdleMode) return;
    const std::optional<std::string> chosen = document_.questions().ChooseFileToOpen(
        window(), QString::fromUtf8(kChangePictureTitle), QtFileFilter(kPictureFilter));
    if (!chosen) return;
    const PictureLoad load = LoadBackgroundPicture(*chosen);
    if (!load.ok()) {
        LoadPicture();  // the previous picture, from the unchanged path
        QString text = QString::fromStdString(PictureLoadFailedMessage(*chosen));
        if (!load.reason.empty()) text += QStringLiteral("\n") + QString::fromStdString(load.reason);
        document_.questions().Tell(window(), QString::fromUtf8(kChangePictureCaption), text,
                                   QMessageBox::Information);
        return;
    }
    picture_ = load.picture;
    const CKelmoraViewData before = state_.viewData;
    ReplacePicture(state_.viewData, *chosen, load.size());
    document_.Apply(document_.transaction().CommitViewChange(kPictureStepName, document_.ViewId(this), before,
                                                             state_.viewData, {6}));
}

void PlanView::ReplaceViewData(const CKelmoraViewData& data) {
    const bool otherPicture = data.imagePath != state_.viewData.imagePath;
    state_.viewData = data;
    if (otherPicture) LoadPicture();
}

CKelmoraViewData PlanView::shownViewData() const {
    return ShownViewData(state_.viewData, state_.display);
}

void PlanView::SetDisplay(const DisplayTransform& display) {
    if (display == state_.display) return;
    state_.display = display;
    Update(5);
    emit displayChanged();
}

void PlanView::FitToWindow() {
    const EditTransaction& tx = document_.transaction();
    SetDisplay(FitSite(tx.ModelUnderEdit(), state_.viewData, width(), height(), state_.display));
}

void PlanView::FitToModelExtent(const ModelExtent& extent) {
    SetDisplay(FitModelExtent(state_.viewData, extent, width(), height(), state_.display));
}

void PlanView::FitRecordTo(const ModelExtent& extent) {
    ReplaceViewData(ViewFittedTo({extent.minX, extent.minY}, {extent.maxX, extent.maxY}, width(), height()));
    state_.display = {};
    Update(6);
    emit displayChanged();
}

void PlanView::ZoomIn() {
    DisplayTransform d = state_.display;
    ZoomDisplayAbout(d, kDisplayZoomStep, {0.5 * width(), 0.5 * height()});
    SetDisplay(d);
}

void PlanView::ZoomOut() {
    DisplayTransform d = state_.display;
    ZoomDisplayAbout(d, 1.0 / kDisplayZoomStep, {0.5 * width(), 0.5 * height()});
    SetDisplay(d);
}

void PlanView::ArmZoomArea() {
    state_.zoomAreaArmed = true;
    UpdateCursor();
    emit statusText(QString::fromUtf8(kZoomAreaPrompt));
}

QString PlanView::displayScaleText() const {
    return QString::fromStdString(DisplayScaleText(state_.viewData, state_.display));
}

void PlanView::SetLabels(const PlanLabels& labels) {
    if (labels == labels_) return;
    labels_ = labels;
    Update(5);
}

void PlanView::UpdateCursor() {
    const bool picking = state_.zoomAreaArmed || IsPickingMode(editMode());
    if (picking && cursor().shape() != Qt::CrossCursor)
        setCursor(Qt::CrossCursor);
    else if (!picking && testAttribute(Qt::WA_SetCursor))
        unsetCursor();
}

void PlanView::RedrawBase() {
    RasterizeLayer(base_, lists_.base, picture());
}

void PlanView::RebuildLayers() {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    base_ = NewLayerImage(size.width(), size.height());
    base_.fill(kBackgroundColour);
    layersBuilt_ = true;
    Update(6);
}

void PlanView::Update(int hint) {
    const HintEffect effect = EffectOfHint(hint);
    // Every change of the document's edit mode is followed by a redraw.
    UpdateCursor();
    if (!layersBuilt_) {
        if (effect.repaint) update();
        return;
    }
    if (effect.rebuildLayers && base_.size() != size().expandedTo(QSize(1, 1))) {
        RebuildLayers();
        return;
    }
    const EditTransaction& tx = document_.transaction();
    const CKelmoraViewData shown = shownViewData();
    PlanSceneInputs inputs{tx.model(), tx.workingCopy(), tx.edit(), shown, !picture_.isNull()};
    inputs.labels = labels_;
    inputs.importPreview = document_.importPreview();
    if (const ShownPaths* paths = document_.shownPaths()) {
        inputs.pointPaths = &paths->found;
        inputs.selectedPath = paths->selected;
    }
    // The map goes into the base layer only.
    PlanMapLayers map;
    if (effect.redrawBase)
        map = document_.noiseMap().Layers(shown, base_.width(), PlanTextWidth(), document_.mapOutOfDate());
    inputs.mapBeneath = &map.beneath;
    inputs.mapAbove = &map.above;
    inputs.gridCrosses = map.gridCrosses;
    UpdateLayers(lists_, hint, inputs);
    if (effect.redrawBase) RedrawBase();
    switch (effect.compose) {
        case ComposeStep::None:
            break;
        case ComposeStep::CopyPictureArea: {
            // The window's picture-sized area at its client origin, where the display shows it.
            if (composed_.size() != base_.size()) composed_ = base_.copy();
            const CVertex2D topLeft = ShownFromStored(state_.display, {0.0, 0.0});
            const CVertex2D bottomRight =
                ShownFromStored(state_.display, {state_.viewData.imageWidth, state_.viewData.imageHeight});
            const QRect area = QRectF(QPointF(topLeft.x, topLeft.y), QPointF(bottomRight.x, bottomRight.y))
                                   .toAlignedRect()
                                   .intersected(base_.rect());
            QPainter painter(&composed_);
            painter.drawImage(area.topLeft(), base_, area);
            break;
        }
        case ComposeStep::CopyBaseAndOverlay:
            composed_ = base_.copy();
            RasterizeLayer(composed_, lists_.overlay);
            break;
    }
    if (effect.repaint) RepaintNow();
}

void PlanView::DrawOnScreen(const DisplayLayer& primitives) {
    RasterizeLayer(screen_, primitives);
    repaint();
}

void PlanView::RepaintNow() {
    screen_ = composed_;
    ScreenRepainted(state_);
    repaint();
}

void PlanView::ShowMessage(const std::string& text) {
    QMessageBox::information(window(), QString::fromUtf8("Kelmora"), QString::fromStdString(text));
}

std::optional<double> PlanView::AskOffsetLength() {
    return AskOffsetLengthDialog(window());
}

std::optional<CVertex2D> PlanView::AskOffsetXY() {
    return AskOffsetXYDialog(window());
}

void PlanView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (screen_.isNull()) {
        painter.fillRect(rect(), kBackgroundColour);
        return;
    }
    painter.drawImage(QPoint(0, 0), screen_);
    // Beyond the layers (a window grown before its next rebuild) the background colour.
    if (screen_.width() < width())
        painter.fillRect(screen_.width(), 0, width() - screen_.width(), height(), kBackgroundColour);
    if (screen_.height() < height())
        painter.fillRect(0, screen_.height(), width(), height() - screen_.height(), kBackgroundColour);
}

void PlanView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (layersBuilt_) RebuildLayers();
}

void PlanView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    document_.SetActiveView(this);
}

void PlanView::Carry(const GestureEffect& effect) {
    if (!effect.screenInversions.empty()) DrawOnScreen(effect.screenInversions);
    if (effect.zoomArea) {
        SetDisplay(DisplayAfterZoomArea(state_.display, effect.zoomArea->first, effect.zoomArea->second,
                                        width(), height()));
        UpdateCursor();
        emit statusText(QString::fromUtf8(kReadyText));
    }
    if (effect.redrawHint != 0) {
        Update(effect.redrawHint);
        // Pan and zoom of the record, or of the display.
        if (effect.redrawHint == 5) emit displayChanged();
    }
    if (effect.statusText != nullptr) emit statusText(QString::fromUtf8(effect.statusText));
}

void PlanView::mousePressEvent(QMouseEvent* event) {
    document_.SetActiveView(this);
    const ClientPoint point = At(event->position());
    const ModifierKeys keys = KeysOf(event->modifiers());
    if (event->button() == Qt::LeftButton)
        Carry(OnButtonDown(state_, MouseButton::Left, keys, point));
    else if (event->button() == Qt::RightButton)
        Carry(OnRightButtonDown(state_, keys, point, editMode()));
}

void PlanView::mouseMoveEvent(QMouseEvent* event) {
    const EditTransaction& tx = document_.transaction();
    std::optional<ClientPoint> tail;
    if (const std::optional<CVector3D> last = PolylineTail(tx.ModelUnderEdit(), tx.edit()))
        tail = ModelToPixel(shownViewData(), *last);
    UpdateCursor();
    Carry(OnPlanMouseMove(state_, At(event->position()), editMode(), tail));
}

void PlanView::mouseReleaseEvent(QMouseEvent* event) {
    const MouseButton button = event->button() == Qt::RightButton ? MouseButton::Right : MouseButton::Left;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const int mode = editMode();
    const GestureEffect effect = OnButtonUp(state_, button, At(event->position()), mode);
    Carry(effect);
    if (effect.ended) {
        ChainDialog* dialog = document_.openDialog();
        if (dialog != nullptr && IsPickingMode(mode)) {
            const EditTransaction& tx = document_.transaction();
            const CNoise& stored = tx.model();
            const CKelmoraViewData shown = shownViewData();
            OpenDialogPort port(*dialog);
            const PlanEditContext context{tx.ModelUnderEdit(),
                                          tx.edit(),
                                          shown,
                                          port,
                                          *this,
                                          [&stored](const CVector3D& p) { return GroundHeightAt(stored, p); },
                                          state_.display};
            ActOnGestureEnd(*effect.ended, context);
        }
        return;
    }
    if (button == MouseButton::Right && OpensEditMenu(mode))
        emit editMenuRequested(event->globalPosition().toPoint());
}

void PlanView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || editMode() != kIdleMode) return;
    const std::optional<std::size_t> point = PredictionPointAt(
        document_.transaction().model().calcInfo, shownViewData(), At(event->position()), kPointPickRadius);
    Qt::KeyboardModifiers keys = event->modifiers();
    if (QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier)) keys |= Qt::AltModifier;
    if (point) emit predictionPointDoubleClicked(static_cast<int>(*point), keys);
}

void PlanView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    if (angle.isNull()) {
        event->ignore();
        return;
    }
    const ModifierKeys keys{event->modifiers().testFlag(Qt::ShiftModifier),
                            event->modifiers().testFlag(Qt::ControlModifier), false};
    Carry(OnWheel(state_, angle.y() / 120.0, angle.x() / 120.0, At(event->position()), keys));
    event->accept();
}

void PlanView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && state_.zoomAreaArmed) {
        Carry(CancelGesture(state_));
        state_.zoomAreaArmed = false;
        UpdateCursor();
        emit statusText(QString::fromUtf8(kReadyText));
        return;
    }
    // Otherwise Esc takes the paths of a point off the plan.
    if (event->key() == Qt::Key_Escape && document_.shownPaths() != nullptr) {
        document_.ShowPaths(std::nullopt);
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelmora
