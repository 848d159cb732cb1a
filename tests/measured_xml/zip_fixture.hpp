// Zip archives written in memory for the tests of the BRML and RASX readers.
#pragma once

#include <map>
#include <string>

#include <zip.h>

#include "diagram_files/zip_archive.hpp"

namespace kalidos::testing {

// The bytes of a buffer source after the archive on it was closed.
inline std::string bytes_of_source(zip_source_t* buffer)
{
    std::string bytes;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    bytes.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
    zip_source_seek(buffer, 0, SEEK_SET);
    zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

// An archive holding `members` (name -> contents), deflated, or stored when `store` is set (so
// that the contents stand in the archive byte for byte).
inline std::string zip_of(const std::map<std::string, std::string>& members, bool store = false)
{
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    for (const auto& [name, contents] : members) {
        zip_source_t* source = zip_source_buffer(archive, contents.data(), contents.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        if (store)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    return bytes_of_source(buffer);
}

// A copy of the archive `bytes` without its member `name` (the others written again, stored).
inline std::string zip_without(const std::string& bytes, const std::string& name)
{
    ZipArchive archive;
    std::string error;
    std::map<std::string, std::string> members;
    if (!archive.open(bytes, error))
        return {};
    for (const std::string& member : archive.names())
        if (member != name && !archive.read(member, members[member], error))
            return {};
    return zip_of(members, true);
}

}  // namespace kalidos::testing
