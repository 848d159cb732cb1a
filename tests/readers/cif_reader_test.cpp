#include "readers/cif_atom_label.hpp"
#include "readers/cif_blocks.hpp"
#include "readers/cif_operators.hpp"
#include "readers/cif_reader.hpp"
#include "readers/cif_syntax.hpp"
#include "geometry/bonds.hpp"
#include "readers/open_structure_file.hpp"
#include "refinement/parameter_table.hpp"
#include "refinement_output/site_labels.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

#include <fstream>
#include <gtest/gtest.h>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

constexpr const char* kMonoclinic = R"(data_test
_chemical_formula_moiety          ?
_chemical_formula_sum             'C6 H12 O6'
_cell_length_a                    7.1234(5)
_cell_length_b                    9.3
_cell_length_c                    5.6
_cell_angle_alpha                 90
_cell_angle_beta                  ?
_cell_angle_gamma                 90
_symmetry_space_group_name_H-M    'P 21/c'
loop_
_symmetry_equiv_pos_site_id
_symmetry_equiv_pos_as_xyz
1 'x, y, z'
2 '-x, y+1/2, -z+1/2'
3 '-x, -y, -z'
4 'x, -y-1/2, z-1/2'
loop_
_atom_site_label
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_thermal_displace_type
Fe12 0.1234(5) 1/3 .5 Uani
O1 -.25 0.2 0.3 Uiso
OW 0.0 0.0 0.0 Uiso
)";

ReadStatus read_text(StructureModel& model, const std::string& text, RecordingMessages& messages)
{
    return read_cif_block(model, split_text_lines(text), messages);
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(CifReader, ReadsTitleCellOperatorsNameAndSites)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_text(*model, kMonoclinic, messages), ReadStatus::Read);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"No _atom_site_type_symbol: the elements of the sites OW (O) "
                                                          "are taken from their labels; give the type symbols if "
                                                          "they are other elements"});
    EXPECT_EQ(model->title, "C6H12O6");
    EXPECT_DOUBLE_EQ(model->cell.a, 7.1234);
    EXPECT_DOUBLE_EQ(model->cell.beta, 90) << "an angle given as ? is 90";
    EXPECT_EQ(model->crystalSystem, "ORTH");
    EXPECT_EQ(model->spaceGroupSymbol, "P21/C");
    ASSERT_EQ(model->operatorCount, 4);
    EXPECT_EQ(model->operatorTexts[1], "X,Y,Z");
    EXPECT_EQ(model->operatorTexts[4], "X,-Y-1/2,Z-1/2");
    EXPECT_DOUBLE_EQ(model->operators[2].m[1][3], 0.5);
    EXPECT_DOUBLE_EQ(model->operators[4].m[2][3], -0.5);
    EXPECT_TRUE(model->centrosymmetric);
    ASSERT_EQ(model->atomCount, 3);
    EXPECT_EQ(model->atomSymbol[1], "Fe");
    EXPECT_EQ(model->atomLabel[1], "12");
    EXPECT_DOUBLE_EQ(model->atomX[1], 0.1234);
    EXPECT_NEAR(model->atomY[1], 1.0 / 3, 1e-15);
    EXPECT_DOUBLE_EQ(model->atomZ[1], 0.5);
    EXPECT_DOUBLE_EQ(model->atomX[2], -0.25);
    EXPECT_EQ(model->atomSymbol[2], "O");
    EXPECT_EQ(model->atomLabel[2], "1");
    EXPECT_EQ(model->atomSymbol[3], "O");
    EXPECT_EQ(model->atomLabel[3], "");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_DOUBLE_EQ(model->atomB[n], 1.0) << "no U column";
        EXPECT_DOUBLE_EQ(model->atomPopulation[n], 1.0) << "displacement type codes are no occupancy";
    }
}

TEST(CifReader, OldAndNewTagNamesReadTheSameStructure)
{
    std::string modern = replaced(kMonoclinic, "_symmetry_space_group_name_H-M", "_space_group_name_H-M_alt");
    modern = replaced(modern, "_symmetry_equiv_pos_site_id", "_space_group_symop_id");
    modern = replaced(modern, "_symmetry_equiv_pos_as_xyz", "_space_group_symop_operation_xyz");
    ASSERT_NE(modern, kMonoclinic);
    RecordingMessages messages;
    auto old = std::make_unique<StructureModel>();
    auto now = std::make_unique<StructureModel>();
    ASSERT_EQ(read_text(*old, kMonoclinic, messages), ReadStatus::Read);
    ASSERT_EQ(read_text(*now, modern, messages), ReadStatus::Read);
    EXPECT_EQ(now->spaceGroupSymbol, old->spaceGroupSymbol);
    ASSERT_EQ(now->operatorCount, old->operatorCount);
    for (int i = 1; i <= old->operatorCount; ++i)
        EXPECT_EQ(now->operatorTexts[i], old->operatorTexts[i]);
    EXPECT_EQ(now->atomCount, old->atomCount);
}

TEST(CifReader, NewColumnsOccupancyBIsoTypeSymbolsAndHallNames)
{
    const std::string text = R"(data_x
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 120
_cell_length_a 4.9
_cell_length_b 4.9
_cell_length_c 5.4
_space_group_name_Hall '-P 2ybc'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
_atom_site_occupancy
Fe1 Fe3+ 0 0 0 0.45(2) 0.773(9)
O2 O2- 0.1 0.2 0.3 0.6 .
K1 K1+ 0.1 0.2 0.3 0.6 1
Ru1 Ru4+ 0.1 0.2 0.3 0.6 1
Cu1 Cu0 0.1 0.2 0.3 0.6 1
)";
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_text(*model, text, messages), ReadStatus::Read);
    EXPECT_DOUBLE_EQ(model->cell.a, 4.9) << "the lengths after the angles";
    EXPECT_EQ(model->crystalSystem, "HEXA");
    EXPECT_EQ(model->spaceGroupSymbol, "-P 2YBC");
    EXPECT_EQ(model->operatorCount, 0);
    ASSERT_EQ(model->atomCount, 5);
    EXPECT_EQ(model->atomSymbol[1], "Fe3+");
    EXPECT_EQ(model->atomLabel[1], "1");
    EXPECT_DOUBLE_EQ(model->atomB[1], 0.45);
    EXPECT_DOUBLE_EQ(model->atomPopulation[1], 0.773);
    EXPECT_EQ(model->atomSymbol[2], "O2-") << "the X-ray table's row O2-.";
    EXPECT_DOUBLE_EQ(model->atomPopulation[2], 1.0);
    EXPECT_EQ(model->atomSymbol[3], "K1+");
    EXPECT_EQ(model->atomSymbol[4], "Ru+4");
    EXPECT_EQ(model->atomSymbol[5], "Cu");
}

TEST(CifReader, UIsoGivesBAndBothNamesOfTheGroupStayIn12Characters)
{
    std::string text = replaced(kMonoclinic, "_atom_site_thermal_displace_type", "_atom_site_U_iso_or_equiv");
    text = replaced(text, "Uani", "0.0100(3)");
    text = replaced(text, "'P 21/c'", "'P 42/m m c S extra'");
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_text(*model, text, messages), ReadStatus::Failed) << "Uiso is no number";
    EXPECT_EQ(messages.warnings.back(), "Cannot read the U of the atom site O1");
    text = replaced(replaced(text, "Uiso", "?"), "Uiso", ".");
    ASSERT_EQ(read_text(*model, text, messages), ReadStatus::Read);
    EXPECT_NEAR(model->atomB[1], 0.7895683520871486, 1e-12);
    EXPECT_DOUBLE_EQ(model->atomB[2], 1.0) << "a null value gives the default";
    EXPECT_EQ(model->spaceGroupSymbol, "P42/MMCSEXTR");
}

TEST(CifReader, LabelsAndTypeSymbols)
{
    EXPECT_EQ(element_and_label("Fe12").element, "Fe");
    EXPECT_EQ(element_and_label("Fe12").label, "12");
    EXPECT_EQ(element_and_label("O1").element, "O");
    EXPECT_EQ(element_and_label("OW").element, "O");
    EXPECT_EQ(element_and_label("OW").label, "");
    EXPECT_EQ(element_and_label("cl3'").element, "Cl");
    EXPECT_EQ(element_and_label("cl3'").label, "3'");
    EXPECT_EQ(element_and_label("H").element, "H");
    EXPECT_FALSE(element_and_label("X1").decoded);
    EXPECT_FALSE(element_and_label("").decoded);
    EXPECT_EQ(symbol_from_type_symbol("O-"), "O1-");
    EXPECT_EQ(symbol_from_type_symbol("Fe2+"), "Fe2+");
    EXPECT_EQ(symbol_from_type_symbol("Fe"), "Fe");
    EXPECT_EQ(symbol_from_type_symbol("D0"), "D");
    EXPECT_EQ(symbol_from_type_symbol("Si4+"), "Si4+");
    EXPECT_EQ(symbol_from_type_symbol("Os8+"), "Os");
    EXPECT_EQ(symbol_from_type_symbol("Xx"), "");
    EXPECT_EQ(symbol_from_type_symbol("12"), "");

    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_text(*model, replaced(kMonoclinic, "OW 0.0", "X9 0.0"), messages), ReadStatus::Read);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"cannot decode LabelX"});
    EXPECT_EQ(model->atomSymbol[3], "X");
}

// Labels that atomLabel's two characters cannot tell apart: the structure's atoms take the file's
// own in bonds, in refined parameters and in refined CIFs (Wat29, read as W + "t2", among them).
TEST(CifReader, SiteLabelsNameAtomsApart)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    std::ifstream in(testing::test_data_dir() / "structure" / "labelled_sites.cif");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(read_text(*model, text, messages), ReadStatus::Read);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings[0].find("the sites Oa1 (O), Ob1 (O), Oc1 (O), Wat29 (W) are taken from their labels"),
              std::string::npos)
        << messages.warnings[0];
    ASSERT_EQ(model->atomCount, 7);
    EXPECT_EQ(model->atomSiteLabel[5], "O-H17");
    const std::vector<std::string> named = {"Na1", "Oa1", "Ob1", "Oc1", "O-H17", "O-H18", "Wat29"};
    EXPECT_EQ(bond_atom_names(*model), named);
    EXPECT_EQ(atom_names(*model), named);
    EXPECT_EQ(site_labels(*model), named);
    // Without the file's labels the old names: the first keeps the shared name.
    model->atomSiteLabel.fill(std::string());
    EXPECT_EQ(atom_names(*model), (std::vector<std::string>{"Na1", "O1", "O1#3", "O1#4", "OH1", "OH1#6", "Wt2"}));
}

TEST(CifReader, OperatorTexts)
{
    EXPECT_EQ(normalise_cif_operator("1 x, y, z"), "X,Y,Z");
    EXPECT_EQ(normalise_cif_operator("'-x+1/2, y,\t-z'"), "-X+1/2,Y,-Z");
    EXPECT_EQ(normalise_cif_operator("\"x-y, x, z+1/6\""), "X-Y,X,Z+1/6");
}

TEST(CifReader, RefusalsGiveTheirMessages)
{
    struct Case {
        std::string from, to, message;
    };
    const std::vector<Case> cases = {
        {"_cell_length_b                    9.3", "_cell_length_b ?",
         "The cell parameter _cell_length_b is missing or unreadable"},
        {"'-x, y+1/2, -z+1/2'", "'-x, w+1/2, -z+1/2'", "Cannot decode translationW"},
        {"O1 -.25 0.2", "O1 ? 0.2", "Cannot read the coordinates of the atom site O1"},
        {"_atom_site_fract_x", "_atom_site_other", "No atom site found"},
    };
    for (const Case& c : cases) {
        RecordingMessages messages;
        auto model = std::make_unique<StructureModel>();
        const std::string text = replaced(kMonoclinic, c.from, c.to);
        ASSERT_NE(text, kMonoclinic) << c.from;
        EXPECT_EQ(read_text(*model, text, messages), ReadStatus::Failed) << c.from;
        EXPECT_EQ(messages.warnings, std::vector<std::string>{c.message});
    }
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    std::string bare = replaced(kMonoclinic, "_symmetry_space_group_name_H-M    'P 21/c'", "");
    bare = replaced(bare, "_symmetry_equiv_pos_as_xyz", "_symmetry_equiv_pos_other");
    EXPECT_EQ(read_text(*model, bare, messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Vostel cannot find symmetry operators or Space group");
}

TEST(CifReader, FourHundredSitesReadAndTheNextIsRefused)
{
    std::string text =
        replaced(kMonoclinic, "Fe12 0.1234(5) 1/3 .5 Uani\nO1 -.25 0.2 0.3 Uiso\nOW 0.0 0.0 0.0 Uiso\n", "");
    for (int n = 0; n < 400; ++n)
        text += "C" + std::to_string(n) + " 0.1 0.2 0.3 Uiso\n";
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    EXPECT_EQ(read_text(*model, text, messages), ReadStatus::Read);
    EXPECT_EQ(model->atomCount, 400);
    EXPECT_EQ(read_text(*model, text + "C400 0.1 0.2 0.3 Uiso\n", messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "The number of atoms is > 400!");
    EXPECT_EQ(model->atomCount, 400);
}

TEST(CifSyntax, QuotesTextFieldsCommentsAndLoops)
{
    const TextLines lines =
        split_text_lines("data_a\n_title 'it''s here' # comment\n_note\n;line one\nline two\n;\n"
                         "loop_ _x _y 1 'a b' 2 \"c\"\n_after 5\n_empty\n_next ?\n");
    const CifBlockData block = parse_cif_block(lines);
    ASSERT_NE(block.find("_title"), nullptr);
    EXPECT_EQ(block.find("_title")->text, "it''s here");
    ASSERT_NE(block.find("_note"), nullptr);
    EXPECT_TRUE(block.find("_note")->textField);
    EXPECT_EQ(block.find("_note")->text, "line one\nline two");
    const CifLoop* loop = block.find_loop("_y");
    ASSERT_NE(loop, nullptr);
    ASSERT_EQ(loop->rows.size(), 2u);
    EXPECT_EQ(loop->rows[0][1], "a b");
    EXPECT_EQ(loop->rows[1][1], "c");
    EXPECT_EQ(block.find("_after")->text, "5");
    EXPECT_EQ(block.find("_empty"), nullptr);
    EXPECT_EQ(block.find("_next"), nullptr);
}

TEST(CifBlocks, StructureBlocksAreFoundByTheirCellAndSymmetry)
{
    const TextLines lines = split_text_lines(
        "data_global\n_journal_name x\n_cell_length_a 5\n"
        "data_I\n _cell_length_a 5\n_symmetry_space_group_name_H-M 'P 1'\n\n"
        "data_II\n_cell_length_a 6\n#END tags not in dictionaries\n_space_group_name_H-M_alt 'P 1'\n#End\n"
        "data_III\n_cell_length_a 6\n");
    const auto blocks = scan_cif_blocks(lines);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].name, "I");
    EXPECT_EQ(blocks[0].firstLine, 4);
    EXPECT_EQ(blocks[0].lastLine, 8);
    EXPECT_EQ(blocks[1].name, "II");
    EXPECT_EQ(blocks[1].lastLine, 12);
    const TextLines copy = cif_block_lines(lines, blocks[0]);
    ASSERT_EQ(copy.size(), 4u);
    EXPECT_EQ(copy[1], "_cell_length_a 5") << "trimmed";
    EXPECT_EQ(copy[3], "") << "one empty line ends the copy";

    const auto none = scan_cif_blocks(split_text_lines("_cell_length_a 5\nloop_\n"));
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].firstLine, 1);
    EXPECT_EQ(none[0].lastLine, 2);
    EXPECT_TRUE(scan_cif_blocks(TextLines{}).empty());
}

namespace
{

class ScriptedChooser : public CifBlockChooser
{
  public:
    explicit ScriptedChooser(int answer) : answer_(answer) {}
    int choose_cif_block(const std::vector<CifBlock>& blocks) override
    {
        for (const auto& b : blocks)
            offered.push_back(b.name);
        return answer_;
    }
    std::vector<std::string> offered;

  private:
    int answer_;
};

} // namespace

TEST(CifFile, SeveralBlocksAreChosenAndTheChoiceIsCopiedToDummyCif)
{
    const auto dir = testing::make_scratch_dir("cif-blocks");
    const std::string second = replaced(replaced(kMonoclinic, "data_test", "data_second"), "Fe12", "Cu7");
    std::ofstream(dir / "two.cif") << "data_global\n_publ_author_name x\n" << kMonoclinic << second;
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    model->startDirectory = dir.string();
    ScriptedChooser close(0);
    EXPECT_EQ(read_cif_file(*model, dir / "two.cif", messages, &close), OpenStatus::Cancelled);
    EXPECT_EQ(close.offered, (std::vector<std::string>{"test", "second"}));
    EXPECT_EQ(model->atomCount, 0);

    ScriptedChooser pick(2);
    ASSERT_EQ(read_cif_file(*model, dir / "two.cif", messages, &pick), OpenStatus::Read);
    EXPECT_EQ(model->atomSymbol[1], "Cu");
    EXPECT_EQ(model->structureFileName, "dummy.cif");
    std::ifstream dummy(dir / "dummy.cif");
    std::string first;
    std::getline(dummy, first);
    EXPECT_EQ(first, "data_second\r");

    ScriptedChooser beyond(3);
    EXPECT_EQ(read_cif_file(*model, dir / "two.cif", messages, &beyond), OpenStatus::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(dir / "dummy.cif")) << "the previous copy is removed first";
}

TEST(CifFile, OneStructureBlockBesideAGlobalBlockNeedsNoChoice)
{
    const auto dir = testing::make_scratch_dir("cif-one");
    std::ofstream(dir / "one.cif") << kMonoclinic << "data_global\n_publ_section_title x\n";
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    model->startDirectory = dir.string();
    ScriptedChooser never(0);
    ASSERT_EQ(read_cif_file(*model, dir / "one.cif", messages, &never), OpenStatus::Read);
    EXPECT_TRUE(never.offered.empty());
    EXPECT_EQ(model->atomCount, 3);
}

} // namespace kalidos
