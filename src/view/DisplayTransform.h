#pragma once
// The display transform of a plan window: a zoom and pan of the window's own, laid on top of its
// stored view. The stored view (the window record: picture, calibration and the record's zoom) puts a
// model point at a client position c; the window shows that position at scale·c + offset.
//
// The record is never touched by the display transform. Everything that the record defines in client
// pixels — the horizontal grid laid over "the window", the size dialog's on-screen lengths and
// positions — keeps its meaning; the window only shows it larger, smaller or moved. The drawing takes
// ShownViewData (the record with the display transform composed into its zoom), so lines and labels are
// placed at full screen precision; the size dialog's pixel values are taken back to stored client pixels
// with StoredFromShown. The fits of the display ("全体表示", the zoom-to-area drag) are in FitView.h.
#include <string>

#include "geometry/Vector.h"
#include "model/ViewRecord.h"
#include "view/ClientPoint.h"
#include "view/PlanExtent.h"

namespace kelmora {

struct DisplayTransform {
    double scale = 1.0;          // shown pixels per stored client pixel
    CVertex2D offset{0.0, 0.0};  // where the stored client origin is shown [px]

    friend bool operator==(const DisplayTransform&, const DisplayTransform&) = default;
};

// The display scale stays within these bounds: far enough to see a site of kilometres on one screen
// and to pick a centimetre, and small enough that every shown pixel fits an int.
inline constexpr double kMinDisplayScale = 0.01;
inline constexpr double kMaxDisplayScale = 200.0;
// One step of the zoom buttons and of one notch of Ctrl + wheel.
inline constexpr double kDisplayZoomStep = 1.25;

// Stored client position → shown position, and back.
CVertex2D ShownFromStored(const DisplayTransform& d, const CVertex2D& stored);
CVertex2D StoredFromShown(const DisplayTransform& d, const CVertex2D& shown);
// The stored client pixel under a shown pixel, rounded to the nearest (the size dialog's "%d" fields).
ClientPoint StoredPixelFromShown(const DisplayTransform& d, ClientPoint shown);

// The view data the window draws and picks with: the record with the display transform composed into
// its zoom (origin·scale + offset, magnification·scale). ModelToClient of it gives shown pixels.
CKelmoraViewData ShownViewData(const CKelmoraViewData& stored, const DisplayTransform& d);

// Multiplies the display scale by `factor` (kept within its bounds) about the shown point `at`, which
// keeps showing the same place. Nothing for a factor that is not > 0.
void ZoomDisplayAbout(DisplayTransform& d, double factor, const CVertex2D& at);

// A rectangle of client positions [px], left ≤ right and top ≤ bottom.
struct ClientBox {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    double width() const { return right - left; }
    double height() const { return bottom - top; }
    friend bool operator==(const ClientBox&, const ClientBox&) = default;
};

// Where the corners of a model extent lie in stored client pixels (the box around them; the calibration
// may turn the plan).
ClientBox StoredBoxOf(const CKelmoraViewData& stored, const ModelExtent& extent);
// The background picture (or the blank 500 × 300 area) in stored client pixels.
ClientBox StoredPictureBox(const CKelmoraViewData& stored);

// The status bar's display scale: the shown size of a picture pixel in per cent and the metres of one
// shown pixel, "表示倍率 150%  1px = 0.2m".
std::string DisplayScaleText(const CKelmoraViewData& stored, const DisplayTransform& d);

}  // namespace kelmora
