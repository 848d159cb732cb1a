// Truncated and bit-flipped copies of real and written files through every reader: each copy
// either reads into a sound scan or is refused with a message, and nothing reads out of bounds
// (run this under the sanitizer build to see the latter).
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "diagram_files/diagram_import.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/diagram_writers.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;
using ByteReader = bool (*)(RawScan&, std::string_view, Messages&);

const ByteReader kReaders[] = {read_raw_bytes, read_philips_bytes, read_rietveld_text, read_cpi_text};

std::string bytes_of(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcomes {
    long read = 0, refused = 0;
};

// A read either fills a scan whose values are all usable, or leaves the scan empty and says why.
void check_one(const std::string& bytes, const std::string& what, RawScan& scan, Outcomes& outcomes)
{
    for (const ByteReader reader : kReaders) {
        RecordingMessages messages;
        scan.pointCount = scan.angle.count = scan.intensity.count = 0;
        if (reader(scan, bytes, messages)) {
            ASSERT_FALSE(messages.warnings.empty()) << what;
            ASSERT_EQ(scan.pointCount, 0) << what;
            ++outcomes.refused;
            continue;
        }
        ASSERT_GE(scan.pointCount, 1) << what;
        ASSERT_LE(scan.pointCount, kRawScanCapacity) << what;
        for (int i = 1; i <= scan.pointCount; ++i) {
            ASSERT_TRUE(std::isfinite(scan.angle[i])) << what;
            ASSERT_GE(scan.intensity[i], -1e-3f) << what;
            ASSERT_LE(scan.intensity[i], 100.001f) << what;
        }
        ASSERT_TRUE(std::isfinite(scan.meanLambda) && std::isfinite(scan.firstAngle)) << what;
        ++outcomes.read;
    }
}

void fuzz(const std::string& original, const std::string& name, RawScan& scan, Outcomes& outcomes)
{
    std::mt19937 random(12345);
    const std::size_t size = original.size();
    // Truncations: every seventh byte through the headers (the first 1100), then sixteen cuts.
    for (std::size_t length = 0; length < std::min<std::size_t>(size, 1100); length += 7)
        check_one(original.substr(0, length), name + " cut at " + std::to_string(length), scan, outcomes);
    for (std::size_t k = 1; k < 16; ++k)
        check_one(original.substr(0, size * k / 16), name + " cut at " + std::to_string(size * k / 16), scan,
                  outcomes);
    // Bit flips: mostly in the headers, some anywhere; one to four flips a copy.
    for (int copy = 0; copy < 120 && size > 0; ++copy) {
        std::string damaged = original;
        const int flips = 1 + copy % 4;
        for (int f = 0; f < flips; ++f) {
            const std::size_t limit = copy % 3 == 0 ? size : std::min<std::size_t>(size, 1100);
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, limit - 1)(random);
            damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
        }
        check_one(damaged, name + " flip copy " + std::to_string(copy), scan, outcomes);
    }
}

TEST(Fuzz, DamagedRealFilesReadOrAreRefused)
{
    KALIDOS_REQUIRE_REALDATA();
    auto scan = std::make_unique<RawScan>();
    Outcomes outcomes;
    int files = 0;
    for (const char* folder : {"raw", "raw/not_bruker", "rd", "cpi", "rietveld_dat"}) {
        for (const auto& entry : std::filesystem::directory_iterator(testing::realdata_dir() / folder)) {
            if (!entry.is_regular_file())
                continue;
            fuzz(bytes_of(entry.path()), entry.path().filename().string(), *scan, outcomes);
            ++files;
        }
    }
    EXPECT_GE(files, 30);
    RecordProperty("read", std::to_string(outcomes.read));
    RecordProperty("refused", std::to_string(outcomes.refused));
    EXPECT_GT(outcomes.read, 1000);  // damage that leaves a readable file must still read
    EXPECT_GT(outcomes.refused, 1000);
}

TEST(Fuzz, DamagedWrittenFilesReadOrAreRefused)
{
    auto ws = make_workspace("/tmp");
    ws->clock = [] { return std::string("08/12/2026 00:00:00"); };
    ws->model.title = "fuzz";
    ws->model.typedWavelength = 1.5406;
    ws->model.wavelengths.count = 1;
    ws->model.wavelengths.values[1] = 1.5406;
    ws->model.wavelengths.weights[1] = 1;
    CalculatedPattern& p = ws->results.pattern;
    p.pointCount = kPatternPoints;
    p.step = 0.05;
    for (int i = 0; i < kPatternPoints; ++i) {
        p.angles[i] = static_cast<float>(5 + 0.05 * i);
        p.intensities[i] = static_cast<float>(i % 97);
    }
    auto scan = std::make_unique<RawScan>();
    Outcomes outcomes;
    fuzz(sim_file_bytes(*ws), "written .sim", *scan, outcomes);
    std::string cpi;
    for (const std::string& line : cpi_file_lines(*ws))
        cpi += line + "\n";
    fuzz(cpi, "written .cpi", *scan, outcomes);
}

// The file-level path as the diagram window uses it: damaged copies on disk through lit_diagramme.
TEST(Fuzz, DamagedFilesOnDiskThroughTheImport)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto dir = testing::make_scratch_dir("fuzz-import");
    const std::pair<const char*, int> files[] = {{"raw/v2_qarr_QTZQUIN.RAW", 1},
                                                 {"raw/v3_xylib_format1_3ranges.raw", 1},
                                                 {"rd/sdpd_Sample2.rd", 2},
                                                 {"cpi/pyxrd_08-946_EXTRACTED.cpi", 5}};
    for (const auto& [name, kind] : files) {
        const std::string original = bytes_of(testing::realdata_dir() / name);
        for (std::size_t k = 0; k <= 8; ++k) {
            const auto path = dir / ("copy" + std::to_string(k));
            std::ofstream(path, std::ios::binary) << original.substr(0, original.size() * k / 8);
            auto ws = make_workspace(dir.string());
            RecordingMessages messages;
            const ImportResult result = lit_diagramme(*ws, messages, kind, path.string());
            EXPECT_EQ(result.status == ImportStatus::Added, ws->observed.count == 1) << name << k;
            if (result.status != ImportStatus::Added) {
                EXPECT_FALSE(messages.warnings.empty()) << name << " cut " << k;
            }
        }
    }
}

}  // namespace
}  // namespace kalidos
