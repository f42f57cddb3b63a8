#include "platform/raster/PagePicture.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "platform/raster/MapPicture.h"
#include "platform/raster/PlanRasterizer.h"

namespace kelmora {

namespace {

constexpr int kPdfDpi = 1200;  // the PDF's device units: fine enough for the 0.2 mm page units

QRect ToQRect(const UnitRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

}  // namespace

PagePrintout MakePrintout(const PageSetup& setup, const PageContent& content, const std::string& title,
                          const QImage* picture, const std::optional<ResultRows>& rows) {
    PagePrintout printout;
    printout.setup = setup;
    printout.title = title;
    if (picture != nullptr) printout.picture = *picture;
    const TextWidth width = PlanTextWidth();
    printout.map = DrawMapPage(setup, content, width);
    if (setup.resultsTable) {
        printout.tables =
            rows ? DrawResultsPages(setup, rows->rows, rows->points, content.texts, width)
                 : DrawResultsPages(setup, PointResultRows(content.model),
                                    content.model.calcInfo.PredictionPoints().size(), content.texts, width);
    }
    return printout;
}

std::size_t PageCount(const PagePrintout& printout) {
    return 1 + printout.tables.size();
}

void SetUpPagedDevice(QPagedPaintDevice& device, const PageSetup& setup) {
    const QPageSize size(setup.paper == PaperSize::A4 ? QPageSize::A4 : QPageSize::A3);
    const QPageLayout::Orientation orientation =
        setup.orientation == PageOrientation::Portrait ? QPageLayout::Portrait : QPageLayout::Landscape;
    device.setPageLayout(QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

void PaintPage(QPainter& painter, const PagePrintout& printout, std::size_t index, double devicePerMm) {
    const QImage* picture = printout.picture.isNull() ? nullptr : &printout.picture;
    painter.save();
    painter.scale(devicePerMm * kPageUnitMm, devicePerMm * kPageUnitMm);
    const PageDrawing& map = printout.map;
    const QRect paper(0, 0, map.widthUnits, map.heightUnits);
    if (index == 0) {
        painter.fillRect(paper, Qt::white);
        painter.setClipRect(ToQRect(map.mapClip));
        PaintLayer(painter, ToQRect(map.mapClip), map.map, picture, true);
        painter.setClipping(false);
        PaintLayer(painter, paper, map.sheet, nullptr, true);
    } else if (index - 1 < printout.tables.size()) {
        PaintLayer(painter, paper, printout.tables[index - 1], nullptr, true);
    }
    painter.restore();
}

bool PaintPrintout(QPagedPaintDevice& device, const PagePrintout& printout) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // Device units a millimetre, from the page's full width in device units.
    const QRect full = device.pageLayout().fullRectPixels(device.logicalDpiX());
    const double devicePerMm = full.width() / device.pageLayout().fullRect(QPageLayout::Millimeter).width();
    for (std::size_t i = 0; i < PageCount(printout); ++i) {
        if (i > 0) device.newPage();
        PaintPage(painter, printout, i, devicePerMm);
    }
    return painter.end();
}

QByteArray RenderPdf(const PagePrintout& printout) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kPdfDpi);
        pdf.setTitle(QString::fromStdString(printout.title));
        pdf.setCreator(QStringLiteral("Kelmora"));
        SetUpPagedDevice(pdf, printout.setup);
        if (!PaintPrintout(pdf, printout)) return {};
    }
    return bytes;
}

QImage RenderPageImage(const PagePrintout& printout, std::size_t index, int dpi) {
    const double devicePerMm = std::clamp(dpi, kLeastPageDpi, kMostPageDpi) / 25.4;
    const PaperMm paper = PaperOf(printout.setup);
    QImage image(static_cast<int>(std::lround(paper.width * devicePerMm)),
                 static_cast<int>(std::lround(paper.height * devicePerMm)), QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMetre = static_cast<int>(std::lround(devicePerMm * 1000.0));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    PaintPage(painter, printout, index, devicePerMm);
    return image;
}

}  // namespace kelmora
