#include "drawing/palette.hpp"

#include <QFontMetrics>

namespace kalidos::drawing {

QColor observed_colour(int k)
{
    static const QColor colours[10] = {{255, 0, 0}, {0, 0, 255},   {255, 0, 255}, {128, 0, 0}, {0, 0, 128},
                                       {0, 128, 0}, {128, 0, 128}, {128, 128, 0}, {0, 255, 0}, {0, 255, 255}};
    return colours[(k - 1 + 10) % 10];
}

QColor phase_colour(int p)
{
    static const QColor colours[16] = {{255, 140, 0},  {0, 128, 128},   {30, 144, 255}, {220, 20, 60},
                                       {148, 0, 211},  {46, 139, 87},   {139, 69, 19},  {255, 20, 147},
                                       {184, 134, 11}, {70, 130, 180},  {107, 142, 35}, {205, 92, 92},
                                       {106, 90, 205}, {210, 105, 30},  {95, 158, 160}, {199, 21, 133}};
    return colours[((p % 16) + 16) % 16];
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
