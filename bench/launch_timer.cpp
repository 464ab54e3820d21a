// Starts a program and times it from just before its start to the moment it reports its
// first idle event loop ("bench idle <CLOCK_MONOTONIC ns> cpu_us=<processor time>" on
// standard output), then waits for it and reads its peak resident size. Prints one line:
//   startup_ms=<best> cpu_ms=<best> maxrss_kb=<largest> ok=<1 when every run exited 0>
// usage: launch_timer RUNS PROGRAM [ARGS...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

long long monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

struct Run {
    long long startupNs = -1;
    long long cpuUs = -1;
    long maxrssKb = 0;
    bool ok = false;
};

Run runOnce(char** argv) {
    Run run;
    int out[2];
    if (pipe(out) != 0) {
        return run;
    }
    const long long started = monotonicNs();
    const pid_t child = fork();
    if (child < 0) {
        return run;
    }
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    close(out[1]);
    // Everything the child prints passes through; the idle line is also read.
    std::string pending;
    char buf[4096];
    ssize_t got;
    while ((got = read(out[0], buf, sizeof buf)) > 0) {
        std::fwrite(buf, 1, static_cast<std::size_t>(got), stderr);
        pending.append(buf, static_cast<std::size_t>(got));
        const auto at = pending.find("bench idle ");
        if (run.startupNs < 0 && at != std::string::npos &&
            pending.find('\n', at) != std::string::npos) {
            run.startupNs = std::atoll(pending.c_str() + at + 11) - started;
            const auto cpu = pending.find("cpu_us=", at);
            if (cpu != std::string::npos) {
                run.cpuUs = std::atoll(pending.c_str() + cpu + 7);
            }
        }
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) == child) {
        run.maxrssKb = usage.ru_maxrss;
        run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.startupNs >= 0;
    }
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: launch_timer RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    long long best = -1;
    long long bestCpu = -1;
    long maxrss = 0;
    bool ok = true;
    for (int i = 0; i < runs; ++i) {
        const Run r = runOnce(argv + 2);
        ok = ok && r.ok;
        if (r.startupNs >= 0 && (best < 0 || r.startupNs < best)) {
            best = r.startupNs;
        }
        if (r.cpuUs >= 0 && (bestCpu < 0 || r.cpuUs < bestCpu)) {
            bestCpu = r.cpuUs;
        }
        maxrss = std::max(maxrss, r.maxrssKb);
    }
    std::printf("startup_ms=%.1f cpu_ms=%.1f maxrss_kb=%ld ok=%d\n",
                static_cast<double>(best) / 1e6, static_cast<double>(bestCpu) / 1e3, maxrss,
                ok ? 1 : 0);
    return ok ? 0 : 1;
}
