#include "test_structures.hpp"

#include <algorithm>

#include "computation/scattering.hpp"
#include "gemmi_groups.hpp"
#include "support/recording_messages.hpp"

namespace kalidos::testing {

void set_wavelengths(StructureModel& model, const std::vector<double>& values, const std::vector<double>& weights)
{
    WavelengthSet& set = model.wavelengths;
    set.count = static_cast<int>(values.size());
    for (int w = 1; w <= set.count; ++w) {
        set.values[w] = values[static_cast<std::size_t>(w - 1)];
        set.weights[w] = weights[static_cast<std::size_t>(w - 1)];
    }
    set.shortest = *std::min_element(values.begin(), values.end());
    set.longest = *std::max_element(values.begin(), values.end());
    set.current = values.front();
}

std::unique_ptr<Workspace> make_structure(const std::string& directory, const std::string& group,
                                          const double (&cell)[6], const std::vector<TestAtom>& atoms)
{
    auto ws = make_workspace(directory);
    ws->clock = [] { return std::string(kFixedDate); };
    StructureModel& m = ws->model;
    m.title = "Test structure";
    set_space_group(m, group);
    set_cell(m, cell[0], cell[1], cell[2], cell[3], cell[4], cell[5]);
    m.atomCount = static_cast<int>(atoms.size());
    RecordingMessages messages;
    for (int n = 1; n <= m.atomCount; ++n) {
        const TestAtom& a = atoms[static_cast<std::size_t>(n - 1)];
        m.atomSymbol[n] = a.symbol;
        m.atomLabel[n] = std::to_string(n);
        m.atomX[n] = a.x;
        m.atomY[n] = a.y;
        m.atomZ[n] = a.z;
        m.atomB[n] = a.b;
        m.atomPopulation[n] = a.population;
        const int nucleus = find_nucleus(a.symbol, messages);
        m.atomFermiLength[n] = nucleus > 0 ? neutron_scattering_table()[static_cast<std::size_t>(nucleus - 1)].fermiLength : 0;
    }
    rebuild_element_table(m, messages);
    load_element_scattering_data(m, nullptr, messages);
    set_wavelengths(m, {1.5406}, {1.0});
    m.twoTheta1 = m.enteredTwoTheta1 = 10;
    m.twoTheta2 = m.enteredTwoTheta2 = 90;
    return ws;
}

std::unique_ptr<Workspace> make_rock_salt(const std::string& directory)
{
    const double cell[6] = {5.64, 5.64, 5.64, 90, 90, 90};
    return make_structure(directory, "F m -3 m", cell,
                          {{"NA", 0, 0, 0, 1.0, 1.0}, {"CL", 0.5, 0.5, 0.5, 1.2, 1.0}});
}

}  // namespace kalidos::testing
