// A widget that shows a picture it owns and reports the mouse on it: `Image1` of the diagram windows.
#pragma once

#include <QImage>
#include <QWidget>

namespace kalidos::app {

class PictureWidget : public QWidget {
    Q_OBJECT
  public:
    explicit PictureWidget(QWidget* parent = nullptr);

    // The picture is as large as the widget; its content is kept when the widget does not change size.
    QImage& picture() { return picture_; }
    const QImage& picture() const { return picture_; }
    // Makes the picture match the widget's size (white when the size changed).
    void fit_picture();

  Q_SIGNALS:
    void pressed(QPoint position, Qt::MouseButton button);
    void moved(QPoint position);
    void released(QPoint position, Qt::MouseButton button);
    void resized();
    // The wheel turned by `notches` (positive away from the user) at `position`.
    void wheeled(QPoint position, double notches);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QImage picture_;
};

}  // namespace kalidos::app
