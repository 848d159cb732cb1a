#include "diagram_files/zip_library.hpp"

#include <dlfcn.h>

namespace kalidos {
namespace {

struct Loaded {
    ZipLibrary functions{};
    std::string error;  // empty when every function was found
};

// Keeps the first missing function's name in `error`.
template <typename Function>
void resolve(void* handle, const char* name, Function& function, std::string& error)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (!function && error.empty())
        error = std::string(KALIDOS_LIBZIP_SONAME " has no function ") + name;
}

Loaded load()
{
    Loaded loaded;
    // Kept loaded until the process ends: archives may be open in any thread at any time.
    void* handle = dlopen(KALIDOS_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        loaded.error = std::string("zip archives are read through libzip, which cannot be loaded (") +
                       (why ? why : KALIDOS_LIBZIP_SONAME) + ")";
        return loaded;
    }
    ZipLibrary& f = loaded.functions;
    std::string& e = loaded.error;
    resolve(handle, "zip_open_from_source", f.open_from_source, e);
    resolve(handle, "zip_discard", f.discard, e);
    resolve(handle, "zip_strerror", f.strerror, e);
    resolve(handle, "zip_source_buffer_create", f.source_buffer_create, e);
    resolve(handle, "zip_source_free", f.source_free, e);
    resolve(handle, "zip_error_init", f.error_init, e);
    resolve(handle, "zip_error_fini", f.error_fini, e);
    resolve(handle, "zip_error_strerror", f.error_strerror, e);
    resolve(handle, "zip_get_num_entries", f.get_num_entries, e);
    resolve(handle, "zip_get_name", f.get_name, e);
    resolve(handle, "zip_name_locate", f.name_locate, e);
    resolve(handle, "zip_stat_init", f.stat_init, e);
    resolve(handle, "zip_stat_index", f.stat_index, e);
    resolve(handle, "zip_fopen_index", f.fopen_index, e);
    resolve(handle, "zip_fread", f.fread, e);
    resolve(handle, "zip_fclose", f.fclose, e);
    resolve(handle, "zip_file_strerror", f.file_strerror, e);
    return loaded;
}

}  // namespace

const ZipLibrary* zip_library(std::string& error)
{
    static const Loaded loaded = load();
    if (!loaded.error.empty()) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

}  // namespace kalidos
