#include "paint_recorder.hpp"

#include <QPainter>

namespace kalidos::testing {

namespace {

QRectF clip_rect(const QPainter& painter)
{
    return painter.hasClipping() ? painter.transform().mapRect(painter.clipBoundingRect()) : QRectF();
}

}  // namespace

RecordingEngine::RecordingEngine(PaintRecorder& recorder) : QPaintEngine(AllFeatures), recorder_(recorder) {}

void RecordingEngine::drawTextItem(const QPointF& p, const QTextItem& textItem)
{
    const QPointF where = painter()->transform().map(p);
    recorder_.texts.push_back({textItem.text(), where, painter()->pen().color(), textItem.font()});
}

void RecordingEngine::drawLines(const QLineF* lines, int lineCount)
{
    const QTransform& transform = painter()->transform();
    for (int i = 0; i < lineCount; ++i)
        recorder_.lines.push_back({{transform.map(lines[i].p1()), transform.map(lines[i].p2())},
                                   painter()->pen().color(),
                                   painter()->pen().widthF(),
                                   clip_rect(*painter())});
}

void RecordingEngine::drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode)
{
    RecordedLine line{{}, painter()->pen().color(), painter()->pen().widthF(), clip_rect(*painter())};
    for (int i = 0; i < pointCount; ++i)
        line.points.push_back(painter()->transform().map(points[i]));
    if (mode != PolylineMode && pointCount > 0)
        line.points.push_back(line.points.front());
    recorder_.lines.push_back(line);
}

void RecordingEngine::drawRects(const QRectF* rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i) {
        const QPolygonF outline = painter()->transform().map(QPolygonF(rects[i]));
        recorder_.lines.push_back({QVector<QPointF>(outline.begin(), outline.end()), painter()->pen().color(),
                                   painter()->pen().widthF(), clip_rect(*painter())});
    }
}

PaintRecorder::PaintRecorder(QSize size, int dotsPerInch)
    : size_(size), dotsPerInch_(dotsPerInch), engine_(*this)
{
}

const RecordedText* PaintRecorder::find_text(const QString& text) const
{
    for (const RecordedText& recorded : texts)
        if (recorded.text == text)
            return &recorded;
    return nullptr;
}

int PaintRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return size_.width() * 254 / (10 * dotsPerInch_);
    case PdmHeightMM:
        return size_.height() * 254 / (10 * dotsPerInch_);
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return dotsPerInch_;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    case PdmNumColors:
        return 0xffffff;
    case PdmDepth:
        return 32;
    }
    return 0;
}

}  // namespace kalidos::testing
