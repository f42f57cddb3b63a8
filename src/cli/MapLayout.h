#pragma once
// The map command's printed pages: `--layout A3L --scale 1000 --title "…"` makes the output a page
// with the map, its legend, a north arrow, a scale bar and a title block — a PDF, or a PNG of the same
// page at `--dpi` — as the desktop program's "PDF出力..." makes it; and the map settings a project
// keeps in its extension file, which the command draws with unless its options say otherwise.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>

#include "model/MapSettings.h"
#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/noisemap/NoiseMap.h"
#include "view/noisemap/PageLayout.h"

class QByteArray;
class QImage;

namespace kelmora::cli {

struct MapLayoutOptions {
    std::string layout;  // "A4P", "A4L", "A3P", "A3L"; empty: no page (a PDF takes A3L)
    std::string scale;   // "250" … "5000" or "fit"
    std::string title;
    std::string company;  // default: the desktop program's user settings
    std::string author;
    int dpi = 300;
    bool table = false;
};

void AddMapLayoutOptions(CLI::App& command, MapLayoutOptions& options);

// Replaces the file at `path` with a rendered picture or page, safely. Throws std::runtime_error:
// "`nothingMade`: path" when the rendering gave no bytes, or the reason the file cannot be written
// (the previous file stays).
void WriteRenderedBytes(const std::filesystem::path& path, const QByteArray& bytes,
                        const std::string& nothingMade);

// True when the output is a page: a .pdf, or a layout asked for.
bool WantsPage(const MapLayoutOptions& options, const std::filesystem::path& output);

// The page of the options; a message on stderr and none when they are not usable.
std::optional<PageSetup> PageOfOptions(const MapLayoutOptions& options);

// The map settings kept beside the project (defaults when it has none; a damaged file is reported on
// stderr and the defaults taken).
MapSettings ProjectMapSettings(const std::string& projectPath);

struct PageInputs {
    const CNoise& model;
    const CKelmoraViewData& window;
    const QImage* picture = nullptr;
    const NoiseMap& map;
    MapQuantity quantity = MapQuantity::LAeqT;  // of the result file, for the results table
    MapLook look;
    std::string projectName;
};

// Writes the page (and with --table the result file's points on further pages) as PDF or, for a .png
// output, the map page as a picture.
// Throws std::runtime_error with the reason when it cannot be written; the previous file stays.
void WritePage(const std::filesystem::path& output, const PageSetup& setup, const MapLayoutOptions& options,
               const PageInputs& in);

}  // namespace kelmora::cli
