#include "diagram/tfdifference.hpp"

#include "diagram/picture_widget.hpp"
#include "drawing/difference_render.hpp"

#include <QPainter>
#include <QVBoxLayout>

namespace kalidos::app {

namespace {
constexpr int kDifferenceHeight = 200; // pixels
}

Tfdifference::Tfdifference(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("fdifference");
    setWindowTitle("Difference");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    image_ = new PictureWidget(this);
    image_->setObjectName("Image1");
    layout->addWidget(image_);
    resize(1030, kDifferenceHeight);
}

void Tfdifference::initialise(const QWidget& diagramWindow)
{
    const QRect frame = diagramWindow.frameGeometry();
    setGeometry(frame.left(), std::max(0, frame.top() - kDifferenceHeight), diagramWindow.width(),
                kDifferenceHeight);
}

void Tfdifference::draw(const drawing::DifferenceRows& rows)
{
    image_->fit_picture();
    QPainter painter(&image_->picture());
    drawing::trace_difference(painter, image_->picture().size(), rows);
    painter.end();
    image_->update();
}

const QImage& Tfdifference::picture() const
{
    return image_->picture();
}

}  // namespace kalidos::app
