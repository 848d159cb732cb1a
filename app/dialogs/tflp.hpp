// The source dialog "X ray source": X-ray tube or synchrotron with its polarisation ratio p.
#pragma once

#include <QDialog>

#include "model/workspace.hpp"
#include "ui/messages.hpp"

class QButtonGroup;
class QFrame;
class QLineEdit;

namespace kalidos::app {

class TFLP : public QDialog {
    Q_OBJECT
public:
    TFLP(Workspace& workspace, Messages& messages, QWidget* parent = nullptr);

    void initialise();
    void onclick_event(int item);
    // OK: false (dialog kept open) while no source is chosen or p is refused.
    bool sortie_lp();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Workspace& workspace_;
    Messages& messages_;
    QButtonGroup* sources_ = nullptr;
    QFrame* panel1_ = nullptr;
    QLineEdit* edit1_ = nullptr;
};

}  // namespace kalidos::app
