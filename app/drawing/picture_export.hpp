// Saving the diagram picture: Windows bitmap and PNG from the pixels, SVG and PDF drawn again.
#pragma once

#include <QImage>
#include <QString>
#include <functional>

class QPainter;

namespace kalidos::drawing {

enum class PictureFormat { Bitmap, Png, Svg, Pdf };

// The format named by a file's extension (bmp, png, svg, pdf, any case); `fallback` otherwise.
PictureFormat picture_format_of(const QString& fileName, PictureFormat fallback);

// Writes the picture. Bitmap and PNG take its pixels; SVG and PDF call `redraw` on a painter
// of the picture's size in pixels, so that lines and texts stay vectors, and carry `title`.
// False on a write failure.
bool save_picture(const QString& fileName, PictureFormat format, const QImage& picture,
                  const std::function<void(QPainter&)>& redraw, const QString& title = "Diffraction diagram");

}  // namespace kalidos::drawing
