// Prints how long an empty main window and the exercise window each take from construction to
// their first full paint, best of a few runs after a warm-up. The exercise should be in the same
// range as the empty window: its pictures are parsed once and rendered once per size.

#include "exercise/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int Runs = 5;
constexpr QSize EmptyWindowSize(657, 640);

template <typename MakeWindow> double bestMilliseconds(MakeWindow makeWindow) {
    double best = std::numeric_limits<double>::max();
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        {
            auto window = makeWindow();
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get())) {
                std::fprintf(stderr, "window never exposed\n");
            }
            window->grab(); // forces the first full paint
        }
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[]) {
    QElapsedTimer first;
    first.start();
    QApplication app(argc, argv);
    {
        Form1 cold;
        cold.show();
        if (QTest::qWaitForWindowExposed(&cold)) {
            cold.grab();
        }
    }
    const double coldStart = static_cast<double>(first.nsecsElapsed()) / 1e6;
    const double empty = bestMilliseconds([] {
        auto window = std::make_unique<QMainWindow>();
        window->resize(EmptyWindowSize);
        return window;
    });
    const double exercise = bestMilliseconds([] { return std::make_unique<Form1>(); });
    std::printf("cold start to first paint: %.1f ms\n", coldStart);
    std::printf("empty window: %.2f ms, exercise window: %.2f ms (best of %d)\n", empty, exercise, Runs);
    return 0;
}
