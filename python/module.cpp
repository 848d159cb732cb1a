// _kalidos: the compiled part of the Python package kalidos.
#include <cstdlib>
#include <dlfcn.h>

#include "bindings.hpp"

namespace kalidos::python {
namespace {

namespace fs = std::filesystem;

bool holds_data(const fs::path& folder)
{
    return !folder.empty() && fs::is_regular_file(folder / "spgr2.dat");
}

// <prefix>/share/kalidos reached from the folder of the loaded _kalidos module; empty when the
// module is not installed below a prefix.
fs::path beside_module()
{
    Dl_info info{};
    if (*KALIDOS_MODULE_TO_DATA_DIR == '\0' || dladdr(reinterpret_cast<void*>(&holds_data), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    return (fs::path(info.dli_fname).parent_path() / KALIDOS_MODULE_TO_DATA_DIR).lexically_normal();
}

}  // namespace

std::filesystem::path data_directory(const std::string& given)
{
    if (!given.empty())
        return fs::absolute(given);
    if (const char* fromEnvironment = std::getenv("KALIDOS_DATA"); fromEnvironment && *fromEnvironment)
        return fs::absolute(fromEnvironment);
    if (const fs::path installed = beside_module(); holds_data(installed))
        return installed;
    if (holds_data(KALIDOS_INSTALLED_DATA_DIR))
        return KALIDOS_INSTALLED_DATA_DIR;
    return KALIDOS_SOURCE_DATA_DIR;
}

}  // namespace kalidos::python

namespace kalidos::python {

void raise_error(const std::vector<std::string>& messages, const std::string& fallback)
{
    std::string text;
    for (const std::string& message : messages)
        text += (text.empty() ? "" : "\n") + message;
    throw Failure(text.empty() ? fallback : text);
}

}  // namespace kalidos::python

PYBIND11_MODULE(_kalidos, module)
{
    module.doc() = "The engine of KALIDOS: structures, calculations and measured diagrams.";
    pybind11::register_exception<kalidos::python::Failure>(module, "KalidosError", PyExc_RuntimeError);
    module.def(
        "default_data_directory", [] { return kalidos::python::data_directory("").string(); },
        "The folder of the program's data files used when none is given.");
    kalidos::python::bind_structure(module);
    kalidos::python::bind_calculation(module);
    kalidos::python::bind_diagram(module);
    kalidos::python::bind_mixture(module);
    kalidos::python::bind_cif(module);
    kalidos::python::bind_refine(module);
    kalidos::python::bind_series(module);
    kalidos::python::bind_identification(module);
    kalidos::python::bind_indexing(module);
}
