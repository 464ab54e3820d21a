#include <gtest/gtest.h>

#include <QCoreApplication>

// Engines own QTimers and ports emit Qt signals, so every test binary has an application
// object; nothing waits on its event loop unless a test processes events explicitly.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
