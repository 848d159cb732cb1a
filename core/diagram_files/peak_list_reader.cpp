#include "diagram_files/peak_list_reader.hpp"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

#include "diagram_files/measured_numbers.hpp"  // for finite_number and number_text

namespace kalidos {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::vector<std::string_view> words_of(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = line.find_first_not_of(kBlanks);
    while (at != std::string_view::npos) {
        const std::size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
        words.push_back(line.substr(at, end - at));
        at = line.find_first_not_of(kBlanks, end);
    }
    return words;
}

std::string lowered(std::string_view word)
{
    std::string text(word);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A word as messages quote it: at most 24 characters, anything but printable ASCII shown as '?'.
std::string quoted(std::string_view word)
{
    std::string text = "'";
    for (const char c : word.substr(0, 24))
        text += c >= 32 && c < 127 ? c : '?';
    return text + (word.size() > 24 ? "...'" : "'");
}

class Reader {
public:
    explicit Reader(PeakList& list) : list_(list) {}

    bool line(std::string_view text, std::size_t number, std::string& error)
    {
        where_ = "line " + std::to_string(number) + ": ";
        text = text.substr(0, text.find('#'));
        const std::vector<std::string_view> words = words_of(text);
        if (words.empty())
            return true;
        const std::string keyword = lowered(words[0]);
        if (keyword == "wavelength" || keyword == "positions")
            return setting(keyword, words, error);
        if (!finite_number(words[0]))
            return fail(error, "expected a peak position or one of the words wavelength and positions, found " +
                                   quoted(words[0]));
        return peak(words, error);
    }

    bool finish(std::string& error)
    {
        if (list_.position.empty())
            return fail(error, "no peak position in the list", false);
        return true;
    }

private:
    bool fail(std::string& error, const std::string& what, bool withLine = true)
    {
        error = (withLine ? where_ : std::string()) + what;
        return false;
    }

    bool setting(const std::string& keyword, const std::vector<std::string_view>& words, std::string& error)
    {
        if (!list_.position.empty())
            return fail(error, keyword + " must come before the peaks");
        if (words.size() != 2)
            return fail(error, keyword + " takes one value");
        const bool first = keyword == "wavelength" ? !wavelengthSeen_ : !kindSeen_;
        if (!first)
            return fail(error, keyword + " is given twice");
        if (keyword == "positions") {
            kindSeen_ = true;
            const std::string kind = lowered(words[1]);
            if (kind != "2theta" && kind != "d")
                return fail(error, "positions are 2theta or d, not " + quoted(words[1]));
            list_.kind = kind == "d" ? PeakPositionKind::D : PeakPositionKind::TwoTheta;
            return true;
        }
        wavelengthSeen_ = true;
        const std::optional<double> lambda = finite_number(words[1]);
        if (!lambda || !(*lambda > 0.01 && *lambda < 100))
            return fail(error, "the wavelength must be a number of Å between 0.01 and 100, not " + quoted(words[1]));
        list_.wavelength = *lambda;
        return true;
    }

    bool peak(const std::vector<std::string_view>& words, std::string& error)
    {
        if (words.size() > 2)
            return fail(error, "a peak is a position and at most an intensity; found " + std::to_string(words.size()) +
                                   " values");
        const double x = *finite_number(words[0]);
        if (list_.kind == PeakPositionKind::TwoTheta && !(x > 0 && x < 180))
            return fail(error, "2θ must lie between 0 and 180 degrees, not " + number_text(x));
        if (list_.kind == PeakPositionKind::D && !(x > 0 && x < 1000))
            return fail(error, "d must lie between 0 and 1000 Å, not " + number_text(x));
        const bool hasIntensity = words.size() == 2;
        if (!list_.position.empty() && hasIntensity != !list_.intensity.empty())
            return fail(error, "either every peak has an intensity or none has");
        if (hasIntensity) {
            const std::optional<double> intensity = finite_number(words[1]);
            if (!intensity || *intensity < 0)
                return fail(error, "the intensity must be a number of 0 or more, not " + quoted(words[1]));
            list_.intensity.push_back(*intensity);
        }
        if (list_.position.size() == kMaxPeakListLines)
            return fail(error, "more than " + std::to_string(kMaxPeakListLines) + " peaks");
        list_.position.push_back(x);
        return true;
    }

    PeakList& list_;
    std::string where_;
    bool wavelengthSeen_ = false, kindSeen_ = false;
};

}  // namespace

bool read_peak_list(std::string_view text, PeakList& list, std::string& error)
{
    list = PeakList{};
    if (text.find('\0') != std::string_view::npos) {
        error = "not a text file: it holds a zero byte";
        return false;
    }
    Reader reader(list);
    std::size_t number = 0;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        if (!reader.line(text.substr(at, end - at), ++number, error)) {
            list = PeakList{};
            return false;
        }
        at = end + 1;
    }
    if (!reader.finish(error)) {
        list = PeakList{};
        return false;
    }
    return true;
}

bool read_peak_list_file(const std::filesystem::path& file, PeakList& list, std::string& error)
{
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(file, failure);
    if (failure || !std::filesystem::is_regular_file(file)) {
        error = "Cannot read " + file.string();
        return false;
    }
    if (size > kMaxPeakListBytes) {
        error = file.string() + ": a peak list is at most " + std::to_string(kMaxPeakListBytes >> 20) + " MiB";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        error = "Cannot read " + file.string();
        return false;
    }
    if (!read_peak_list(text.str(), list, error)) {
        error = file.string() + ": " + error;
        return false;
    }
    return true;
}

}  // namespace kalidos
