#pragma once
// The band library: a CSV text file in CP932 that keeps spectra for reuse, one per line — a title,
// then the 21 one-third-octave values from 50 Hz to 5 kHz; further fields are ignored. The band
// editor takes spectra from it and appends the spectrum it shows; `kelmora-calc spectrum` reads it too.
//
// Reading takes the whole file or nothing: the first bad line stops it with a message naming the
// line. The reader is bounded (file size, line length) and survives any bytes. Appending never
// truncates the file and leaves it as it was when the line cannot be written whole.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Band.h"
#include "model/UserMessage.h"

namespace kelmora {

inline constexpr const char* kBandSelectCaption = "バンド情報選択";
inline constexpr const char* kBandAppendCaption = "バンド情報追加";

// A library larger than this is refused as a read error; a band library of this size holds some
// hundred thousand spectra.
inline constexpr std::size_t kBandLibraryMaxBytes = std::size_t{16} << 20;
// A longer line is refused as a read error; a line of the library is a few hundred bytes.
inline constexpr std::size_t kBandLibraryMaxLineBytes = std::size_t{64} << 10;

// The fields of one line (CP932 bytes without its line break). Fields are separated by commas. A
// field that starts with a double quote runs on over the commas until a piece of the line ends with
// a double quote; the outer quotes are then removed, and every run of double quotes inside is
// reduced to one. A quoted field still open at the end of the line is dropped. An empty line has one
// empty field.
std::vector<std::string> SplitBandLibraryFields(std::string_view line);

// A band value of the library: a decimal number at the start of the field after blanks; any text
// after it is ignored (" 12.5dB" is 12.5). Nothing when no number starts the field, or when the number
// is out of the range of a double or not finite.
std::optional<double> ReadBandLibraryNumber(std::string_view field);

struct BandLibraryRead {
    std::vector<CBand> spectra;          // one-third-octave spectra with their titles, in file order
    std::optional<UserMessage> message;  // why nothing was taken; set exactly when spectra is empty
};

// Reads a library from the bytes of its file; `path` names the file in the messages.
BandLibraryRead ReadBandLibrary(std::string_view bytes, const std::string& path);
// Reads the library file at `path` (a wait of the reader is bounded by kBandLibraryMaxBytes).
BandLibraryRead ReadBandLibraryFile(const std::string& path);

// The characters of a title that the library cannot hold so that the title reads back unchanged:
// characters outside CP932, line breaks, and the quote sequences that end a quoted field early (a
// double quote before a comma) or collapse when read (two double quotes). Empty when the title can be
// written.
std::string UnwritableTitleCharacters(const std::string& title);
// The message that refuses such a title.
UserMessage UnwritableTitleMessage(const std::string& characters);

// A band value as the library writes and the choice list shows it: "%g" of the C locale.
std::string BandValueText(double value);

// The CP932 bytes of the library line of a spectrum: its title (quoted, with doubled double quotes,
// when it holds a comma or a double quote), then ", %g" for each of its 21 values, then CR LF.
std::string BandLibraryLine(const CBand& band);

// Appends the library line of the spectrum at the end of the file at `path` (created if missing),
// after a line break if the file's last line has none. Returns the message to show: "追加出力しました"
// on success, else the open or write failure; a title the library cannot hold is refused before the
// file is touched.
UserMessage AppendToBandLibrary(const std::string& path, const CBand& band);

}  // namespace kelmora
