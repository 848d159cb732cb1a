#include "diagram/tfprint.hpp"

#include "platform/wait_cursor.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

namespace kalidos::app {

void print_page(QPrinter& printer, const Workspace& workspace, const drawing::PageOptions& options)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return; // the platform's print service has reported the failure
    // The page is composed landscape in dots of 117.66 per centimetre whatever the printer's
    // resolution, on the paper chosen in the print dialog.
    const QPageLayout layout = printer.pageLayout();
    drawing::PageOptions onPaper = options;
    onPaper.pageDots = drawing::landscape_page_dots(layout.paintRect(QPageLayout::Millimeter).size());
    const double scale = printer.resolution() / (drawing::kDotsPerCm * 2.54);
    painter.setTransform(drawing::sheet_transform(layout.paintRectPixels(printer.resolution()).size(), scale));
    drawing::render_print_page(painter, workspace, onPaper);
    painter.end();
}

Tfprint::Tfprint(Workspace& workspace, std::function<bool(QPrinter&)> printDialog, QWidget* parent)
    : QDialog(parent), workspace_(workspace), printDialog_(std::move(printDialog))
{
    setObjectName("fprint");
    setWindowTitle("Print ");
    auto* label = new QLabel("Comment", this);
    label->setObjectName("Label1");
    label->setStyleSheet("QLabel { color: white; background-color: red; font-family: 'Times New Roman';"
                         " font-weight: bold; padding: 2px; }");
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName("Edit1");
    edit1_->setFixedWidth(385);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit1_);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &Tfprint::sortie);
}

void Tfprint::set_view(AbscissaMode mode, drawing::IntensityScale scale, double verticalScale)
{
    options_.mode = mode;
    options_.scale = scale;
    options_.verticalScale = verticalScale;
}

void Tfprint::sortie()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // Origin at the printable area's corner, as near the paper's corner as the printer allows.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (!printDialog_ || !printDialog_(printer))
        return; // cancelled: nothing printed, the dialog stays open
    options_.comment = edit1_->text().toStdString();
    std::string& title = workspace_.model.title;
    title.erase(0, title.find_first_not_of(' ') == std::string::npos ? title.size()
                                                                     : title.find_first_not_of(' '));
    {
        WaitCursor hourglass;
        print_page(printer, workspace_, options_);
    }
    close();
}

}  // namespace kalidos::app
