// The library index: what it stores per structure (checked against cctbx), files unchanged since
// the last run kept, hostile files listed with their reason, a damaged index file refused.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "identification/index_run.hpp"
#include "support/paths.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;
using testing::make_scratch_dir;
using testing::program_data_dir;

const fs::path kExamples = program_data_dir().parent_path() / "examples";

void write(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

const LibraryEntry* find_entry(const std::vector<LibraryEntry>& entries, const std::string& name)
{
    for (const LibraryEntry& e : entries)
        if (fs::path(e.file).filename() == name)
            return &e;
    return nullptr;
}

double intensity_at(const LibraryEntry& entry, double d)
{
    for (const IndexedReflection& r : entry.reflections)
        if (std::fabs(r.d - d) < 1e-4)
            return r.intensity;
    return -1;
}

TEST(LibraryIndex, StoresEntriesKeepsUnchangedFilesAndListsHostileOnes)
{
    const fs::path library = make_scratch_dir("identification_library");
    fs::copy_file(kExamples / "fluorite.cif", library / "fluorite.cif");
    fs::create_directories(library / "sub");
    fs::copy_file(kExamples / "zincite.cif", library / "sub" / "zincite.cif");
    write(library / "binary.cif", std::string("\x00\xff\x01" "data_x\n_cell_length_a 1e308\n", 31));
    write(library / "empty.cif", "");
    write(library / "atoms_only.res", "TITL x\nCELL 1.5 -1 -1 -1 90 90 90\nSFAC Q\nQ1 1 0 0 0\nEND\n");
    write(library / "notes.txt", "not a structure");
    std::string error;
    auto index = LibraryIndex::open(library / "index.sqlite", error);
    ASSERT_TRUE(index) << error;
    IndexRunSettings settings;
    settings.jobs = 2;
    IndexRunReport report = index_files(library_files(library), *index, program_data_dir(), settings);
    EXPECT_EQ(report.files, 5u);
    EXPECT_EQ(report.structures, 2);
    ASSERT_EQ(report.refused.size(), 3u);
    for (const RefusedFile& refused : report.refused)
        EXPECT_FALSE(refused.reason.empty()) << refused.file;

    const std::vector<LibraryEntry> entries = index->entries();
    const LibraryEntry* fluorite = find_entry(entries, "fluorite.cif");
    ASSERT_NE(fluorite, nullptr);
    EXPECT_EQ(fluorite->formula, "Ca F2");
    EXPECT_EQ(fluorite->elements, (std::vector<std::string>{"Ca", "F"}));
    EXPECT_EQ(fluorite->blockName, "fluorite");
    // Z·M·V: 4 × (40.078 + 2 × 18.998403) g/mol × 5.463³ Å³
    EXPECT_NEAR(fluorite->zmv, 4 * (40.078 + 2 * 18.998403) * 5.463 * 5.463 * 5.463, 1.0);
    // m·|F|² per cell from cctbx (it1992 form factors, f' = f'' = 0, B of the file): no Lp left in,
    // multiplicities and equal d (333 and 511) summed.
    EXPECT_NEAR(intensity_at(*fluorite, 3.15406), 29881.50, 0.01 * 29881.50);
    EXPECT_NEAR(intensity_at(*fluorite, 1.93146), 103316.74, 0.01 * 103316.74);
    EXPECT_NEAR(intensity_at(*fluorite, 1.05135), 22395.91 + 7465.30, 0.01 * 29861.21);
    EXPECT_NEAR(fluorite->reflections.back().d, 5.463 / std::sqrt(44), 1e-4);  // the last above 0.8 Å

    // Nothing changed: nothing calculated. A changed file is read again, a removed one removed.
    report = index_files(library_files(library), *index, program_data_dir(), settings);
    EXPECT_EQ(report.calculated, 0u);
    EXPECT_EQ(report.unchanged, 5u);
    fs::remove(library / "empty.cif");
    fs::copy_file(kExamples / "rutile.cif", library / "fluorite.cif", fs::copy_options::overwrite_existing);
    report = index_files(library_files(library), *index, program_data_dir(), settings);
    EXPECT_EQ(report.calculated, 1u);
    EXPECT_EQ(report.removed, 1u);
    EXPECT_EQ(find_entry(index->entries(), "fluorite.cif")->formula, "Ti O2");
}

TEST(LibraryIndex, DamagedOrForeignFileIsRefusedWithItsName)
{
    const fs::path folder = make_scratch_dir("identification_damaged");
    std::string error;
    write(folder / "garbage.sqlite", std::string(4096, 'x'));
    EXPECT_FALSE(LibraryIndex::open(folder / "garbage.sqlite", error));
    EXPECT_NE(error.find((folder / "garbage.sqlite").string()), std::string::npos) << error;

    // An index whose header was overwritten.
    ASSERT_TRUE(LibraryIndex::open(folder / "good.sqlite", error));
    {
        auto index = LibraryIndex::open(folder / "good.sqlite", error);
        index->begin();
        LibraryEntry entry;
        entry.reflections.resize(20000, IndexedReflection{1, 1});
        index->put_file("/x.cif", FileStamp{1, 1}, {entry}, "");
        index->commit();
    }
    std::fstream file(folder / "good.sqlite", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(0);
    file << std::string(100, '\x7f');
    file.close();
    error.clear();
    EXPECT_FALSE(LibraryIndex::open(folder / "good.sqlite", error));
    EXPECT_NE(error.find("good.sqlite"), std::string::npos) << error;
}

}  // namespace
}  // namespace kalidos
