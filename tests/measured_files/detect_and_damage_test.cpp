// Recognising every real file by its content, opening files through read_measured_file, and
// damaged copies (cut short, bits flipped) refused with a message or read into a sound diagram.
#include <random>

#include "diagram_files/measured_points.hpp"
#include "measured_support.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using namespace testing;

struct RealFile {
    const char* path;
    const char* format;
    MeasuredReader reader;
};

const RealFile kRealFiles[] = {
    {"modern/raw4/xrdpattern_CO-2.raw", "raw4", read_raw4},
    {"modern/raw4/nomad_TwoTheta_scan_scrambled.raw", "raw4", read_raw4},
    {"raw/v4_importtool_Si_Cu_sputter.raw", "raw4", read_raw4},
    {"raw/v4_xrdpattern_bruker.raw", "raw4", read_raw4},
    {"modern/ras/rigakuxrd_MB120718Si3.ras", "ras", read_ras},
    {"modern/xy/easydiff_hrpt.xye", "xy", read_xy_text},
    {"modern/xy/importtool_Si_Cu_sputter_exported.xye", "xy", read_xy_text},
    {"modern/xy/cheminfo_MG1-Cu2O-28_bg_subtracted.xy", "xy", read_xy_text},
    {"modern/xrdml/ground_truth/yadg_210520step1_30min.csv", "xy", read_xy_text},
    {"modern/gsas/gsas2_PBSO4.XRA", "gsas", read_gsas_raw},
    {"modern/gsas/gsas2_PBSO4.CWN", "gsas", read_gsas_raw},
    {"modern/gsas/spotlight_al2o3001.gsa", "gsas", read_gsas_raw},
    {"raw/not_bruker/gsas_std_garnet.raw", "gsas", read_gsas_raw},
    {"modern/uxd/xylib_BT86_.UXD", "uxd", read_uxd},
    {"raw/ground_truth/v3_importtool_Diffrac-ATuxd.UXD", "uxd", read_uxd},
};

TEST(MeasuredFileDetection, ContentDecidesAndTheExtensionOnlyBreaksTies)
{
    KALIDOS_REQUIRE_REALDATA();
    for (const RealFile& file : kRealFiles)
        EXPECT_EQ(detect_measured_format(file_bytes(real_file(file.path)), "renamed.txt"), file.format) << file.path;
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("modern/gsas/addie_GSAS_NaNO3_230C.gsa")), "x.dat"), "gsas");
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("raw/v2_qarr_QTZQUIN.RAW")), "x.dat"), "raw");
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("modern/brml/cheminfo_test.brml")), "x.xy"), "brml");
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("modern/ras/fairmat_TwoTheta_scan_powder.rasx")), "x.xy"),
              "rasx");
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("modern/xrdml/xylib_empyrean.xrdml")), "x.txt"), "xrdml");
    // Binary files of other programs, and a structure CIF, are nobody's columns.
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("raw/not_bruker/stoe_xrdpattern_stoe.raw")), "x.xy"), "");
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("rd/qarr_CORUNDUM.RD")), "x.xy"), "");
    EXPECT_EQ(detect_measured_format(file_bytes(real_file("cif/cod_1000023.cif")), "x.txt"), "");

    const std::string rows = "10 5 1\n11 6 1\n";  // column rows without any marker line
    EXPECT_EQ(detect_measured_format(rows, "scan.xy"), "xy");
    EXPECT_EQ(detect_measured_format(rows, "scan.RAS"), "ras");
    EXPECT_EQ(detect_measured_format(rows, "scan.gsa"), "gsas");
}

TEST(MeasuredFileDetection, OpeningTellsTheFileAndLeavesTheDiagramAsItWas)
{
    KALIDOS_REQUIRE_REALDATA();
    RecordingMessages messages;
    MeasuredDiagram diagram;
    ASSERT_TRUE(read_measured_file(real_file("modern/uxd/xylib_BT86_.UXD").string(), diagram, messages));
    EXPECT_EQ(diagram.format, "uxd");
    EXPECT_EQ(diagram.fileName, real_file("modern/uxd/xylib_BT86_.UXD").string());

    // Bruker RAW 3 through the described reader: its points as read, its Kα1.
    MeasuredDiagram raw;
    ASSERT_TRUE(read_measured_file(real_file("raw/v3_xylib_BT86.raw").string(), raw, messages));
    EXPECT_EQ(raw.format, "raw");
    const XyColumns theirs = xylib_columns(real_file("raw/v3_xylib_BT86.raw"), "bruker_raw");
    ASSERT_EQ(raw.scans[0].intensity.size(), 2374u);
    if (!theirs.y.empty()) {
        EXPECT_EQ(raw.scans[0].intensity, theirs.y);
    }
    EXPECT_FLOAT_EQ(static_cast<float>(raw.wavelengths.lambda1), 1.5406f);

    for (const char* refused : {"modern/gsas/addie_GSAS_NaNO3_230C.gsa", "raw/not_bruker/stoe_xrdpattern_stoe.raw"}) {
        const MeasuredDiagram before = diagram;
        EXPECT_FALSE(read_measured_file(real_file(refused).string(), diagram, messages));
        ASSERT_FALSE(messages.warnings.empty());
        const std::string name = real_file(refused).filename().string();
        EXPECT_EQ(messages.warnings.back().rfind(name + ": ", 0), 0u) << messages.warnings.back();
        EXPECT_EQ(diagram.scans[0].intensity, before.scans[0].intensity);
        EXPECT_EQ(diagram.fileName, before.fileName);
    }
}

// Every copy either is refused with a message or reads into a diagram that passes the checks;
// the sanitizer build shows that no byte past the buffer is touched.
void expect_refused_or_sound(MeasuredReader reader, const std::string& bytes, const std::string& what)
{
    MeasuredDiagram diagram;
    std::string error;
    if (reader(bytes, diagram, error)) {
        std::string check;
        EXPECT_TRUE(check_measured_diagram(diagram, check)) << what << ": " << check;
    } else {
        EXPECT_FALSE(error.empty()) << what;
    }
}

TEST(MeasuredFileDamage, CutShortAndFlippedCopies)
{
    KALIDOS_REQUIRE_REALDATA();
    std::mt19937 random(13);
    for (const RealFile& file : kRealFiles) {
        const std::string bytes = file_bytes(real_file(file.path));
        const bool structured = std::string(file.format) != "xy" && std::string(file.format) != "uxd";
        for (int k = 0; k < 12; ++k) {
            // The last 200 bytes may hold only padding or a repeated record (GSAS), which a cut loses unseen.
            const std::size_t cut = std::uniform_int_distribution<std::size_t>(0, bytes.size() - 200)(random);
            const std::string shortened = bytes.substr(0, cut);
            MeasuredDiagram diagram;
            std::string error;
            // Formats that announce their size or end marker refuse every cut; columns cannot tell.
            if (structured) {
                EXPECT_FALSE(file.reader(shortened, diagram, error)) << file.path << " cut at " << cut;
            }
            expect_refused_or_sound(file.reader, shortened, std::string(file.path) + " cut");
            std::string flipped = bytes;
            for (int f = 0; f <= k % 4; ++f)
                flipped[std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random)] ^=
                    static_cast<char>(1 << (random() % 8));
            expect_refused_or_sound(file.reader, flipped, std::string(file.path) + " flipped");
        }
    }
}

}  // namespace
}  // namespace kalidos
