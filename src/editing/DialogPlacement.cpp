#include "editing/DialogPlacement.h"

namespace kelmora {

ScreenPoint PlaceDialog(int width, int height, ScreenPoint centre, const ScreenRect& monitor) {
    ScreenPoint topLeft{centre.x - width / 2, centre.y - height / 2};
    if (topLeft.x + width > monitor.right) topLeft.x = monitor.right - width;
    if (topLeft.y + height > monitor.bottom) topLeft.y = monitor.bottom - height;
    if (topLeft.x < monitor.left) topLeft.x = monitor.left;
    if (topLeft.y < monitor.top) topLeft.y = monitor.top;
    return topLeft;
}

ScreenPoint DialogCentreOf(ScreenPoint topLeft, int clientWidth, int clientHeight) {
    return {topLeft.x + clientWidth / 2, topLeft.y + clientHeight / 2};
}

}  // namespace kelmora
