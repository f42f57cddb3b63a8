#pragma once
// How a plan window gets its view data: from the project's stored window records, or with default
// transforms over the picture the user picks; and how a new background picture replaces the old one.
#include <optional>
#include <string>
#include <vector>

#include "model/ViewRecord.h"

namespace kelmora {

// Pixel size of a decoded background picture.
struct PictureSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

inline constexpr double kDefaultPictureSpanMetres = 100.0;  // the picture's full width spans 100 m

inline constexpr const char* kPictureFileFilter = "背景画像JPEG(*.jpg)|*.jpg|背景画像BMP(*.bmp)|*.bmp||";
inline constexpr const char* kNewWindowPictureTitle = "読み込む背景画像ファイルを指定してください";
inline constexpr const char* kChangePictureTitle = "読み込むファイルを指定してください";
inline constexpr const char* kChangePictureCaption = "背景画像変更";

// The default transforms over the view's picture size: the model origin at the picture's lower-left
// corner, Y up, the picture's width spanning 100 m; the zoom is the identity (unit axes, Y down, no pan).
void ApplyDefaultTransforms(CKelmoraViewData& v);

// Picture size of a window set up without a stored record: the decoded picture's size, or else the
// sizes already held when positive, else 500 × 300.
void SetPictureSize(CKelmoraViewData& v, const std::optional<PictureSize>& decoded);

// The record a window takes when it is set up as the i-th view of its document: a copy of record i
// when there is one. The first view (i = 0) is the last one set up when a project opens, so taking
// its record also empties the list.
std::optional<ViewRecord> TakeViewRecord(std::vector<ViewRecord>& records, int viewIndex);

// A new background picture that decoded: its path and size replace the old ones; the calibration and
// the zoom stay, so the site keeps its place on the screen.
void ReplacePicture(CKelmoraViewData& v, const std::string& path, const PictureSize& size);

// The message shown when a chosen picture cannot be read ("背景画像変更" box).
std::string PictureLoadFailedMessage(const std::string& path);

}  // namespace kelmora
