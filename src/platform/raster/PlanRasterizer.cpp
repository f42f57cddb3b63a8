#include "platform/raster/PlanRasterizer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QPolygon>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <variant>

namespace kelmora {

namespace {

constexpr const char* kOriginalFace = "ＭＳ Ｐゴシック";

QColor ToQColor(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

Qt::PenStyle ToQtPenStyle(PenStyle style) {
    switch (style) {
        case PenStyle::Solid:
            return Qt::SolidLine;
        case PenStyle::Dash:
            return Qt::DashLine;
        case PenStyle::Dot:
            return Qt::DotLine;
        case PenStyle::DashDot:
            return Qt::DashDotLine;
        case PenStyle::DashDotDot:
            return Qt::DashDotDotLine;
        case PenStyle::None:
            return Qt::NoPen;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle ToQtHatch(HatchStyle hatch) {
    switch (hatch) {
        case HatchStyle::Horizontal:
            return Qt::HorPattern;
        case HatchStyle::Vertical:
            return Qt::VerPattern;
        case HatchStyle::ForwardDiagonal:
            return Qt::FDiagPattern;
        case HatchStyle::BackwardDiagonal:
            return Qt::BDiagPattern;
        case HatchStyle::Cross:
            return Qt::CrossPattern;
        case HatchStyle::DiagonalCross:
            return Qt::DiagCrossPattern;
    }
    return Qt::DiagCrossPattern;
}

QPolygon ToQPolygon(const std::vector<ClientPoint>& points) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const ClientPoint& p : points)
        polygon.append(QPoint(p.x, p.y));
    return polygon;
}

// The box between two corners given in any order, right and bottom edges excluded as for any filled
// area of the plan.
QRectF BoxBetween(int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2);
    const int top = std::min(y1, y2);
    return QRectF(left, top, std::max(x1, x2) - left, std::max(y1, y2) - top);
}

class LayerPainter {
public:
    LayerPainter(QPainter& painter, const QRect& area, const QImage* picture, bool smooth)
        : painter_(painter), area_(area), picture_(picture) {
        painter_.setRenderHint(QPainter::Antialiasing, smooth);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    }

    void operator()(const FillPrimitive& p) { painter_.fillRect(area_, ToQColor(p.color)); }

    void operator()(const PicturePrimitive& p) {
        if (picture_ == nullptr || picture_->isNull()) return;
        painter_.drawImage(QRectF(p.left, p.top, p.width, p.height), *picture_, QRectF(picture_->rect()));
    }

    void operator()(const PolylinePrimitive& p) {
        if (p.points.size() < 2) return;
        Begin(p.pen, Brush{}, p.op);
        painter_.drawPolyline(ToQPolygon(p.points));
        End();
    }

    void operator()(const PolygonPrimitive& p) {
        if (p.points.size() < 3) return;
        Begin(p.pen, p.brush, p.op);
        painter_.drawPolygon(ToQPolygon(p.points),
                             p.rule == FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
        End();
    }

    void operator()(const RectanglePrimitive& p) {
        Begin(p.pen, p.brush, p.op);
        painter_.drawRect(BoxBetween(p.corner1.x, p.corner1.y, p.corner2.x, p.corner2.y));
        End();
    }

    void operator()(const EllipsePrimitive& p) {
        Begin(p.pen, p.brush, p.op);
        painter_.drawEllipse(BoxBetween(p.left, p.top, p.right, p.bottom));
        End();
    }

    void operator()(const TextPrimitive& p) {
        const QFont font = PlanFont(p.font);
        const QFontMetrics metrics(font);
        const QString text = QString::fromStdString(p.text);
        const int w = metrics.horizontalAdvance(text);
        const int h = metrics.height();
        const bool turned = p.angleDeg != 0.0;
        if (turned) {
            painter_.save();
            painter_.translate(p.at.x, p.at.y);
            painter_.rotate(-p.angleDeg);  // counter-clockwise on the target, whose y runs down
        }
        const ClientPoint topLeft = AnchoredTopLeft(turned ? ClientPoint{} : p.at, p.anchor, w, h);
        if (p.opaque) painter_.fillRect(topLeft.x, topLeft.y, w, h, ToQColor(p.backColor));
        if (p.halo) {
            // The outline of the glyphs, then the text itself over it (which stays text in a PDF).
            QPainterPath outline;
            outline.addText(topLeft.x, topLeft.y + metrics.ascent(), font, text);
            painter_.strokePath(outline, QPen(ToQColor(p.backColor), std::max(2.0, 0.2 * h), Qt::SolidLine,
                                              Qt::RoundCap, Qt::RoundJoin));
        }
        painter_.setFont(font);
        painter_.setPen(ToQColor(p.textColor));
        painter_.drawText(topLeft.x, topLeft.y + metrics.ascent(), text);
        if (turned) painter_.restore();
    }

    void operator()(const PathPrimitive& p) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const std::vector<CVertex2D>& part : p.parts) {
            if (part.size() < 2) continue;
            path.moveTo(part.front().x, part.front().y);
            for (std::size_t i = 1; i < part.size(); ++i)
                path.lineTo(part[i].x, part[i].y);
            if (p.closed) path.closeSubpath();
        }
        if (path.isEmpty()) return;
        Begin(p.pen, p.closed ? p.brush : Brush{}, RasterOp::Copy);
        painter_.drawPath(path);
        End();
    }

private:
    void Begin(const Pen& pen, const Brush& brush, RasterOp op) {
        if (pen.style == PenStyle::None) {
            painter_.setPen(Qt::NoPen);
        } else {
            QPen qpen(ToQColor(pen.color), std::max(1, pen.width), ToQtPenStyle(pen.style), Qt::RoundCap,
                      Qt::RoundJoin);
            painter_.setPen(qpen);
        }
        switch (brush.kind) {
            case Brush::Kind::None:
                painter_.setBrush(Qt::NoBrush);
                break;
            case Brush::Kind::Solid:
                painter_.setBrush(ToQColor(brush.color));
                break;
            case Brush::Kind::Hatch:
                painter_.setBrush(QBrush(ToQColor(brush.color), ToQtHatch(brush.hatch)));
                if (brush.opaqueBackground) {
                    painter_.setBackgroundMode(Qt::OpaqueMode);
                    painter_.setBackground(ToQColor(brush.background));
                }
                break;
        }
        if (op == RasterOp::Invert) painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    }

    void End() {
        painter_.setBackgroundMode(Qt::TransparentMode);
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    QPainter& painter_;
    QRect area_;
    const QImage* picture_;
};

}  // namespace

QImage NewLayerImage(int width, int height) {
    return QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
}

QFont PlanFont(const FontSpec& spec) {
    QFont font;
    const bool substitute = spec.face.empty() || spec.face == kOriginalFace;
    font.setFamilies({substitute ? QString(kPlanFontFamily) : QString::fromStdString(spec.face),
                      QString(kPlanFontFamily)});
    font.setPixelSize(spec.heightPx != 0 ? std::abs(spec.heightPx) : 15);
    if (spec.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(spec.weight, 100, 900)));
    // The plan's texts need no shaping (Japanese and Latin), and shaped digits of this face lose their
    // characters in a PDF's text layer ("1:500" would be found as ":").
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    return font;
}

QSize TextExtent(const FontSpec& spec, const std::string& text) {
    const QFontMetrics metrics(PlanFont(spec));
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

void RasterizeLayer(QImage& target, const DisplayLayer& layer, const QImage* picture) {
    if (target.isNull()) return;
    QPainter painter(&target);
    PaintLayer(painter, target.rect(), layer, picture);
}

void PaintLayer(QPainter& painter, const QRect& area, const DisplayLayer& layer, const QImage* picture,
                bool smooth) {
    LayerPainter draw(painter, area, picture, smooth);
    for (const Primitive& p : layer)
        std::visit(draw, p);
}

}  // namespace kelmora
