// The data-block choice of a CIF file holding several structures.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QFrame;
class QListWidget;

namespace kalidos::app {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // Shows the block names; OK calls `onChosen` with the block number (from 1).
    void choose(const std::vector<std::string>& names, std::function<void(int)> onChosen);
    void initialise();
    // OK: nothing happens while no block is selected.
    void BitBtn1Click();
    // Close: nothing is read.
    void BitBtn3Click();

private:
    std::vector<std::string> names_;
    std::function<void(int)> onChosen_;
    QFrame* panel1_ = nullptr;
    QListWidget* listBox1_ = nullptr;
};

}  // namespace kalidos::app
