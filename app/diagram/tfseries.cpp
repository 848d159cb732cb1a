#include "diagram/tfseries.hpp"

#include "diagram/picture_widget.hpp"
#include "drawing/comparison_render.hpp"
#include "drawing/palette.hpp"  // for text_out
#include "util/su_text.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

namespace kalidos::app {
namespace {

const char* const kAbscissaNames[] = {"Diagram", "Scan", "Temperature (K)", "Time (s)"};
const char* const kFigures[] = {"rwp", "rp", "chi2"};

QString qs(const std::string& text) { return QString::fromStdString(text); }

// A record's value of that name, or one of its figures; NaN when it has none.
drawing::SeriesPoint value_of(const SeriesRecord& r, const std::string& name)
{
    drawing::SeriesPoint p;
    p.y = std::nan("");
    if (name == "rwp" || name == "rp" || name == "chi2")
        p.y = name == "rwp" ? r.rwp : name == "rp" ? r.rp : r.chi2;
    else if (const SeriesValue* v = r.find(name))
        p.y = v->value, p.su = v->su;
    return p;
}

std::string file_name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string fixed(double value, int decimals) { return QString::number(value, 'f', decimals).toStdString(); }

}  // namespace

Tfseries::Tfseries(DiagramServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(std::move(services)), view_(make_workspace(""))
{
    setObjectName("fseries");
    setWindowTitle("Series");
    auto* open = new QPushButton("&Open...", this);
    open->setObjectName("OpenSeries");
    fileLabel_ = new QLabel("No series open", this);
    fileLabel_->setObjectName("SeriesFile");
    value_ = new QComboBox(this);
    value_->setObjectName("SeriesValue");
    value_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    value_->setMinimumContentsLength(12);
    abscissa_ = new QComboBox(this);
    abscissa_->setObjectName("SeriesAbscissa");
    abscissa_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    abscissa_->setMinimumContentsLength(16);
    plot_ = new PictureWidget(this);
    plot_->setObjectName("SeriesPlot");
    number_ = new QSpinBox(this);
    number_->setObjectName("SeriesDiagram");
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("SeriesSlider");
    recordLabel_ = new QLabel(this);
    recordLabel_->setObjectName("SeriesRecord");
    fit_ = new PictureWidget(this);
    fit_->setObjectName("SeriesFit");

    auto* top = new QHBoxLayout;
    top->addWidget(open);
    top->addWidget(fileLabel_, 1);
    top->addWidget(new QLabel("Value", this));
    top->addWidget(value_);
    top->addWidget(new QLabel("against", this));
    top->addWidget(abscissa_);
    auto* stepper = new QHBoxLayout;
    stepper->addWidget(new QLabel("Diagram", this));
    stepper->addWidget(number_);
    stepper->addWidget(slider_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(plot_, 3);
    layout->addLayout(stepper);
    layout->addWidget(recordLabel_);
    layout->addWidget(fit_, 3);

    connect(open, &QPushButton::clicked, this, &Tfseries::choose_file);
    connect(value_, &QComboBox::currentTextChanged, this, [this](const QString& name) { set_value(name); });
    connect(abscissa_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            set_abscissa(static_cast<Abscissa>(abscissa_->itemData(row).toInt()));
    });
    connect(slider_, &QSlider::valueChanged, this, [this](int value) { show_record(value - 1); });
    connect(number_, &QSpinBox::valueChanged, this, [this](int value) { show_record(value - 1); });
    connect(plot_, &PictureWidget::pressed, this, [this](QPoint position, Qt::MouseButton) {
        const int record = drawing::nearest_series_point(frame_, points_, position);
        if (record >= 0)
            show_record(record);
    });
    connect(plot_, &PictureWidget::resized, this, &Tfseries::draw_plot);
    connect(fit_, &PictureWidget::resized, this, &Tfseries::draw_fit);
    resize(900, 760);
}

Tfseries::~Tfseries() = default;

void Tfseries::start()
{
    show();
    raise();
    if (records_.empty())
        choose_file();
}

void Tfseries::choose_file()
{
    if (!services_.fileDialogs)
        return;
    const auto chosen = services_.fileDialogs->open_file(
        {"Open a series", {{"Series records", "*.jsonl *.json"}, {"All files", "*"}}, 0, "", "", ""});
    if (chosen)
        open_file(chosen->path);
}

bool Tfseries::open_file(const std::string& path)
{
    std::vector<SeriesRecord> records;
    std::vector<SeriesCurves> curves;
    const std::string why = read_series_file(path, records, &curves);
    if (!why.empty()) {
        if (services_.messages)
            beep_and_warn(*services_.messages, "The series cannot be shown: " + why);
        return false;
    }
    records_ = std::move(records);
    curves_ = std::move(curves);
    file_ = path;
    fileLabel_->setText(qs(file_name(path)) + QString(" (%1 diagrams)").arg(records_.size()));
    current_ = -1;
    fill_choices();
    const int count = static_cast<int>(records_.size());
    for (QAbstractSlider* s : {static_cast<QAbstractSlider*>(slider_)}) {
        const QSignalBlocker blocker(s);
        s->setRange(1, count);
    }
    {
        const QSignalBlocker blocker(number_);
        number_->setRange(1, count);
    }
    make_points();
    show_record(0);
    return true;
}

void Tfseries::fill_choices()
{
    const QSignalBlocker valueBlocker(value_), abscissaBlocker(abscissa_);
    value_->clear();
    for (const SeriesRecord& r : records_)
        if (r.ok) {
            for (const SeriesValue& v : r.values)
                value_->addItem(qs(v.name));
            break;
        }
    for (const char* figure : kFigures)
        value_->addItem(figure);
    // The first cell length (a), else the first value.
    const int cell = value_->findText("0::a");
    value_->setCurrentIndex(cell >= 0 ? cell : 0);
    abscissa_->clear();
    bool stated[4] = {true, true, false, false};
    for (const SeriesRecord& r : records_) {
        stated[Temperature] = stated[Temperature] || std::isfinite(r.item.temperature);
        stated[Time] = stated[Time] || std::isfinite(r.item.time);
    }
    for (int a = Index; a <= Time; ++a)
        if (stated[a])
            abscissa_->addItem(kAbscissaNames[a], a);
    // A temperature ramp is looked at against its temperature.
    abscissa_->setCurrentIndex(stated[Temperature] ? abscissa_->findData(Temperature) : 0);
}

QString Tfseries::value_name() const
{
    return value_->currentText();
}

double Tfseries::abscissa_of(const SeriesRecord& r) const
{
    switch (static_cast<Abscissa>(abscissa_->currentData().toInt())) {
    case Scan: return r.item.scan;
    case Temperature: return r.item.temperature;
    case Time: return r.item.time;
    case Index: break;
    }
    return r.index;
}

void Tfseries::make_points()
{
    points_.clear();
    const std::string name = value_name().toStdString();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (!records_[i].ok)
            continue;
        drawing::SeriesPoint p = value_of(records_[i], name);
        p.x = abscissa_of(records_[i]);
        p.record = static_cast<int>(i);
        if (std::isfinite(p.x) && std::isfinite(p.y))
            points_.push_back(p);
    }
    draw_plot();
}

bool Tfseries::set_value(const QString& name)
{
    const int row = value_->findText(name);
    if (row < 0)
        return false;
    if (value_->currentIndex() != row) {
        value_->setCurrentIndex(row);  // comes back here through the signal
        return true;
    }
    make_points();
    recordLabel_->setText(record_text());
    return true;
}

bool Tfseries::set_abscissa(Abscissa abscissa)
{
    const int row = abscissa_->findData(abscissa);
    if (row < 0)
        return false;
    if (abscissa_->currentIndex() != row) {
        abscissa_->setCurrentIndex(row);
        return true;
    }
    make_points();
    return true;
}

void Tfseries::show_record(int record)
{
    if (record < 0 || record >= static_cast<int>(records_.size()))
        return;
    current_ = record;
    const QSignalBlocker sliderBlocker(slider_), numberBlocker(number_);
    slider_->setValue(record + 1);
    number_->setValue(record + 1);
    recordLabel_->setText(record_text());
    draw_plot();
    draw_fit();
}

QString Tfseries::record_text() const
{
    if (current_ < 0)
        return {};
    const SeriesRecord& r = records_[static_cast<std::size_t>(current_)];
    std::string text = file_name(r.item.file) + (r.item.scans > 1 ? " scan " + std::to_string(r.item.scan) : "");
    if (std::isfinite(r.item.temperature))
        text += "   T = " + fixed(r.item.temperature, 2) + " K";
    if (!r.ok)
        return qs(text + "   failed: " + r.reason);
    text += "   Rwp " + fixed(100 * r.rwp, 2) + " %   chi2 " + fixed(r.chi2, 3);
    const drawing::SeriesPoint p = value_of(r, value_name().toStdString());
    if (std::isfinite(p.y))
        text += "   " + value_name().toStdString() + " = " + value_su_text(p.y, p.su);
    return qs(text);
}

void Tfseries::draw_plot()
{
    plot_->fit_picture();
    QPainter painter(&plot_->picture());
    const QString title = records_.empty() ? QString("No series open") : value_name() + " of " + qs(file_name(file_));
    const QString xName = abscissa_->currentIndex() >= 0 ? abscissa_->currentText() : QString();
    frame_ = drawing::render_series_plot(painter, plot_->picture().size(), points_, current_, title, xName,
                                         value_name());
    painter.end();
    plot_->update();
}

void Tfseries::draw_fit()
{
    fit_->fit_picture();
    QPainter painter(&fit_->picture());
    const bool some = current_ >= 0 && static_cast<std::size_t>(current_) < curves_.size();
    const SeriesCurves* c = some ? &curves_[static_cast<std::size_t>(current_)] : nullptr;
    if (!c || c->twoTheta.size() < 2) {
        drawing::efface_ecran(painter, fit_->picture().size());
        painter.setFont(drawing::picture_font());
        const bool failed = some && !records_[static_cast<std::size_t>(current_)].ok;
        drawing::text_out(painter, 8, 8,
                          !some    ? QString()
                          : failed ? QString("The refinement of this diagram failed")
                                   : QString("The records hold no fit (the series was refined with --no-curves)"));
        painter.end();
        fit_->update();
        return;
    }
    const SeriesRecord& r = records_[static_cast<std::size_t>(current_)];
    view_->model.twoTheta1 = c->twoTheta.front();
    view_->model.twoTheta2 = c->twoTheta.back();
    const AgreementCurves curves{c->twoTheta, c->observed, c->calculated, c->background, {}, {}};
    drawing::FitLegend legend;
    legend.title = qs("Refinement against " + file_name(r.item.file) +
                      (r.item.scans > 1 ? " (scan " + std::to_string(r.item.scan) + ")" : ""));
    legend.figures << qs("Rp=" + fixed(100 * r.rp, 2) + " %  Rwp=" + fixed(100 * r.rwp, 2) + " %  Rexp=" +
                         fixed(100 * r.rexp, 2) + " %  chi2=" + fixed(r.chi2, 3));
    drawing::render_fit(painter, fit_->picture().size(), *view_, curves, legend, drawing::DiagramOptions{});
    painter.end();
    fit_->update();
}

void Tfseries::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    draw_plot();
    draw_fit();
}

}  // namespace kalidos::app
