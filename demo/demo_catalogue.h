#pragma once
// The demo site's catalogue: every subtitle of the three listings, made up deterministically, so
// that every run shows the same pages.
#include <string>
#include <vector>

namespace varneth::demo {

enum class Category { All = 0, Films = 1, Series = 2 };

inline constexpr int kPages = 50;

struct Subtitle {
    int id = 0;  // page path /detail/<id>.html
    bool series = false;
    std::string chineseName;  // film or series name, e.g. 沉默的追踪者
    std::string englishName;  // e.g. The Silent Tracker
    int year = 0;
    int season = 0, episode = 0;  // series only
    std::string title;            // as the listing shows it
    std::string uploaded;     // as the listing shows it: 23分钟前, 5小时前, 3天前, 05-28
    std::string language;     // 简体中文, 中英双语, ...
    int doubanId = 0;         // 0: the page has no Douban link
    int linkCount = 0;        // download links on its download page, 0 to 8
    std::string releaseName;  // ASCII, the base of the file names
};

class Catalogue {
  public:
    Catalogue();

    // Rows of listing page `page` (1 to 50) of a category; empty outside that range.
    std::vector<const Subtitle*> Page(Category category, int page) const;
    // Null when no subtitle has that id.
    const Subtitle* Find(int id) const;
    const std::vector<Subtitle>& all() const { return subtitles_; }

  private:
    std::vector<Subtitle> subtitles_;  // newest first
    // Per category: for each page, the indices of its rows in subtitles_.
    std::vector<std::vector<int>> pages_[3];
};

// Rows on a listing page: 30 to 40, fixed per category and page.
int RowsOnPage(Category category, int page);

}  // namespace varneth::demo
