#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace kelmora {

namespace {

constexpr int kSide = 32;

void DrawGroundLines(QPainter& p) {
    p.setPen(QPen(QColor(119, 17, 0), 2));
    p.drawPolyline(QPolygon({QPoint(3, 26), QPoint(12, 18), QPoint(20, 21), QPoint(29, 9)}));
    p.setPen(QPen(QColor(0, 0, 255), 3));
    p.drawLine(QPoint(6, 29), QPoint(15, 21));
}

void DrawBuildings(QPainter& p) {
    p.setPen(QPen(QColor(0, 160, 0), 2));
    p.setBrush(QBrush(QColor(0, 200, 0), Qt::DiagCrossPattern));
    p.drawRect(QRect(4, 8, 24, 18));
    p.setBrush(QBrush(QColor(255, 165, 0), Qt::DiagCrossPattern));
    p.setPen(QPen(QColor(255, 140, 0), 1));
    p.drawRect(QRect(8, 12, 10, 10));
}

void DrawOutdoorSources(QPainter& p) {
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.setBrush(QColor(255, 0, 0));
    p.drawEllipse(QPoint(10, 16), 4, 4);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(8, 6, 16, 20), -50 * 16, 100 * 16);
    p.drawArc(QRect(6, 2, 24, 28), -50 * 16, 100 * 16);
}

void DrawPrediction(QPainter& p) {
    p.setPen(QPen(QColor(160, 160, 160), 1));
    for (int i = 4; i <= 28; i += 8) {
        p.drawLine(QPoint(i, 4), QPoint(i, 28));
        p.drawLine(QPoint(4, i), QPoint(28, i));
    }
    p.setPen(QPen(QColor(255, 0, 0), 3));
    p.drawLine(QPoint(20, 13), QPoint(20, 27));
    p.drawLine(QPoint(13, 20), QPoint(27, 20));
}

void DrawSizeChange(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawLine(QPoint(4, 16), QPoint(28, 16));
    p.drawPolyline(QPolygon({QPoint(9, 11), QPoint(4, 16), QPoint(9, 21)}));
    p.drawPolyline(QPolygon({QPoint(23, 11), QPoint(28, 16), QPoint(23, 21)}));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    for (int x = 8; x <= 24; x += 4)
        p.drawLine(QPoint(x, 24), QPoint(x, x % 8 == 0 ? 29 : 27));
    p.setFont(QFont(QStringLiteral("Sans"), 7, QFont::Bold));
    p.drawText(QRect(4, 2, 24, 11), Qt::AlignCenter, QStringLiteral("m"));
}

void DrawPicture(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(240, 248, 255));
    p.drawRect(QRect(3, 5, 26, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 160, 90));
    p.drawPolygon(QPolygon({QPoint(4, 26), QPoint(13, 14), QPoint(19, 21), QPoint(23, 17), QPoint(28, 26)}));
    p.setBrush(QColor(240, 180, 40));
    p.drawEllipse(QPoint(22, 10), 3, 3);
}

// A magnifying glass over the upper left, for the zoom commands.
void DrawMagnifier(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPoint(19, 19), QPoint(28, 28));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(240, 248, 255));
    p.drawEllipse(QPoint(13, 13), 9, 9);
}

void DrawZoomSign(QPainter& p, bool plus) {
    p.setPen(QPen(QColor(0, 0, 255), 2));
    p.drawLine(QPoint(9, 13), QPoint(17, 13));
    if (plus) p.drawLine(QPoint(13, 9), QPoint(13, 17));
}

void DrawFitWindow(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(240, 248, 255));
    p.drawRect(QRect(3, 5, 26, 22));
    p.setPen(QPen(QColor(0, 160, 0), 1));
    p.setBrush(QBrush(QColor(0, 200, 0), Qt::DiagCrossPattern));
    p.drawRect(QRect(9, 11, 14, 10));
    p.setPen(QPen(QColor(0, 0, 255), 2));
    for (const QPoint& corner : {QPoint(5, 7), QPoint(27, 7), QPoint(27, 25), QPoint(5, 25)}) {
        const QPoint inward((corner.x() < 16 ? 4 : -4), (corner.y() < 16 ? 4 : -4));
        p.drawLine(corner, corner + QPoint(inward.x(), 0));
        p.drawLine(corner, corner + QPoint(0, inward.y()));
    }
}

void DrawZoomArea(QPainter& p) {
    p.setPen(QPen(QColor(0, 0, 255), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(2, 2, 20, 16));
    p.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPoint(22, 22), QPoint(29, 29));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(240, 248, 255, 200));
    p.drawEllipse(QPoint(17, 17), 7, 7);
}

void DrawProgram(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 248, 255));
    p.drawRoundedRect(QRect(1, 1, 30, 30), 5, 5);
    DrawBuildings(p);
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(14, 4, 16, 24), -60 * 16, 120 * 16);
    p.drawArc(QRect(10, 0, 24, 32), -60 * 16, 120 * 16);
}

// A hooked arrow turning back to the left ("元に戻す"); mirrored, to the right ("やり直し").
void DrawTurnArrow(QPainter& p, bool mirrored) {
    if (mirrored) {
        p.translate(kSide, 0);
        p.scale(-1, 1);
    }
    const QColor blue(30, 80, 170);
    p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath hook;
    hook.moveTo(9, 13);
    hook.lineTo(19, 13);
    hook.cubicTo(30, 13, 30, 27, 19, 27);
    hook.lineTo(12, 27);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygon({QPoint(3, 13), QPoint(11, 6), QPoint(11, 20)}));
}

}  // namespace

QIcon PaintedIcon(ToolIcon icon) {
    QIcon result;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(kSide * scale, kSide * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        switch (icon) {
            case ToolIcon::GroundLines:
                DrawGroundLines(p);
                break;
            case ToolIcon::Buildings:
                DrawBuildings(p);
                break;
            case ToolIcon::OutdoorSources:
                DrawOutdoorSources(p);
                break;
            case ToolIcon::Prediction:
                DrawPrediction(p);
                break;
            case ToolIcon::SizeChange:
                DrawSizeChange(p);
                break;
            case ToolIcon::Picture:
                DrawPicture(p);
                break;
            case ToolIcon::FitWindow:
                DrawFitWindow(p);
                break;
            case ToolIcon::ZoomIn:
            case ToolIcon::ZoomOut:
                DrawMagnifier(p);
                DrawZoomSign(p, icon == ToolIcon::ZoomIn);
                break;
            case ToolIcon::ZoomArea:
                DrawZoomArea(p);
                break;
            case ToolIcon::Program:
                DrawProgram(p);
                break;
            case ToolIcon::Undo:
            case ToolIcon::Redo:
                DrawTurnArrow(p, icon == ToolIcon::Redo);
                break;
        }
        p.end();
        pixmap.setDevicePixelRatio(scale);
        result.addPixmap(pixmap);
    }
    return result;
}

}  // namespace kelmora
