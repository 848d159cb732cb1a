// libzip's functions, loaded the first time an archive is opened rather than linked. Linked, libzip
// and the cryptography library it brings for encrypted archives are loaded and relocated in every
// run of every program (some 21 000 relocations, about 3 ms of each kalidos-batch start), while
// only the few runs that read a BRML or RASX diagram use them.
#pragma once

#include <string>

#include <zip.h>

namespace kalidos {

struct ZipLibrary {
    decltype(&::zip_open_from_source) open_from_source;
    decltype(&::zip_discard) discard;
    decltype(&::zip_strerror) strerror;
    decltype(&::zip_source_buffer_create) source_buffer_create;
    decltype(&::zip_source_free) source_free;
    decltype(&::zip_error_init) error_init;
    decltype(&::zip_error_fini) error_fini;
    decltype(&::zip_error_strerror) error_strerror;
    decltype(&::zip_get_num_entries) get_num_entries;
    decltype(&::zip_get_name) get_name;
    decltype(&::zip_name_locate) name_locate;
    decltype(&::zip_stat_init) stat_init;
    decltype(&::zip_stat_index) stat_index;
    decltype(&::zip_fopen_index) fopen_index;
    decltype(&::zip_fread) fread;
    decltype(&::zip_fclose) fclose;
    decltype(&::zip_file_strerror) file_strerror;
};

// The functions, loaded once per process (safe from several threads); null, with `error` saying
// why, when the library or one of its functions cannot be found.
const ZipLibrary* zip_library(std::string& error);

}  // namespace kalidos
