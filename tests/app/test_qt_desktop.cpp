// The real desktop hand-offs: the browser through xdg-open (a fake one on PATH records what it
// was given) and the message box.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/qt_desktop.h"
#include "text/codepage.h"

using namespace varneth;

class QtDesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void addressesBecomeUnicodeUrls_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << "http://127.0.0.1:8080/detail/1.html"
                               << QByteArray("http://127.0.0.1:8080/detail/1.html");
        QTest::newRow("chinese query") << QString::fromUtf8("https://h/search?q=沉默的 追踪者")
                                       << QByteArray(
                                              "https://h/search?q=%E6%B2%89%E9%BB%98%E7%9A%84%20"
                                              "%E8%BF%BD%E8%B8%AA%E8%80%85");
        QTest::newRow("hash and ampersand stay")
            << "http://h/search?q=a&b#c" << QByteArray("http://h/search?q=a&b#c");
    }
    void addressesBecomeUnicodeUrls() {
        QFETCH(QString, address);
        QFETCH(QByteArray, encoded);
        const QUrl url = AddressToUrl(Local(address.toStdString()));
        QVERIFY(url.isValid());
        QCOMPARE(url.toEncoded(), encoded);
        QVERIFY(!AddressToUrl(Text()).isValid());
    }

    void browserOpensOnceThroughXdgOpen() {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("the browser hand-off runs under X");
        QTemporaryDir bin;
        const QString log = bin.filePath("opened.log");
        QFile script(bin.filePath("xdg-open"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(log).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", (bin.path() + ":" + qEnvironmentVariable("PATH")).toUtf8());

        QtDesktop desktop;
        desktop.OpenInBrowser(Text());  // nothing to open
        desktop.OpenInBrowser(Local("http://127.0.0.1:9/search?q=中文"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 5000);
        QTest::qWait(300);  // a second, unwanted start would have written by now
        QFile opened(log);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QCOMPARE(opened.readAll(), QByteArray("http://127.0.0.1:9/search?q=%E4%B8%AD%E6%96%87\n"));
    }

    void messageBox_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("with a title")
            << QString::fromUtf8("链接未找到") << QString::fromUtf8("链接未找到");
        QTest::newRow("without a title") << QString() << QString::fromUtf8("信息：");
    }
    void messageBox() {
        QFETCH(QString, title);
        QFETCH(QString, shownTitle);
        bool seen = false;
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), shownTitle);
            QCOMPARE(box->text(), QString::fromUtf8("<b>该影片尚无豆瓣链接！</b>"));
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
            QCOMPARE(box->parentWidget(), nullptr);
            QCOMPARE(box->windowModality(), Qt::ApplicationModal);
            box->buttons().first()->click();
        });
        QtDesktop desktop;
        desktop.ShowMessage(Local("<b>该影片尚无豆瓣链接！</b>"), Local(title.toStdString()));
        QVERIFY(seen);
    }
};

QTEST_MAIN(QtDesktopTest)
#include "test_qt_desktop.moc"
