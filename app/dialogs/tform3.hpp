// The data-block choice of a CIF file holding several structures.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "readers/open_structure_file.hpp"

class QFrame;
class QListWidget;

namespace kalidos::app {

// Shown modally while a CIF is read: the reading waits for OK (a block) or Close (nothing read).
class TForm3 : public QDialog, public CifBlockChooser {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // The block number from 1, or 0 when the window was closed.
    int choose_cif_block(const std::vector<CifBlock>& blocks) override;
    // Fills the list with the names (one beep per block) and shows the panel.
    void initialise(const std::vector<std::string>& names);
    // OK: nothing happens while no block is selected.
    void BitBtn1Click();
    // Close: nothing is read.
    void BitBtn3Click();

private:
    QFrame* panel1_ = nullptr;
    QListWidget* listBox1_ = nullptr;
};

}  // namespace kalidos::app
