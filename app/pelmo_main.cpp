#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "ui/gui_prompts.h"
#include "ui/main_window.h"
#include "ui/serial_host.h"
#include "ui/texts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(pelmo::kApplicationTitle));

    QCommandLineParser parser;
    parser.addHelpOption();
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

    pelmo::GuiPrompts guiPrompts;
    pelmo::setPrompts(&guiPrompts);

    // Created in this order: the main window, then the hidden serial host.
    pelmo::TForm1* hostPtr = nullptr;
    auto host = std::make_unique<pelmo::TForm1>();
    hostPtr = host.get();
    pelmo::TZobrStanice mainWindow(*hostPtr);
    if (parser.isSet(portOption)) {
        hostPtr->port().setDevice(parser.value(portOption));
    }
    hostPtr->startLineMonitoring();
    mainWindow.show();
    if (parser.isSet(shotOption)) {
        const QString file = parser.value(shotOption);
        QTimer::singleShot(500, &mainWindow, [&mainWindow, file] {
            QDir().mkpath(QFileInfo(file).absolutePath());
            const bool saved = mainWindow.grab().save(file);
            std::fprintf(saved ? stdout : stderr, "%s%s\n", saved ? "" : "cannot write ",
                         qPrintable(file));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    const int rc = app.exec();
    pelmo::setPrompts(nullptr);
    return rc;
}
