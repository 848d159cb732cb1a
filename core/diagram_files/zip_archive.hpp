// Zip archives held in memory (BRML, RASX), read through libzip (loaded on first use). Members are
// read whole and their checksums verified; a cap on each member's uncompressed size keeps a small
// damaged or hostile archive from claiming gigabytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace kalidos {

struct ZipLibrary;

// Larger than the XML of any diagram of kMaxMeasuredPoints points in these formats.
inline constexpr std::size_t kMaxZipMemberBytes = std::size_t{256} << 20;

class ZipArchive {
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False, with `error`, when `bytes` are not a sound zip archive. The bytes are not copied:
    // they must outlive this object.
    bool open(std::string_view bytes, std::string& error);

    // The names of the members, in the archive's order.
    std::vector<std::string> names() const;
    bool contains(const std::string& name) const;

    // The member's bytes. False, with `error` naming the member, when it is missing, larger than
    // `maxBytes`, or damaged (a checksum or decompression error, a length other than stated).
    bool read(const std::string& name, std::string& contents, std::string& error,
              std::size_t maxBytes = kMaxZipMemberBytes) const;

private:
    const ZipLibrary* zip_ = nullptr;  // set by open()
    zip* archive_ = nullptr;
};

}  // namespace kalidos
