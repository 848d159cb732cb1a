// The names of a structure's atom sites as a refinement's input and output show them.
#pragma once

#include <string>
#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

// An atom's symbol as CIF writes it: the element's letters capitalised as usual ("TI" gives "Ti",
// "O2-" stays).
std::string cif_type_symbol(const std::string& symbol);

// One label per atom (entry i − 1 for atom i): the element letters of its symbol followed by its
// own label ("AL" and "1" give "Al1"), or by its number when it has none; where two would be alike,
// the file's own labels ("Oa1", "Ob1"), the atoms without one but the first getting "_" and the
// atom's number, so that every label names one site (unique_atom_names).
std::vector<std::string> site_labels(const StructureModel& model);

}  // namespace kalidos
