#pragma once
// The fonts of the window design. The design keeps its own font names; on this platform each is
// substituted by a font with the same character set and look.
#include <QFont>

namespace varneth {

inline constexpr const char* kFontYaHei = "微软雅黑";
inline constexpr const char* kFontKai = "楷体";
inline constexpr const char* kFontNewSong = "新宋体";

// Maps the design's font names to the fonts installed here. Idempotent; call before any window.
void RegisterDesignFontSubstitutions();

// A design font asked for by character height in pixels (the em height, without the line gap).
QFont DesignFont(const char* family, int characterHeight, bool bold = false);

}  // namespace varneth
