// Every reader, of the structure files and of the instrument files, fed truncated and mutated copies
// of real and own files: each copy reads or is refused with a message, and the model's counts stay
// within their tables.
#include "readers/cif_blocks.hpp"
#include "readers/cif_reader.hpp"
#include "readers/cry_file.hpp"
#include "readers/instrument_file.hpp"
#include "readers/lazy_pulverix_reader.hpp"
#include "readers/powdercell_reader.hpp"
#include "readers/shelx_readers.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::filesystem::path> seed_files()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(testing::test_data_dir() / "readers"))
        if (entry.path().extension() != ".md" && entry.path().extension() != ".ref")
            files.push_back(entry.path());
    if (testing::have_realdata()) {
        for (const char* folder : {"cif", "shelx"})
            for (const auto& entry : std::filesystem::directory_iterator(testing::realdata_dir() / folder))
                files.push_back(entry.path());
        for (const auto& entry : std::filesystem::recursive_directory_iterator(testing::realdata_dir()))
            if (entry.path().extension() == ".instprm")
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class Mutator
{
  public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    std::string truncated(const std::string& text, int part, int parts)
    {
        return text.substr(0, text.size() * static_cast<std::size_t>(part) / static_cast<std::size_t>(parts));
    }

    std::string mutated(std::string text)
    {
        const int edits = 1 + pick(6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            switch (pick(5)) {
            case 0:
                text[index(text)] = kAlphabet[static_cast<std::size_t>(pick(sizeof kAlphabet - 1))];
                break;
            case 1:
                text[index(text)] = static_cast<char>(pick(256));
                break;
            case 2:
                text.erase(index(text), static_cast<std::size_t>(1 + pick(200)));
                break;
            case 3:
                text.insert(index(text), std::string(static_cast<std::size_t>(1 + pick(300)), digit()));
                break;
            default: {
                const std::size_t from = index(text);
                text.insert(index(text), text.substr(from, static_cast<std::size_t>(1 + pick(2000))));
            }
            }
        }
        return text;
    }

  private:
    static constexpr char kAlphabet[] = "0123456789.-+/()'\";_ \n\r\t=XYZxyz?#ATOMCELL";
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::size_t index(const std::string& text)
    {
        return std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random_);
    }
    char digit() { return static_cast<char>('0' + pick(10)); }
    std::mt19937 random_;
};

void expect_sound(const StructureModel& model, ReadStatus status, const RecordingMessages& messages,
                  const std::string& where)
{
    EXPECT_GE(model.atomCount, 0) << where;
    EXPECT_LE(model.atomCount, kMaxAtoms) << where;
    EXPECT_GE(model.operatorCount, 0) << where;
    EXPECT_LE(model.operatorCount, kMaxOperators) << where;
    if (status == ReadStatus::Failed) {
        EXPECT_FALSE(messages.warnings.empty()) << where << ": refused without a message";
    }
}

void feed_every_reader(const std::string& text, const std::string& where)
{
    const TextLines lines = split_text_lines(text);
    auto model = std::make_unique<StructureModel>();
    const auto data = testing::test_data_dir() / "readers";
    const auto run = [&](const char* reader, auto&& read) {
        RecordingMessages messages;
        expect_sound(*model, read(messages), messages, where + " / " + reader);
    };
    run("cry", [&](Messages& m) { return read_cry_lines(*model, lines, "f.cry", m); });
    run("ins", [&](Messages& m) { return read_shelx_instructions_lines(*model, lines, "f.ins", m); });
    run("res", [&](Messages& m) { return read_shelx_results_lines(*model, lines, "f.res", m); });
    run("cel", [&](Messages& m) { return read_powdercell_lines(*model, lines, "f.cel", data, m); });
    run("lzy", [&](Messages& m) { return read_lazy_pulverix_lines(*model, lines, m); });
    for (const CifBlock& block : scan_cif_blocks(lines))
        run("cif", [&](Messages& m) { return read_cif_block(*model, cif_block_lines(lines, block), m); });
    // The instrument files: read into an instrument the settings accept, or refused with a reason.
    Instrument instrument;
    std::vector<std::string> notes;
    std::string error;
    if (read_instrument_text(text, instrument, notes, error))
        EXPECT_EQ(instrument_problem(instrument), "") << where;
    else
        EXPECT_FALSE(error.empty()) << where << " / instrument: refused without a message";
}

} // namespace

TEST(ReaderFuzz, TruncatedCopiesReadOrAreRefused)
{
    for (const auto& file : seed_files()) {
        const std::string text = file_text(file);
        Mutator mutator(1);
        for (int part = 0; part < 7; ++part)
            feed_every_reader(mutator.truncated(text, part, 7),
                              file.filename().string() + " cut " + std::to_string(part));
    }
}

TEST(ReaderFuzz, MutatedCopiesReadOrAreRefused)
{
    Mutator mutator(20261208);
    for (const auto& file : seed_files()) {
        const std::string text = file_text(file);
        for (int copy = 0; copy < 40; ++copy)
            feed_every_reader(mutator.mutated(text),
                              file.filename().string() + " copy " + std::to_string(copy));
    }
}

} // namespace kalidos
