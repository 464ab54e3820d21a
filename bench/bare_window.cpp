// The reference for the program's start-up: the barest Qt Widgets window, shown, and the
// same "bench idle <CLOCK_MONOTONIC ns> cpu_us=<processor time>" line at its first idle event
// loop, then exit.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(800, 600);
    window.show();
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &window, [&window] {
                         if (!window.isVisible()) {
                             return;
                         }
                         timespec ts{};
                         clock_gettime(CLOCK_MONOTONIC, &ts);
                         timespec cpu{};
                         clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
                         std::printf(
                             "bench idle %lld cpu_us=%lld\n",
                             static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec,
                             static_cast<long long>(cpu.tv_sec) * 1000000LL + cpu.tv_nsec / 1000);
                         std::fflush(stdout);
                         QCoreApplication::exit(0);
                     });
    return app.exec();
}
