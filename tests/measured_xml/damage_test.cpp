// Damaged copies of the real files: every truncated copy is refused with a message, and every
// bit-flipped copy either reads into a sound diagram or is refused with one. Run under the
// sanitizer build, this also shows that no reader steps outside the bytes it is given.
#include <random>

#include "measured_files.hpp"
#include "zip_fixture.hpp"

namespace kalidos::testing {
namespace {

struct Format {
    const char* folder;
    const char* extension;
    MeasuredReader reader;
};

const Format kFormats[] = {
    {"xrdml", ".xrdml", read_xrdml}, {"brml", ".brml", read_brml}, {"ras", ".rasx", read_rasx}};

void check_truncations(const Format& format, const std::filesystem::path& path, const std::string& bytes)
{
    constexpr std::size_t kCuts = 24;
    for (std::size_t k = 0; k < kCuts; ++k) {
        const std::size_t length = bytes.size() * k / kCuts;
        MeasuredDiagram diagram;
        std::string error;
        EXPECT_FALSE(format.reader(bytes.substr(0, length), diagram, error)) << path << " cut at " << length;
        EXPECT_FALSE(error.empty()) << path << " cut at " << length;
    }
}

// Returns how many flipped copies were refused, so that the caller can see the check bites.
std::size_t check_bit_flips(const Format& format, const std::filesystem::path& path, std::string bytes)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> position(0, bytes.size() - 1);
    std::uniform_int_distribution<int> bit(0, 7);
    std::size_t refused = 0;
    for (int trial = 0; trial < 150; ++trial) {
        const std::size_t at = position(random);
        const char mask = static_cast<char>(1 << bit(random));
        bytes[at] ^= mask;
        MeasuredDiagram diagram;
        std::string error;
        if (format.reader(bytes, diagram, error)) {
            EXPECT_FALSE(diagram.scans.empty()) << path << " byte " << at;
        } else {
            EXPECT_FALSE(error.empty()) << path << " byte " << at;
            ++refused;
        }
        bytes[at] ^= mask;
    }
    return refused;
}

TEST(MeasuredDamage, TruncatedCopiesAreRefusedAndFlippedCopiesNeverMisread)
{
    KALIDOS_REQUIRE_REALDATA();
    for (const Format& format : kFormats) {
        std::size_t refused = 0;
        for (const auto& path : modern_files(format.folder, format.extension)) {
            const std::string bytes = file_bytes(path);
            check_truncations(format, path, bytes);
            refused += check_bit_flips(format, path, bytes);
        }
        EXPECT_GT(refused, 0u) << format.folder;
    }
}

// Each member a reader needs, taken out of a copy of every real archive, is named in the refusal.
TEST(MeasuredDamage, ArchivesMissingAMemberAreRefusedNamingIt)
{
    KALIDOS_REQUIRE_REALDATA();
    const std::pair<Format, std::vector<std::string>> needs[] = {
        {kFormats[1], {"Experiment0/DataContainer.xml", "Experiment0/RawData0.xml"}},
        {kFormats[2], {"Data0/MesurementConditions0.xml", "Data0/Profile0.txt"}},
    };
    for (const auto& [format, members] : needs) {
        for (const auto& path : modern_files(format.folder, format.extension)) {
            const std::string bytes = file_bytes(path);
            for (const std::string& member : members) {
                const std::string message = refusal(format.reader, zip_without(bytes, member));
                EXPECT_NE(message.find(member.substr(member.find('/') + 1)), std::string::npos)
                    << path.filename() << " without " << member << ": " << message;
            }
        }
    }
}

}  // namespace
}  // namespace kalidos::testing
