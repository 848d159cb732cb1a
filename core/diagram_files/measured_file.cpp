// Opening a measured-diagram file of any of today's formats: load, recognise, read, check.
#include <string>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/scan_reading.hpp"  // for load_diagram_file, refuse_file
#include "diagram_files/xylib_reader.hpp"

namespace kalidos {
namespace {

// A text diagram of kMaxMeasuredPoints rows of three columns with generous digits, or XML with
// one number per element, stays below this size.
constexpr std::uintmax_t kMaxMeasuredFileBytes = 256u << 20;

using Reader = bool (*)(std::string_view, MeasuredDiagram&, std::string&);

// Each format to its reader; Bruker RAW 1 to 3 goes through xylib, which reads it completely.
Reader reader_for(const std::string& format)
{
    struct Entry {
        const char* format;
        Reader reader;
    };
    static constexpr Entry kReaders[] = {
        {"xrdml", read_xrdml}, {"brml", read_brml},         {"rasx", read_rasx},
        {"raw4", read_raw4},   {"ras", read_ras},           {"xy", read_xy_text},
        {"gsas", read_gsas_raw}, {"uxd", read_uxd},         {"pdcif", read_powder_cif},
        {"raw", read_bruker_raw_with_xylib}};
    for (const Entry& entry : kReaders) {
        if (format == entry.format)
            return entry.reader;
    }
    return nullptr;
}

}  // namespace

bool read_measured_file(const std::string& path, MeasuredDiagram& diagram, Messages& messages)
{
    std::string bytes;
    if (!load_diagram_file(path, bytes, messages, kMaxMeasuredFileBytes))
        return false;
    const std::string format = detect_measured_format(bytes, path);
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
