#pragma once
// Turns the plan's display list into pixels with QPainter on a QImage, without any window: the same
// drawing serves the plan window's layers and picture export. Text needs a QGuiApplication (the
// offscreen platform is enough) for the font database.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <string>

#include "view/DisplayList.h"

namespace kelmora {

// The Japanese face drawn in place of "ＭＳ Ｐゴシック", which this platform does not have.
inline constexpr const char* kPlanFontFamily = "Noto Sans CJK JP";

// An image for a layer of w × h client pixels (opaque 32-bit RGB, as the inverting draws need).
QImage NewLayerImage(int width, int height);

// The font of a label: the requested face (or the substitute), its pixel height and style.
QFont PlanFont(const FontSpec& spec);

// Width and height [px] of a text's box in that font, as the anchors use them.
QSize TextExtent(const FontSpec& spec, const std::string& text);

// Draws the primitives of a layer onto the image, first to last. `picture` is the window's background
// picture for the picture primitives; without one they draw nothing.
void RasterizeLayer(QImage& target, const DisplayLayer& layer, const QImage* picture = nullptr);

// The same onto any painter (a picture file, a vector drawing, a printed page); `area` is what a fill
// covers [px]. `smooth` draws with anti-aliasing (printed pages and their pictures); the plan window
// draws without, so that its inverting marks restore the pixels they flip.
void PaintLayer(QPainter& painter, const QRect& area, const DisplayLayer& layer,
                const QImage* picture = nullptr, bool smooth = false);

}  // namespace kelmora
