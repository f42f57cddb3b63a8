#pragma once
// Printed map pages painted with Qt: the map page and the results-table pages of PageDrawing onto any
// paged device (a PDF writer, a printer, a print preview) as vectors with real, selectable text in the
// plan's Japanese face (embedded in a PDF), or onto an image at a chosen resolution.
#include <QByteArray>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <optional>
#include <string>
#include <vector>

#include "view/noisemap/PageDrawing.h"

namespace kelmora {

// Every page of one printout, first the map.
struct PagePrintout {
    PageSetup setup;
    PageDrawing map;
    std::vector<DisplayLayer> tables;  // the results pages; empty without them
    std::string title;                 // the document's title (PDF metadata)
    QImage picture;                    // the plan's background picture; null for none
};

// The pages of a setup and content: DrawMapPage, and with setup.resultsTable the results of the
// model's points (PointResultRows, DrawResultsPages), or the rows given with the number of points they
// were taken from. Texts are measured in the plan's font.
struct ResultRows {
    std::vector<PointResultRow> rows;
    std::size_t points = 0;
};
PagePrintout MakePrintout(const PageSetup& setup, const PageContent& content, const std::string& title,
                          const QImage* picture = nullptr,
                          const std::optional<ResultRows>& rows = std::nullopt);

// The device's page: the paper of the setup, no margins (the page has its own).
void SetUpPagedDevice(QPagedPaintDevice& device, const PageSetup& setup);

// Paints page `index` (0 the map) on a painter whose device units are `devicePerMm` a millimetre,
// its origin at the paper's top-left corner.
void PaintPage(QPainter& painter, const PagePrintout& printout, std::size_t index, double devicePerMm);
std::size_t PageCount(const PagePrintout& printout);

// Paints every page onto a paged device already set up (SetUpPagedDevice), starting a new page for
// each after the first. False when the painter could not begin on the device.
bool PaintPrintout(QPagedPaintDevice& device, const PagePrintout& printout);

// The whole printout as PDF bytes (vectors, fonts embedded); empty when it could not be made.
QByteArray RenderPdf(const PagePrintout& printout);

// Page `index` as an image at `dpi` dots per inch on white, its resolution recorded in the image.
QImage RenderPageImage(const PagePrintout& printout, std::size_t index, int dpi);

// The dots per inch a page image may have: 72 … 600.
inline constexpr int kLeastPageDpi = 72;
inline constexpr int kMostPageDpi = 600;

}  // namespace kelmora
