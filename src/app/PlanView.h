#pragma once
// PlanView: the plan window's drawing area. It shows the two layers of the plan (the base: picture and
// model; the editing overlay over a copy of it) as the view logic draws them, brings them up to date
// per redraw hint, turns mouse gestures into pan, zoom and the clicks that feed the open dialog, and
// is the PlanPickingHost of those clicks (marks on the screen, messages, the two offset dialogs).
//
// The document's noise map, when shown, is part of the base layer's display list: its bands, iso-lines
// and their labels under the site drawing — the same list a picture export draws. Its legend stands in
// a panel beside the plan (MapLegendPanel).
#include <QImage>
#include <QWidget>

#include "view/DisplayList.h"
#include "view/PickingHost.h"
#include "view/PlanGestures.h"

namespace kelmora {

class KelmoraDocument;

class PlanView : public QWidget, public PlanPickingHost {
    Q_OBJECT

public:
    PlanView(KelmoraDocument& document, QWidget* parent = nullptr);
    ~PlanView() override;

    KelmoraDocument& document() const { return document_; }
    CKelmoraViewData& viewData() { return state_.viewData; }
    const CKelmoraViewData& viewData() const { return state_.viewData; }
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

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void LoadPicture();
    void RebuildLayers();
    void RedrawBase();
    void Carry(const GestureEffect& effect);
    int editMode() const;

    KelmoraDocument& document_;
    PlanViewState state_;
    QImage picture_;
    PlanDisplayList lists_;
    QImage base_;
    QImage composed_;
    QImage screen_;
    bool layersBuilt_ = false;
};

}  // namespace kelmora
