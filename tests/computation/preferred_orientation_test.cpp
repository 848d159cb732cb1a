// March–Dollase preferred orientation: normalisation, the neutral ratio, and a platelet texture.
#include "computation/preferred_orientation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

#include "computation/intensity_pass.hpp"
#include "computation/site_multiplicity.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "test_structures.hpp"

namespace kalidos {
namespace {

using Hkl = std::tuple<int, int, int>;

// Rutile, P 42/m n m: a tetragonal cell with strong 00l and hk0 reflections.
std::unique_ptr<Workspace> rutile()
{
    const double cell[6] = {4.594, 4.594, 2.959, 90, 90, 90};
    auto ws = testing::make_structure(".", "P 42/m n m", cell,
                                      {{"TI", 0, 0, 0, 0.4, 1}, {"O", 0.3053, 0.3053, 0, 0.6, 1}});
    ws->model.enteredTwoTheta2 = 140;
    return ws;
}

std::map<Hkl, double> intensities(Workspace& ws)
{
    const auto dir = testing::make_scratch_dir("preferred-orientation");
    ListingFiles files;
    open_listings(files, dir.string());
    testing::RecordingMessages messages;
    compute_site_multiplicities(ws.model, ws.results);
    ws.results.passIndex = 1;
    StructureFactorEngine engine(ws.model, StructureFactorEngine::Grouping::ByElement);
    EXPECT_TRUE(xray_pass(ws, files, engine, messages));
    close_listings(files);
    std::map<Hkl, double> out;
    for (const Reflection& r : ws.results.reflections)
        out[{r.h, r.k, r.l}] = r.intensity;
    return out;
}

TEST(MarchDollase, MeanOverRandomNormalsIsOne)
{
    // Over a random sphere of normals cos α is uniform on [0, 1]: Simpson's rule on a fine grid.
    for (const double ratio : {0.4, 0.7, 1.8}) {
        const int n = 20000;
        double sum = 0;
        for (int i = 0; i <= n; ++i) {
            const double weight = i == 0 || i == n ? 1 : (i % 2 ? 4 : 2);
            sum += weight * march_dollase(ratio, 0.8, static_cast<double>(i) / n);
        }
        EXPECT_NEAR(sum / (3.0 * n), 1.0, 1e-9) << "r = " << ratio;
    }
}

TEST(MarchDollase, RatioOneChangesNothing)
{
    auto plain = rutile();
    auto neutral = rutile();
    neutral->model.sample.preferred = {1, 1, 0, 1.0, 0.5};
    const auto a = intensities(*plain), b = intensities(*neutral);
    ASSERT_GT(a.size(), 20u);
    EXPECT_EQ(a, b);  // bit for bit
    EXPECT_EQ(PreferredOrientationFactors(neutral->model)(2, 1, 1), 1.0);
}

TEST(MarchDollase, PlateletsRaiseBasalAndLowerPrismReflections)
{
    const double r = 0.7, f = 0.9;
    auto plain = rutile();
    auto platelets = rutile();
    platelets->model.sample.preferred = {0, 0, 1, r, f};
    const auto a = intensities(*plain), b = intensities(*platelets);
    // The cell's right angles are 90.000125° for the program, hence 1e-9 rather than exact.
    const double basal = f * std::pow(r, -3) + (1 - f);   // α = 0
    const double prism = f * std::pow(r, 1.5) + (1 - f);  // α = 90°
    int checked = 0;
    for (const auto& [hkl, intensity] : a) {
        const auto [h, k, l] = hkl;
        if (intensity < 1)
            continue;  // at the 0.05 floor the factor is not visible
        if (h == 0 && k == 0) {
            EXPECT_NEAR(b.at(hkl) / intensity, basal, 1e-9) << h << k << l;
            ++checked;
        } else if (l == 0) {
            EXPECT_NEAR(b.at(hkl) / intensity, prism, 1e-9) << h << k << l;
            ++checked;
        }
    }
    EXPECT_GE(checked, 6);
    // A general reflection: the mean over its form, here (1 0 1), (0 1 1) and their images,
    // which all make the same angle with c*.
    const double cosine = (1 / 2.959) / std::sqrt(1 / (4.594 * 4.594) + 1 / (2.959 * 2.959));
    EXPECT_NEAR(PreferredOrientationFactors(platelets->model)(1, 0, 1), march_dollase(r, f, cosine), 1e-6);
}

}  // namespace
}  // namespace kalidos
