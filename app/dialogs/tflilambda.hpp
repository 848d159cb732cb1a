// The "Lambda missing" dialog: the wavelengths of a Rietveld diagram file that does not state them.
#pragma once

#include <QDialog>
#include <functional>

#include "model/observed.hpp"
#include "ui/messages.hpp"

class QLineEdit;
class QListWidget;

namespace kalidos::app {

// What the diagram import hands over while the dialog is open.
struct LambdaRequest {
    std::function<bool()> rereadFile;      // reads the Rietveld file into `scan` again
    RawScan* scan = nullptr;               // receives the wavelengths
    std::function<void()> completeImport;  // after OK: finish the import and redraw
};

class Tflilambda : public QDialog {
    Q_OBJECT
public:
    explicit Tflilambda(Messages& messages, QWidget* parent = nullptr);

    // Shows the dialog for one file; the import continues from OK.
    void start(LambdaRequest request);
    void clicklistbox(int item);
    void lit_lambda();

private:
    Messages& messages_;
    LambdaRequest request_;
    int anodeItem_ = -1;
    QListWidget* listBox3_ = nullptr;
    QLineEdit* edit51_ = nullptr;
    QLineEdit* edit54_ = nullptr;
    QLineEdit* edit57_ = nullptr;
};

}  // namespace kalidos::app
