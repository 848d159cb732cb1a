// Philips PC-APD .rd scan files. Offsets are bytes from the start of the file, little-endian.
#include <string>
#include <vector>

#include "diagram_files/byte_view.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/scan_reading.hpp"

namespace kalidos {
namespace {

constexpr std::size_t kHeaderEnd = 238;  // the end angle at 230 is the last header field read

std::string anode_from_code(std::uint8_t code)
{
    static const char* const names[] = {"Cu", "Mo", "Co", "Fe", "Cr"};
    return code < 5 ? names[code] : "";
}

// Each stored value v is the square root of the count scaled by 10: intensity (v·0.1)².
bool read_counts(const ByteView& file, std::size_t offset, int count, RawScan& scan, Messages& messages,
                 std::vector<double>& values)
{
    if (!file.fits(offset, static_cast<std::size_t>(count) * 2)) {
        refuse_file(messages, scan.fileName,
                    "the file ends before the " + std::to_string(count) + " points its header announces");
        return false;
    }
    values.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = file.u16(offset + 2 * i) * 0.1;
        values[i] = v * v;
    }
    return true;
}

bool read_philips(const ByteView& file, std::string_view bytes, RawScan& scan, Messages& messages)
{
    if (!file.fits(0, 4) || bytes.substr(2, 2) != "RD") {
        beep_and_warn(messages, "It seems not to be a .RD Philips file");
        return false;
    }
    if (!file.fits(0, kHeaderEnd)) {
        refuse_file(messages, scan.fileName, "the file ends inside its header");
        return false;
    }
    scan.anode = anode_from_code(file.u8(85));
    scan.lambda1 = file.f64(94);
    scan.lambda2 = file.f64(102);
    scan.ratio = file.f64(110);
    scan.meanLambda = (scan.ratio * scan.lambda2 + scan.lambda1) / (scan.ratio + 1);
    scan.sampleIdentification = std::string(trim_blanks(file.text(146, 20)));
    const double step = file.f64(214), start = file.f64(222), end = file.f64(230);
    int count = 0;
    std::vector<double> values;
    const std::size_t dataStart = bytes.substr(0, 2) == "V5" ? 810 : 250;
    if (!header_point_count(start, end, step, scan.fileName, messages, count) ||
        !read_counts(file, dataStart, count, scan, messages, values))
        return false;
    store_points(scan, start, step, values);
    scan.firstAngle = start;
    scan.lastAngle = end;
    return true;
}

}  // namespace

bool read_philips_bytes(RawScan& scan, std::string_view bytes, Messages& messages)
{
    return read_into_scan(scan, messages,
                          [&](RawScan& fresh) { return read_philips(ByteView(bytes), bytes, fresh, messages); });
}

bool lit_philips(RawScan& scan, Messages& messages)
{
    std::string bytes;
    if (!load_diagram_file(scan.fileName, bytes, messages))
        return true;
    return read_philips_bytes(scan, bytes, messages);
}

}  // namespace kalidos
