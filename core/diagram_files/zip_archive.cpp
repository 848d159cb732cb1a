#include "diagram_files/zip_archive.hpp"

#include <memory>

#include "diagram_files/zip_library.hpp"

namespace kalidos {
namespace {

struct FileCloser {
    const ZipLibrary* zip;
    void operator()(zip_file_t* file) const { zip->fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;

// Reads exactly `contents.size()` bytes, then asks for one more: only the end of the member makes
// libzip compare its checksum, and a member longer than its directory entry says is damaged.
bool read_all(const ZipLibrary& zip, zip_file_t* file, std::string& contents, const std::string& name,
              std::string& error)
{
    std::size_t got = 0;
    while (got < contents.size()) {
        const zip_int64_t n = zip.fread(file, contents.data() + got, contents.size() - got);
        if (n <= 0) {
            error = "the archive member " + name + " is damaged (" +
                    (n < 0 ? std::string(zip.file_strerror(file)) : "it ends early") + ")";
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    char extra = 0;
    const zip_int64_t n = zip.fread(file, &extra, 1);
    if (n != 0) {
        error = "the archive member " + name + " is damaged (" +
                (n < 0 ? std::string(zip.file_strerror(file)) : "it is longer than the archive says") + ")";
        return false;
    }
    return true;
}

}  // namespace

ZipArchive::~ZipArchive()
{
    if (archive_)
        zip_->discard(archive_);
}

bool ZipArchive::open(std::string_view bytes, std::string& error)
{
    zip_ = zip_library(error);
    if (!zip_)
        return false;
    zip_error_t failure;
    zip_->error_init(&failure);
    zip_source_t* source = zip_->source_buffer_create(bytes.data(), bytes.size(), 0, &failure);
    if (source)
        archive_ = zip_->open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &failure);
    if (!archive_) {
        error = std::string("not a readable zip archive (") + zip_->error_strerror(&failure) + ")";
        if (source)
            zip_->source_free(source);
    }
    zip_->error_fini(&failure);
    return archive_ != nullptr;
}

std::vector<std::string> ZipArchive::names() const
{
    std::vector<std::string> names;
    const zip_int64_t count = archive_ ? zip_->get_num_entries(archive_, 0) : 0;
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_->get_name(archive_, static_cast<zip_uint64_t>(i), 0))
            names.emplace_back(name);
    return names;
}

bool ZipArchive::contains(const std::string& name) const
{
    return archive_ && zip_->name_locate(archive_, name.c_str(), 0) >= 0;
}

bool ZipArchive::read(const std::string& name, std::string& contents, std::string& error,
                      std::size_t maxBytes) const
{
    const zip_int64_t index = archive_ ? zip_->name_locate(archive_, name.c_str(), 0) : -1;
    zip_stat_t stat;
    zip_->stat_init(&stat);
    if (index < 0 || zip_->stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        error = "the archive has no member " + name;
        return false;
    }
    if (stat.size > maxBytes) {
        error = "the archive member " + name + " claims " + std::to_string(stat.size) +
                " bytes, more than the " + std::to_string(maxBytes) + " a diagram needs";
        return false;
    }
    const ZipFile file(zip_->fopen_index(archive_, static_cast<zip_uint64_t>(index), 0), FileCloser{zip_});
    if (!file) {
        error = "the archive member " + name + " cannot be opened (" + zip_->strerror(archive_) + ")";
        return false;
    }
    contents.assign(static_cast<std::size_t>(stat.size), '\0');
    return read_all(*zip_, file.get(), contents, name, error);
}

}  // namespace kalidos
