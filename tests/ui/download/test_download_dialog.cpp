// The download dialog against the loopback site: what is saved, what is offered as the name,
// and that failures and cancels leave nothing behind.
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "download_test_support.h"
#include "trickle_server.h"
#include "ui/download/download_dialog.h"

using varneth::DownloadDialogHooks;
using varneth::RunDownloadDialog;
using varneth::Text;
using varneth::testing::Fault;
using varneth::testing::MakeResponse;
using varneth::testing::TrustedServer;
using varneth::testing::WhenModalAppears;

namespace {

std::string RandomBytes(std::size_t size) {
    std::string bytes(size, '\0');
    auto* generator = QRandomGenerator::global();
    for (char& c : bytes)
        c = static_cast<char>(generator->bounded(256));
    return bytes;
}

QByteArray Sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string FileResponse(const std::string& body,
                         std::vector<std::pair<std::string, std::string>> headers = {}) {
    headers.insert(headers.begin(), {"Content-Type", "application/octet-stream"});
    return MakeResponse(200, "OK", headers, body);
}

// Records what the dialog asks and says; saves under `folder` with the offered name.
struct Recorder {
    QString folder;
    QString saveAs;  // overrides the offered name when set
    bool refuseToChoose = false;
    int chooseAfterMs = 0;  // a user who takes a while: the body arrives meanwhile
    std::function<void(QProgressDialog&)> onProgress;

    QStringList offeredNames;
    QStringList messages;
    int progressShows = 0;

    DownloadDialogHooks Hooks() {
        DownloadDialogHooks hooks;
        hooks.askSavePath = [this](const QString& name) {
            offeredNames << name;
            if (chooseAfterMs > 0)
                QTest::qWait(chooseAfterMs);
            if (refuseToChoose)
                return QString();
            return QDir(folder).filePath(saveAs.isEmpty() ? name : saveAs);
        };
        hooks.showMessage = [this](const QString& text) { messages << text; };
        hooks.progressShown = [this](QProgressDialog& progress) {
            ++progressShows;
            if (onProgress)
                onProgress(progress);
        };
        return hooks;
    }
};

// Files this process holds open in `folder`, named or not (an unnamed temporary file counts).
int OpenFilesIn(const QString& folder) {
    int open = 0;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files)) {
        if (fd.symLinkTarget().startsWith(folder + "/"))
            ++open;
    }
    return open;
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

}  // namespace

class DownloadDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        site_ = std::make_unique<TrustedServer>();
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        recorder_ = Recorder{};
        recorder_.folder = folder_->path();
    }
    void cleanup() {
        site_.reset();
        folder_.reset();
    }

    void savesExactlyTheServedBytes_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("knownLength");
        QTest::addColumn<bool>("https");
        QTest::addColumn<int>("chooseAfterMs");
        QTest::newRow("small text file")
            << QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n") << true << true << 0;
        QTest::newRow("empty file") << QByteArray() << true << true << 0;
        QTest::newRow("6 MB of binary, https")
            << QByteArray::fromStdString(RandomBytes(6 << 20)) << true << true << 0;
        QTest::newRow("3 MB over http, no length, ended by close")
            << QByteArray::fromStdString(RandomBytes(3 << 20)) << false << false << 0;
        QTest::newRow("2 MB all held aside while the user chooses")
            << QByteArray::fromStdString(RandomBytes(2 << 20)) << true << true << 700;
    }
    void savesExactlyTheServedBytes() {
        QFETCH(QByteArray, body);
        QFETCH(bool, knownLength);
        QFETCH(bool, https);
        QFETCH(int, chooseAfterMs);
        recorder_.chooseAfterMs = chooseAfterMs;
        const std::string raw =
            knownLength ? FileResponse(body.toStdString())
                        : "HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nConnection: "
                          "close\r\n\r\n" +
                              body.toStdString();
        site_->server.Route("/files/movie.zip", raw);

        RunDownloadDialog(Text(site_->Address("/files/movie.zip", https)), recorder_.Hooks());

        QCOMPARE(recorder_.messages, QStringList());
        QCOMPARE(recorder_.offeredNames, QStringList{"movie.zip"});
        const QString saved = QDir(folder_->path()).filePath("movie.zip");
        QCOMPARE(Sha256(FileBytes(saved)), Sha256(body));
        QCOMPARE(FileBytes(saved).size(), body.size());
        QCOMPARE(FilesIn(folder_->path()), QStringList{"movie.zip"});  // no temporary left
    }

    void replacesAnExistingFileOnlyWhenComplete() {
        const QString target = QDir(folder_->path()).filePath("movie.srt");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old subtitle");
        old.close();
        site_->server.Route("/movie.srt", FileResponse("new subtitle"));

        RunDownloadDialog(Text(site_->Address("/movie.srt")), recorder_.Hooks());

        QCOMPARE(FileBytes(target), QByteArray("new subtitle"));
        QCOMPARE(FilesIn(folder_->path()), QStringList{"movie.srt"});
    }

    void offersTheNameTheServerGives_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("contentDisposition");
        QTest::addColumn<QString>("offered");
        QTest::newRow("filename*= in UTF-8 wins over filename=")
            << "/dl?id=7"
            << "attachment; filename=\"fallback.srt\"; "
               "filename*=UTF-8''%E5%AD%97%E5%B9%95.srt"
            << QStringLiteral("字幕.srt");
        QTest::newRow("filename= with folders") << "/dl?id=7"
                                                << "attachment; filename=\"../../.bashrc\""
                                                << "bashrc";
        QTest::newRow("no header: the address's last segment, decoded")
            << "/files/%E7%94%B5%E5%BD%B1%20A.ass"
            << "" << QStringLiteral("电影 A.ass");
        QTest::newRow("no name anywhere") << "/files/"
                                          << ""
                                          << "subtitle";
    }
    void offersTheNameTheServerGives() {
        QFETCH(QString, target);
        QFETCH(QString, contentDisposition);
        QFETCH(QString, offered);
        std::vector<std::pair<std::string, std::string>> headers;
        if (!contentDisposition.isEmpty()) {
            headers.push_back({"Content-Disposition", contentDisposition.toStdString()});
        }
        site_->server.Route(target.toStdString(), FileResponse("x", headers));

        RunDownloadDialog(Text(site_->Address(target.toStdString())), recorder_.Hooks());

        QCOMPARE(recorder_.offeredNames, QStringList{offered});
        QCOMPARE(FileBytes(QDir(folder_->path()).filePath(offered)), QByteArray("x"));
    }

    void offersTheNameOfTheAddressRedirectedTo() {
        site_->server.Route("/dl/42",
                            MakeResponse(302, "Found", {{"Location", "/store/final%20name.srt"}},
                                         "<html>moved</html>"));
        site_->server.Route("/store/final%20name.srt", FileResponse("file body"));

        RunDownloadDialog(Text(site_->Address("/dl/42")), recorder_.Hooks());

        QCOMPARE(recorder_.offeredNames, QStringList{"final name.srt"});
        QCOMPARE(FileBytes(QDir(folder_->path()).filePath("final name.srt")),
                 QByteArray("file body"));
    }

    // Each failure names its cause, saves nothing and leaves the file already there untouched.
    void failuresLeaveNoFileAndKeepTheExistingOne_data() {
        QTest::addColumn<QString>("staged");
        QTest::addColumn<bool>("asksForPlace");
        QTest::addColumn<QString>("cause");
        QTest::newRow("connection closed mid-body") << "close" << true << "连接中断";
        QTest::newRow("server error status") << "404" << false << "404 Not Found";
        QTest::newRow("a web page instead of the file") << "html" << false << "网页";
        QTest::newRow("certificate not trusted") << "untrusted" << false << "安全连接";
        QTest::newRow("nothing listening") << "refused" << false << "无法连接";
        QTest::newRow("a relative address") << "relative" << false << "地址无效";
        QTest::newRow("the place cannot be written") << "disk" << true << "无法写入文件";
        QTest::newRow("not http or https") << "ftp" << false << "地址无效";
        QTest::newRow("endless redirects") << "loop" << false << "跳转的次数太多";
    }
    void failuresLeaveNoFileAndKeepTheExistingOne() {
        QFETCH(QString, staged);
        QFETCH(bool, asksForPlace);
        QFETCH(QString, cause);
        recorder_.saveAs = "movie.srt";
        const QString target = QDir(folder_->path()).filePath("movie.srt");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old subtitle");
        old.close();

        std::string address = site_->Address("/movie.srt");
        if (staged == "close") {
            site_->server.RouteFault("/movie.srt", Fault::CloseMidBody,
                                     FileResponse(RandomBytes(512 * 1024)));
        } else if (staged == "404") {
            site_->server.Route("/movie.srt", MakeResponse(404, "Not Found",
                                                           {{"Content-Type", "text/plain"}}, "no"));
        } else if (staged == "html") {
            site_->server.Route(
                "/movie.srt",
                MakeResponse(200, "OK", {{"Content-Type", "text/html; charset=utf-8"}},
                             "<html><body>login first</body></html>"));
        } else if (staged == "untrusted") {
            site_->server.ServeUntrusted(true);
            site_->server.Route("/movie.srt", FileResponse("x"));
        } else if (staged == "refused") {
            address = "http://127.0.0.1:1/movie.srt";
        } else if (staged == "disk") {
            site_->server.Route("/movie.srt", FileResponse(RandomBytes(300000)));
            recorder_.saveAs = "no such folder/movie.srt";
        } else if (staged == "relative") {
            address = "/movie.srt";
        } else if (staged == "loop") {
            site_->server.Route("/movie.srt",
                                MakeResponse(302, "Found", {{"Location", "/movie.srt"}}, ""));
        } else if (staged == "ftp") {
            address = "ftp://" + site_->server.hostPort() + "/movie.srt";
        }

        RunDownloadDialog(Text(address), recorder_.Hooks());

        QCOMPARE(recorder_.offeredNames.size(), asksForPlace ? 1 : 0);
        QCOMPARE(recorder_.messages.size(), 1);
        QVERIFY2(recorder_.messages.first().contains(cause),
                 qPrintable(recorder_.messages.first()));
        QVERIFY(recorder_.messages.first().startsWith(QStringLiteral("下载失败")));
        QCOMPARE(FileBytes(target), QByteArray("old subtitle"));
        QCOMPARE(FilesIn(folder_->path()), QStringList{"movie.srt"});
    }

    void cancelLeavesNoFileAndKeepsTheExistingOne_data() {
        QTest::addColumn<QString>("when");
        QTest::newRow("in the save dialog") << "choosing";
        QTest::newRow("after the head, before any body") << "head";
        QTest::newRow("halfway through the body") << "halfway";
        QTest::newRow("before the server answers") << "connecting";
        QTest::newRow("the program ending, halfway") << "exit";
    }
    void cancelLeavesNoFileAndKeepsTheExistingOne() {
        QFETCH(QString, when);
        recorder_.saveAs = "movie.srt";
        const QString target = QDir(folder_->path()).filePath("movie.srt");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old subtitle");
        old.close();
        if (when == "connecting") {
            // A server that accepts and never answers: only the cancel ends the wait.
            site_->server.Route("/movie.srt", [](const varneth::testing::RecordedRequest&) {
                QThread::msleep(1500);
                return FileResponse("late");
            });
        } else if (when != "halfway" && when != "exit") {
            // The head arrives, then the body never does: only the cancel ends the transfer.
            site_->server.RouteFault("/movie.srt", Fault::Stall,
                                     FileResponse(std::string(100000, 'x')));
        }
        // Half the body arrives and is written beside the target, then the server goes quiet.
        varneth::testing::TrickleServer trickle(1 << 20, 1 << 19);
        recorder_.refuseToChoose = when == "choosing";
        const int pressAtShow = when == "connecting" ? 1 : 2;
        recorder_.onProgress = [&](QProgressDialog& progress) {
            if (recorder_.progressShows != pressAtShow)
                return;
            auto* cancel = progress.findChild<QPushButton*>();
            QVERIFY(cancel);
            // Halfway: press once the half body has been received and placed beside the target.
            const bool halfway = when == "halfway" || when == "exit";
            const int delayMs = halfway ? 1500 : 50;
            if (when == "exit") {
                QTimer::singleShot(delayMs, [] { varneth::platform::CancelAllTransfers(); });
                return;
            }
            QTimer::singleShot(delayMs, cancel, [cancel, this, halfway] {
                // Halfway, the body is already being written in the target's folder.
                if (halfway)
                    openBeforeCancel_ = OpenFilesIn(folder_->path());
                QTest::mouseClick(cancel, Qt::LeftButton);
            });
        };

        QElapsedTimer clock;
        clock.start();
        const std::string address = when == "halfway" || when == "exit"
                                        ? trickle.Address("/movie.srt")
                                        : site_->Address("/movie.srt");
        RunDownloadDialog(Text(address), recorder_.Hooks());

        QVERIFY(clock.elapsed() < 5000);  // the cancel ended it, not a time-out
        if (when == "halfway" || when == "exit")
            QCOMPARE(openBeforeCancel_, 1);
        QCOMPARE(OpenFilesIn(folder_->path()), 0);
        QCOMPARE(recorder_.messages, QStringList());  // the user cancelled: nothing to say
        QCOMPARE(FileBytes(target), QByteArray("old subtitle"));
        QCOMPARE(FilesIn(folder_->path()), QStringList{"movie.srt"});
    }

    // The real save dialog and the real message box, each closed by the test as a user would.
    void realSaveDialogWritesTheFile() {
        site_->server.Route("/real.srt", FileResponse("real body"));
        const QString target = QDir(folder_->path()).filePath("chosen.srt");
        QString offered;
        WhenModalAppears<QFileDialog>([&](QFileDialog* dialog) {
            offered = dialog->selectedFiles().value(0);
            dialog->selectFile(target);
            QMetaObject::invokeMethod(dialog, "accept");
        });

        RunDownloadDialog(Text(site_->Address("/real.srt")));

        QCOMPARE(QFileInfo(offered).fileName(), QString("real.srt"));
        QCOMPARE(FileBytes(target), QByteArray("real body"));
    }

    void realMessageBoxNamesTheFailure() {
        site_->server.Route("/gone.srt", MakeResponse(410, "Gone", {}, ""));
        QString title;
        QString text;
        bool hasIcon = true;
        WhenModalAppears<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            hasIcon = box->icon() != QMessageBox::NoIcon;
            box->button(QMessageBox::Ok)->click();
        });

        RunDownloadDialog(Text(site_->Address("/gone.srt")));

        QCOMPARE(title, QStringLiteral("信息："));
        QVERIFY2(text.contains("410 Gone"), qPrintable(text));
        QVERIFY(!hasIcon);
    }

    // Look at the progress dialog: rendered while a stalled body is on its way.
    void rendersTheProgressDialog() {
        site_->server.RouteFault("/big.zip", Fault::Stall, FileResponse(std::string(4 << 20, 'x')));
        recorder_.onProgress = [&](QProgressDialog& progress) {
            if (recorder_.progressShows != 2)
                return;
            QTimer::singleShot(300, &progress, [&progress] {
                const QString out = qEnvironmentVariable("VARNETH_SHOTS_DIR");
                if (!out.isEmpty())
                    progress.grab().save(out + "/progress_dialog.png");
                QTest::mouseClick(progress.findChild<QPushButton*>(), Qt::LeftButton);
            });
        };
        RunDownloadDialog(Text(site_->Address("/big.zip")), recorder_.Hooks());
        QCOMPARE(recorder_.progressShows, 2);
        QCOMPARE(recorder_.messages, QStringList());
    }

  private:
    std::unique_ptr<TrustedServer> site_;
    std::unique_ptr<QTemporaryDir> folder_;
    Recorder recorder_;
    int openBeforeCancel_ = -1;
};

QTEST_MAIN(DownloadDialogTest)
#include "test_download_dialog.moc"
