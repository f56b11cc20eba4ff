// The real hand-off to the browser: the searched and the linked addresses go through the
// program's desktop seam and QDesktopServices to xdg-open. A fake xdg-open first on PATH records
// what it was given, and a private Xvfb provides the desktop platform whose services call it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/qt_desktop.h"
#include "ui/browser/link_actions.h"
#include "ui/browser/search_box.h"
#include "ui/common/shared_state.h"

extern char** environ;

namespace {

// An X server of our own on a display number it picks itself; stopped when this goes away.
class PrivateXServer {
  public:
    PrivateXServer() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string displayFd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb",    "-displayfd", displayFd.c_str(), "-nolisten", "tcp",
                              "-screen", "0",          "1024x768x24",     nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int failed =
            posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (failed != 0) {
            pid_ = -1;
            close(fds[0]);
            return;
        }
        // Xvfb writes the display number once it accepts clients.
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            display_ += c;
        close(fds[0]);
    }
    ~PrivateXServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool running() const { return pid_ > 0 && !display_.empty(); }
    std::string display() const { return ":" + display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

QString gLogPath;

QStringList OpenedAddresses() {
    QFile log(gLogPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class BrowserHandoffTest : public QObject {
    Q_OBJECT

  private slots:
    void addressesReachXdgOpenOnceAndEncoded() {
        QWidget window;
        auto* list = new QTreeWidget(&window);
        auto* edit = new QLineEdit(&window);
        auto* button = new QPushButton(QString::fromUtf8("搜索字幕"), &window);
        auto* menu = new QMenu(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(list);
        layout->addWidget(edit);
        layout->addWidget(button);
        list->setColumnCount(4);
        new QTreeWidgetItem(list, {"/sub/1.html", "1", "x", "y"});
        for (const char* caption : {"打开Lumora链接", "打开片源链接", "打开豆瓣链接"}) {
            menu->addAction(QString::fromUtf8(caption));
        }
        varneth::QtDesktop desktop;
        varneth::SharedState state;
        state.addresses = varneth::SiteAddresses::ForHost("127.0.0.1:9", "127.0.0.1");
        state.desktop = &desktop;
        varneth::SearchBox box(edit, button, state);
        varneth::LinkActions actions(list, menu, state);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        box.OnSearchBoxGotFocus();  // the hint gives way to black, empty text
        edit->setText("A&B #1");
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(OpenedAddresses().size(), 1, 10000);

        edit->setText(QString::fromUtf8("钢铁侠"));
        button->click();
        QTRY_COMPARE_WITH_TIMEOUT(OpenedAddresses().size(), 2, 10000);

        list->topLevelItem(0)->setSelected(true);
        menu->actions().at(0)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(OpenedAddresses().size(), 3, 10000);

        QTest::qWait(300);  // each address is opened once: nothing comes late
        // Each line: the number of arguments xdg-open got, then the first.
        QCOMPARE(OpenedAddresses(),
                 (QStringList{"1 https://127.0.0.1:9/search?q=A%26B%20%231",
                              "1 https://127.0.0.1:9/search?q=%E9%92%A2%E9%93%81%E4%BE%A0",
                              "1 http://127.0.0.1:9/sub/1.html"}));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir bin;
    if (!bin.isValid())
        return 2;
    gLogPath = bin.filePath("opened.txt");
    {
        QFile fake(bin.filePath("xdg-open"));
        if (!fake.open(QIODevice::WriteOnly))
            return 2;
        fake.write("#!/bin/sh\nprintf '%s %s\\n' \"$#\" \"$1\" >> \"$VARNETH_FAKE_XDG_LOG\"\n");
        fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray path = QFile::encodeName(bin.path()) + ":" + qgetenv("PATH");
    setenv("PATH", path.constData(), 1);
    setenv("VARNETH_FAKE_XDG_LOG", QFile::encodeName(gLogPath).constData(), 1);
    // Nothing may pick another browser or a desktop-specific opener.
    unsetenv("DEFAULT_BROWSER");
    unsetenv("BROWSER");
    unsetenv("XDG_CURRENT_DESKTOP");
    unsetenv("DESKTOP_SESSION");

    PrivateXServer xserver;
    if (!xserver.running()) {
        std::fprintf(stderr, "Xvfb did not start (package xvfb)\n");
        return 1;
    }
    setenv("DISPLAY", xserver.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    int result = 0;
    {
        QApplication app(argc, argv);
        BrowserHandoffTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    return result;
}

#include "test_search_box_browser_handoff.moc"
