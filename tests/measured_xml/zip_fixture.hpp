// Zip archives written in memory for the tests of the BRML and RASX readers.
#pragma once

#include <map>
#include <string>

#include <zip.h>

namespace kalidos::testing {

// An archive holding `members` (name -> contents), deflated, or stored when `store` is set (so
// that the contents stand in the archive byte for byte).
inline std::string zip_of(const std::map<std::string, std::string>& members, bool store = false)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (const auto& [name, contents] : members) {
        zip_source_t* source = zip_source_buffer(archive, contents.data(), contents.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        if (store)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    std::string bytes;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    bytes.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
    zip_source_seek(buffer, 0, SEEK_SET);
    zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

}  // namespace kalidos::testing
