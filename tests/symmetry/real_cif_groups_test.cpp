// Real CIF files: the group their name gives through the lookup, and their own operator list
// decoded by parse_cif_coordinate, must be the same group.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>

#include <gemmi/symmetry.hpp>

#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "symmetry/cif_coordinate.hpp"
#include "symmetry/space_group_lookup.hpp"
#include "symmetry/symbol_text.hpp"

namespace kalidos {
namespace {

using OperatorKey = std::array<int, 12>;  // rotation, translations in 24ths modulo 1

int in_24ths(double t)
{
    const long k = std::lround(t * 24);
    return static_cast<int>(((k % 24) + 24) % 24);
}

OperatorKey key_of(const SymmetryOperator& op)
{
    OperatorKey key{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j)
            key[3 * i + j] = static_cast<int>(std::lround(op.m[i][j]));
        key[9 + i] = in_24ths(op.m[i][3]);
    }
    return key;
}

struct CifGroup {
    std::string name;                    // as the importer keeps it: no blanks, quotes or brackets
    std::vector<std::string> operators;  // "x,y,z" texts
};

std::string unquoted(std::string text)
{
    std::string result;
    for (char c : text) {
        if (c != '\'' && c != '"')
            result += c;
    }
    return symtext::trim(result);
}

// The H-M name and the operator loop (id column, if any, first), read plainly.
CifGroup read_cif_group(const std::filesystem::path& file)
{
    CifGroup group;
    std::ifstream in(file);
    std::string line;
    bool inLoop = false;
    while (std::getline(in, line)) {
        const std::string text = symtext::trim(line);
        if (group.name.empty() && (text.rfind("_symmetry_space_group_name_H-M", 0) == 0 ||
                                   text.rfind("_space_group_name_H-M_alt", 0) == 0)) {
            const std::size_t blank = text.find_first_of(" \t");
            for (char c : symtext::upper(unquoted(text.substr(blank == std::string::npos ? text.size() : blank)))) {
                if (c != ' ' && c != '(' && c != ')')
                    group.name += c;
            }
        } else if (text == "_symmetry_equiv_pos_as_xyz" || text == "_space_group_symop_operation_xyz") {
            inLoop = true;
        } else if (inLoop) {
            if (text.empty() || text[0] == '_' || text[0] == '#' || text.rfind("loop_", 0) == 0) {
                inLoop = false;
                continue;
            }
            std::string op = unquoted(text);
            if (!op.empty() && std::isdigit(static_cast<unsigned char>(op[0])) && op.find(' ') != std::string::npos &&
                op.find(',') > op.find(' '))
                op = op.substr(op.find(' ') + 1);
            group.operators.push_back(symtext::without_blanks(op));
        }
    }
    return group;
}

bool parse_operator(const std::string& text, SymmetryOperator& op)
{
    const std::size_t first = text.find(',');
    const std::size_t second = text.find(',', first + 1);
    const std::string parts[3] = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                                  text.substr(second + 1)};
    for (int i = 0; i < 3; ++i) {
        const CifCoordinate c = parse_cif_coordinate(symtext::upper(parts[i]));
        if (!c.ok)
            return false;
        set_row(op, i, c.row);
    }
    return true;
}

// The system code of the group the operators form (R groups by their axes).
std::string system_of(const std::vector<std::string>& operators)
{
    gemmi::GroupOps ops = gemmi::split_centering_vectors([&] {
        std::vector<gemmi::Op> list;
        for (const std::string& text : operators)
            list.push_back(gemmi::parse_triplet(text));
        return list;
    }());
    const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_ops(ops);
    if (!sg)
        return {};
    const int n = sg->number;
    if (sg->ext == 'R')
        return "RHOM";
    return n <= 2 ? "TRIC" : n <= 15 ? "MONO" : n <= 74 ? "ORTH" : n <= 142 ? "TETR" : n <= 194 ? "HEXA" : "CUBI";
}

TEST(RealCifGroups, NamedGroupEqualsTheListedOperators)
{
    KALIDOS_REQUIRE_REALDATA();
    int matched = 0;
    std::vector<std::string> unknown;
    for (const auto& entry : std::filesystem::directory_iterator(testing::realdata_dir() / "cif")) {
        const CifGroup cif = read_cif_group(entry.path());
        if (cif.name.empty() || cif.operators.empty())
            continue;
        const std::string file = entry.path().filename().string();
        std::set<OperatorKey> listed;
        for (const std::string& text : cif.operators) {
            SymmetryOperator op;
            ASSERT_TRUE(parse_operator(text, op)) << file << ": " << text;
            listed.insert(key_of(op));
        }
        StructureModel model;
        model.startDirectory = testing::make_scratch_dir("real_cif").string();
        model.crystalSystem = system_of(cif.operators);
        if (model.crystalSystem.empty()) {  // operators of a setting no table has (a shifted origin)
            unknown.push_back(file + " " + cif.name + " (untabulated setting)");
            continue;
        }
        testing::RecordingMessages messages;
        const GroupLookup lookup = look_up_and_apply_space_group(model, cif.name, testing::program_data_dir(), messages);
        if (lookup.source == GroupSource::Unknown) {
            unknown.push_back(file + " " + cif.name);
            continue;
        }
        ASSERT_TRUE(lookup.applied) << file;
        std::set<OperatorKey> applied;
        for (int i = 1; i <= model.operatorCount; ++i)
            applied.insert(key_of(model.operators[i]));
        EXPECT_EQ(applied, listed) << file << " " << cif.name << " (" << model.crystalSystem << ")";
        ++matched;
    }
    for (const std::string& name : unknown)
        std::cout << "not in the lists: " << name << '\n';
    EXPECT_GE(matched, 25);
}

}  // namespace
}  // namespace kalidos
