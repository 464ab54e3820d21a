#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "base/version.h"
#include "ui/app_shell.h"
#include "ui/main_window.h"
#include "widgets/gui_prompts.h"

#ifdef PELMO_BENCH_HOOKS
#include "bench_hooks.h"
#endif

namespace {

struct GuiOptions {
    QCommandLineOption version{{QStringLiteral("V"), QStringLiteral("version")},
                               QStringLiteral("Print the program's version and exit.")};
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("Serial device of the station bus."),
                            QStringLiteral("DEVICE")};
    QCommandLineOption shot{
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to FILE once it shows, then exit."),
        QStringLiteral("FILE")};
};

void describe(QCommandLineParser& parser, const GuiOptions& options) {
    parser.addHelpOption();
    parser.addOption(options.version);
    parser.addOption(options.port);
    parser.addOption(options.shot);
}

// --help and --version need no window system: they are asked over ssh and on headless boxes.
bool asksAboutTheProgram(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* word : {"--version", "-V", "--help", "-h", "--help-all", "-?"}) {
            if (std::strcmp(argv[i], word) == 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const GuiOptions options;
    if (asksAboutTheProgram(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("pelmo"));
        QCommandLineParser parser;
        describe(parser, options);
        // The help ends the program here; a wrong option too, with its message.
        parser.process(core);
        std::printf("pelmo %s\n", qPrintable(pelmo::programVersionText()));
        return 0;
    }
    QApplication app(argc, argv);
    // One name for both programs, so that they share the per-user folders.
    QApplication::setApplicationName(QStringLiteral("pelmo"));
    // No display name: Qt would append it to every window title, cutting the narrow ones.

    QCommandLineParser parser;
    describe(parser, options);
    parser.process(app);

    pelmo::GuiPrompts guiPrompts;
    int rc = 0;
    {
        pelmo::AppShell shell(guiPrompts, pelmo::ProgramPlaces::ofTheProgram(),
                              parser.value(options.port));
        shell.start();
#ifdef PELMO_BENCH_HOOKS
        // Measurement runs of bench.sh, in bench/pelmo_bench only: the shipped program has none.
        const QByteArray bench = qgetenv("PELMO_BENCH");
        if (!bench.isEmpty() && !pelmo::armBenchHooks(shell, bench)) {
            std::fprintf(stderr, "PELMO_BENCH: unknown mode %s\n", bench.constData());
            return 2;
        }
#endif
        if (parser.isSet(options.shot)) {
            const QString file = parser.value(options.shot);
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
    return rc;
}
