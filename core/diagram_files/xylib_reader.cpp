#include "diagram_files/xylib_reader.hpp"

#include <xylib/xylib.h>

#include <memory>
#include <new>
#include <stdexcept>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/scan_reading.hpp"  // for parse_number

namespace kalidos {
namespace {

double meta_number(const xylib::MetaData& meta, const std::string& key)
{
    return meta.has_key(key) ? parse_number(meta.get(key)).value_or(0) : 0;
}

std::string meta_text(const xylib::MetaData& meta, const std::string& key)
{
    return meta.has_key(key) ? meta.get(key) : std::string();
}

bool read_block(const xylib::Block& block, const std::string& sample, MeasuredScan& scan, std::string& error)
{
    const int count = block.get_point_count();
    if (block.get_column_count() < 2 || count < 1 || !check_measured_count(static_cast<std::size_t>(count), error)) {
        if (error.empty())
            error = "a range holds no points";
        return false;
    }
    std::vector<double> x(static_cast<std::size_t>(count)), y(x.size());
    for (int i = 0; i < count; ++i) {
        x[static_cast<std::size_t>(i)] = block.get_column(1).get_value(i);
        y[static_cast<std::size_t>(i)] = block.get_column(2).get_value(i);
    }
    scan.name = sample;
    scan.unit = "counts";
    scan.countingTime = meta_number(block.meta, "TIME_PER_STEP");
    return store_listed_points(scan, std::move(x), std::move(y), {}, error);
}

}  // namespace

// xylib reports a damaged file by throwing; every such refusal becomes the error text.
bool read_bruker_raw_with_xylib(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    diagram = MeasuredDiagram{};
    diagram.format = "raw";
    try {
        const std::unique_ptr<xylib::DataSet> data(xylib::load_string(std::string(bytes), "bruker_raw"));
        for (int b = 0; b < data->get_block_count(); ++b) {
            MeasuredScan scan;
            if (!read_block(*data->get_block(b), meta_text(data->meta, "SAMPLE_ID"), scan, error))
                return false;
            diagram.scans.push_back(std::move(scan));
        }
        diagram.wavelengths.lambda1 = meta_number(data->meta, "ALPHA1");
        diagram.wavelengths.lambda2 = meta_number(data->meta, "ALPHA2");
        diagram.wavelengths.ratio = meta_number(data->meta, "ALPHA_RATIO");
        diagram.wavelengths.anode = meta_text(data->meta, "ANODE_MATERIAL");
    } catch (const std::bad_alloc&) {
        error = "the header announces more data than can be held: the file is damaged";
        return false;
    } catch (const std::exception& e) {
        error = std::string("the file is damaged or cut short (") + e.what() + ")";
        return false;
    }
    return check_measured_diagram(diagram, error);
}

}  // namespace kalidos
