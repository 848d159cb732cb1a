#include "series/series_items.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "diagram_files/any_diagram_file.hpp"
#include "diagram_files/diagram_import.hpp"     // for described_diagram_kind
#include "diagram_files/measured_readers.hpp"  // for detect_measured_format

namespace kalidos {
namespace {

namespace fs = std::filesystem;

// Keeps what a reader says, to tell why a file of the series cannot be read.
class KeptMessages : public Messages {
public:
    void warning(const std::string& text) override { last = text; }
    void beep() override {}
    Answer ask(const std::string&) override { return Answer::No; }
    std::string last;
};

// This much of a file shows its format (the text formats' marker lines, a zip archive's first
// member names, an XML root).
constexpr std::size_t kHeadBytes = 256 * 1024;

bool holds_a_diagram(const fs::path& path)
{
    if (described_diagram_kind(path.string()) != 0)
        return true;
    std::ifstream in(path, std::ios::binary);
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    const std::string format = detect_measured_format(head, path.filename().string());
    // A CIF without powder items is a structure (the series' own, beside its diagrams).
    return !format.empty() && (format != "pdcif" || head.find("_pd_") != std::string::npos);
}

bool excluded(const fs::path& path, const std::vector<std::string>& outputs)
{
    std::error_code error;
    for (const std::string& output : outputs)
        if (fs::equivalent(path, output, error))
            return true;
    return false;
}

// A folder's diagram files, in the natural order of their names; hidden files are left out.
std::string folder_files(const std::string& folder, const SeriesInputs& inputs, std::vector<std::string>& files)
{
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(".") || !it->is_regular_file(error) || excluded(it->path(), inputs.excluded))
            continue;
        if (holds_a_diagram(it->path()))
            names.push_back(name);
    }
    if (error)
        return "cannot read the folder " + folder + ": " + error.message();
    std::sort(names.begin(), names.end(), natural_less);
    for (const std::string& name : names)
        files.push_back((fs::path(folder) / name).string());
    return {};
}

std::string list_file_paths(const std::string& list, std::vector<std::string>& paths)
{
    std::ifstream in(list);
    if (!in)
        return "cannot open the list " + list;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t first = line.find_first_not_of(" \t\r");
        const std::size_t last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos)
            paths.push_back(line.substr(first, last - first + 1));
    }
    return {};
}

// The items of one file: each scan asked for, or one unreadable item.
void file_items(const std::string& file, int onlyScan, std::vector<SeriesItem>& items)
{
    KeptMessages said;
    MeasuredDiagram diagram;
    SeriesItem item;
    item.file = file;
    if (!read_any_diagram_file(file, diagram, said) || diagram.scans.empty()) {
        item.scans = 0;
        item.scan = std::max(onlyScan, 1);
        item.unreadable = said.last.empty() ? "the file cannot be read" : said.last;
        items.push_back(item);
        return;
    }
    item.scans = static_cast<int>(diagram.scans.size());
    for (int s = 1; s <= item.scans; ++s) {
        if (onlyScan != 0 && s != onlyScan)
            continue;
        const MeasuredScan& scan = diagram.scans[static_cast<std::size_t>(s - 1)];
        item.scan = s;
        item.name = scan.name;
        item.startTime = scan.startTime;
        item.temperature = scan.temperature;
        items.push_back(item);
    }
    if (onlyScan > item.scans) {
        item.scan = onlyScan;
        item.name.clear();
        item.unreadable = "the file holds " + std::to_string(item.scans) + " scan(s), not a scan " +
                          std::to_string(onlyScan);
        items.push_back(item);
    }
}

int parse_digits(const std::string& text, std::size_t& at, std::size_t count)
{
    int value = 0;
    for (std::size_t k = 0; k < count; ++k, ++at) {
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
            return -1;
        value = value * 10 + (text[at] - '0');
    }
    return value;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long days_from_civil(int year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

bool natural_less(const std::string& a, const std::string& b)
{
    std::size_t i = 0, j = 0;
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            // Without leading zeros the longer run of digits is the larger number.
            std::string_view x(a.data() + i, ei - i), y(b.data() + j, ej - j);
            x.remove_prefix(std::min(x.find_first_not_of('0'), x.size()));
            y.remove_prefix(std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size())
                return x.size() < y.size();
            if (x != y)
                return x < y;
            i = ei, j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i, ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b;
}

double iso_seconds(const std::string& text)
{
    const double none = std::nan("");
    std::size_t at = 0;
    const int year = parse_digits(text, at, 4);
    const bool dash1 = at < text.size() && text[at++] == '-';
    const int month = parse_digits(text, at, 2);
    const bool dash2 = at < text.size() && text[at++] == '-';
    const int day = parse_digits(text, at, 2);
    const bool separator = at < text.size() && (text[at] == 'T' || text[at] == ' ') && ++at;
    const int hour = parse_digits(text, at, 2);
    const bool colon1 = at < text.size() && text[at++] == ':';
    const int minute = parse_digits(text, at, 2);
    const bool colon2 = at < text.size() && text[at++] == ':';
    const int second = parse_digits(text, at, 2);
    if (year < 0 || !dash1 || month < 1 || month > 12 || !dash2 || day < 1 || day > 31 || !separator || hour < 0 ||
        hour > 24 || !colon1 || minute < 0 || minute > 59 || !colon2 || second < 0 || second > 60)
        return none;
    double fraction = 0;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        double place = 0.1;
        for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, place /= 10)
            fraction += (text[at] - '0') * place;
    }
    int offset = 0;  // minutes east of UTC
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int sign = text[at++] == '-' ? -1 : 1;
        const int hours = parse_digits(text, at, 2);
        if (at < text.size() && text[at] == ':')
            ++at;
        const int minutes = at < text.size() ? parse_digits(text, at, 2) : 0;
        if (hours < 0 || minutes < 0)
            return none;
        offset = sign * (hours * 60 + minutes);
    } else if (at < text.size() && text[at] == 'Z') {
        ++at;
    }
    if (at != text.size())
        return none;
    const long long days = days_from_civil(year, month, day);
    return static_cast<double>(days * 86400 + hour * 3600 + (minute - offset) * 60 + second) + fraction;
}

std::string series_items(const SeriesInputs& inputs, std::vector<SeriesItem>& items, Messages& messages)
{
    std::vector<std::string> paths = inputs.paths;
    for (const std::string& list : inputs.listFiles)
        if (std::string why = list_file_paths(list, paths); !why.empty())
            return why;
    std::vector<SeriesItem> found;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            file_items(path, inputs.scan, found);
            continue;
        }
        std::vector<std::string> files;
        if (std::string why = folder_files(path, inputs, files); !why.empty())
            return why;
        if (files.empty())
            messages.warning("The folder " + path + " holds no diagram file");
        for (const std::string& file : files)
            file_items(file, inputs.scan, found);
    }
    if (found.empty())
        return "the series holds no diagram";
    std::set<std::pair<std::string, int>> seen;
    for (const SeriesItem& item : found)
        if (!seen.insert({item.file, item.scan}).second)
            return item.file + " (scan " + std::to_string(item.scan) + ") comes twice in the series";
    double first = std::nan("");
    for (const SeriesItem& item : found)
        if (const double t = iso_seconds(item.startTime); !std::isnan(t) && !(t >= first))
            first = t;
    for (SeriesItem& item : found)
        item.time = iso_seconds(item.startTime) - first;
    items = std::move(found);
    return {};
}

}  // namespace kalidos
