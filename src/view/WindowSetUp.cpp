#include "view/WindowSetUp.h"

#include "view/ViewTransform.h"

namespace kelmora {

void ApplyDefaultTransforms(CKelmoraViewData& v) {
    CDisplay calibration;
    calibration.origin = {0.0, v.imageHeight};
    calibration.axisX = {1.0, 0.0};
    calibration.axisY = {0.0, -1.0};
    calibration.axisZ = {0.0, 0.0};
    calibration.magnification = 1.0;
    SetAxisLength(calibration, v.imageWidth, kDefaultPictureSpanMetres);
    v.calibration = calibration;

    CDisplay zoom;
    zoom.origin = {0.0, 0.0};
    zoom.axisX = {1.0, 0.0};
    zoom.axisY = {0.0, 1.0};
    zoom.axisZ = {0.0, 0.0};
    zoom.magnification = 1.0;
    SetAxisLength(zoom, 1.0, 1.0);
    v.zoom = zoom;
}

void SetPictureSize(CKelmoraViewData& v, const std::optional<PictureSize>& decoded) {
    if (decoded) {
        v.imageWidth = decoded->width;
        v.imageHeight = decoded->height;
        return;
    }
    if (!(v.imageHeight > 0.0)) v.imageHeight = kNoPictureHeight;
    if (!(v.imageWidth > 0.0)) v.imageWidth = kNoPictureWidth;
}

std::optional<ViewRecord> TakeViewRecord(std::vector<ViewRecord>& records, int viewIndex) {
    if (viewIndex < 0 || static_cast<std::size_t>(viewIndex) >= records.size()) return std::nullopt;
    ViewRecord taken = records[static_cast<std::size_t>(viewIndex)];
    if (viewIndex == 0) records.clear();
    return taken;
}

void ReplacePicture(CKelmoraViewData& v, const std::string& path, const PictureSize& size) {
    v.imagePath = path;
    v.imageHeight = size.height;
    v.imageWidth = size.width;
}

std::string PictureLoadFailedMessage(const std::string& path) {
    return "背景画像の読込に失敗しました.\n" + path;
}

}  // namespace kelmora
