// What symmetry leaves free, the names the parameters carry, and the requests refused.
#include <gtest/gtest.h>

#include <cmath>

#include "refinement_fixtures.hpp"

namespace kalidos::testing {
namespace {

const char* const kCubicCif = R"(data_cubic
_cell_length_a 5.4300
_cell_length_b 5.4300
_cell_length_c 5.4300
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_symmetry_space_group_name_H-M 'P a -3'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
_atom_site_occupancy
Fe1 Fe 0 0 0 0.3 1
S1 S 0.3851 0.3851 0.3851 0.4 1
)";

std::vector<RefinementParameter> parameters_of(const Workspace& calculated)
{
    RefinementRequest request;
    request.phases.push_back({"phase", calculated.model});
    std::vector<RefinementParameter> parameters;
    EXPECT_EQ(refinement_parameters(request, parameters), "");
    return parameters;
}

// name → constraint ("" free), for the names asked.
void expect_constraints(const std::vector<RefinementParameter>& parameters,
                        const std::vector<std::pair<std::string, std::string>>& expected)
{
    for (const auto& [name, constraint] : expected) {
        const auto found = std::find_if(parameters.begin(), parameters.end(),
                                        [&](const RefinementParameter& p) { return p.name == name; });
        ASSERT_NE(found, parameters.end()) << name;
        EXPECT_EQ(found->constraint, constraint) << name;
    }
}

TEST(RefinementConstraints, SitesAndLatticesLeaveTheirOwnParametersFree)
{
    const Experiment e;
    const std::string fixed = "fixed by the site symmetry", lattice = "fixed by the lattice system";
    expect_constraints(parameters_of(*calculated_cif("orthorhombic", kOrthorhombicCif, e)),
                       {{"0::x:Ca1", ""}, {"0::y:Ca1", fixed}, {"0::z:Ca1", ""}, {"0::x:Ti1", fixed},
                        {"0::x:O2", ""}, {"0::y:O2", ""}, {"0::z:O2", ""}, {"0::b", ""}, {"0::gamma", lattice}});
    expect_constraints(parameters_of(*calculated_cif("cubic", kCubicCif, e)),
                       {{"0::x:S1", ""}, {"0::y:S1", "= 0::x:S1"}, {"0::z:S1", "= 0::x:S1"}, {"0::z:Fe1", fixed},
                        {"0::b", "= 0::a"}, {"0::c", "= 0::a"}});
    expect_constraints(parameters_of(*calculated_cif("hexagonal", kHexagonalCif, e)),
                       {{"0::x:Zn2", ""}, {"0::y:Zn2", "= 2·0::x:Zn2"}, {"0::z:Zn2", fixed},
                        {"0::x:Mg1", fixed}, {"0::z:Mg1", ""}, {"0::b", "= 0::a"}, {"0::c", ""},
                        {"0::U11:Zn1", ""}, {"0::U22:Zn1", "= 0::U11:Zn1"}, {"0::U12:Zn1", "= 0.5·0::U11:Zn1"},
                        {"0::U13:Zn1", fixed}, {"0::U23:Zn1", fixed}, {"0::U33:Zn1", ""},
                        {"0::B:Zn1", "from the anisotropic tensor"}, {"0::B:Mg1", ""}});
    expect_constraints(parameters_of(*calculated_cif("trigonal", kTrigonalCif, e)),
                       {{"0::x:Al1", fixed}, {"0::z:Al1", ""}, {"0::x:O1", ""}, {"0::y:O1", fixed}});
    expect_constraints(parameters_of(*calculated_cif("monoclinic", kMonoclinicCif, e)),
                       {{"0::beta", ""}, {"0::alpha", lattice}, {"0::y:Ba1", fixed}, {"0::y:O3", ""}});
    // Two atoms sharing a site (a mixed occupation) move as one place and one B, with the first atom.
    const std::string mixed = std::string(kCubicCif) + "Se1 Se 0.3851 0.3851 1.3851 0.7 0.2\n";
    expect_constraints(parameters_of(*calculated_cif("mixed", mixed, e)),
                       {{"0::x:Se1", "moves with 0::x:S1 (one site)"}, {"0::y:Se1", "= 0::x:Se1"},
                        {"0::B:Se1", "moves with 0::B:S1 (one site)"}, {"0::B:S1", ""}, {"0::occ:Se1", ""}});
}

TEST(RefinementConstraints, BadRequestsAreRefusedAndChangeNothing)
{
    const Experiment e;
    const auto calculated = calculated_cif("orthorhombic", kOrthorhombicCif, e);
    RefinementRequest request;
    request.phases.push_back({"phase", calculated->model});
    request.observed = synthetic_scan(*calculated, 0.05, 1000, 10, false);
    RefinementResult result;
    result.rwp = 12345;  // a result that a refused refinement must leave as it is
    const std::vector<std::pair<std::vector<std::vector<std::string>>, std::string>> refused{
        {{{"scale", "xyz"}, {"0::x:O2"}}, "0::x:O2 is named twice"},
        {{{"adp"}}, "adp: no atom has an anisotropic displacement tensor"},
        {{{"0::y:Ca1"}}, "0::y:Ca1 cannot be refined: fixed by the site symmetry"},
        {{{"shape"}}, "unknown parameter or group shape"},
    };
    for (const auto& [stages, why] : refused) {
        request.stages = stages;
        EXPECT_EQ(refine(request, result), why);
    }
    request.stages = {{"scale", "background", "cell", "xyz", "biso", "occupancy"}};
    request.observed.twoTheta.resize(20);
    request.observed.intensity.resize(20);
    EXPECT_EQ(refine(request, result), "fewer observed points (20) than parameters");
    request.sharedB = {{0, {"O1", "O9"}}};
    EXPECT_EQ(refine(request, result), "no atom O9 in phase 0");
    EXPECT_EQ(result.rwp, 12345);

    std::vector<std::vector<std::string>> stages;
    EXPECT_EQ(parse_refinement_stages(" scale, background ;zero,cell", stages), "");
    EXPECT_EQ(stages, (std::vector<std::vector<std::string>>{{"scale", "background"}, {"zero", "cell"}}));
    EXPECT_NE(parse_refinement_stages("scale;;cell", stages), "");
}

}  // namespace
}  // namespace kalidos::testing
