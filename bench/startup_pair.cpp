// Times two start-up probes as whole processes, alternating them run by run:
//
//   startup_pair RUNS EXERCISE_PROBE BARE_PROBE
//
// Each probe quits after its first full paint and prints "first-paint-ns N", the time from launch
// (STARTUP_LAUNCH_NS, set here just before the process starts) to that paint. For each side the runner
// keeps the launch-to-first-paint time, the launch-to-exit time and the peak resident memory (from the
// kernel's rusage of the finished process), and prints their medians and the exercise/bare ratios.
// One discarded warm-up run of each comes first, so that both start with warm file caches.
//
// With STARTUP_EMULATOR set (Wine, for the probes built for Windows), each probe is started through it,
// and its first paint is timed by this runner's clock, when the probe's report arrives on the pipe:
// the probe's own clock is then Windows', not this machine's.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Run {
    double firstPaintMs = 0;
    double exitMs = 0;
    double peakMiB = 0;
    double cpuMs = 0;
};

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

bool runOnce(const char *program, Run &run) {
    int out[2];
    if (pipe(out) != 0) {
        return false;
    }
    const char *emulator = std::getenv("STARTUP_EMULATOR");
    if (emulator && !*emulator) {
        emulator = nullptr;
    }
    const long long launched = monotonicNanoseconds();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        if (const int quiet = open("/dev/null", O_WRONLY); quiet >= 0) {
            dup2(quiet, STDERR_FILENO); // Qt's start-up notices would drown the table
            close(quiet);
        }
        close(out[0]);
        close(out[1]);
        setenv("STARTUP_LAUNCH_NS", std::to_string(launched).c_str(), 1);
        if (emulator) {
            execl(emulator, emulator, program, static_cast<char *>(nullptr));
        } else {
            execl(program, program, static_cast<char *>(nullptr));
        }
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    long long reported = 0;
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
        if (reported == 0 && text.find('\n', text.find("first-paint-ns ")) != std::string::npos) {
            reported = monotonicNanoseconds();
        }
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const long long exited = monotonicNanoseconds();
    const auto at = text.find("first-paint-ns ");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos) {
        std::fprintf(stderr, "%s did not report its first paint (status %d)\n", program, status);
        return false;
    }
    run.firstPaintMs = emulator ? static_cast<double>(reported - launched) / 1e6
                                : std::strtod(text.c_str() + at + 15, nullptr) / 1e6;
    run.exitMs = static_cast<double>(exited - launched) / 1e6;
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
    const auto ms = [](const timeval &t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Field> std::vector<double> column(const std::vector<Run> &runs, Field field) {
    std::vector<double> values;
    for (const Run &run : runs) {
        values.push_back(run.*field);
    }
    return values;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS EXERCISE_PROBE BARE_PROBE\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const char *programs[2] = {argv[2], argv[3]};
    std::vector<Run> results[2];
    Run warmUp;
    for (const char *program : programs) {
        if (!runOnce(program, warmUp)) {
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (int side = 0; side < 2; ++side) {
            // Alternate which side goes first, so neither always follows the other.
            const int which = (i % 2 == 0) ? side : 1 - side;
            Run run;
            if (!runOnce(programs[which], run)) {
                return 1;
            }
            results[which].push_back(run);
        }
    }
    struct Row {
        const char *name;
        double Run::*field;
        const char *unit;
    };
    const Row rows[] = {{"launch to first paint", &Run::firstPaintMs, "ms"},
                        {"launch to exit", &Run::exitMs, "ms"},
                        {"peak resident memory", &Run::peakMiB, "MiB"},
                        {"processor time", &Run::cpuMs, "ms"}};
    std::printf("%-24s %12s %12s %8s   (medians of %d alternated runs)\n", "", "exercise", "bare", "ratio",
                runs);
    for (const Row &row : rows) {
        const double exercise = median(column(results[0], row.field));
        const double bare = median(column(results[1], row.field));
        std::printf("%-24s %9.2f %-3s %8.2f %-3s %7.3f\n", row.name, exercise, row.unit, bare, row.unit,
                    exercise / bare);
    }
    return 0;
}
