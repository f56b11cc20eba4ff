// The pure pieces of the download path: the Location header, the address handed to the
// transfer, the file name offered and the failure messages.
#include <QTest>

#include "text/codepage.h"
#include "ui/download/download_dialog.h"
#include "ui/download/download_messages.h"
#include "ui/download/location_header.h"
#include "ui/download/suggested_file_name.h"

using namespace varneth;

class DownloadNamesTest : public QObject {
    Q_OBJECT

  private slots:
    void locationHeader_data() {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<QByteArray>("location");
        QTest::newRow("redirect") << QByteArray(
                                         "HTTP/1.1 302 Found\r\nLocation: http://f/a.srt\r\n\r\n")
                                  << QByteArray("http://f/a.srt");
        QTest::newRow("small letters")
            << QByteArray("HTTP/1.1 302 Found\r\nlocation: /a.srt\r\n\r\n") << QByteArray("/a.srt");
        QTest::newRow("Content-Location first is not taken")
            << QByteArray(
                   "HTTP/1.1 302 Found\r\nContent-Location: /wrong\r\nLocation: /right\r\n\r\n")
            << QByteArray("/right");
        QTest::newRow("spaces and tabs around the value")
            << QByteArray("HTTP/1.1 301 Moved\r\nLOCATION:\t  /a b.srt  \r\n\r\n")
            << QByteArray("/a b.srt");
        QTest::newRow("no space after the colon")
            << QByteArray("HTTP/1.1 302 Found\r\nLocation:/x\r\n\r\n") << QByteArray("/x");
        QTest::newRow("first of two")
            << QByteArray("HTTP/1.1 302 Found\r\nLocation: /1\r\nLocation: /2\r\n\r\n")
            << QByteArray("/1");
        QTest::newRow("no Location")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n") << QByteArray();
        QTest::newRow("nothing received (5000 spaces)") << QByteArray(5000, ' ') << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("name inside another header's value")
            << QByteArray("HTTP/1.1 302 Found\r\nX-Note: Location: /no\r\n\r\n") << QByteArray();
    }
    void locationHeader() {
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, location);
        QCOMPARE(QByteArray::fromStdString(LocationHeaderValue(Text(headers.toStdString())).str()),
                 location);
    }

    void transferAddress_data() {
        QTest::addColumn<QString>("address");  // UTF-8; the program holds it in code page 936
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << "https://f.example/a/b.srt?x=1&y=%20"
                               << QByteArray("https://f.example/a/b.srt?x=1&y=%20");
        QTest::newRow("Chinese as UTF-8")
            << QStringLiteral("http://f/字幕.srt") << QByteArray("http://f/%E5%AD%97%E5%B9%95.srt");
        QTest::newRow("space and quote")
            << "http://f/a b\".srt" << QByteArray("http://f/a%20b%22.srt");
    }
    void transferAddress() {
        QFETCH(QString, address);
        QFETCH(QByteArray, encoded);
        QCOMPARE(TransferAddress(Local(address.toStdString())), encoded);
    }

    void contentDisposition_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted") << QByteArray("attachment; filename=\"a b.srt\"") << "a b.srt";
        QTest::newRow("token") << QByteArray("attachment; filename=a.srt") << "a.srt";
        QTest::newRow("name case, spaces")
            << QByteArray("attachment ;  FileName = \"a.srt\"") << "a.srt";
        QTest::newRow("semicolon and escaped quote inside quotes")
            << QByteArray("attachment; filename=\"a;\\\"b.srt\"") << "a;\"b.srt";
        QTest::newRow("filename* first even when it comes later")
            << QByteArray("attachment; filename=\"plain.srt\"; filename*=UTF-8''%E4%B8%AD.srt")
            << QStringLiteral("中.srt");
        QTest::newRow("filename* in GBK")
            << QByteArray("attachment; filename*=GBK''%D6%D0%CE%C4.srt")
            << QStringLiteral("中文.srt");
        QTest::newRow("filename* invalid UTF-8 falls back")
            << QByteArray("attachment; filename*=UTF-8''%FF%FE.srt; filename=ok.srt") << "ok.srt";
        QTest::newRow("raw UTF-8 in filename=")
            << QByteArray("attachment; filename=\"\xE4\xB8\xAD.srt\"") << QStringLiteral("中.srt");
        QTest::newRow("raw code page 936 in filename=")
            << QByteArray("attachment; filename=\"\xD6\xD0\xCE\xC4.srt\"")
            << QStringLiteral("中文.srt");
        QTest::newRow("percent-encoded UTF-8 in filename=")
            << QByteArray("attachment; filename=%E4%B8%AD.srt") << QStringLiteral("中.srt");
        QTest::newRow("percent sign that is no encoding")
            << QByteArray("attachment; filename=\"100%25 done.srt\"") << "100%25 done.srt";
        QTest::newRow("no name") << QByteArray("inline") << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void contentDisposition() {
        QFETCH(QByteArray, value);
        QFETCH(QString, name);
        QCOMPARE(FileNameFromContentDisposition(value), name);
    }

    void addressName_data() {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("last segment") << QByteArray("https://h/a/b/c.zip") << "c.zip";
        QTest::newRow("query and fragment dropped")
            << QByteArray("http://h/a.srt?x=/y.exe#z") << "a.srt";
        QTest::newRow("percent-decoded UTF-8")
            << QByteArray("http://h/%E4%B8%AD%20a.srt") << QStringLiteral("中 a.srt");
        QTest::newRow("percent-decoded code page 936")
            << QByteArray("http://h/%D6%D0.srt") << QStringLiteral("中.srt");
        QTest::newRow("encoded slash stays one name")
            << QByteArray("http://h/a%2Fb.srt") << "a/b.srt";
        QTest::newRow("trailing slash") << QByteArray("http://h/dir/") << "";
        QTest::newRow("host alone") << QByteArray("http://h") << "";
    }
    void addressName() {
        QFETCH(QByteArray, address);
        QFETCH(QString, name);
        QCOMPARE(FileNameFromAddress(address), name);
    }

    void safeFileName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << "movie.srt"
                               << "movie.srt";
        QTest::newRow("folders dropped") << "../../etc/passwd"
                                         << "passwd";
        QTest::newRow("windows folders dropped") << "C:\\Users\\x\\a.srt"
                                                 << "a.srt";
        QTest::newRow("dot-dot alone") << ".."
                                       << "subtitle";
        QTest::newRow("leading dots: not hidden") << "...profile"
                                                  << "profile";
        QTest::newRow("trailing dots and spaces") << "a.srt. . "
                                                  << "a.srt";
        QTest::newRow("control characters removed") << QString("a\x01\nb\x7F.srt") << "ab.srt";
        QTest::newRow("bidirectional override removed")
            << QString::fromUtf8("a\xE2\x80\xAEtrs.exe") << "atrs.exe";
        QTest::newRow("characters Windows forbids") << "a<b>c:d\"e|f?g*h.srt"
                                                    << "a_b_c_d_e_f_g_h.srt";
        QTest::newRow("device name") << "con.srt"
                                     << "_con.srt";
        QTest::newRow("empty") << ""
                               << "subtitle";
        QTest::newRow("only slashes") << "///"
                                      << "subtitle";
        QTest::newRow("Chinese kept")
            << QStringLiteral("字幕 第1集.ass") << QStringLiteral("字幕 第1集.ass");
    }
    void safeFileName() {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(SafeFileName(name), safe);
    }

    void longNamesKeepTheirExtension() {
        const QString chinese = QString(150, QChar(0x5B57)) + ".srt";  // 3 bytes each in UTF-8
        const QString cut = SafeFileName(chinese);
        QVERIFY(cut.toUtf8().size() <= kMaxFileNameBytes);
        QVERIFY(cut.toUtf8().size() > kMaxFileNameBytes - 3);
        QVERIFY(cut.endsWith(".srt"));
        QCOMPARE(cut.count(QChar(0x5B57)), (kMaxFileNameBytes - 4) / 3);

        const QString emoji =
            QString("x").repeated(10) + QString::fromUtf8("\xF0\x9F\x98\x80").repeated(100);
        const QString cutEmoji = SafeFileName(emoji);
        QVERIFY(cutEmoji.toUtf8().size() <= kMaxFileNameBytes);
        QVERIFY(!cutEmoji.back().isHighSurrogate());  // no character split in half

        const QString longExtension = "a." + QString(300, 'e');
        QVERIFY(SafeFileName(longExtension).toUtf8().size() <= kMaxFileNameBytes);
    }

    void suggestedNamePrefersTheServer() {
        QCOMPARE(
            SuggestedFileName("attachment; filename=\"x.srt\"", "http://h/y.srt", "http://h/z"),
            QString("x.srt"));
        QCOMPARE(SuggestedFileName("", "http://h/y.srt", "http://h/z.srt"), QString("y.srt"));
        QCOMPARE(SuggestedFileName("attachment; filename=\"..\"", "", "http://h/z.srt"),
                 QString("z.srt"));
        QCOMPARE(SuggestedFileName("", "", ""), QString("subtitle"));
    }

    void failureMessagesNameTheirCause() {
        DownloadResult result;
        result.end = DownloadEnd::ServerStatus;
        result.statusLine = "HTTP/1.1 503 Service Unavailable";
        QVERIFY(DownloadFailureMessage(result, {}).contains("503 Service Unavailable"));
        QVERIFY(!DownloadFailureMessage(result, {}).contains("HTTP/1.1"));
        result.end = DownloadEnd::DiskFailed;
        result.path = "/full/disk.srt";
        QVERIFY(DownloadFailureMessage(result, {}).contains("/full/disk.srt"));
        result.end = DownloadEnd::Saved;
        QVERIFY(DownloadFailureMessage(result, {}).isEmpty());
        result.end = DownloadEnd::Cancelled;
        QVERIFY(DownloadFailureMessage(result, {}).isEmpty());
    }
};

QTEST_MAIN(DownloadNamesTest)
#include "test_download_names.moc"
