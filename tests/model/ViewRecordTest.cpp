#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/ViewRecord.h"
#include "model/persistence/Archive.h"

namespace kelmora {
namespace {

template <typename T>
std::vector<std::uint8_t> Store(T& item) {
    CArchive ar;
    item.Serialize(ar);
    return ar.Bytes();
}

template <typename T>
T Load(const std::vector<std::uint8_t>& bytes) {
    CArchive ar(bytes.data(), bytes.size());
    T item;
    item.Serialize(ar);
    EXPECT_EQ(ar.BytesLeft(), 0u);
    return item;
}

double DoubleAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    double v;
    std::memcpy(&v, bytes.data() + offset, 8);
    return v;
}

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::int32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

ViewRecord SampleRecord() {
    ViewRecord r;
    r.info.frameRect = {-4, 12, 812, 600};
    r.viewData.imagePath = "C:\\現場\\敷地図.jpg";
    r.viewData.imageHeight = 1654.0;
    r.viewData.imageWidth = 2339.0;
    r.viewData.calibration.origin = {12.5, 1654.0};
    r.viewData.calibration.axisX = {23.39, 0.0};
    r.viewData.calibration.axisY = {0.0, -23.39};
    r.viewData.calibration.magnification = 1.0;
    r.viewData.zoom.origin = {-310.0, 42.0};
    r.viewData.zoom.axisY = {0.0, 1.0};
    r.viewData.zoom.magnification = 0.731;
    return r;
}

TEST(ViewRecord, NewRecordsHoldTheBlankWindowDefaults) {
    const CDisplay d;
    EXPECT_EQ(d.origin, (CVertex2D{0, 0}));
    EXPECT_EQ(d.axisX, (CVertex2D{1, 0}));
    EXPECT_EQ(d.axisY, (CVertex2D{0, -1}));
    EXPECT_EQ(d.axisZ, (CVertex2D{0, 0}));
    EXPECT_EQ(d.magnification, 1.0);

    const CKelmoraViewData v;
    EXPECT_TRUE(v.imagePath.empty());
    EXPECT_EQ(v.imageWidth, 500.0);
    EXPECT_EQ(v.imageHeight, 300.0);
    EXPECT_TRUE(CViewInfo().frameRect.IsEmpty());
}

TEST(ViewRecord, DisplayIsSeventyTwoBytesInFieldOrder) {
    CDisplay d;
    d.origin = {1, 2};
    d.axisX = {3, 4};
    d.axisY = {5, 6};
    d.axisZ = {7, 8};
    d.magnification = 9;
    const auto bytes = Store(d);
    ASSERT_EQ(bytes.size(), 72u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(DoubleAt(bytes, 8 * i), i + 1.0) << "double " << i;
}

TEST(ViewRecord, WindowRecordLaysOutFrameStringSizesAndTwoTransforms) {
    ViewRecord r;
    r.info.frameRect = {10, 20, 30, 40};
    r.viewData.imagePath = "ab";
    r.viewData.imageHeight = 300;
    r.viewData.imageWidth = 500;
    r.viewData.zoom.magnification = 2.5;
    const auto bytes = Store(r);
    // 16 frame + (4 string prefix + 2·2 text) + 16 sizes + 2·72 transforms.
    ASSERT_EQ(bytes.size(), 16u + 8u + 16u + 144u);
    EXPECT_EQ(Int32At(bytes, 0), 10);
    EXPECT_EQ(Int32At(bytes, 12), 40);
    const std::vector<std::uint8_t> path(bytes.begin() + 16, bytes.begin() + 24);
    EXPECT_EQ(path, (std::vector<std::uint8_t>{0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b', 0}));
    EXPECT_EQ(DoubleAt(bytes, 24), 300.0);  // height before width
    EXPECT_EQ(DoubleAt(bytes, 32), 500.0);
    EXPECT_EQ(DoubleAt(bytes, 40 + 72 + 64), 2.5);  // the zoom's magnification closes the record

    ViewRecord blank;
    EXPECT_EQ(Store(blank).size(), 180u);
}

TEST(ViewRecord, RecordsReadBackEqualAndRewriteByteForByte) {
    std::vector<ViewRecord> records{SampleRecord(), ViewRecord{}, SampleRecord()};
    records[2].viewData.imagePath.clear();
    records[2].viewData.zoom.magnification = 0.0;  // damaged value: kept as stored
    CArchive out;
    SerializeList(out, records, ViewRecord::kMinArchiveBytes);

    CArchive in(out.Bytes().data(), out.Bytes().size());
    std::vector<ViewRecord> loaded;
    SerializeList(in, loaded, ViewRecord::kMinArchiveBytes);
    EXPECT_EQ(in.BytesLeft(), 0u);
    EXPECT_EQ(loaded, records);

    CArchive again;
    SerializeList(again, loaded, ViewRecord::kMinArchiveBytes);
    EXPECT_EQ(again.Bytes(), out.Bytes());
}

TEST(ViewRecord, EveryTruncationFailsWithTheFileFormatMessage) {
    ViewRecord r = SampleRecord();
    const auto bytes = Store(r);
    EXPECT_EQ(Load<ViewRecord>(bytes), r);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        CArchive ar(bytes.data(), n);
        ViewRecord item;
        EXPECT_THROW(item.Serialize(ar), ArchiveError) << "truncated to " << n;
    }
}

}  // namespace
}  // namespace kelmora
