// Recognising a measured-diagram file by its content: binary signatures, zip members, the XML
// root, the marker lines of each text format. The file name's extension only decides between a
// text format it names and the plain-column reading when the content shows no marker at all, so
// that a damaged RAS or GSAS file is refused by its own reader instead of read as columns.
#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "diagram_files/measured_readers.hpp"
#include "diagram_files/measured_text.hpp"
#include "diagram_files/scan_reading.hpp"  // for split_tokens, parse_number, trim_blanks

namespace kalidos {
namespace {

// Text formats state themselves in their first lines; this much of a file is looked at.
constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::size_t kHeadLines = 400;

std::string lower_extension(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// Zip archives: the member names stand in plain text in the local headers and the directory.
std::string zip_format(std::string_view bytes)
{
    if (bytes.find("Data0/Profile") != std::string_view::npos || bytes.find("Data0/MesurementConditions") != std::string_view::npos)
        return "rasx";
    if (bytes.find("RawData") != std::string_view::npos && bytes.find("Experiment") != std::string_view::npos)
        return "brml";
    return {};
}

std::string xml_format(std::string_view head)
{
    return head.find("<xrdMeasurements") != std::string_view::npos ? "xrdml" : std::string();
}

// Text holds no NUL and few control characters other than tab, CR, LF and form feed.
bool looks_like_text(std::string_view head)
{
    std::size_t controls = 0;
    for (const char c : head) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            return false;
        if (byte < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f')
            ++controls;
    }
    return controls * 100 <= head.size();
}

bool is_gsas_bank_line(std::string_view line)
{
    const auto words = split_tokens(line, " \t");
    return words.size() >= 5 && words[0] == "BANK" && parse_number(words[1]) && parse_number(words[2]);
}

bool is_number_row(std::string_view line)
{
    const auto words = split_tokens(line, " \t,;");
    return words.size() >= 2 && std::all_of(words.begin(), words.end(), [](std::string_view w) {
               return parse_comma_number(w).has_value();
           });
}

// The marker lines of the text formats, in the first lines of the file.
std::string text_format(std::string_view head)
{
    const auto lines = split_lines(head);
    bool cifBlock = false, powderTags = false, numbers = false;
    for (std::size_t i = 0; i < lines.size() && i < kHeadLines; ++i) {
        const std::string_view line = trim_blanks(lines[i]);
        if (line == "*RAS_DATA_START")
            return "ras";
        if (line.starts_with("_FILEVERSION") || line.starts_with("_DRIVE") || line.starts_with("_2THETACOUNTS"))
            return "uxd";
        if (i > 0 && is_gsas_bank_line(lines[i]))
            return "gsas";
        if (line.starts_with("SIETRONICS XRD SCAN"))
            return {};  // a CPI file: a described format with a reader of its own
        cifBlock = cifBlock || starts_with_nocase(line, "data_");
        powderTags = powderTags || line.starts_with("_pd_meas_") || line.starts_with("_pd_proc_");
        numbers = numbers || is_number_row(line);
    }
    if (cifBlock)
        return powderTags || head.find("_pd_meas_") != std::string_view::npos ? "pdcif" : std::string();
    return numbers ? "xy" : std::string();
}

// The text format an extension names, for files whose content shows no marker.
std::string format_named_by(const std::string& extension)
{
    if (extension == "ras")
        return "ras";
    if (extension == "uxd")
        return "uxd";
    if (extension == "gsa" || extension == "gss" || extension == "fxye" || extension == "fxy" || extension == "xra" ||
        extension == "cwn")
        return "gsas";
    if (extension == "cif")
        return "pdcif";
    return {};
}

}  // namespace

std::string detect_measured_format(std::string_view bytes, std::string_view fileName)
{
    if (bytes.starts_with("RAW4.00"))
        return "raw4";
    if (bytes.starts_with("RAW1.01") || bytes.starts_with("RAW2") || bytes.starts_with("RAW "))
        return "raw";
    if (bytes.starts_with("PK\x03\x04"))
        return zip_format(bytes);
    const std::string_view head = without_bom(bytes.substr(0, kHeadBytes));
    const std::string_view start = head.substr(std::min(head.size(), head.find_first_not_of(" \t\r\n")));
    if (start.starts_with('<'))
        return xml_format(head);
    if (!looks_like_text(head))
        return {};
    std::string format = text_format(head);
    if (format == "xy" || format.empty()) {
        if (const std::string named = format_named_by(lower_extension(fileName)); !named.empty())
            return named;
    }
    return format;
}

}  // namespace kalidos
