// The About box "About KALIDOS".
#pragma once

#include <QDialog>

namespace kalidos::app {

class Tform2 : public QDialog {
    Q_OBJECT
public:
    explicit Tform2(QWidget* parent = nullptr);
    void sortie() { hide(); }
};

}  // namespace kalidos::app
