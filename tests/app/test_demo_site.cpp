// The bundled demo site serves what the program reads: listing rows in the listing pattern's
// layout, subtitle pages with their down1 anchor, keywords and Douban link, download pages with
// their links, redirects to real files and valid zip packs. Fetched through the program's own
// request engine over https.
#include <QTest>
#include <cstring>
#include <set>

#include "demo_pages.h"
#include "matcher/pattern_matcher.h"
#include "subtitle_files.h"
#include "text/codepage.h"
#include "text/text_ops.h"
#include "ui/browser/listing_fixture.h"
#include "ui/browser/listing_page.h"
#include "web/fetch_text.h"
#include "web/text_between.h"
#include "zip_archive.h"

using namespace varneth;
using namespace varneth::testing;
using demo::Category;

namespace {

const char* const kDownloadLinkPattern =
    R"re(<li><a rel="nofollow" href="(.*?)" class=(.*?)</span>(.*?)</a></li>)re";

std::uint32_t Read32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}
unsigned Read16(const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

}  // namespace

class DemoSiteTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<demo::DemoSite> site_;
    Text Https(const std::string& target) const {
        return Text("https://" + site_->hostPort() + target);
    }

  private slots:
    void initTestCase() {
        site_ = std::make_unique<demo::DemoSite>();
        TrustSite(*site_);
    }
    void cleanupTestCase() { site_.reset(); }

    void everyListingPageHoldsThirtyToFortyRows() {
        const char* const paths[] = {"/newsubs?p=", "/newsubs?t=mv&p=", "/newsubs?t=tv&p="};
        std::set<int> seen[3];
        for (int c = 0; c < 3; ++c) {
            for (int page = 1; page <= demo::kPages; ++page) {
                const auto rows = site_->catalogue().Page(static_cast<Category>(c), page);
                QVERIFY(rows.size() >= 30 && rows.size() <= 40);
                for (const demo::Subtitle* s : rows) {
                    QVERIFY2(seen[c].insert(s->id).second, "a subtitle listed twice");
                    if (c == 1)
                        QVERIFY(!s->series);
                    if (c == 2)
                        QVERIFY(s->series);
                }
                // Cut with the program's own pattern, straight from the served page.
                const Text html = Utf8ToLocalText(
                    demo::ListingHtml(site_->catalogue(), static_cast<Category>(c), page));
                PatternMatcher matcher;
                matcher.Search(kListingPattern, html);
                QCOMPARE(matcher.MatchCount(), static_cast<int>(rows.size()));
                QCOMPARE(LocalToUtf8(matcher.SubmatchText(3, 2)), rows[2]->title);
                QCOMPARE(LocalToUtf8(matcher.SubmatchText(3, 3)), rows[2]->uploaded);
                (void)paths;
            }
        }
        // Over the network too, with CR LF line ends.
        const Text page = FetchText(Https("/newsubs?t=tv&p=12"));
        QVERIFY(Contains(page, "</td>\r\n"));
        PatternMatcher matcher;
        matcher.Search(kListingPattern, page);
        QCOMPARE(matcher.MatchCount(),
                 static_cast<int>(site_->catalogue().Page(Category::Series, 12).size()));
        QVERIFY(FetchText(Https("/newsubs?p=51")).length() > 0);
        QCOMPARE(demo::RowsOnPage(Category::All, 7), demo::RowsOnPage(Category::All, 7));
    }

    void aSubtitleLeadsToItsFiles() {
        int withDouban = 0, zips = 0, srts = 0, asses = 0, linkTotal = 0, withoutLinks = 0;
        const Text host(site_->hostPort());
        for (int page = 1; page <= 3; ++page) {
            for (const demo::Subtitle* s : site_->catalogue().Page(Category::All, page)) {
                const Text detail = FetchText(Https("/detail/" + std::to_string(s->id) + ".html"));
                const Text keywords =
                    TextBetween(detail, "<meta name=\"keywords\" content=\"", "\"");
                QCOMPARE(LocalToUtf8(Split(keywords, ",").at(0)), s->chineseName);
                const Text douban =
                    TextBetween(detail, Text("<li><a href=\"https://") + host, "\"");
                if (s->doubanId) {
                    ++withDouban;
                    QCOMPARE(douban, Text("/subject/" + std::to_string(s->doubanId) + "/"));
                } else {
                    QVERIFY(douban.empty());
                }
                const Text downloadPage = TextBetween(detail, "<a id=\"down1\" href=\"", "\"");
                QVERIFY(downloadPage.view().starts_with("https://" + site_->hostPort() + "/"));
                PatternMatcher links;
                links.Search(kDownloadLinkPattern, FetchText(downloadPage));
                QCOMPARE(links.MatchCount(), s->linkCount);
                withoutLinks += s->linkCount == 0 ? 1 : 0;
                for (int n = 1; n <= links.MatchCount(); ++n, ++linkTotal) {
                    Text headers = "Host: " + host + "\r\nReferer: " + downloadPage;
                    Text returned;
                    FetchText(links.SubmatchText(n, 1), 0, {}, nullptr, nullptr, &headers,
                              &returned, true);
                    const Text location = TextBetween(returned, "Location: ", "\r\n");
                    QVERIFY2(!location.empty(), returned.c_str());
                    const std::string name = location.str().substr(location.str().rfind('/') + 1);
                    const auto file = demo::MakeSubtitleFile(*s, n);
                    QCOMPARE(name, file.name);
                    if (name.ends_with(".zip"))
                        ++zips;
                    if (name.ends_with(".srt"))
                        ++srts;
                    if (name.ends_with(".ass"))
                        ++asses;
                }
            }
        }
        QVERIFY(withDouban > 0 && withoutLinks > 0);
        QVERIFY(zips > 0 && srts > 0 && asses > 0);
        QVERIFY(linkTotal > 100);
    }

    void filesAreServedForSaving() {
        const demo::Subtitle* s = nullptr;
        int link = 0;
        for (const demo::Subtitle& candidate : site_->catalogue().all()) {
            for (int n = 1; n <= candidate.linkCount && !s; ++n) {
                if (demo::MakeSubtitleFile(candidate, n).name.ends_with(".zip")) {
                    s = &candidate;
                    link = n;
                }
            }
            if (s)
                break;
        }
        QVERIFY(s);
        const auto file = demo::MakeSubtitleFile(*s, link);
        const std::string raw = site_->Answer("/files/" + std::to_string(s->id) + "/" +
                                              std::to_string(link) + "/" + file.name);
        QVERIFY(raw.starts_with("HTTP/1.1 200"));
        QVERIFY(raw.find("Content-Disposition: attachment; filename=\"" + file.name + "\"\r\n") !=
                std::string::npos);
        QVERIFY(raw.ends_with(file.bytes));
    }

    void zipPacksAreValidStoredArchives() {
        QCOMPARE(demo::Crc32("123456789"), 0xCBF43926u);  // the standard check value
        const std::vector<demo::ZipEntry> entries = {{"a.chs.srt", "1\r\n00:00:01,000 --> x\r\n"},
                                                     {"b.eng.srt", std::string("\0\xff", 2)}};
        const std::string zip = demo::MakeStoredZip(entries);
        // The end record points at the central directory, whose records point at the entries.
        const std::size_t end = zip.size() - 22;
        QCOMPARE(Read32(zip, end), 0x06054B50u);
        QCOMPARE(Read16(zip, end + 10), 2u);
        std::size_t central = Read32(zip, end + 16);
        QCOMPARE(central + Read32(zip, end + 12), end);
        for (const demo::ZipEntry& entry : entries) {
            QCOMPARE(Read32(zip, central), 0x02014B50u);
            const std::uint32_t crc = Read32(zip, central + 16);
            const std::size_t local = Read32(zip, central + 42);
            QCOMPARE(Read32(zip, local), 0x04034B50u);
            QCOMPARE(Read16(zip, local + 8), 0u);  // stored
            QCOMPARE(Read32(zip, local + 14), crc);
            const std::size_t nameLength = Read16(zip, local + 26);
            QCOMPARE(zip.substr(local + 30, nameLength), entry.name);
            QCOMPARE(zip.substr(local + 30 + nameLength, Read32(zip, local + 18)), entry.data);
            QCOMPARE(crc, demo::Crc32(entry.data));
            central += 46 + Read16(zip, central + 28);
        }
    }

    void searchAndFilmPagesAnswer_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("shows");
        QTest::newRow("site search") << "/search?q=%E6%B2%89%E9%BB%98" << QString::fromUtf8("沉默");
        QTest::newRow("film-source search")
            << "/source/search?q=%E5%AE%89+x" << QString::fromUtf8("安 x");
        QTest::newRow("douban") << "/subject/1234567/" << QString::fromUtf8("豆瓣");
        QTest::newRow("home") << "/" << QString("Lumora");
        QTest::newRow("escaped query") << "/search?q=%3Cb%3E" << QString("&lt;b&gt;");
    }
    void searchAndFilmPagesAnswer() {
        QFETCH(QString, target);
        QFETCH(QString, shows);
        const std::string raw = site_->Answer(target.toStdString());
        QVERIFY(raw.starts_with("HTTP/1.1 200"));
        QVERIFY(QString::fromStdString(raw).contains(shows));
    }
};

QTEST_MAIN(DemoSiteTest)
#include "test_demo_site.moc"
