// The calculated diagram as a .sim file: the RAW2 layout with one range, little-endian,
// a header of 316 bytes and then the intensities ×10 as singles.
#include <algorithm>
#include <cstring>

#include "diagram_files/diagram_writers.hpp"
#include "diagram_files/save_target.hpp"

namespace kalidos {
namespace {

constexpr std::size_t kHeaderBytes = 316;

class HeaderWriter {
public:
    explicit HeaderWriter(std::string& bytes) : bytes_(bytes) {}

    template <class T>
    void put(std::size_t offset, T value)
    {
        std::memcpy(bytes_.data() + offset, &value, sizeof(T));
    }
    // A text field: blanks, then the text from the first byte, cut to the width; no zero byte.
    void text(std::size_t offset, std::size_t width, const std::string& text)
    {
        bytes_.replace(offset, width, width, ' ');
        bytes_.replace(offset, std::min(width, text.size()), text, 0, width);
    }

private:
    std::string& bytes_;
};

void write_file_header(HeaderWriter& h, const Workspace& workspace)
{
    h.text(0, 4, "RAW2");
    h.put<std::int16_t>(4, 1);
    h.text(6, 34, "  " + workspace.model.title);  // readers take 8..39: the title's first 32 characters
    h.text(40, 128, "Fichier provenant de KALIDOS");
    h.text(168, 20, file_time_text(workspace));
    h.text(188, 2, "Cu");
    h.put<float>(190, static_cast<float>(workspace.model.typedWavelength));
    h.put<float>(194, 0.0f);  // λ2
    h.put<float>(198, 0.0f);  // ratio
    h.put<float>(206, 1.39f);
    h.put<float>(210, 1000.0f);
    h.text(222, 34, "");
}

void write_range_header(HeaderWriter& h, const CalculatedPattern& pattern)
{
    h.put<std::int16_t>(256, 60);
    h.put<std::int16_t>(258, static_cast<std::int16_t>(std::min(pattern.pointCount, kPatternPoints)));
    h.put<std::int16_t>(260, 10);
    h.put<float>(264, 1.0f);
    h.put<float>(268, static_cast<float>(pattern.step));
    // The grid's own first angle: the displayed range differs once the view is zoomed.
    h.put<float>(272, pattern.angles[0]);
    h.put<float>(276, pattern.angles[0] / 2);
}

}  // namespace

std::string sim_file_bytes(const Workspace& workspace)
{
    const CalculatedPattern& pattern = workspace.results.pattern;
    const int n = std::min(pattern.pointCount, kPatternPoints);
    std::string bytes(kHeaderBytes + 4 * static_cast<std::size_t>(n), '\0');
    HeaderWriter header(bytes);
    write_file_header(header, workspace);
    write_range_header(header, pattern);
    for (int i = 0; i < n; ++i)
        header.put<float>(kHeaderBytes + 4 * static_cast<std::size_t>(i), pattern.intensities[i] * 10);
    return bytes;
}

bool export_diag_sim(const Workspace& workspace, Messages& messages, const FileNameChooser& chooseName)
{
    if (!check_calculated_diagram(workspace.results.pattern, messages))
        return false;
    const auto path = choose_target(chooseName, ".sim", messages);
    return path && write_target(*path, sim_file_bytes(workspace), messages);
}

bool export_diag_sim(const Workspace& workspace, Messages& messages, const std::string& fileName)
{
    return export_diag_sim(workspace, messages, [&] { return fileName; });
}

}  // namespace kalidos
