#pragma once
// A zip archive of stored (uncompressed) files, built in memory: enough for the demo's subtitle
// packs, and readable by every unzip tool.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varneth::demo {

struct ZipEntry {
    std::string name;  // ASCII path inside the archive
    std::string data;
};

std::uint32_t Crc32(std::string_view data);
std::string MakeStoredZip(const std::vector<ZipEntry>& entries);

}  // namespace varneth::demo
