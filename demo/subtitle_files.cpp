#include "subtitle_files.h"

#include <cstdio>
#include <vector>

#include "zip_archive.h"

namespace varneth::demo {

namespace {

struct Line {
    const char* chinese;
    const char* english;
};
const Line kLines[] = {
    {"你听到了吗？", "Did you hear that?"},
    {"我们没有多少时间了。", "We don't have much time."},
    {"别回头，一直往前走。", "Don't look back. Keep going."},
    {"这不是你的错。", "It wasn't your fault."},
    {"信号又断了。", "The signal is gone again."},
    {"天亮之前我们必须离开。", "We have to leave before dawn."},
    {"你到底是谁？", "Who are you, really?"},
    {"我一直在等你。", "I've been waiting for you."},
    {"把灯关掉。", "Turn off the lights."},
    {"他们来了。", "They're here."},
    {"相信我，就这一次。", "Trust me, just this once."},
    {"地图上没有这个地方。", "This place isn't on the map."},
};
constexpr int kLineCount = static_cast<int>(sizeof kLines / sizeof kLines[0]);

enum class Language { Chinese, English, Both };

struct Cue {
    int startMs, endMs;
    const Line* line;
};

std::vector<Cue> CuesFor(const Subtitle& subtitle, int link) {
    std::vector<Cue> cues;
    int at = 1200 + (subtitle.id % 7) * 300;
    const int count = 5 + (subtitle.id + link) % 4;
    for (int i = 0; i < count; ++i) {
        const int length = 1800 + ((subtitle.id >> i) % 5) * 400;
        cues.push_back({at, at + length, &kLines[(subtitle.id + i * 5 + link) % kLineCount]});
        at += length + 700 + (i % 3) * 900;
    }
    return cues;
}

std::string Time(int ms, bool srt) {
    char text[32];
    if (srt) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                      ms / 1000 % 60, ms % 1000);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", ms / 3600000, ms / 60000 % 60,
                      ms / 1000 % 60, ms % 1000 / 10);
    }
    return text;
}

std::string TextOf(const Line& line, Language language, const char* newline) {
    switch (language) {
        case Language::Chinese:
            return line.chinese;
        case Language::English:
            return line.english;
        default:
            return std::string(line.chinese) + newline + line.english;
    }
}

std::string Srt(const Subtitle& subtitle, int link, Language language) {
    std::string out;
    int number = 1;
    for (const Cue& cue : CuesFor(subtitle, link)) {
        out += std::to_string(number++) + "\r\n" + Time(cue.startMs, true) + " --> " +
               Time(cue.endMs, true) + "\r\n" + TextOf(*cue.line, language, "\r\n") + "\r\n\r\n";
    }
    return out;
}

std::string Ass(const Subtitle& subtitle, int link) {
    std::string out =
        "[Script Info]\r\n"
        "Title: " +
        subtitle.englishName +
        "\r\n"
        "ScriptType: v4.00+\r\n"
        "PlayResX: 1920\r\n"
        "PlayResY: 1080\r\n"
        "\r\n"
        "[V4+ Styles]\r\n"
        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
        "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
        "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
        "Style: Default,Noto Sans CJK SC,64,&H00FFFFFF,&H000000FF,&H00202020,&H80000000,0,0,0,"
        "0,100,100,0,0,1,2,1,2,20,20,40,1\r\n"
        "\r\n"
        "[Events]\r\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n";
    for (const Cue& cue : CuesFor(subtitle, link)) {
        out += "Dialogue: 0," + Time(cue.startMs, false) + "," + Time(cue.endMs, false) +
               ",Default,,0,0,0,," + TextOf(*cue.line, Language::Both, "\\N") + "\r\n";
    }
    return out;
}

}  // namespace

SubtitleFile MakeSubtitleFile(const Subtitle& subtitle, int link) {
    const std::string base = subtitle.releaseName;
    switch ((subtitle.id + link) % 3) {
        case 0:
            return {base + ".chs.srt", "application/x-subrip", Srt(subtitle, link, Language::Both)};
        case 1:
            return {base + ".chs.eng.ass", "text/x-ssa", Ass(subtitle, link)};
        default: {
            std::vector<ZipEntry> entries = {
                {base + ".chs.srt", Srt(subtitle, link, Language::Chinese)},
                {base + ".eng.srt", Srt(subtitle, link, Language::English)},
            };
            return {base + ".zip", "application/zip", MakeStoredZip(entries)};
        }
    }
}

}  // namespace varneth::demo
