// kalidos.Structure and kalidos.read_structure: a structure read from any of its formats, then edited.
#include <sstream>

#include <pybind11/stl.h>

#include "batch_calculation.hpp"
#include "batch_structure.hpp"
#include "bindings.hpp"
#include "computation/cell_metric.hpp"
#include "geometry/bonds.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

using batch::StreamMessages;

Structure read_structure(const std::string& path, const std::string& format, int block, const std::string& data)
{
    batch::BatchOptions options;
    options.structureFile = path;
    options.format = format;
    options.block = block;
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    std::unique_ptr<Workspace> workspace = batch::make_memory_workspace();
    batch::LoadResult loaded;
    {
        py::gil_scoped_release released;
        loaded = batch::load_structure(*workspace, options, data_directory(data), messages);
    }
    if (loaded != batch::LoadResult::Loaded)
        raise_error(messages.texts(), "Cannot read " + path);
    Structure structure;
    *structure.model = workspace->model;
    structure.messages = messages.texts();
    structure.file = path;
    return structure;
}

py::tuple get_cell(const Structure& s)
{
    const CellParameters& c = s.model->cell;
    return py::make_tuple(c.a, c.b, c.c, c.alpha, c.beta, c.gamma);
}

void set_cell(Structure& s, const std::vector<double>& values)
{
    if (values.size() != 6)
        throw py::value_error("cell takes six values: a, b, c, alpha, beta, gamma");
    CellParameters c = s.model->cell;
    c.a = values[0], c.b = values[1], c.c = values[2];
    c.alpha = values[3], c.beta = values[4], c.gamma = values[5];
    if (const std::string impossible = impossible_cell_message(c, "given"); !impossible.empty())
        throw py::value_error(impossible);
    s.model->cell = c;
    compute_cell_metric(*s.model);
}

py::list get_atoms(const Structure& s)
{
    const StructureModel& m = *s.model;
    py::list atoms;
    for (int i = 1; i <= m.atomCount; ++i) {
        py::dict atom;
        atom["symbol"] = m.atomSymbol[i];
        atom["label"] = m.atomLabel[i];
        atom["site_label"] = m.atomSiteLabel[i];
        atom["x"] = m.atomX[i], atom["y"] = m.atomY[i], atom["z"] = m.atomZ[i];
        atom["b"] = m.atomB[i];
        atom["population"] = m.atomPopulation[i];
        atoms.append(atom);
    }
    return atoms;
}

// Each atom a dict with symbol, x, y, z and optionally label, b (default 0.5) and population (1).
void set_atoms(Structure& s, const py::list& atoms)
{
    if (atoms.size() > static_cast<std::size_t>(kMaxAtoms))
        throw py::value_error("at most " + std::to_string(kMaxAtoms) + " atoms");
    StructureModel model = *s.model;
    model.atomCount = 0;
    for (const py::handle& item : atoms) {
        const py::dict atom = py::cast<py::dict>(item);
        const int i = ++model.atomCount;
        model.atomSymbol[i] = py::cast<std::string>(atom["symbol"]);
        model.atomLabel[i] = atom.contains("label") ? py::cast<std::string>(atom["label"]) : std::string();
        model.atomSiteLabel[i] = atom.contains("site_label") ? py::cast<std::string>(atom["site_label"]) : std::string();
        model.atomX[i] = py::cast<double>(atom["x"]);
        model.atomY[i] = py::cast<double>(atom["y"]);
        model.atomZ[i] = py::cast<double>(atom["z"]);
        model.atomB[i] = atom.contains("b") ? py::cast<double>(atom["b"]) : 0.5;
        model.atomPopulation[i] = atom.contains("population") ? py::cast<double>(atom["population"]) : 1.0;
    }
    *s.model = model;
}

void set_space_group(Structure& s, const std::string& symbol, const std::string& data)
{
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    StructureModel model = *s.model;
    model.scratchInMemory = true;
    if (!batch::apply_space_group(model, symbol, data_directory(data), messages))
        raise_error(messages.texts(), symbol + " unknown space group");
    *s.model = model;
}

py::list operator_texts(const Structure& s)
{
    py::list texts;
    for (int i = 1; i <= s.model->operatorCount; ++i)
        texts.append(s.model->operatorTexts[i]);
    return texts;
}

// The same list as kalidos-batch --bonds: dicts with from, to (unique atom names), from_atom,
// to_atom (rows of the asymmetric unit, from 1) and distance (Å).
py::list bonds_of(const Structure& s, double tolerance, const std::string& pairs)
{
    BondRule rule;
    rule.tolerance = tolerance;
    if (const std::string why = parse_bond_pairs(pairs, rule); !why.empty())
        throw py::value_error(why);
    const std::vector<std::string> names = bond_atom_names(*s.model);
    py::list bonds;
    for (const Bond& bond : asymmetric_unit_bonds(*s.model, rule)) {
        py::dict entry;
        entry["from"] = names[static_cast<std::size_t>(bond.from - 1)];
        entry["to"] = names[static_cast<std::size_t>(bond.to - 1)];
        entry["from_atom"] = bond.from;
        entry["to_atom"] = bond.to;
        entry["distance"] = bond.distance;
        bonds.append(entry);
    }
    return bonds;
}

Structure copy_of(const Structure& s)
{
    Structure copy;
    *copy.model = *s.model;
    copy.messages = s.messages;
    copy.file = s.file;
    return copy;
}

}  // namespace

void bind_structure(py::module_& module)
{
    py::class_<Structure>(module, "Structure", R"(A crystal structure: title, cell, space group and atoms.

Read one with read_structure; every attribute but the operators can be changed, and a
calculation always works on a copy, so one structure serves any number of calculations.)")
        .def(py::init<>())
        .def_property(
            "title", [](const Structure& s) { return s.model->title; },
            [](Structure& s, const std::string& t) { s.model->title = t; }, "The structure's title.")
        .def_property(
            "crystal_system", [](const Structure& s) { return s.model->crystalSystem; },
            [](Structure& s, const std::string& t) { s.model->crystalSystem = t; },
            "CUBI, TETR, ORTH, HEXA, RHOM, MONO or TRIC: the lists a space group is looked up in.")
        .def_property("cell", &get_cell, &set_cell, "(a, b, c, alpha, beta, gamma) in angstroms and degrees.")
        .def_property("atoms", &get_atoms, &set_atoms,
                      "The asymmetric unit: a list of dicts with symbol, label, x, y, z, b (A^2), "
                      "population and site_label (the file's own label, which names atoms apart in bonds "
                      "and refined parameters; optional). Assign a new list to change it.")
        .def_property_readonly(
            "space_group", [](const Structure& s) { return s.model->spaceGroupSymbol; },
            "The symbol of the group applied; change it with set_space_group.")
        .def_property_readonly("operators", &operator_texts, "The symmetry operators applied, after centring.")
        .def_property_readonly(
            "source", [](const Structure& s) { return s.model->structureFileName; }, "The file the structure came from.")
        .def_readonly("messages", &Structure::messages, "The program's messages while reading the file.")
        .def("set_space_group", &set_space_group, py::arg("symbol"), py::arg("data") = "",
             "Applies a Hermann-Mauguin or Hall symbol, looked up among the groups of the crystal system.")
        .def("bonds", &bonds_of, py::arg("tolerance") = kDefaultBondTolerance, py::arg("pairs") = "expected",
             "The bonds of the asymmetric unit, as kalidos-batch --bonds writes them: for each atom, each "
             "neighbour image closer than the sum of the two covalent radii (Cordero et al. 2008) plus "
             "`tolerance` (angstroms), of an element pair `pairs` bonds: \"expected\" (every pair but two "
             "metals), \"all\", then pairs to add or leave out (\"expected, +Cu-Cu, -O-H\"). Dicts with "
             "from, to (unique atom names), from_atom, to_atom (rows of the atoms, from 1) and distance "
             "(angstroms).")
        .def("copy", &copy_of, "An independent copy.")
        .def("__repr__", [](const Structure& s) {
            return "<kalidos.Structure '" + s.model->title + "' " + s.model->spaceGroupSymbol + ", " +
                   std::to_string(s.model->atomCount) + " atoms>";
        });
    module.def("_read_structure", &read_structure, py::arg("path"), py::arg("format") = "", py::arg("block") = 0,
               py::arg("data") = "");
}

}  // namespace kalidos::python
