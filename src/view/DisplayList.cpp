#include "view/DisplayList.h"

namespace kelmora {

ClientPoint AnchoredTopLeft(ClientPoint at, int anchor, int w, int h) {
    switch (anchor) {
        case 1:
            return {at.x - w / 2, at.y};
        case 2:
            return {at.x - w, at.y};
        case 3:
            return {at.x, at.y - h / 2};
        case 4:
            return {at.x - w / 2, at.y - h / 2};
        case 5:
            return {at.x - w, at.y - h / 2};
        case 6:
            return {at.x, at.y - h};
        case 7:
            return {at.x - w / 2, at.y - h};
        case 8:
            return {at.x - w, at.y - h};
        default:
            return at;
    }
}

PolylinePrimitive InvertedLine(ClientPoint a, ClientPoint b) {
    return {{a, b}, Pen{Rgb{}, 1, PenStyle::Solid}, RasterOp::Invert};
}

EllipsePrimitive InvertedCircle(ClientPoint centre, int radius) {
    return {centre.x - radius,
            centre.y - radius,
            centre.x + radius,
            centre.y + radius,
            Pen{Rgb{}, 1, PenStyle::Solid},
            Brush{},
            RasterOp::Invert};
}

RectanglePrimitive InvertedRectangle(ClientPoint a, ClientPoint b) {
    return {a, b, Pen{Rgb{}, 1, PenStyle::Solid}, Brush{}, RasterOp::Invert};
}

}  // namespace kelmora
