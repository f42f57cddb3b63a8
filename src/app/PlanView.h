#pragma once
// PlanView: the plan window's drawing area. It shows the two layers of the plan (the base: picture and
// model; the editing overlay over a copy of it) as the view logic draws them, brings them up to date
// per redraw hint, turns mouse gestures into pan, zoom and the clicks that feed the open dialog, and
// is the PlanPickingHost of those clicks (marks on the screen, messages, the two offset dialogs).
//
// The document's noise map, when shown, is part of the base layer's display list: its bands, iso-lines
// and their labels under the site drawing — the same list a picture export draws. Its legend stands in
// a panel beside the plan (MapLegendPanel).
//
// What the window shows is its record (viewData: picture, calibration, the record's zoom) under a
// display transform of its own (DisplayTransform.h): "全体表示", the zoom buttons, Ctrl + wheel and the
// zoom-to-area drag change only the display transform, so the record saved with the project, and the
// horizontal grid laid over the window from it, stay as they were.
#include <QImage>
#include <QWidget>

#include "view/DisplayList.h"
#include "view/DisplayTransform.h"
#include "view/PickingHost.h"
#include "view/PlanGestures.h"
#include "view/PlanLabels.h"

namespace kelmora {

class KelmoraDocument;

class PlanView : public QWidget, public PlanPickingHost {
    Q_OBJECT

public:
    PlanView(KelmoraDocument& document, QWidget* parent = nullptr);
    ~PlanView() override;

    KelmoraDocument& document() const { return document_; }
    // The window record: what is saved with the project and what the grids and the size dialog use.
    CKelmoraViewData& viewData() { return state_.viewData; }
    const CKelmoraViewData& viewData() const { return state_.viewData; }
    // The display transform on top of the record, and the view data the window draws and picks with.
    const DisplayTransform& display() const { return state_.display; }
    CKelmoraViewData shownViewData() const;
    void SetDisplay(const DisplayTransform& display);
    // "全体表示": the site (without one, the picture) fitted into the window.
    void FitToWindow();
    // A model extent (an imported site, say) fitted into the window.
    void FitToModelExtent(const ModelExtent& extent);
    // The window of a document that has no record of it yet (one an import makes): a record without
    // a picture that shows the extent fitted into the window as it is now, with nothing on top.
    void FitRecordTo(const ModelExtent& extent);
    // One zoom step in or out about the window's centre.
    void ZoomIn();
    void ZoomOut();
    // "範囲拡大": the next left drag on the plan chooses the area to show (Esc gives up).
    void ArmZoomArea();
    bool zoomAreaArmed() const { return state_.zoomAreaArmed; }
    // The status bar's text for the display scale.
    QString displayScaleText() const;
    // The labels the plan draws (the view menu's switches).
    void SetLabels(const PlanLabels& labels);
    const PlanLabels& labels() const { return labels_; }
    bool hasPicture() const { return !picture_.isNull(); }
    // The background picture, or null.
    const QImage* picture() const { return picture_.isNull() ? nullptr : &picture_; }

    // Window set-up: the view data of a stored window record (its picture decoded again; a missing
    // file leaves none), or, without a record, the default transforms over a background picture the
    // user is asked for. Then the layers are built.
    void SetUp(const ViewRecord* record);
    // "背景画像変更...": another picture under the same calibration and zoom.
    void ChangeBackground();
    // Other view data (an undone or redone picture or calibration): the picture is decoded again when
    // its path changed. The redraw follows with the step's hints.
    void ReplaceViewData(const CKelmoraViewData& data);

    // The document-changed notification with a redraw hint (0–6).
    void Update(int hint);

    // What the window shows now (the composed layer with any marks), for tests and picture export.
    const QImage& shownImage() const { return screen_; }
    const QImage& baseLayer() const { return base_; }
    // The display lists of the two layers as last drawn.
    const PlanDisplayList& displayList() const { return lists_; }

    // PlanPickingHost.
    void DrawOnScreen(const DisplayLayer& primitives) override;
    void RepaintNow() override;
    void ShowMessage(const std::string& text) override;
    std::optional<double> AskOffsetLength() override;
    std::optional<CVertex2D> AskOffsetXY() override;

signals:
    // Text for the first pane of the main window's status bar.
    void statusText(const QString& text);
    // A right click with no dialog open: the edit menu at this screen position.
    void editMenuRequested(const QPoint& globalPos);
    // A double click with no dialog open on (within a few pixels of) the prediction point of index
    // `pointIndex` (PredictionPoints order), with the keys held: with Alt its paths are shown, without
    // it the results window opens on it after a run.
    void predictionPointDoubleClicked(int pointIndex, Qt::KeyboardModifiers modifiers);
    // The display scale or the record's zoom changed (displayScaleText).
    void displayChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void LoadPicture();
    void RebuildLayers();
    void RedrawBase();
    void Carry(const GestureEffect& effect);
    // The cross-hair while a click will fill the open dialog or choose the area to show.
    void UpdateCursor();
    int editMode() const;

    KelmoraDocument& document_;
    PlanViewState state_;
    PlanLabels labels_;
    QImage picture_;
    PlanDisplayList lists_;
    QImage base_;
    QImage composed_;
    QImage screen_;
    bool layersBuilt_ = false;
};

}  // namespace kelmora
