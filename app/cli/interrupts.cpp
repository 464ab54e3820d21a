#include "cli/interrupts.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>

#include "link/station_port.h"

namespace pelmo::cli {
namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_first = 0;
volatile std::sig_atomic_t g_count = 0;

extern "C" void onSignal(int signo) {
    if (g_first == 0) {
        g_first = signo;
    }
    g_count = g_count + 1;
    // Only async-signal-safe calls here: the event loop does the rest.
    const int saved = errno;
    const char byte = 1;
    if (g_pipe[1] >= 0) {
        (void)!::write(g_pipe[1], &byte, 1);
    }
    errno = saved;
}

void install(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

Interrupts::Interrupts() {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
    }
    readFd_ = g_pipe[0];
    if (readFd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { signalled(); });
    }
    install(onSignal);
}

Interrupts::~Interrupts() {
    if (link_) {
        link_->admit = nullptr;
    }
    install(SIG_DFL);
}

void Interrupts::watch(LinkContext& link) {
    link_ = &link;
    link.admit = [this](TCommunication& engine, Request request) { return admit(engine, request); };
}

bool Interrupts::requested() {
    return g_count > 0;
}

int Interrupts::exitCode() {
    return g_first == 0 ? 0 : 128 + g_first;
}

bool Interrupts::admit(TCommunication& engine, Request request) {
    if (closed_) {
        return false;
    }
    if (closing_) {
        return &engine == closingEngine_ && request == END_COMM;
    }
    // Once interrupted, a sequence may still acknowledge the answer it got and end its
    // session itself; anything that starts a new exchange is held back.
    const bool allowed = g_count == 0 || request == END_COMM || (request == ACK && g_count == 1);
    if (!allowed) {
        stopLoop();
        return false;
    }
    if (request != ACK) {
        last_ = &engine;
        lastRequest_ = request;
    }
    return true;
}

void Interrupts::signalled() {
    char bytes[16];
    while (::read(readFd_, bytes, sizeof bytes) > 0) {
    }
    if (closing_) {
        // Another signal while the session is being ended: no more waiting.
        if (closingLoop_) {
            closingLoop_->quit();
        }
        return;
    }
    // Nothing on the line: nothing to wait for. Otherwise the next request is held back.
    if (g_count >= 2 || !last_ || !last_->waiting()) {
        stopLoop();
    }
}

void Interrupts::stopLoop() {
    stoppedLoop_ = true;
    if (last_) {
        last_->stop();
    }
    QCoreApplication::exit(exitCode());
}

void Interrupts::endSession(StationPort& port) {
    if (closed_ || closing_ || !link_) {
        return;
    }
    if (last_) {
        last_->stop();
    }
    if (lastRequest_ < 0 || lastRequest_ == END_COMM) {
        closing_ = true;
        drain(port);
        closing_ = false;
        closed_ = true;
        return;
    }
    closing_ = true;
    QEventLoop loop;
    TCommunication engine([&loop](ExchangeResult) { loop.quit(); }, nullptr, port, *link_);
    closingEngine_ = &engine;
    if (g_count >= 2) {
        engine.sendWithoutWaiting(END_COMM);
    } else {
        // The acknowledgement is awaited for one attempt, so that the station has let go of
        // the line before the program ends.
        QTimer check;
        check.setInterval(kPollIntervalMs);
        QObject::connect(&check, &QTimer::timeout, &check, [&] {
            if (!engine.waiting() || engine.ticks() >= kPollsPerAttempt - 1) {
                loop.quit();
            }
        });
        closingLoop_ = &loop;
        engine.send(END_COMM, tableExpectation(END_COMM));
        if (engine.waiting()) {
            check.start();
            loop.exec();
        }
        closingLoop_ = nullptr;
        engine.stop();
    }
    drain(port);
    closingEngine_ = nullptr;
    closing_ = false;
    closed_ = true;
}

void Interrupts::drain(StationPort& port) {
    if (!port.holding() || g_count >= 3) {
        return;
    }
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &check, [&] {
        if (!port.holding()) {
            loop.quit();
        }
    });
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    closingLoop_ = &loop;
    check.start();
    loop.exec();
    closingLoop_ = nullptr;
}

}  // namespace pelmo::cli
