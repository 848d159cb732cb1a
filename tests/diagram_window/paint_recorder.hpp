// A paint device that records what a drawing routine asks for: texts, lines and polylines.
#pragma once

#include <QColor>
#include <QFont>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPointF>
#include <QString>
#include <QVector>

namespace kalidos::testing {

struct RecordedText {
    QString text;
    QPointF baseline; // left end of the text's baseline
    QColor colour;
    QFont font;
};

struct RecordedLine {
    QVector<QPointF> points; // two for a line, more for a polyline
    QColor colour;
    double penWidth = 0;
    QRectF clip; // the painter's clip when the line was drawn; null without clipping
};

class PaintRecorder;

class RecordingEngine : public QPaintEngine {
  public:
    explicit RecordingEngine(PaintRecorder& recorder);
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    Type type() const override { return User; }
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override;
    void drawLines(const QLineF* lines, int lineCount) override;
    void drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode) override;
    void drawRects(const QRectF* rects, int rectCount) override;

  private:
    PaintRecorder& recorder_;
};

// A device of a given size in pixels and a given resolution in dots per inch.
class PaintRecorder : public QPaintDevice {
  public:
    PaintRecorder(QSize size, int dotsPerInch);
    QPaintEngine* paintEngine() const override { return &engine_; }

    QVector<RecordedText> texts;
    QVector<RecordedLine> lines;
    // The recorded text equal to `text`, or nullptr.
    const RecordedText* find_text(const QString& text) const;

  protected:
    int metric(PaintDeviceMetric metric) const override;

  private:
    QSize size_;
    int dotsPerInch_;
    mutable RecordingEngine engine_;
};

}  // namespace kalidos::testing
