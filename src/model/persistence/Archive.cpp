#include "model/persistence/Archive.h"

#include <bit>
#include <cstring>

#include "model/persistence/TextCodec.h"

namespace kelmora {

static_assert(std::endian::native == std::endian::little,
              "the archive writes host-order little-endian values");

ArchiveError::ArchiveError() : std::runtime_error(kUnexpectedFileFormat) {}

CArchive::CArchive() : storing_(true) {}

CArchive::CArchive(const std::uint8_t* data, std::size_t size) : storing_(false), data_(data), size_(size) {}

void CArchive::Io(std::int32_t& v) {
    if (storing_) {
        WriteInt32(v);
    } else {
        v = ReadInt32();
    }
}

void CArchive::Io(double& v) {
    if (storing_) {
        WriteDouble(v);
    } else {
        v = ReadDouble();
    }
}

void CArchive::Io(std::string& s) {
    if (storing_) {
        WriteString(s);
    } else {
        s = ReadString();
    }
}

void CArchive::WriteInt32(std::int32_t v) {
    std::uint8_t b[4];
    std::memcpy(b, &v, 4);
    out_.insert(out_.end(), b, b + 4);
}

void CArchive::WriteDouble(double v) {
    std::uint8_t b[8];
    std::memcpy(b, &v, 8);
    out_.insert(out_.end(), b, b + 8);
}

// Unicode tag FF FE FF, then the length in stages (byte, word, dword, qword), then UTF-16LE.
void CArchive::WriteString(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    const std::uint64_t n = text.size();
    out_.push_back(0xFF);
    out_.push_back(0xFE);
    out_.push_back(0xFF);
    auto put16 = [this](std::uint16_t w) {
        out_.push_back(static_cast<std::uint8_t>(w & 0xFF));
        out_.push_back(static_cast<std::uint8_t>(w >> 8));
    };
    auto put32 = [&](std::uint32_t d) {
        put16(static_cast<std::uint16_t>(d & 0xFFFF));
        put16(static_cast<std::uint16_t>(d >> 16));
    };
    if (n < 0xFF) {
        out_.push_back(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        out_.push_back(0xFF);
        put16(static_cast<std::uint16_t>(n));
    } else if (n < 0xFFFFFFFFull) {
        out_.push_back(0xFF);
        put16(0xFFFF);
        put32(static_cast<std::uint32_t>(n));
    } else {
        out_.push_back(0xFF);
        put16(0xFFFF);
        put32(0xFFFFFFFFu);
        put32(static_cast<std::uint32_t>(n & 0xFFFFFFFFu));
        put32(static_cast<std::uint32_t>(n >> 32));
    }
    for (char16_t c : text)
        put16(static_cast<std::uint16_t>(c));
}

void CArchive::ReadBytes(void* dst, std::size_t n) {
    if (n > size_ - pos_) throw ArchiveError();
    std::memcpy(dst, data_ + pos_, n);
    pos_ += n;
}

std::int32_t CArchive::ReadInt32() {
    std::int32_t v;
    ReadBytes(&v, 4);
    return v;
}

double CArchive::ReadDouble() {
    double v;
    ReadBytes(&v, 8);
    return v;
}

// The length after the first byte has been found to be 0xFF: a word, then a dword when the
// word is 0xFFFF, then a qword when the dword is 0xFFFFFFFF.
std::uint64_t CArchive::ReadStagedLength() {
    std::uint16_t w;
    ReadBytes(&w, 2);
    if (w < 0xFFFF) return w;
    std::uint32_t d;
    ReadBytes(&d, 4);
    if (d < 0xFFFFFFFFu) return d;
    std::uint32_t lo, hi;
    ReadBytes(&lo, 4);
    ReadBytes(&hi, 4);
    if (hi != 0 || lo > 0x7FFFFFFFu) throw ArchiveError();
    return lo;
}

std::string CArchive::ReadString() {
    std::uint8_t b;
    ReadBytes(&b, 1);
    bool unicode = false;
    std::uint64_t n = b;
    if (b == 0xFF) {
        std::uint16_t w;
        ReadBytes(&w, 2);
        if (w == 0xFFFE) {
            // UTF-16 tag: the length follows in the same staged form.
            unicode = true;
            ReadBytes(&b, 1);
            n = b < 0xFF ? b : ReadStagedLength();
        } else if (w < 0xFFFF) {
            n = w;
        } else {
            std::uint32_t d;
            ReadBytes(&d, 4);
            if (d < 0xFFFFFFFFu) {
                n = d;
            } else {
                std::uint32_t lo, hi;
                ReadBytes(&lo, 4);
                ReadBytes(&hi, 4);
                if (hi != 0 || lo > 0x7FFFFFFFu) throw ArchiveError();
                n = lo;
            }
        }
    }
    const std::uint64_t bytes = unicode ? 2 * n : n;
    if (bytes > size_ - pos_) throw ArchiveError();
    if (!unicode) {
        std::string ansi(reinterpret_cast<const char*>(data_ + pos_), static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
        return Cp932ToUtf8(ansi);
    }
    std::u16string text(static_cast<std::size_t>(n), u'\0');
    for (char16_t& c : text) {
        c = static_cast<char16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
    }
    return Utf16ToUtf8(text);
}

std::size_t CArchive::ReadCount(std::size_t minElementBytes) {
    const std::int32_t n = ReadInt32();
    if (n < 0) throw ArchiveError();
    const std::size_t count = static_cast<std::size_t>(n);
    if (minElementBytes > 0 && count > BytesLeft() / minElementBytes) throw ArchiveError();
    return count;
}

void Serialize(CArchive& ar, CVertex2D& v) {
    ar.Io(v.x);
    ar.Io(v.y);
}

void Serialize(CArchive& ar, CVector3D& v) {
    ar.Io(v.x);
    ar.Io(v.y);
    ar.Io(v.z);
}

void Serialize(CArchive& ar, CMyRect& r) {
    Serialize(ar, r.p1);
    Serialize(ar, r.p2);
    Serialize(ar, r.p3);
}

void Serialize(CArchive& ar, CPolyline& line) {
    SerializeList(ar, line.vertices, kVector3DBytes);
}

}  // namespace kelmora
