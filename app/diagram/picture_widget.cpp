#include "diagram/picture_widget.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace kalidos::app {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true); // the readout follows the cursor without a button held
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 60);
}

void PictureWidget::fit_picture()
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (picture_.size() == wanted)
        return;
    picture_ = QImage(wanted, QImage::Format_RGB32);
    picture_.fill(Qt::white);
}

void PictureWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, picture_);
}

void PictureWidget::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT pressed(event->position().toPoint(), event->button());
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT moved(event->position().toPoint());
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT released(event->position().toPoint(), event->button());
}

void PictureWidget::wheelEvent(QWheelEvent* event)
{
    // One notch of a common wheel is 120 eighths of a degree.
    Q_EMIT wheeled(event->position().toPoint(), event->angleDelta().y() / 120.0);
    event->accept();
}

void PictureWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fit_picture();
    Q_EMIT resized();
}

}  // namespace kalidos::app
