#include "drawing/palette.hpp"

#include <QFontMetrics>

namespace kalidos::drawing {

QColor observed_colour(int k)
{
    static const QColor colours[10] = {{255, 0, 0}, {0, 0, 255},   {255, 0, 255}, {128, 0, 0}, {0, 0, 128},
                                       {0, 128, 0}, {128, 0, 128}, {128, 128, 0}, {0, 255, 0}, {0, 255, 255}};
    return colours[(k - 1 + 10) % 10];
}

void text_out(QPainter& painter, int x, int y, const QString& text)
{
    const QFontMetrics metrics(painter.font(), painter.device());
    painter.drawText(x, y + metrics.ascent(), text);
}

void text_out_on(QPainter& painter, int x, int y, const QString& text, const QColor& background)
{
    const QFontMetrics metrics(painter.font(), painter.device());
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), background);
    text_out(painter, x, y, text);
}

}  // namespace kalidos::drawing
