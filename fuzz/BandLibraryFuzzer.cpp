// Feeds arbitrary bytes to the band library reader. Any input must either be refused with exactly one
// message or give finite spectra; every spectrum whose title the library can hold is written as a
// library line that reads back as the same title and that writes again byte for byte. Anything else
// (a sanitizer report, a time-out, a huge allocation) is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/persistence/BandLibrary.h"

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "band library: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelmora;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const BandLibraryRead read = ReadBandLibrary(bytes, "fuzz.csv");
    if (read.message.has_value() == !read.spectra.empty()) Finding("a message and spectra, or neither");
    for (const CBand& band : read.spectra) {
        for (double v : band.third) {
            if (!std::isfinite(v)) Finding("a value that is not finite");
        }
        if (!UnwritableTitleCharacters(band.title).empty()) continue;
        const std::string line = BandLibraryLine(band);
        const BandLibraryRead again = ReadBandLibrary(line, "line.csv");
        if (again.spectra.size() != 1) Finding("a written line does not read");
        if (again.spectra[0].title != band.title) Finding("a written title reads back differently");
        if (BandLibraryLine(again.spectra[0]) != line) Finding("a line read and written again changed");
    }
    return 0;
}
