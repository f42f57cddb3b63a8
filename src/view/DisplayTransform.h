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
// with StoredFromShown.
#include <optional>
#include <string>

#include "geometry/Vector.h"
#include "model/Noise.h"
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
// The free border kept around the site by "全体表示" [px].
inline constexpr int kFitMarginPx = 16;

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

// The display transform that shows the stored box as large as fits in a width × height window with
// `margin` pixels free around it, centred. A box without width or height keeps the scale of `current`
// and is only centred.
DisplayTransform FitBox(const ClientBox& box, int width, int height, int margin,
                        const DisplayTransform& current = {});

// "全体表示": the site fitted into the window; the picture for a site of one point or none.
DisplayTransform FitSite(const CNoise& model, const CKelmoraViewData& stored, int width, int height,
                         const DisplayTransform& current = {});
// A model extent (an imported site, a chosen area) fitted into the window.
DisplayTransform FitModelExtent(const CKelmoraViewData& stored, const ModelExtent& extent, int width,
                                int height, const DisplayTransform& current = {});
// The shown rectangle between two corners (a drag of the zoom-to-area tool) fitted into the window.
DisplayTransform ZoomToShownRectangle(const DisplayTransform& current, ClientPoint a, ClientPoint b,
                                      int width, int height);

// The status bar's display scale: the shown size of a picture pixel in per cent and the metres of one
// shown pixel, "表示倍率 150%  1px = 0.2m".
std::string DisplayScaleText(const CKelmoraViewData& stored, const DisplayTransform& d);

}  // namespace kelmora
