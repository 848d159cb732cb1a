// Redrawing the Structure window's picture while it turns: about 5 000 atoms of rutile (a block of
// 11 × 11 × 7 cells) with their bonds, painted offscreen into an 800 × 800 picture as the window
// paints it. The baseline of the same run paints flat discs at the same places in file order: the
// cost of the painter itself, without the shading, the bonds, the cell edges and the depth sorting.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>

#include "readers/open_structure_file.hpp"
#include "structure/structure_render.hpp"

namespace kalidos::app {
namespace {

const StructureScene& rutile_block()
{
    static const StructureScene scene = [] {
        auto model = std::make_unique<StructureModel>();
        model->scratchInMemory = true;
        SilentMessages messages;
        const OpenRequest request{kFormatCif, KALIDOS_EXAMPLES_DIR "/rutile.cif", KALIDOS_DATA_DIR};
        open_structure_file(*model, request, messages, nullptr);
        SceneOptions options;
        options.range.to[0] = 11, options.range.to[1] = 11, options.range.to[2] = 7;
        return build_scene(*model, options);
    }();
    return scene;
}

void BM_StructureTurnAndRedraw(benchmark::State& state)
{
    const StructureScene& scene = rutile_block();
    StructureView view;
    QImage picture(800, 800, QImage::Format_ARGB32_Premultiplied);
    RenderOptions options;
    options.bonds = state.range(0) == 1;
    for (auto _ : state) {
        view.turn(3, 1);
        QPainter painter(&picture);
        render_structure(painter, QRectF(picture.rect()), scene, view, options);
    }
    state.counters["atoms"] = static_cast<double>(scene.atoms.size());
    state.counters["bonds"] = static_cast<double>(scene.bonds.size());
}
// Argument 1: with the bonds (the window's default); 0: the atoms and the cell alone.
BENCHMARK(BM_StructureTurnAndRedraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_FlatDiscsBaseline(benchmark::State& state)
{
    const StructureScene& scene = rutile_block();
    StructureView view;
    QImage picture(800, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.turn(3, 1);
        const Projection projection(QRectF(picture.rect()), scene, view);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(picture.rect(), Qt::white);
        painter.setBrush(Qt::gray);
        for (const SceneAtom& atom : scene.atoms)
            painter.drawEllipse(projection.screen(projection.viewed(atom.cartesian)), 4.0, 4.0);
    }
}
BENCHMARK(BM_FlatDiscsBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos::app

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);  // fonts for the axis labels
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
