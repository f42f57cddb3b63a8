#include "model/ViewRecord.h"

namespace kelmora {

void CDisplay::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, origin);
    kelmora::Serialize(ar, axisX);
    kelmora::Serialize(ar, axisY);
    kelmora::Serialize(ar, axisZ);
    ar.Io(magnification);
}

void CKelmoraViewData::Serialize(CArchive& ar) {
    ar.Io(imagePath);
    ar.Io(imageHeight);
    ar.Io(imageWidth);
    calibration.Serialize(ar);
    zoom.Serialize(ar);
}

void CViewInfo::Serialize(CArchive& ar) {
    ar.Io(frameRect.left);
    ar.Io(frameRect.top);
    ar.Io(frameRect.right);
    ar.Io(frameRect.bottom);
}

void ViewRecord::Serialize(CArchive& ar) {
    info.Serialize(ar);
    viewData.Serialize(ar);
}

}  // namespace kelmora
