#pragma once
// The files behind the demo's download links: small real subtitles in SRT and ASS, and zip
// packs holding one of each language.
#include <string>

#include "demo_catalogue.h"

namespace varneth::demo {

struct SubtitleFile {
    std::string name;  // ASCII file name, e.g. The.Silent.Tracker.2019.1080p-FRDS.chs.srt
    std::string contentType;
    std::string bytes;
};

// Download link `link` (1-based) of a subtitle.
SubtitleFile MakeSubtitleFile(const Subtitle& subtitle, int link);

}  // namespace varneth::demo
