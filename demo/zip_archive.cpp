#include "zip_archive.h"

#include <array>

namespace varneth::demo {

namespace {

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// 2024-06-18 12:00:00 in the archive's DOS form.
constexpr unsigned kDosTime = (12u << 11);
constexpr unsigned kDosDate = ((2024u - 1980u) << 9) | (6u << 5) | 18u;

}  // namespace

std::uint32_t Crc32(std::string_view data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string MakeStoredZip(const std::vector<ZipEntry>& entries) {
    std::string archive, directory;
    for (const ZipEntry& entry : entries) {
        const std::uint32_t crc = Crc32(entry.data);
        const auto size = static_cast<std::uint32_t>(entry.data.size());
        const auto offset = static_cast<std::uint32_t>(archive.size());
        // Local file header, then the data as it is (method 0, stored).
        Put32(archive, 0x04034B50);
        Put16(archive, 10);  // version needed: 1.0
        Put16(archive, 0);   // flags
        Put16(archive, 0);   // method: stored
        Put16(archive, kDosTime);
        Put16(archive, kDosDate);
        Put32(archive, crc);
        Put32(archive, size);
        Put32(archive, size);
        Put16(archive, static_cast<unsigned>(entry.name.size()));
        Put16(archive, 0);  // extra field length
        archive += entry.name;
        archive += entry.data;
        // Its central directory record.
        Put32(directory, 0x02014B50);
        Put16(directory, 20);  // made by: MS-DOS, 2.0
        Put16(directory, 10);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, kDosTime);
        Put16(directory, kDosDate);
        Put32(directory, crc);
        Put32(directory, size);
        Put32(directory, size);
        Put16(directory, static_cast<unsigned>(entry.name.size()));
        Put16(directory, 0);  // extra
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk number
        Put16(directory, 0);  // internal attributes
        Put32(directory, 0);  // external attributes
        Put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    Put32(archive, 0x06054B50);  // end of central directory
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<unsigned>(entries.size()));
    Put16(archive, static_cast<unsigned>(entries.size()));
    Put32(archive, static_cast<std::uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, 0);  // comment length
    return archive;
}

}  // namespace varneth::demo
