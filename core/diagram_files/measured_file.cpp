// Opening a measured-diagram file of any of today's formats: load, recognise, read, check.
#include <memory>
#include <string>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/scan_reading.hpp"  // for load_diagram_file, refuse_file
#include "diagram_files/diagram_readers.hpp"  // for read_raw_bytes
#include "diagram_files/diagram_import.hpp"   // for describe_scan_wavelengths

namespace kalidos {
namespace {

// A text diagram of kMaxMeasuredPoints rows of three columns with generous digits, or XML with
// one number per element, stays below this size.
constexpr std::uintmax_t kMaxMeasuredFileBytes = 256u << 20;

using Reader = bool (*)(std::string_view, MeasuredDiagram&, std::string&);

// Each of today's formats to its reader.
Reader reader_for(const std::string& format)
{
    struct Entry {
        const char* format;
        Reader reader;
    };
    static constexpr Entry kReaders[] = {
        {"xrdml", read_xrdml}, {"brml", read_brml},         {"rasx", read_rasx},
        {"raw4", read_raw4},   {"ras", read_ras},           {"xy", read_xy_text},
        {"gsas", read_gsas_raw}, {"uxd", read_uxd},         {"pdcif", read_powder_cif}};
    for (const Entry& entry : kReaders) {
        if (format == entry.format)
            return entry.reader;
    }
    return nullptr;
}

// Bruker RAW 1 to 3 through the described reader, with its limits; the points it keeps as read
// become the diagram. The reader tells its refusals itself.
bool read_described_raw(const std::string& path, std::string_view bytes, MeasuredDiagram& diagram, Messages& messages)
{
    auto scan = std::make_unique<RawScan>();
    scan->fileName = path;
    if (read_raw_bytes(*scan, bytes, messages) || !scan->measured)
        return false;
    MeasuredDiagram read = *scan->measured;
    describe_scan_wavelengths(*scan, read);
    read.fileName = path;
    read.format = "raw";
    read.scans[0].name = scan->sampleIdentification;
    diagram = std::move(read);
    return true;
}

}  // namespace

bool read_measured_file(const std::string& path, MeasuredDiagram& diagram, Messages& messages)
{
    std::string bytes;
    if (!load_diagram_file(path, bytes, messages, kMaxMeasuredFileBytes))
        return false;
    const std::string format = detect_measured_format(bytes, path);
    if (format == "raw")
        return read_described_raw(path, bytes, diagram, messages);
    const Reader reader = reader_for(format);
    if (!reader) {
        refuse_file(messages, path, "the content is not a measured diagram in any format known here");
        return false;
    }
    MeasuredDiagram read;
    std::string error;
    if (!reader(bytes, read, error) || !check_measured_diagram(read, error)) {
        refuse_file(messages, path, error);
        return false;
    }
    read.fileName = path;
    read.format = format;
    diagram = std::move(read);
    return true;
}

}  // namespace kalidos
