// kalidos.refine_series and the tasks of kalidos.dask.refine_series: a series of diagrams refined as
// kalidos-batch --series refines it, with the same records.
#include <fstream>
#include <sstream>

#include <pybind11/stl.h>

#include "batch_calculation.hpp"  // for the exit statuses
#include "batch_series.hpp"
#include "bindings.hpp"
#include "computation/parallel_for.hpp"  // for set_computation_threads
#include "series/series_reading.hpp"
#include "series_json.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

struct Prepared {
    batch::BatchOptions options;
    batch::SeriesSetup setup;
};

// The settings of the arguments, the setup of `structures` (as the batch runner prepares it).
void prepare(const std::vector<Structure>& structures, const std::vector<std::string>& arguments,
             const std::string& data, batch::StreamMessages& messages, Prepared& prepared)
{
    std::vector<std::string> files;
    std::vector<StructureModel> models;
    std::vector<std::string> names;
    for (std::size_t p = 0; p < structures.size(); ++p) {
        files.push_back("phase" + std::to_string(p + 1));
        models.push_back(*structures[p].model);
        names.push_back(phase_name(structures[p], p));
    }
    prepared.options = parse_settings(arguments, files);
    bool done = false;
    {
        py::gil_scoped_release released;
        done = batch::prepare_series(prepared.options, data_directory(data), std::move(models), std::move(names),
                                     messages, prepared.setup);
    }
    if (!done)
        raise_error(messages.texts(), "The series is refused");
}

std::vector<SeriesItem> expand(const batch::BatchOptions& options, batch::StreamMessages& messages)
{
    std::vector<SeriesItem> items;
    std::string why;
    {
        py::gil_scoped_release released;
        why = series_items(batch::series_inputs(options), items, messages);
    }
    if (!why.empty())
        raise_error({"--series: " + why}, why);
    return items;
}

py::dict item_dict(const SeriesItem& item)
{
    return py::dict(py::arg("file") = item.file, py::arg("scan") = item.scan, py::arg("scans") = item.scans,
                    py::arg("name") = item.name, py::arg("start_time") = item.startTime,
                    py::arg("temperature") = item.temperature, py::arg("time") = item.time,
                    py::arg("unreadable") = item.unreadable);
}

SeriesItem item_of(const py::dict& d)
{
    SeriesItem item;
    item.file = d["file"].cast<std::string>();
    item.scan = d["scan"].cast<int>();
    item.scans = d["scans"].cast<int>();
    item.name = d["name"].cast<std::string>();
    item.startTime = d["start_time"].cast<std::string>();
    item.temperature = d["temperature"].cast<double>();
    item.time = d["time"].cast<double>();
    item.unreadable = d["unreadable"].cast<std::string>();
    return item;
}

// The whole series on this machine, its outputs as the arguments say: every record's line in order.
py::tuple refine_series(const std::vector<Structure>& structures, const std::vector<std::string>& arguments,
                        const std::string& data)
{
    std::ostringstream ignored, standardOutput;
    batch::StreamMessages messages(ignored, false);
    Prepared prepared;
    prepare(structures, arguments, data, messages, prepared);
    const std::vector<SeriesItem> items = expand(prepared.options, messages);
    batch::SeriesTally tally;
    tally.collect = true;
    int status = 0;
    {
        py::gil_scoped_release released;
        const batch::BatchOptions& o = prepared.options;
        status = batch::run_series_files(prepared.setup, items, o.jobs, o.jsonFile, o.series.csvFile, o.overwrite,
                                         messages, standardOutput, tally);
    }
    if (status != batch::kExitSuccess && tally.lines.empty())
        raise_error(messages.texts(), "The series is refused");
    return py::make_tuple(tally.lines, messages.texts());
}

// The plan of a series run elsewhere: its items and chains, the lines of the records kept from the
// JSON Lines file (a line cut short cut off), and the CSV table started again with their rows.
py::dict plan_series(const std::vector<Structure>& structures, const std::vector<std::string>& arguments,
                     const std::string& data)
{
    std::ostringstream ignored;
    batch::StreamMessages messages(ignored, false);
    Prepared prepared;
    prepare(structures, arguments, data, messages, prepared);
    const std::vector<SeriesItem> items = expand(prepared.options, messages);
    const batch::BatchOptions& o = prepared.options;
    batch::SeriesPlan plan;
    if (!batch::plan_series(prepared.setup, items, o.jsonFile, o.overwrite, messages, plan))
        raise_error(messages.texts(), "The series is refused");
    if (!o.series.csvFile.empty()) {
        std::ofstream csv(o.series.csvFile, std::ios::binary | std::ios::trunc);
        if (!batch::write_series_csv_start(csv, prepared.setup, plan))
            raise_error({"Cannot write " + o.series.csvFile}, "Cannot write " + o.series.csvFile);
    }
    py::list itemList, chains;
    for (const SeriesItem& item : items)
        itemList.append(item_dict(item));
    for (std::size_t c = 0; c < plan.chains.size(); ++c) {
        py::list kept;
        for (const int k : plan.keptOf[c])
            kept.append(k < 0 ? py::object(py::none()) : py::object(py::str(plan.keptLines[static_cast<std::size_t>(k)])));
        chains.append(py::dict(py::arg("items") = plan.chains[c], py::arg("kept") = kept));
    }
    return py::dict(py::arg("items") = itemList, py::arg("chains") = chains,
                    py::arg("value_names") = prepared.setup.valueNames, py::arg("settings") = prepared.setup.settings,
                    py::arg("messages") = messages.texts());
}

// One chain of a plan: the lines of the records of its diagrams not kept, in order.
std::vector<std::string> refine_chain(const std::vector<Structure>& structures, const std::vector<std::string>& arguments,
                                      const std::vector<py::dict>& chainItems, const std::vector<py::object>& keptLines,
                                      const std::string& data, int threads)
{
    std::ostringstream ignored;
    batch::StreamMessages messages(ignored, false);
    Prepared prepared;
    prepare(structures, arguments, data, messages, prepared);
    // The chain's items at their places in the series: their indexes are the records'.
    std::vector<SeriesItem> items;
    std::vector<int> chain;
    std::vector<SeriesRecord> kept(chainItems.size());
    std::vector<const SeriesRecord*> keptOf;
    for (std::size_t k = 0; k < chainItems.size(); ++k) {
        const int index = chainItems[k]["index"].cast<int>();
        if (items.size() < static_cast<std::size_t>(index))
            items.resize(static_cast<std::size_t>(index));
        items[static_cast<std::size_t>(index - 1)] = item_of(chainItems[k]);
        chain.push_back(index - 1);
        const bool isKept = k < keptLines.size() && !keptLines[k].is_none();
        if (isKept && !read_series_record(keptLines[k].cast<std::string>(), kept[k]))
            throw py::value_error("kept record " + std::to_string(k + 1) + " of the chain is not a record of a series");
        keptOf.push_back(isKept ? &kept[k] : nullptr);
    }
    std::vector<std::string> lines;
    if (threads > 0)
        set_computation_threads(threads);
    {
        py::gil_scoped_release released;
        batch::run_series_chain(prepared.setup, items, chain, keptOf,
                                [&lines](batch::SeriesDone done) { lines.push_back(std::move(done.line)); });
    }
    return lines;
}

// The CSV row of a record's line, with the columns of `names`.
std::string csv_row(const std::string& line, const std::vector<std::string>& names)
{
    SeriesRecord record;
    if (!read_series_record(line, record))
        throw py::value_error("not a record of a series");
    return series_csv_row(record, names);
}

}  // namespace

void bind_series(py::module_& module)
{
    module.def("_refine_series", &refine_series, py::arg("structures"), py::arg("arguments"), py::arg("data") = "");
    module.def("_plan_series", &plan_series, py::arg("structures"), py::arg("arguments"), py::arg("data") = "");
    module.def("_refine_series_chain", &refine_chain, py::arg("structures"), py::arg("arguments"),
               py::arg("items"), py::arg("kept"), py::arg("data") = "", py::arg("threads") = 0);
    module.def("_series_csv_row", &csv_row, py::arg("line"), py::arg("names"));
}

}  // namespace kalidos::python
