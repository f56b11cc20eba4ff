#include "demo_pages.h"

namespace varneth::demo {

namespace {

const char* const kCategoryNames[] = {"全部字幕", "电影字幕", "美剧字幕"};
const char* const kCategoryQueries[] = {"", "t=mv&", "t=tv&"};

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\r\n"
           "<html lang=\"zh-CN\">\r\n"
           "<head>\r\n"
           "<meta charset=\"utf-8\">\r\n"
           "<title>" +
           EscapeHtml(title) +
           " - Lumora 字幕站</title>\r\n"
           "<link rel=\"stylesheet\" href=\"/static/css/site.css\">\r\n";
}

// Each navigation anchor stands on a line of its own, as on the real site.
std::string Navigation() {
    return "<nav class=\"navbar\">\r\n"
           "<a class=\"brand\" href=\"/\">Lumora</a>\r\n"
           "<a href=\"/newsubs?p=1\">最新字幕</a>\r\n"
           "<a href=\"/newsubs?t=mv&amp;p=1\">电影</a>\r\n"
           "<a href=\"/newsubs?t=tv&amp;p=1\">美剧</a>\r\n"
           "</nav>\r\n";
}

std::string Foot() {
    return "<footer>Lumora 字幕站 · 离线演示副本</footer>\r\n"
           "</body>\r\n"
           "</html>\r\n";
}

std::string FullTitle(const Subtitle& s) {
    return s.series ? s.chineseName + " 第" + std::to_string(s.season) + "季" : s.chineseName;
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ListingHtml(const Catalogue& catalogue, Category category, int page) {
    const int c = static_cast<int>(category);
    std::string html = Head(std::string(kCategoryNames[c]) + " 第" + std::to_string(page) + "页");
    html += "</head>\r\n<body>\r\n" + Navigation();
    html += "<div class=\"container\">\r\n<h3>" + std::string(kCategoryNames[c]) + "</h3>\r\n";
    html +=
        "<table class=\"table table-hover\">\r\n<thead>\r\n"
        "<tr><th>字幕名称</th><th>格式</th><th>上传时间</th></tr>\r\n</thead>\r\n<tbody>\r\n";
    for (const Subtitle* s : catalogue.Page(category, page)) {
        html += "<tr>\r\n";
        html += "<td class=\"d_title\"><a href=\"/detail/" + std::to_string(s->id) +
                ".html\" target=\"_blank\" title=\"" + EscapeHtml(s->title) + "\"><b>" +
                EscapeHtml(s->title) + "</b></a>\r\n";
        html += "<span class=\"label label-info\">" + s->language + "</span></td>\r\n";
        html += "<td class=\"d_format\">" + std::string(s->linkCount > 0 ? "SRT/ASS" : "-") +
                "</td>\r\n";
        html += "<td class=\"d_time\"><span class=\"glyphicon glyphicon-time\"></span> " +
                s->uploaded + "</td>\r\n";
        html += "</tr>\r\n";
    }
    html += "</tbody>\r\n</table>\r\n<ul class=\"pagination\">\r\n";
    if (page > 1) {
        html += "<li><a href=\"/newsubs?" + std::string(kCategoryQueries[c]) +
                "p=" + std::to_string(page - 1) + "\">上一页</a></li>\r\n";
    }
    if (page < kPages) {
        html += "<li><a href=\"/newsubs?" + std::string(kCategoryQueries[c]) +
                "p=" + std::to_string(page + 1) + "\">下一页</a></li>\r\n";
    }
    html += "</ul>\r\n</div>\r\n" + Foot();
    return html;
}

std::string DetailHtml(const Subtitle& s, const std::string& hostPort) {
    std::string html = Head(s.title);
    html += "<meta name=\"keywords\" content=\"" + EscapeHtml(s.chineseName) + "," +
            EscapeHtml(s.englishName) + "," + std::to_string(s.year) + "," + s.language +
            ",字幕下载\">\r\n";
    html += "<meta name=\"description\" content=\"" + EscapeHtml(s.title) + "\">\r\n";
    html += "</head>\r\n<body>\r\n" + Navigation();
    html += "<div class=\"container\">\r\n<h2>" + EscapeHtml(s.title) + "</h2>\r\n";
    html += "<ul class=\"subtitle-info\">\r\n";
    html += "<li>影片：" + EscapeHtml(FullTitle(s)) + " " + EscapeHtml(s.englishName) + "</li>\r\n";
    html += "<li>年份：" + std::to_string(s.year) + "</li>\r\n";
    html += "<li>语言：" + s.language + "</li>\r\n";
    html += "<li>上传时间：" + s.uploaded + "</li>\r\n";
    if (s.doubanId != 0) {
        html += "<li><a href=\"https://" + hostPort + "/subject/" + std::to_string(s.doubanId) +
                "/\" target=\"_blank\">豆瓣页面</a></li>\r\n";
    }
    html += "</ul>\r\n";
    html += "<p><a id=\"down1\" href=\"https://" + hostPort + "/download/" + std::to_string(s.id) +
            ".html\" class=\"btn btn-danger\">下载字幕</a></p>\r\n";
    html += "</div>\r\n" + Foot();
    return html;
}

std::string DownloadPageHtml(const Subtitle& s, const std::string& hostPort) {
    std::string html = Head("下载 " + s.title) + "</head>\r\n<body>\r\n" + Navigation();
    html += "<div class=\"container\">\r\n<h3>" + EscapeHtml(s.title) + "</h3>\r\n";
    if (s.linkCount == 0)
        html += "<p>该字幕暂无下载地址。</p>\r\n";
    html += "<ul class=\"down-list\">\r\n";
    static const char* const kMirrors[] = {"电信下载", "联通下载", "备用下载", "海外下载"};
    for (int n = 1; n <= s.linkCount; ++n) {
        html += "<li><a rel=\"nofollow\" href=\"https://" + hostPort + "/dl/" +
                std::to_string(s.id) + "/" + std::to_string(n) +
                "\" class=\"btn btn-default\"><span class=\"glyphicon glyphicon-save\"></span>" +
                kMirrors[(n - 1) % 4] + " " + std::to_string(n) + "</a></li>\r\n";
    }
    html += "</ul>\r\n</div>\r\n" + Foot();
    return html;
}

std::string HomeHtml() {
    return Head("首页") + "</head>\r\n<body>\r\n" + Navigation() +
           "<div class=\"container\">\r\n<h2>Lumora 字幕站（离线演示）</h2>\r\n"
           "<p>这里是随 Varneth 附带的离线演示站点。</p>\r\n</div>\r\n" +
           Foot();
}

std::string SiteSearchHtml(const Catalogue& catalogue, const std::string& query) {
    std::string html = Head("搜索 " + query) + "</head>\r\n<body>\r\n" + Navigation();
    html +=
        "<div class=\"container\">\r\n<h3>搜索“" + EscapeHtml(query) + "”的结果</h3>\r\n<ul>\r\n";
    int found = 0;
    for (const Subtitle& s : catalogue.all()) {
        if (query.empty() || found >= 40)
            break;
        if (s.title.find(query) == std::string::npos)
            continue;
        html += "<li><a href=\"/detail/" + std::to_string(s.id) + ".html\">" + EscapeHtml(s.title) +
                "</a> " + s.uploaded + "</li>\r\n";
        ++found;
    }
    html += "</ul>\r\n";
    if (found == 0)
        html += "<p>没有找到相关字幕。</p>\r\n";
    html += "</div>\r\n" + Foot();
    return html;
}

std::string SourceSearchHtml(const std::string& query) {
    return "<!DOCTYPE html>\r\n<html lang=\"zh-CN\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
           "<title>片源搜索 - " +
           EscapeHtml(query) +
           "</title>\r\n</head>\r\n<body>\r\n"
           "<h2>片源搜索：" +
           EscapeHtml(query) +
           "</h2>\r\n"
           "<p>离线演示：片源站点在这里只显示搜索词。</p>\r\n</body>\r\n</html>\r\n";
}

std::string DoubanHtml(const Catalogue& catalogue, int doubanId) {
    const Subtitle* film = nullptr;
    for (const Subtitle& s : catalogue.all()) {
        if (s.doubanId == doubanId) {
            film = &s;
            break;
        }
    }
    std::string name = film ? FullTitle(*film) + " " + film->englishName : "未知影片";
    std::string html =
        "<!DOCTYPE html>\r\n<html lang=\"zh-CN\">\r\n<head>\r\n"
        "<meta charset=\"utf-8\">\r\n<title>" +
        EscapeHtml(name) + " (豆瓣)</title>\r\n</head>\r\n<body>\r\n<h1>" + EscapeHtml(name) +
        "</h1>\r\n";
    if (film) {
        html += "<p>年份：" + std::to_string(film->year) + "</p>\r\n<p>豆瓣评分：" +
                std::to_string(5 + film->doubanId % 5) + "." + std::to_string(film->doubanId % 10) +
                "</p>\r\n";
    }
    html += "<p>离线演示：豆瓣页面的简化副本。</p>\r\n</body>\r\n</html>\r\n";
    return html;
}

std::string NotFoundHtml() {
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
           "<title>404 Not Found</title>\r\n</head>\r\n<body>\r\n<h1>404 页面不存在</h1>\r\n"
           "</body>\r\n</html>\r\n";
}

}  // namespace varneth::demo
