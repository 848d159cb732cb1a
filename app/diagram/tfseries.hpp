// The "Series" window of the diagram window: the records of a series refined by kalidos-batch
// --series or kalidos.refine_series, one value with its su plotted against the diagrams' index,
// scan, temperature or time, and the diagrams stepped through with their fits.
#pragma once

#include "diagram/diagram_services.hpp"
#include "drawing/series_plot.hpp"
#include "model/workspace.hpp"
#include "series/series_reading.hpp"

#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace kalidos::app {

class PictureWidget;

class Tfseries : public QWidget {
    Q_OBJECT
  public:
    // What the plot's abscissa is.
    enum Abscissa { Index, Scan, Temperature, Time };

    explicit Tfseries(DiagramServices services, QWidget* parent = nullptr);
    ~Tfseries() override;

    // Shown, and with no series yet, the open dialog.
    void start();
    // Open...: the open dialog for a series' JSON Lines file.
    void choose_file();
    // Reads the records and their fits; false (told) when the file is refused.
    bool open_file(const std::string& path);
    // The value plotted ("0::a", "zero", "rwp" ...); false when the records have none of that name.
    bool set_value(const QString& name);
    // The abscissa, when the records state it; false otherwise.
    bool set_abscissa(Abscissa abscissa);
    // Record `record` (from 0) shown: ringed in the plot, its fit drawn below.
    void show_record(int record);

    int current_record() const { return current_; }
    const std::vector<SeriesRecord>& records() const { return records_; }
    const std::vector<drawing::SeriesPoint>& points() const { return points_; }
    QString value_name() const;
    // The line under the plot: the diagram, its figures and the value shown.
    QString record_text() const;
    const drawing::SeriesPlotFrame& plot_frame() const { return frame_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fill_choices();
    void make_points();
    void draw_plot();
    void draw_fit();
    double abscissa_of(const SeriesRecord& record) const;

    DiagramServices services_;
    std::vector<SeriesRecord> records_;
    std::vector<SeriesCurves> curves_;
    std::vector<drawing::SeriesPoint> points_;
    drawing::SeriesPlotFrame frame_;
    std::unique_ptr<Workspace> view_;  // the 2θ range the fit is drawn over
    std::string file_;
    int current_ = -1;
    QLabel* fileLabel_ = nullptr;
    QComboBox* value_ = nullptr;
    QComboBox* abscissa_ = nullptr;
    PictureWidget* plot_ = nullptr;
    QSlider* slider_ = nullptr;
    QSpinBox* number_ = nullptr;
    QLabel* recordLabel_ = nullptr;
    PictureWidget* fit_ = nullptr;
};

}  // namespace kalidos::app
