#include "dialogs/tform2.hpp"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalidos::app {

namespace {

const char* const kAboutText =
    "KALIDOS for Linux, version 0.1\n"
    "\n"
    "Simulation of powder diffraction diagrams for an X-ray tube, synchrotron radiation or "
    "neutrons, with an interpreter that builds the symmetry operators of any space group from "
    "its Hall or Hermann-Mauguin symbol.\n"
    "\n"
    "Written by the KALIDOS developers, a small group of crystallographers and software "
    "engineers, for teaching and for the daily work of powder diffraction laboratories.\n"
    "\n"
    "The space-group interpreter is built on the symmetry tables of the gemmi library "
    "(Global Phasing Ltd, Mozilla Public License 2.0); the X-ray scattering factors come from "
    "International Tables for Crystallography, Vol. C, and the anomalous-dispersion tables are "
    "computed from the published methods of Brennan and Cowan and of Sasaki.\n"
    "\n"
    "This program is free software, distributed without any warranty.";

}  // namespace

Tform2::Tform2(QWidget* parent) : QDialog(parent)
{
    setObjectName("form2");
    setWindowTitle("About KALIDOS");
    auto* column = new QVBoxLayout(this);
    auto* text = new QPlainTextEdit(kAboutText);
    text->setObjectName("Memo1");
    text->setReadOnly(true);
    text->setStyleSheet("QPlainTextEdit { background: #ffff80; }");
    auto* ok = new QPushButton("OK");
    ok->setObjectName("BitBtn1");
    column->addWidget(text);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &Tform2::sortie);
    resize(420, 320);
}

}  // namespace kalidos::app
