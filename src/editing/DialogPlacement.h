#pragma once
// Where a dialog of an editing chain opens: centred at the document's dialog centre, then moved back
// inside the monitor when it sticks out — right and bottom edges first, then left and top, so that a
// dialog larger than the monitor shows its top-left corner. Its size never changes.
#include "editing/EditTransaction.h"

namespace kelmora {

// A screen rectangle [px]; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The top-left corner of a width × height dialog centred at `centre` and kept inside `monitor`.
ScreenPoint PlaceDialog(int width, int height, ScreenPoint centre, const ScreenRect& monitor);

// The centre a dialog remembers when it closes: its top-left corner plus half its client size.
ScreenPoint DialogCentreOf(ScreenPoint topLeft, int clientWidth, int clientHeight);

}  // namespace kelmora
