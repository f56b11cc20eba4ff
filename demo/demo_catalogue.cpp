#include "demo_catalogue.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace varneth::demo {

namespace {

// A small deterministic generator (splitmix64): the same catalogue on every run and machine.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(static_cast<int>(N))];
    }

  private:
    std::uint64_t state_;
};

struct Word {
    const char* chinese;
    const char* english;
};

const Word kFirstWords[] = {
    {"沉默的", "The Silent"}, {"最后的", "The Last"},   {"遥远的", "Distant"},
    {"午夜", "Midnight"},     {"破碎的", "Broken"},     {"无声的", "Soundless"},
    {"燃烧的", "Burning"},    {"迷失的", "Lost"},       {"孤独的", "Lonely"},
    {"隐秘的", "Hidden"},     {"永恒的", "Eternal"},    {"漫长的", "The Long"},
    {"寒冬", "Winter"},       {"星际", "Interstellar"}, {"海上", "Sea"},
    {"东方", "Eastern"},      {"北方", "Northern"},     {"失落的", "Forgotten"},
    {"第七", "The Seventh"},  {"白色", "White"},        {"黑夜", "Night"},
    {"黄金", "Golden"},       {"红色", "Red"},          {"深海", "Deep Sea"},
};
const Word kSecondWords[] = {
    {"追踪者", "Tracker"}, {"城市", "City"},       {"信号", "Signal"},  {"航线", "Route"},
    {"证人", "Witness"},   {"花园", "Garden"},     {"列车", "Train"},   {"边境", "Border"},
    {"旅人", "Traveler"},  {"王国", "Kingdom"},    {"档案", "Files"},   {"之歌", "Song"},
    {"密码", "Cipher"},    {"灯塔", "Lighthouse"}, {"岛屿", "Island"},  {"猎人", "Hunter"},
    {"回声", "Echo"},      {"迷宫", "Maze"},       {"使命", "Mission"}, {"河流", "River"},
    {"医生", "Doctor"},    {"侦探", "Detective"},  {"家族", "Family"},  {"风暴", "Storm"},
};
const Word kSequels[] = {
    {"：归来", ": The Return"}, {"：觉醒", ": Awakening"}, {"：终章", ": Finale"}, {"2", " 2"},
    {"：起源", ": Origins"},
};
// A few names written with the middle dot of translated personal names.
const Word kPeople[] = {
    {"安娜·卡特", "Anna Carter"}, {"汤姆·莱恩", "Tom Lane"},   {"玛丽·霍普", "Mary Hope"},
    {"杰克·斯通", "Jack Stone"},  {"艾玛·格林", "Emma Green"}, {"彼得·沃克", "Peter Walker"},
};
const char* const kLanguages[] = {"简体中文", "繁体中文", "中英双语", "简繁英", "英文", "繁英双语"};
const char* const kQualities[] = {"1080p", "720p", "2160p", "WEB-DL", "BluRay", "HDTV"};
const char* const kGroups[] = {"CMCT", "FRDS", "NTb", "SPARKS", "FLUX", "WiKi", "CHD", "HDS"};

std::string Dotted(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == ' ') {
            out += '.';
        } else if (c != ':' && c != '\'') {
            out += c;
        }
    }
    return out;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
std::string DateOf(int days) {
    const int z = days + 719468;
    const int era = z / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int day = doy - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    const int year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// The site writes recent uploads as "23分钟前", "5小时前", "3天前", older ones as "05-28".
std::string UploadTime(int today, int minutesAgo) {
    constexpr int kNowMinuteOfDay = 20 * 60;
    if (minutesAgo < 60)
        return std::to_string(std::max(minutesAgo, 1)) + "分钟前";
    if (minutesAgo < 24 * 60)
        return std::to_string(minutesAgo / 60) + "小时前";
    const int daysAgo = (minutesAgo - kNowMinuteOfDay + 24 * 60 - 1) / (24 * 60);
    if (daysAgo < 7)
        return std::to_string(daysAgo) + "天前";
    return DateOf(today - daysAgo).substr(5);
}

Subtitle MakeSubtitle(int index, Random& random) {
    Subtitle s;
    s.id = 682400 - index * 3 - random.Below(3);
    s.series = random.Chance(45);
    if (random.Chance(8)) {
        const Word& person = random.Pick(kPeople);
        s.chineseName = person.chinese;
        s.englishName = person.english;
    } else {
        const Word& first = random.Pick(kFirstWords);
        const Word& second = random.Pick(kSecondWords);
        s.chineseName = std::string(first.chinese) + second.chinese;
        s.englishName = std::string(first.english) + " " + second.english;
        if (!s.series && random.Chance(12)) {
            const Word& sequel = random.Pick(kSequels);
            s.chineseName += sequel.chinese;
            s.englishName += sequel.english;
        }
    }
    s.year = 1994 + random.Below(31);
    s.language = random.Pick(kLanguages);
    const std::string quality = random.Pick(kQualities);
    const std::string group = random.Pick(kGroups);
    char episode[32] = "";
    if (s.series) {
        s.season = 1 + random.Below(random.Chance(70) ? 3 : 9);
        s.episode = 1 + random.Below(random.Chance(80) ? 10 : 24);
        std::snprintf(episode, sizeof episode, "S%02dE%02d", s.season, s.episode);
    }
    s.releaseName = Dotted(s.englishName) + "." +
                    (s.series ? std::string(episode) : std::to_string(s.year)) + "." + quality +
                    "-" + group;
    // Three ways the site's uploaders write a title.
    switch (random.Below(3)) {
        case 0:
            s.title =
                s.series
                    ? s.chineseName + " 第" + std::to_string(s.season) + "季 第" +
                          std::to_string(s.episode) + "集 " + s.englishName + " " + episode
                    : s.chineseName + " " + s.englishName + " (" + std::to_string(s.year) + ")";
            break;
        case 1:
            s.title = s.releaseName;
            break;
        default:
            s.title = s.chineseName + "." + s.releaseName;
            break;
    }
    s.title += " " + s.language;
    if (random.Chance(80))
        s.doubanId = 1000000 + random.Below(35000000);
    static const int kLinkCounts[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 4, 4, 5, 6, 7, 8};
    s.linkCount = random.Pick(kLinkCounts);
    return s;
}

}  // namespace

int RowsOnPage(Category category, int page) {
    Random random(0x5EED0000u + static_cast<unsigned>(category) * 1000u +
                  static_cast<unsigned>(page));
    return 30 + random.Below(11);
}

Catalogue::Catalogue() {
    Random random(20240618);
    int needFilms = 0, needSeries = 0, needAll = 0;
    for (int page = 1; page <= kPages; ++page) {
        needAll += RowsOnPage(Category::All, page);
        needFilms += RowsOnPage(Category::Films, page);
        needSeries += RowsOnPage(Category::Series, page);
    }
    int films = 0, series = 0;
    // Newest first: every subtitle is uploaded a little before the one above it.
    int minutesAgo = 0;
    const int today = 19892;  // 2024-06-18, the copy's "now" is 20:00 that day
    for (int index = 0;
         films < needFilms || series < needSeries || static_cast<int>(subtitles_.size()) < needAll;
         ++index) {
        Subtitle s = MakeSubtitle(index, random);
        minutesAgo += 4 + random.Below(40);
        s.uploaded = UploadTime(today, minutesAgo);
        (s.series ? series : films) += 1;
        subtitles_.push_back(std::move(s));
    }
    // Cut each category's sequence into pages of their own length.
    for (int c = 0; c < 3; ++c) {
        std::vector<int> members;
        for (int i = 0; i < static_cast<int>(subtitles_.size()); ++i) {
            const bool isSeries = subtitles_[i].series;
            if (c == 0 || (c == 1 && !isSeries) || (c == 2 && isSeries))
                members.push_back(i);
        }
        std::size_t next = 0;
        for (int page = 1; page <= kPages; ++page) {
            std::vector<int> rows;
            for (int r = 0; r < RowsOnPage(static_cast<Category>(c), page); ++r)
                rows.push_back(members[next++]);
            pages_[c].push_back(std::move(rows));
        }
    }
}

std::vector<const Subtitle*> Catalogue::Page(Category category, int page) const {
    std::vector<const Subtitle*> rows;
    if (page < 1 || page > kPages)
        return rows;
    for (int index : pages_[static_cast<int>(category)][page - 1])
        rows.push_back(&subtitles_[index]);
    return rows;
}

const Subtitle* Catalogue::Find(int id) const {
    // Ids fall as the index grows: a binary search over the newest-first sequence.
    std::size_t low = 0, high = subtitles_.size();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (subtitles_[mid].id == id)
            return &subtitles_[mid];
        if (subtitles_[mid].id > id) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return nullptr;
}

}  // namespace varneth::demo
