// The committed tables against gemmi's own expansion of every group: what the program ends
// with (after completion and centring) must be the full group, modulo lattice translations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>

#include <gemmi/symmetry.hpp>

#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "symmetry/catalogue.hpp"
#include "symmetry/getspec.hpp"
#include "symmetry/group_selection.hpp"
#include "symmetry/standard_settings.hpp"
#include "symmetry/symbol_text.hpp"

namespace kalidos {
namespace {

using OperatorKey = std::array<int, 12>;  // rotation, then translations in 24ths modulo 1
constexpr int kDen = gemmi::Op::DEN;
const char* const kSystems[] = {"TRIC", "MONO", "ORTH", "TETR", "HEXA", "RHOM", "CUBI"};

int in_24ths(double t)
{
    const double scaled = t * kDen;
    const long k = std::lround(scaled);
    EXPECT_NEAR(scaled, static_cast<double>(k), 0.01) << "translation " << t;
    return static_cast<int>(((k % kDen) + kDen) % kDen);
}

std::multiset<OperatorKey> program_group(const StructureModel& model)
{
    std::multiset<OperatorKey> keys;
    for (int n = 1; n <= model.operatorCount; ++n) {
        OperatorKey key{};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                key[static_cast<std::size_t>(3 * i + j)] = static_cast<int>(std::lround(model.operators[n].m[i][j]));
            key[static_cast<std::size_t>(9 + i)] = in_24ths(model.operators[n].m[i][3]);
        }
        keys.insert(key);
    }
    return keys;
}

std::multiset<OperatorKey> gemmi_group(const gemmi::GroupOps& ops)
{
    std::multiset<OperatorKey> keys;
    for (const gemmi::Op& op : ops) {
        OperatorKey key{};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                key[static_cast<std::size_t>(3 * i + j)] = op.rot[i][j] / kDen;
            key[static_cast<std::size_t>(9 + i)] = ((op.tran[i] % kDen) + kDen) % kDen;
        }
        keys.insert(key);
    }
    return keys;
}

bool has_inversion_at_origin(const gemmi::GroupOps& ops)
{
    for (gemmi::Op op : ops) {
        if (op.rot == gemmi::Op::identity().negated_rot() && op.wrap().tran == gemmi::Op::Tran{0, 0, 0})
            return true;
    }
    return false;
}

void expect_same_group(const StructureModel& model, const gemmi::GroupOps& ops, const std::string& what)
{
    EXPECT_EQ(program_group(model), gemmi_group(ops)) << what;
    EXPECT_EQ(model.centrosymmetric, has_inversion_at_origin(ops)) << what;
}

TEST(CatalogueTable, EveryRowGivesGemmisFullGroup)
{
    StructureModel model;
    model.startDirectory = testing::make_scratch_dir("catalogue_rows").string();
    testing::RecordingMessages messages;
    std::set<std::string> symbols;
    int rows = 0;
    for (const char* system : kSystems) {
        model.crystalSystem = system;
        for (const CatalogueRow& row : read_catalogue_rows(testing::program_data_dir(), system)) {
            ++rows;
            EXPECT_LE(row.hermannMauguin.size(), kSymbolLength) << row.text;
            EXPECT_TRUE(symbols.insert(symtext::upper(symtext::without_blanks(row.hermannMauguin))).second)
                << "H-M not unique: " << row.text;
            const SelectionResult result = selecte_groupe_getspec(model, row, messages);
            ASSERT_TRUE(result.applied) << row.text;
            EXPECT_EQ(model.inversionAdded, 0);
            expect_same_group(model, gemmi::symops_from_hall(row.hall.c_str()), row.text);
            EXPECT_EQ(std::to_string(gemmi::find_spacegroup_by_name(row.hermannMauguin)->number), row.number);
        }
    }
    EXPECT_EQ(rows, 504);
    EXPECT_TRUE(messages.warnings.empty());
}

// The setting a standard block names: its label, in rhombohedral axes in R.pos.
const gemmi::SpaceGroup* setting_of(const std::string& label, const std::string& system)
{
    return gemmi::find_spacegroup_by_name(label + (system == "RHOM" ? ":R" : ""));
}

TEST(StandardTables, EveryBlockGivesGemmisFullGroup)
{
    StructureModel model;
    testing::RecordingMessages messages;
    std::set<int> numbers;
    int blocks = 0;
    for (const char* system : kSystems) {
        model.crystalSystem = system;
        for (const std::string& row : read_standard_symbols(testing::program_data_dir(), system)) {
            ++blocks;
            const gemmi::SpaceGroup* sg = setting_of(row, system);
            ASSERT_NE(sg, nullptr) << row;
            if (std::string(system) != "RHOM") {
                EXPECT_TRUE(numbers.insert(sg->number).second) << row;
            }
            ASSERT_TRUE(selecte_groupe_HM(model, row, testing::program_data_dir(), messages).applied) << row;
            const gemmi::GroupOps ops = sg->operations();
            expect_same_group(model, ops, row);
            // The origin is on the inversion wherever there is one, so the block can say F = 1.
            EXPECT_EQ(model.inversionAdded, sg->is_centrosymmetric() ? 1 : 0) << row;
        }
    }
    EXPECT_EQ(blocks, 237);
    EXPECT_EQ(numbers.size(), 230u);
    EXPECT_TRUE(messages.warnings.empty());
}

// Every standard coordinate is one of the eight forms with at most one translation.
TEST(StandardTables, CoordinatesUseOnlyTheDocumentedForms)
{
    for (const char* name : {"C.pos", "H.pos", "M.pos", "O.pos", "R.pos", "T.pos", "Q.POS"}) {
        std::ifstream in(testing::program_data_dir() / name);
        ASSERT_TRUE(in) << name;
        std::string line;
        int operatorLines = 0;
        while (std::getline(in, line)) {
            if (line.find(',') == std::string::npos)
                continue;
            ++operatorLines;
            std::string rest = symtext::upper(line);
            for (int part = 0; part < 3; ++part) {
                const std::size_t comma = rest.find(',');
                const std::string coordinate = rest.substr(0, comma);
                OperatorRow row;
                EXPECT_TRUE(parse_standard_coordinate(coordinate, row)) << name << ": " << line;
                EXPECT_LE(std::count(coordinate.begin(), coordinate.end(), '/'), 1) << line;
                rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
            }
        }
        EXPECT_GT(operatorLines, 0) << name;
    }
}

TEST(SettingsList, EveryLineNamesTheStandardSettingAndTheInterpreterKnowsIt)
{
    std::ifstream in(testing::program_data_dir() / "csp.lst");
    ASSERT_TRUE(in);
    const auto dir = testing::make_scratch_dir("csp");
    std::set<std::string> labels;
    for (const char* system : kSystems) {
        for (const std::string& row : read_standard_symbols(testing::program_data_dir(), system))
            labels.insert(row);
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::size_t end = 0;
        ASSERT_EQ(std::stoi(line, &end), number) << line;
        const std::string symbol = symtext::trim(line.substr(end, 10));
        const gemmi::SpaceGroup* sg = setting_of(symbol, "");
        ASSERT_NE(sg, nullptr) << line;
        EXPECT_EQ(sg->number, number) << line;
        EXPECT_EQ(labels.count(symbol), 1u) << line;
        EXPECT_EQ(getspec(symbol_codes(symbol), dir), InterpreterStatus::Written) << line;
    }
    EXPECT_EQ(number, 230);
}

}  // namespace
}  // namespace kalidos
