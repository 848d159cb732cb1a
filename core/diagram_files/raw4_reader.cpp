// Bruker "RAW4.00" files: a 61-byte file header, metadata records, then per range a 160-byte
// header, range records and the data block. Every record starts with u32 kind and u32 length
// (the 8 bytes included), so records of unknown kinds are stepped over. Little-endian.
#include <string>
#include <vector>

#include "diagram_files/byte_view.hpp"
#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"

namespace kalidos {
namespace {

constexpr std::size_t kFileHeader = 61;
constexpr std::size_t kRangeHeader = 160;
constexpr std::uint32_t kTextRecord = 10;
constexpr std::uint32_t kTubeRecord = 30;

struct Record {
    std::uint32_t kind = 0;
    std::size_t offset = 0, length = 0;
};

// The records from `begin` to `end`; false when one does not fit or they overrun `end`.
bool walk_records(const ByteView& file, std::size_t begin, std::size_t end, std::vector<Record>& records,
                  std::string& error)
{
    for (std::size_t at = begin; at < end;) {
        const std::size_t length = file.fits(at, 8) ? file.u32(at + 4) : 0;
        if (length < 8 || !file.fits(at, length) || length > end - at) {
            error = "the record at byte " + std::to_string(at) + " runs past its block: the file is damaged or cut short";
            return false;
        }
        records.push_back({file.u32(at), at, length});
        at += length;
    }
    return true;
}

// Kα1, Kα2, their ratio and the anode from the tube record (Kα2 = 0 with ratio 0: stripped).
void read_tube(const ByteView& file, const Record& record, MeasuredWavelengths& waves)
{
    constexpr std::size_t kTubeLength = 124;
    if (record.length < kTubeLength)
        return;
    waves.lambda1 = file.f64(record.offset + 80);
    waves.lambda2 = file.f64(record.offset + 88);
    waves.ratio = file.f64(record.offset + 104);
    waves.anode = file.text(record.offset + 116, 4);
}

std::string text_record_value(const ByteView& file, const Record& record, std::string_view name)
{
    constexpr std::size_t kValueOffset = 36;
    if (record.kind != kTextRecord || record.length < kValueOffset || file.text(record.offset + 12, 24) != name)
        return {};
    return file.text(record.offset + kValueOffset, record.length - kValueOffset);
}

// Scan types that move another axis than 2θ: their x is no 2θ.
bool is_two_theta_scan(const std::string& type)
{
    for (const char* other : {"Rocking", "Phi", "Chi", "Psi"}) {
        if (type.find(other) != std::string::npos)
            return false;
    }
    return type.find("Omega") == std::string::npos || type.find("Theta") != std::string::npos;
}

// The intensities of one range; the 8-byte records hold the value then a u32 not used here.
bool read_data(const ByteView& file, std::size_t at, std::size_t count, std::size_t recordSize,
               std::vector<double>& values, std::string& error)
{
    if (recordSize != 4 && recordSize != 8) {
        error = "the data records are " + std::to_string(recordSize) + " bytes long, a size this reader does not know";
        return false;
    }
    if (!check_measured_count(count, error))
        return false;
    if (!file.fits(at, count * recordSize)) {
        error = "the file ends before the " + std::to_string(count) + " points of its range";
        return false;
    }
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = file.f32(at + i * recordSize);
    return true;
}

// One range from `at`; `at` moves past its data block. The range's own wavelength (the average
// Kα in some writers, Kα1 in others) serves only when the file has no tube record.
bool read_range(const ByteView& file, std::size_t& at, MeasuredScan& scan, MeasuredWavelengths& waves,
                std::string& error)
{
    if (!file.fits(at, kRangeHeader) || file.u32(at) != 0) {
        error = "no range header at byte " + std::to_string(at) + ": the file is damaged or cut short";
        return false;
    }
    const std::string type = file.text(at + 32, 24);
    if (!is_two_theta_scan(type)) {
        error = "the range is a \"" + type + "\" scan, whose axis is not 2θ";
        return false;
    }
    std::vector<Record> records;
    const std::size_t recordsLength = file.u32(at + 140);
    const std::size_t recordsEnd = at + kRangeHeader + recordsLength;
    if (!file.fits(at + kRangeHeader, recordsLength)) {
        error = "the file ends within the records of a range: it was cut short";
        return false;
    }
    if (!walk_records(file, at + kRangeHeader, recordsEnd, records, error))
        return false;
    std::vector<double> values;
    if (!read_data(file, recordsEnd, file.u32(at + 88), file.u32(at + 136), values, error))
        return false;
    scan.unit = "counts";
    scan.countingTime = file.f32(at + 92);
    if (!waves.stated())
        waves.lambda1 = file.f64(at + 112);
    const double start = file.f64(at + 72), step = file.f64(at + 80);
    at = recordsEnd + values.size() * file.u32(at + 136);
    return store_grid_points(scan, start, step, std::move(values), {}, error);
}

}  // namespace

bool read_raw4(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    const ByteView file(bytes);
    diagram = MeasuredDiagram{};
    diagram.format = "raw4";
    if (!file.fits(0, kFileHeader) || file.text(0, 7) != "RAW4.00") {
        error = "not a RAW4.00 file, or cut short within its header";
        return false;
    }
    const std::size_t metaEnd = kFileHeader + file.u32(56);
    std::vector<Record> records;
    if (!file.fits(kFileHeader, metaEnd - kFileHeader)) {
        error = "the file ends within its metadata records: it was cut short";
        return false;
    }
    if (!walk_records(file, kFileHeader, metaEnd, records, error))
        return false;
    std::string sample;
    for (const Record& record : records) {
        if (record.kind == kTubeRecord)
            read_tube(file, record, diagram.wavelengths);
        if (const std::string value = text_record_value(file, record, "SAMPLEID"); !value.empty())
            sample = value;
    }
    for (std::size_t at = metaEnd; at < file.size();) {
        MeasuredScan scan;
        scan.name = sample;
        if (!read_range(file, at, scan, diagram.wavelengths, error))
            return false;
        diagram.scans.push_back(std::move(scan));
    }
    if (diagram.scans.empty()) {
        error = "the file holds no range";
        return false;
    }
    return true;
}

}  // namespace kalidos
