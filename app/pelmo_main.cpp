#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "base/version.h"
#include "bench_hooks.h"
#include "history/history_database.h"
#include "ui/app_shell.h"
#include "ui/gui_prompts.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    // Answered before the application exists: no display is needed to ask.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-V") == 0) {
            std::printf("pelmo %s\n", qPrintable(pelmo::programVersionText()));
            return 0;
        }
    }
    QApplication app(argc, argv);
    // One name for both programs, so that they share the per-user folders.
    QApplication::setApplicationName(QStringLiteral("pelmo"));
    // No display name: Qt would append it to every window title, cutting the narrow ones.

    QCommandLineParser parser;
    parser.addHelpOption();
    // Only for the help: main() answers --version before the application starts.
    const QCommandLineOption versionOption({QStringLiteral("V"), QStringLiteral("version")},
                                           QStringLiteral("Print the program's version and exit."));
    parser.addOption(versionOption);
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Serial device of the station bus."),
                                        QStringLiteral("DEVICE"));
    parser.addOption(portOption);
    const QCommandLineOption shotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to FILE once it shows, then exit."),
        QStringLiteral("FILE"));
    parser.addOption(shotOption);
    parser.process(app);

    pelmo::setHistoryDatabasePath(pelmo::defaultHistoryDatabasePath());
    pelmo::GuiPrompts guiPrompts;
    pelmo::setPrompts(&guiPrompts);
    int rc = 0;
    {
        pelmo::AppShell shell(parser.value(portOption));
        shell.start();
        // Measurement runs of bench/bench.sh only.
        const QByteArray bench = qgetenv("PELMO_BENCH");
        if (!bench.isEmpty() && !pelmo::armBenchHooks(shell, bench)) {
            std::fprintf(stderr, "PELMO_BENCH: unknown mode %s\n", bench.constData());
            return 2;
        }
        if (parser.isSet(shotOption)) {
            const QString file = parser.value(shotOption);
            pelmo::TZobrStanice* window = &shell.mainWindow();
            QTimer::singleShot(500, window, [window, file] {
                QDir().mkpath(QFileInfo(file).absolutePath());
                const bool saved = window->grab().save(file);
                std::fprintf(saved ? stdout : stderr, "%s%s\n", saved ? "" : "cannot write ",
                             qPrintable(file));
                QCoreApplication::exit(saved ? 0 : 1);
            });
        }
        rc = app.exec();
    }
    pelmo::setPrompts(nullptr);
    return rc;
}
