// The diagram window "Diffraction diagram": the picture, its spin buttons, readout, menus and mouse.
#pragma once

#include <optional>
#include "diagram/diagram_services.hpp"
#include "drawing/comparison_render.hpp"
#include "drawing/diagram_render.hpp"
#include "drawing/phase_overlay.hpp"
#include "identification/candidate_score.hpp"

#include <functional>
#include <memory>

#include <QImage>
#include <QMainWindow>

class QAction;
class QFrame;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace kalidos::app {

class PhaseMixture;
class PictureWidget;
class Tfphases;
class Tfidentify;
class Tfindex;
class Tfdifference;
class Tfrefine;
class Tfseries;
class Tfprint;
class UpDown;

class Tfplecran : public QMainWindow {
    Q_OBJECT
  public:
    Tfplecran(Workspace& workspace, DiagramServices services, QWidget* parent = nullptr);
    ~Tfplecran() override;

    // Operations of the main window and of the calculation.
    void dessine();
    void efface_ecran();
    void reset_diag();
    void initialise();
    // After a calculation: a short window, the view reset to the calculated range, drawn and shown.
    void show_after_calculation();
    void set_selected_reflection(int s) { selected_ = s; }
    int selected_reflection() const { return selected_; }

    drawing::IntensityScale intensity_scale() const { return scale_; }
    double vertical_scale() const { return verticalScale_; }
    const drawing::RenderOutcome& last_drawing() const { return outcome_; }
    bool difference_shown() const { return differenceShown_; }
    const QImage& picture() const;
    Tfdifference& difference_window() { return *difference_; }
    Tfprint& print_window() { return *print_; }
    Tfphases& phases_window() { return *phases_; }
    Tfrefine& refinement_window() { return *refine_; }
    Tfidentify& identify_window() { return *identify_; }
    Tfindex& index_window() { return *indexing_; }
    Tfseries& series_window() { return *series_; }
    PhaseMixture& mixture() { return *mixture_; }
    // The phases drawn over the mixture's total; none while the window shows one structure.
    const drawing::PhaseOverlay* phase_overlay() const;

    // Handlers, under the names of their controls and menu items.
    void change_echelle(int position);
    void shifte_diagramme(int position);
    void Linear1Click();
    void Logarithmic1Click();
    void Squareroot1Click();
    void efface_diagramme_calcule();
    void efface_diagrammes_raw();
    void disp_difference();
    void sauve_image();
    void ImpressionDiagramme1Click();
    void Aide();
    void copy_picture();
    // File › Open: reads a measured diagram of kind 1..6 and draws it beside the others.
    void lit_diagramme(int kind);
    // File › Open › All diagram files: any format, recognised by its content.
    void lit_diagramme_any();
    // A diagram file named outside the dialog (dropped on the window): read as File › Open of its kind.
    void open_diagram_named(const std::string& path);
    // Compare: fits the observed diagrams against the calculation (scale, background and, when
    // asked, the zero shift), lists the figures and draws the first comparison made.
    void compare(bool withZeroShift);
    bool comparison_shown() const { return comparisonShown_; }
    // File › Save › Columns: the calculation, or the first comparison, as .xy, .xye or .csv.
    void export_columns();
    // Phases...: the mixture's window, the main window's structure as its first phase.
    void show_phases();
    // Identify...: the search of a measured diagram in a library index.
    void show_identify();
    // A candidate's lines (2θ, intensity of the strongest 1) drawn over the diagram, up to half its
    // height; an empty list draws the diagram without them.
    void show_candidate_sticks(const std::vector<StickLine>& lines);
    // Add as phase: the Phases window opened and the file added to it, at `fraction` when given.
    bool add_identified_phase(const std::string& file, std::optional<double> fraction);
    // Index...: the cells that index the peaks of the first observed diagram (tfplecran_index.cpp).
    void show_index();
    // Use as phase: the Phases window opened and an indexed cell's structure added to it.
    bool add_indexed_phase(const StructureModel& structure, const std::string& name);
    // The mixture changed: its curves and list drawn again.
    void phases_changed();
    void show_phase_lines();
    // Refine...: the refinement window over the first observed diagram and the calculated phases.
    void show_refinement();
    // Series...: the records of a refined series, a value against the diagrams and their fits.
    void show_series();
    // The refinement's curves and legend drawn in place of the diagram; null: the diagram again.
    void draw_refinement(const AgreementCurves* curves, const drawing::FitLegend* legend);
    bool refinement_shown() const { return refinementShown_; }
    const AgreementCurves& refinement_curves() const { return refinementCurves_; }
    const drawing::FitLegend& refinement_legend() const { return refinementLegend_; }
    void OnMouseDown(QPoint position, Qt::MouseButton button);
    void Image1_OnMouseMove(QPoint position);
    void ONMouseUp(QPoint position, Qt::MouseButton button);
    // The wheel zooms around the pointer; a drag with the middle button pans (tfplecran_navigation.cpp).
    void wheel_zoom(QPoint position, double notches);

  protected:
    bool event(QEvent* event) override;

  private:
    void creation();
    void build_panel();
    void build_menus();
    void build_file_menu(QMenu* file);
    void build_open_menu(QMenu* open);
    void build_save_menu(QMenu* save);
    void build_compare_menu(QMenuBar* bar);
    // The open dialog (the window made short for a first diagram); empty when cancelled.
    std::string choose_diagram_file(const std::vector<FileFilter>& filters, int filterIndex);
    void open_described(int kind, const std::string& path);
    void open_measured(const std::string& path);
    void after_import(const ImportResult& result);
    void export_diagram(int filterIndex,
                        bool (*writer)(const Workspace&, Messages&, const std::function<std::string()>&));
    void resize_picture();
    void choose_scale(drawing::IntensityScale scale, QAction* chosen);
    void index_peak(int releaseX);
    // With several phases a click names the strongest reflection under it and its phase.
    void name_phase_reflection(int releaseX);
    void phases_after_calculation();
    // The phase list written at the head of the column files; empty with one phase.
    std::string phase_list_header() const;
    void zoom_to(int releaseX);
    void hide_difference();
    void pan_to(QPoint position);
    drawing::DiagramOptions options() const;

    Workspace& workspace_;
    DiagramServices services_;
    drawing::IntensityScale scale_ = drawing::IntensityScale::Linear;
    double verticalScale_ = 1.0;
    int selected_ = 0;
    drawing::RenderOutcome outcome_;
    QImage clean_; // the last drawing without markers: restored under a zoom box
    bool dragging_ = false;
    QPoint press_, release_;
    bool differenceShown_ = false;
    bool comparisonShown_ = false;  // the picture shows workspace.agreements.front()
    bool refinementShown_ = false;  // the picture shows the refinement's curves below
    AgreementCurves refinementCurves_;
    drawing::FitLegend refinementLegend_;
    int rememberedHeight_ = 0;
    bool panning_ = false;  // the middle button is held: moves pan instead of drawing a zoom box
    QPoint panFrom_;
    drawing::DiagramView panView_;  // the view when the pan began, so that a long drag does not drift

    PictureWidget* image_ = nullptr;
    QFrame* panel_ = nullptr;
    UpDown* upDown1_ = nullptr;
    UpDown* upDown2_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QAction* linear_ = nullptr;
    QAction* logarithmic_ = nullptr;
    QAction* squareRoot_ = nullptr;
    QAction* difference1_ = nullptr;
    Tfdifference* difference_ = nullptr;
    Tfprint* print_ = nullptr;
    std::unique_ptr<PhaseMixture> mixture_;
    drawing::PhaseOverlay overlay_;
    Tfphases* phases_ = nullptr;
    Tfrefine* refine_ = nullptr;
    Tfidentify* identify_ = nullptr;
    Tfindex* indexing_ = nullptr;
    Tfseries* series_ = nullptr;
};

}  // namespace kalidos::app
