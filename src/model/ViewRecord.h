#pragma once
// The per-window records of a project: where each plan window sat on the screen, which background
// picture it showed and how it placed the site over that picture. Only the records live here; the
// arithmetic of the transforms is the plan view's (view/ViewTransform.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/Vector.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// One affine plane transform: a model point P lands at origin + magnification·(P.x·axisX + P.y·axisY
// + P.z·axisZ). Used twice per window: metres → picture pixels and picture pixels → window pixels.
class CDisplay {
public:
    CDisplay() = default;
    virtual ~CDisplay() = default;
    CDisplay(const CDisplay&) = default;
    CDisplay& operator=(const CDisplay&) = default;
    CDisplay(CDisplay&&) = default;
    CDisplay& operator=(CDisplay&&) = default;

    // origin, axisX, axisY, axisZ as two doubles each, then magnification.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CDisplay&, const CDisplay&) = default;

    static constexpr std::size_t kArchiveBytes = 4 * 16 + 8;

    CVertex2D origin{0.0, 0.0};  // where the model origin lands, in target units
    CVertex2D axisX{1.0, 0.0};   // target vector of one model unit along X, before magnification
    CVertex2D axisY{0.0, -1.0};  // screen and picture Y grow downward, the site's northward
    CVertex2D axisZ{0.0, 0.0};
    // Common multiplier of the three axes. The file keeps whatever was stored; the transforms treat a
    // value ≤ 0 as 1.
    double magnification = 1.0;
};

inline constexpr double kNoPictureWidth = 500.0;   // px, the blank area of a window without a picture
inline constexpr double kNoPictureHeight = 300.0;  // px

// Everything one plan window needs to place the site and its background picture. The picture itself
// is never stored, only its path.
class CKelmoraViewData {
public:
    CKelmoraViewData() = default;
    virtual ~CKelmoraViewData() = default;
    CKelmoraViewData(const CKelmoraViewData&) = default;
    CKelmoraViewData& operator=(const CKelmoraViewData&) = default;
    CKelmoraViewData(CKelmoraViewData&&) = default;
    CKelmoraViewData& operator=(CKelmoraViewData&&) = default;

    // imagePath, imageHeight, imageWidth, calibration, zoom.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CKelmoraViewData&, const CKelmoraViewData&) = default;

    static constexpr std::size_t kMinArchiveBytes = kMinStringBytes + 2 * 8 + 2 * CDisplay::kArchiveBytes;

    std::string imagePath;                  // full path of the background picture; empty = none chosen
    double imageHeight = kNoPictureHeight;  // picture height [px]
    double imageWidth = kNoPictureWidth;    // picture width [px]
    CDisplay calibration;                   // model metres → picture pixels (Y down the picture)
    CDisplay zoom;                          // picture pixels → window client pixels
};

// The child frame's rectangle in its normal (restored) position, in the client coordinates of the
// main window's area that holds the plan windows [px].
struct FrameRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    // A rectangle without width or height places no window.
    bool IsEmpty() const { return right <= left || bottom <= top; }

    friend bool operator==(const FrameRect&, const FrameRect&) = default;
};

class CViewInfo {
public:
    CViewInfo() = default;
    virtual ~CViewInfo() = default;
    CViewInfo(const CViewInfo&) = default;
    CViewInfo& operator=(const CViewInfo&) = default;
    CViewInfo(CViewInfo&&) = default;
    CViewInfo& operator=(CViewInfo&&) = default;

    // left, top, right, bottom.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CViewInfo&, const CViewInfo&) = default;

    static constexpr std::size_t kArchiveBytes = 4 * 4;

    FrameRect frameRect;
};

// One window record of a project: the window's frame, then its view data. The document keeps a list
// of them (`viewRecords`), stored as SerializeList(ar, viewRecords, ViewRecord::kMinArchiveBytes).
struct ViewRecord {
    CViewInfo info;
    CKelmoraViewData viewData;

    void Serialize(CArchive& ar);

    friend bool operator==(const ViewRecord&, const ViewRecord&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        CViewInfo::kArchiveBytes + CKelmoraViewData::kMinArchiveBytes;
};

}  // namespace kelmora
