#pragma once
// The binary archive of project files and backups: little-endian int32 and double, and counted
// strings (UTF-16 on write; UTF-16 or single-byte CP932 on read). Every model class writes and
// reads its fields through one Serialize(CArchive&) in the same order.
//
// Reading works on bytes held in memory and checks every count and length against the bytes
// left, so a damaged file fails with ArchiveError and never drives a huge allocation.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"

namespace kelmora {

// Raised for every read of a damaged or truncated file; what() is the message shown to the user.
class ArchiveError : public std::runtime_error {
public:
    ArchiveError();
};

inline constexpr const char* kUnexpectedFileFormat = "予期しないファイル形式です。";

class CArchive {
public:
    // An archive that stores into an internal byte buffer.
    CArchive();
    // An archive that loads from the given bytes (which must outlive the archive).
    CArchive(const std::uint8_t* data, std::size_t size);

    bool IsStoring() const { return storing_; }
    bool IsLoading() const { return !storing_; }

    // Bytes written so far (store mode).
    const std::vector<std::uint8_t>& Bytes() const { return out_; }
    // Bytes not yet read (load mode).
    std::size_t BytesLeft() const { return size_ - pos_; }

    // Symmetric transfer: writes the value when storing, reads into it when loading.
    void Io(std::int32_t& v);
    void Io(double& v);
    // Strings are UTF-8 in memory.
    void Io(std::string& s);

    void WriteInt32(std::int32_t v);
    void WriteDouble(double v);
    void WriteString(const std::string& utf8);
    std::int32_t ReadInt32();
    double ReadDouble();
    std::string ReadString();

    // Reads an element count and checks it against the bytes left, given the smallest number of
    // bytes one element can occupy in the file.
    std::size_t ReadCount(std::size_t minElementBytes);

private:
    void ReadBytes(void* dst, std::size_t n);
    std::uint64_t ReadStagedLength();

    bool storing_;
    std::vector<std::uint8_t> out_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

// The plain geometry types have no virtual members; they are archived by these overloads.
void Serialize(CArchive& ar, CVertex2D& v);
void Serialize(CArchive& ar, CVector3D& v);
void Serialize(CArchive& ar, CMyRect& r);
void Serialize(CArchive& ar, CPolyline& line);

// Smallest file sizes of records, used to bound counts read from a file.
inline constexpr std::size_t kMinStringBytes = 1;
inline constexpr std::size_t kMinBandBytes = 4 + 29 * 8 + kMinStringBytes;
inline constexpr std::size_t kVector3DBytes = 24;

// Calls the element's Serialize: a member for model classes, a free function for geometry types.
template <typename T>
void SerializeElement(CArchive& ar, T& item) {
    if constexpr (requires { item.Serialize(ar); }) {
        item.Serialize(ar);
    } else {
        Serialize(ar, item);
    }
}

// A list: int32 count, then the elements. Loading clears the list first and reads each element
// into a default-constructed object.
template <typename T>
void SerializeList(CArchive& ar, std::vector<T>& list, std::size_t minElementBytes) {
    if (ar.IsStoring()) {
        ar.WriteInt32(static_cast<std::int32_t>(list.size()));
        for (T& item : list)
            SerializeElement(ar, item);
    } else {
        list.clear();
        const std::size_t n = ar.ReadCount(minElementBytes);
        // The count is bounded by the bytes left, but nested lists could each reserve that much:
        // reserve a modest amount and let a genuinely long list grow as it is read.
        list.reserve(std::min<std::size_t>(n, 1024));
        for (std::size_t i = 0; i < n; ++i) {
            T item;
            SerializeElement(ar, item);
            list.push_back(std::move(item));
        }
    }
}

}  // namespace kelmora
