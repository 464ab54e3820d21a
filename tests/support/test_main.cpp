#include <gtest/gtest.h>

#include <QTemporaryDir>

#ifdef PELMO_TEST_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

// Engines own QTimers and ports emit Qt signals, so every test binary has an application
// object; nothing waits on its event loop unless a test processes events explicitly.
// Suites that open windows define PELMO_TEST_WIDGETS and get a QApplication.
int main(int argc, char** argv) {
    // pelmo-cli started by a test keeps its history here, never in the operator's folder.
    const QTemporaryDir history;
    qputenv("PELMO_HISTORY_DB", history.filePath(QStringLiteral("history.sqlite")).toLocal8Bit());
#ifdef PELMO_TEST_WIDGETS
    // Windows never need a display here, also when ctest lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
