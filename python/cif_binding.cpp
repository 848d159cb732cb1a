// kalidos.cif_text: a structure as a CIF data block, with standard uncertainties and figures when given.
#include <pybind11/stl.h>

#include "bindings.hpp"
#include "refinement_output/refined_cif.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

template <std::size_t N>
std::vector<std::array<double, N>> rows_of(const py::dict& su, const char* key)
{
    if (!su.contains(key))
        return {};
    return py::cast<std::vector<std::array<double, N>>>(su[key]);
}

StructureUncertainties uncertainties_of(const py::dict& su, int atoms)
{
    StructureUncertainties out;
    if (su.contains("cell"))
        out.cell = py::cast<std::array<double, 6>>(su["cell"]);
    if (su.contains("volume"))
        out.volume = py::cast<double>(su["volume"]);
    out.atoms = rows_of<5>(su, "atoms");
    out.anisotropic = rows_of<6>(su, "anisotropic");
    for (const std::size_t size : {out.atoms.size(), out.anisotropic.size()})
        if (size != 0 && size != static_cast<std::size_t>(atoms))
            throw py::value_error("su: give one row per atom (" + std::to_string(atoms) + ")");
    return out;
}

std::optional<RefinementFigures> figures_of(const py::object& given)
{
    if (given.is_none())
        return std::nullopt;
    const py::dict d = py::cast<py::dict>(given);
    RefinementFigures f;
    f.points = py::cast<int>(d["points"]), f.parameters = py::cast<int>(d["parameters"]);
    f.rp = py::cast<double>(d["rp"]), f.rwp = py::cast<double>(d["rwp"]);
    f.rexp = py::cast<double>(d["rexp"]), f.chi2 = py::cast<double>(d["chi2"]);
    if (d.contains("r_bragg") && !d["r_bragg"].is_none())
        f.rBragg = py::cast<double>(d["r_bragg"]);
    if (d.contains("notes"))
        f.notes = py::cast<std::vector<std::string>>(d["notes"]);
    return f;
}

}  // namespace

void bind_cif(py::module_& module)
{
    module.def(
        "_cif_text",
        [](const Structure& s, const std::string& block, const py::dict& su, const py::object& figures) {
            return refined_cif_text(*s.model, block, uncertainties_of(su, s.model->atomCount), figures_of(figures));
        },
        py::arg("structure"), py::arg("block"), py::arg("su"), py::arg("figures"));
}

}  // namespace kalidos::python
