// Varneth: browse Lumora's newest subtitles and download them.
#include <QApplication>

#include "app/start_program.h"

int main(int argc, char** argv) {
    // The program takes no command line: Qt sees the program name only.
    (void)argc;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Varneth"));
    QGuiApplication::setDesktopFileName(QStringLiteral("varneth"));
    return varneth::StartProgram();
}
