// Siemens/Bruker RAW files: the variants "RAW " (v1), "RAW2" (v2) and "RAW1" (v3, "RAW1.01").
// Offsets are bytes from the start of the file; all fields little-endian.
#include <string>
#include <vector>

#include "diagram_files/byte_view.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/scan_reading.hpp"

namespace kalidos {
namespace {

// Reads `count` single-precision intensities from `offset`, refusing a file that ends sooner.
bool read_singles(const ByteView& file, std::size_t offset, long long count, RawScan& scan,
                  Messages& messages, std::vector<double>& values)
{
    if (!check_point_count(count, scan.fileName, messages))
        return false;
    if (!file.fits(offset, static_cast<std::size_t>(count) * 4)) {
        refuse_file(messages, scan.fileName,
                    "the file ends before the " + std::to_string(count) + " points its header announces");
        return false;
    }
    values.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = file.f32(offset + 4 * i);
    return true;
}

// v1: one range; n at 4, step at 12, start at 24, intensities from 156.
bool read_v1(const ByteView& file, RawScan& scan, Messages& messages)
{
    scan.sampleIdentification = file.text(40, 32) + " (RAW)";
    scan.anode = "?";
    scan.lambda1 = file.f32(72);
    scan.lambda2 = file.f32(76);
    // The header has no ratio; its mean weighs Kα2 half as much as Kα1.
    scan.ratio = scan.lambda2 > 0 ? 0.5 : 0;
    scan.meanLambda = scan.lambda2 > 0 ? (2 * scan.lambda1 + scan.lambda2) / 3 : scan.lambda1;
    const double step = file.f32(12), start = file.f32(24);
    std::vector<double> values;
    if (!check_grid(start, step, scan.fileName, messages) ||
        !read_singles(file, 156, file.i32(4), scan, messages, values))
        return false;
    store_points(scan, start, step, values);
    set_limits_by_search(scan);
    return true;
}

// v2: the range header starts at 256 and is h bytes long (at least its 60-byte fixed part).
bool read_v2(const ByteView& file, RawScan& scan, Messages& messages)
{
    scan.sampleIdentification = file.text(8, 32) + " (RAW2)";
    scan.anode = file.text(188, 2);
    scan.lambda1 = file.f32(190);
    scan.lambda2 = file.f32(194);
    scan.ratio = file.f32(198);
    scan.meanLambda = scan.lambda2 > 0 ? (scan.lambda2 * scan.ratio + scan.lambda1) / (scan.ratio + 1)
                                       : scan.lambda1;
    const int headerLength = file.i16(256);
    if (!file.fits(256, 60) || headerLength < 60) {
        refuse_file(messages, scan.fileName,
                    "the range header is shorter than the 60 bytes of its fixed part");
        return false;
    }
    const double step = file.f32(268), start = file.f32(272);
    std::vector<double> values;
    if (!check_grid(start, step, scan.fileName, messages) ||
        !read_singles(file, 256 + static_cast<std::size_t>(headerLength), file.i16(258), scan, messages,
                      values))
        return false;
    store_points(scan, start, step, values);
    set_limits_by_search(scan);
    return true;
}

// v3: file header of 712 bytes (range count at 12; the tube's mean, Kα1, Kα2, Kβ and I(Kα2)/I(Kα1) as
// doubles from 616), then a 304-byte range header and m bytes of
// supplementary headers before the data. A file of one range is read to its end; of several
// ranges, the first one only, with its own point count.
bool read_v3(const ByteView& file, RawScan& scan, Messages& messages)
{
    scan.sampleIdentification = file.text(330, 32) + " (RAW1)";
    scan.anode = file.text(608, 2);
    scan.meanLambda = file.f64(616);
    scan.lambda1 = file.f64(624);
    scan.lambda2 = file.f64(632);
    scan.ratio = scan.lambda2 > 0 ? file.f64(648) : 0;
    const double start = file.f64(728), step = file.f64(888);
    const long long supplement = file.i32(968);
    if (!file.fits(0, 1016) || supplement < 0 || !file.fits(1016, static_cast<std::size_t>(supplement))) {
        refuse_file(messages, scan.fileName, "the file ends inside its headers");
        return false;
    }
    const std::size_t dataStart = 1016 + static_cast<std::size_t>(supplement);
    const long long count =
        file.i32(12) > 1 ? file.i32(716) : static_cast<long long>((file.size() - dataStart) / 4);
    std::vector<double> values;
    if (!check_grid(start, step, scan.fileName, messages) ||
        !read_singles(file, dataStart, count, scan, messages, values))
        return false;
    store_points(scan, start, step, values);
    scan.firstAngle = scan.angle[1];
    scan.lastAngle = scan.angle[scan.pointCount];
    return true;
}

}  // namespace

bool read_raw_bytes(RawScan& scan, std::string_view bytes, Messages& messages)
{
    return read_into_scan(scan, messages, [&](RawScan& fresh) {
        const ByteView file(bytes);
        std::string signature(bytes.substr(0, 4));
        while (!signature.empty() && signature.back() == ' ')
            signature.pop_back();
        if (signature == "RAW2")
            return read_v2(file, fresh, messages);
        if (signature == "RAW")
            return read_v1(file, fresh, messages);
        if (signature == "RAW1")
            return read_v3(file, fresh, messages);
        beep_and_warn(messages, "Unknown file type");
        return false;
    });
}

bool lit_raw(RawScan& scan, Messages& messages)
{
    std::string bytes;
    if (!load_diagram_file(scan.fileName, bytes, messages))
        return true;
    return read_raw_bytes(scan, bytes, messages);
}

}  // namespace kalidos
