#include "drawing/picture_export.hpp"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace kalidos::drawing {
namespace {

bool save_svg(const QString& fileName, QSize size, const std::function<void(QPainter&)>& redraw,
              const QString& title)
{
    QSvgGenerator generator;
    generator.setFileName(fileName);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    // A screen's resolution: readers show the drawing at the window's size, its texts alike.
    generator.setResolution(96);
    generator.setTitle(title);
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    redraw(painter);
    return painter.end();
}

bool save_pdf(const QString& fileName, QSize size, const std::function<void(QPainter&)>& redraw,
              const QString& title)
{
    QPdfWriter writer(fileName);
    // One point per pixel: the page is exactly the picture.
    writer.setResolution(72);
    writer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(size), QPageSize::Point), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(title);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    redraw(painter);
    return painter.end();
}

}  // namespace

PictureFormat picture_format_of(const QString& fileName, PictureFormat fallback)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "bmp")
        return PictureFormat::Bitmap;
    if (suffix == "png")
        return PictureFormat::Png;
    if (suffix == "svg")
        return PictureFormat::Svg;
    if (suffix == "pdf")
        return PictureFormat::Pdf;
    return fallback;
}

bool save_picture(const QString& fileName, PictureFormat format, const QImage& picture,
                  const std::function<void(QPainter&)>& redraw, const QString& title)
{
    switch (format) {
    case PictureFormat::Bitmap:
        return picture.convertToFormat(QImage::Format_RGB888).save(fileName, "BMP");
    case PictureFormat::Png:
        return picture.save(fileName, "PNG");
    case PictureFormat::Svg:
        return save_svg(fileName, picture.size(), redraw, title);
    case PictureFormat::Pdf:
        break;
    }
    return save_pdf(fileName, picture.size(), redraw, title);
}

}  // namespace kalidos::drawing
