// Reading scfs.dat, the operator file the space-group interpreter writes.
#pragma once

#include <filesystem>
#include <istream>
#include <string>

#include "model/structure_model.hpp"

namespace kalidos {

// Layout: line 1 free; one line of 12 numbers per representative operator
// (R11 R12 R13 t1 R21 ... t3, blanks or commas between them); an empty line; 4 free lines;
// one line per operator whose text from character 8 on is the X,Y,Z form.
struct ScfsReadResult {
    bool ok = false;
    std::string message;  // when !ok
};

inline constexpr int kNotANumber = -1;
inline constexpr int kTooManyNumbers = -2;

// Splits an operator line into its numbers (at most `capacity`); returns how many it found,
// kTooManyNumbers when there are more than `capacity`, kNotANumber when a field is not one.
int parse_operator_line(const std::string& line, double* values, int capacity);

// Replaces the operators of `model` (count, operators, inversionAdded := 0, centrosymmetric)
// from the file. Centring and texts are left to the caller. On failure the table is untouched.
ScfsReadResult read_scfs_file(const std::filesystem::path& file, StructureModel& model);

// The same from a stream holding the file's text; `name` is the file named in the message.
ScfsReadResult read_scfs(std::istream& in, const std::string& name, StructureModel& model);

}  // namespace kalidos
