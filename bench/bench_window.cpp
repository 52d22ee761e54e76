// In-process timings of the exercise window with Google Benchmark, driven by real input events sent to
// the window the way the tests drive it (tests/testkit). Run headless:
//
//   QT_QPA_PLATFORM=offscreen bench_window --benchmark_repetitions=20 --benchmark_report_aggregates_only
//   QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 bench_window ...   (device pixel ratio 2)
//
// Each timed operation includes the repaint it causes (the event loop runs until nothing is left).

#include "exercise/form1.h"
#include "tests/testkit.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_cache.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <vector>

using namespace testkit;

namespace {

constexpr int PixelsPerStep = 3;

Form1 *form = nullptr;

void settle() {
    QApplication::processEvents();
}

void trigger(const char *action) {
    form->findChild<QAction *>(QLatin1String(action))->trigger();
    settle();
}

bool dragging() {
    return QApplication::overrideCursor() != nullptr;
}

// A tray tile of `kind` that lies on top of its stack.
int topTileOfKind(int kind) {
    for (int n = kind; n < TileCount; n += KindCount) {
        if (tile(*form, n)->twipGeometry().top <= TrayLine) {
            return tileUnder(*form, centreOf(*form, tile(*form, n)))
                ->objectName()
                .section(QLatin1Char('_'), 1)
                .toInt();
        }
    }
    return -1;
}

// Puts the right compound on every reaction, so that all the boxes a pupil can use are visible.
void placeEveryReaction() {
    for (int r = 0; r < ReactionCount; ++r) {
        dragTile(*form, topTileOfKind(RightKind.at(static_cast<std::size_t>(r))),
                 centreOf(*form, reaction(*form, r)));
    }
    settle();
}

std::vector<QLineEdit *> visibleBoxes() {
    std::vector<QLineEdit *> boxes;
    for (int k = 0; k < BoxCount; ++k) {
        if (box(*form, k)->isVisible()) {
            boxes.push_back(box(*form, k));
        }
    }
    return boxes;
}

// The longest text a box takes: as many digits as it accepts.
void fillToTheLimit(QLineEdit *coefficient) {
    coefficient->setText(QString(coefficient->maxLength(), QLatin1Char('7')));
}

// A closed path through the client area that keeps a dragged tile going: along rows from the tray to
// the last reaction, clear of the edge margin and of the information text (either would end the drag).
std::vector<QPoint> sweepPath() {
    const QWidget *area = client(*form);
    constexpr int Inset = 20;
    const int left = Inset;
    const int right = area->width() - Inset;
    const int top = Inset;
    const int bottom = control(*form, QStringLiteral("Label2_13"))->y() - Inset;
    std::vector<QPoint> path;
    bool rightwards = true;
    for (int y = top; y <= bottom; y += 40) {
        for (int step = 0; step <= (right - left) / PixelsPerStep; ++step) {
            const int x = rightwards ? left + step * PixelsPerStep : right - step * PixelsPerStep;
            path.push_back(area->mapTo(form, QPoint(x, y)));
        }
        for (int down = 1; down < 40 / PixelsPerStep && y + down * PixelsPerStep <= bottom; ++down) {
            path.push_back(area->mapTo(form, QPoint(rightwards ? right : left, y + down * PixelsPerStep)));
        }
        rightwards = !rightwards;
    }
    // Back up to the start along the left edge, so that the path can be repeated.
    const QPoint last = path.back();
    for (QPoint at = last; at.x() > area->mapTo(form, QPoint(left, 0)).x(); at.rx() -= PixelsPerStep) {
        path.push_back(at);
    }
    for (QPoint at(area->mapTo(form, QPoint(left, 0)).x(), last.y());
         at.y() > area->mapTo(form, QPoint(0, top)).y(); at.ry() -= PixelsPerStep) {
        path.push_back(at);
    }
    return path;
}

// One pointer move during a drag across the whole window, and the repaint of what it changed.
void BM_DragMove(benchmark::State &state) {
    trigger("mnuRestart");
    const std::vector<QPoint> path = sweepPath();
    const int carried = topTileOfKind(0);
    press(*form, centreOf(*form, tile(*form, carried)));
    std::size_t next = 0;
    for (int warm = 0; warm < 20; ++warm) { // the drag icon's first showing is not part of a move
        moveTo(*form, path.at(next++));
        settle();
    }
    const std::uint64_t rendersBefore = pictures::renderCount();
    for (auto _ : state) {
        moveTo(*form, path.at(next));
        settle();
        next = (next + 1) % path.size();
    }
    const auto renders = static_cast<double>(pictures::renderCount() - rendersBefore);
    const bool stillDragging = dragging();
    // The tile hangs centred above the pointer: it must have followed the last move.
    const QPoint lastPointer = path.at((next + path.size() - 1) % path.size());
    const bool followed = std::abs(centreOf(*form, tile(*form, carried)).x() - lastPointer.x()) <= 1;
    release(*form, path.at(next));
    settle();
    state.counters["renders"] = renders;
    state.counters["pixel_ratio"] = form->devicePixelRatioF();
    if (!stillDragging) {
        state.SkipWithError("the drag ended on the way");
    } else if (!followed) {
        state.SkipWithError("the tile did not follow the pointer");
    } else if (renders != 0) {
        state.SkipWithError("pictures were rendered during the drag");
    }
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMillisecond);

// One keystroke into a box that already holds the longest text a box takes (no argument), or a text of
// the given length: a Backspace and a digit in turn, so that the box keeps its length.
void BM_Keystroke(benchmark::State &state) {
    trigger("mnuRestart");
    placeEveryReaction();
    QLineEdit *coefficient = box(*form, 0);
    const int length = state.range(0) > 0 ? static_cast<int>(state.range(0)) : coefficient->maxLength();
    coefficient->setText(QString(length, QLatin1Char('7')));
    coefficient->setFocus();
    coefficient->end(false);
    settle();
    bool erase = true;
    for (auto _ : state) {
        if (erase) {
            QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);
        } else {
            QTest::keyClick(form->windowHandle(), Qt::Key_7, Qt::NoModifier);
        }
        settle();
        erase = !erase;
    }
    state.counters["length"] = length;
    if (coefficient->text().size() < length - 1) {
        state.SkipWithError("the keystrokes did not reach the box");
    }
}
// 0: the box's own limit; the shorter texts show how the cost grows with the length of the line.
BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1024)->Arg(4096)->Arg(8192)->Unit(benchmark::kMillisecond);

// One Check with every visible box holding the longest text a box takes.
void BM_CheckFullBoxes(benchmark::State &state) {
    trigger("mnuRestart");
    placeEveryReaction();
    const std::vector<QLineEdit *> boxes = visibleBoxes();
    for (auto _ : state) {
        state.PauseTiming();
        for (QLineEdit *coefficient : boxes) {
            fillToTheLimit(coefficient);
        }
        settle();
        state.ResumeTiming();
        trigger("mnuCheck");
    }
    state.counters["boxes"] = static_cast<double>(boxes.size());
}
// Each Check needs the boxes filled again, outside the timing: a fixed count keeps the run short.
BENCHMARK(BM_CheckFullBoxes)->Iterations(40)->Unit(benchmark::kMillisecond);

// One Restart from a worked window: every reaction holding its compound, every box at its limit.
void BM_Restart(benchmark::State &state) {
    qint64 a = 0, b = 0;
    for (auto _ : state) {
        state.PauseTiming();
        trigger("mnuRestart");
        placeEveryReaction();
        for (QLineEdit *coefficient : visibleBoxes()) {
            fillToTheLimit(coefficient);
        }
        settle();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        form->findChild<QAction *>(QLatin1String("mnuRestart"))->trigger();
        a += t.nsecsElapsed();
        t.restart();
        settle();
        b += t.nsecsElapsed();
    }
    state.counters["action_ms"] = double(a) / 1e6 / double(state.iterations());
    state.counters["settle_ms"] = double(b) / 1e6 / double(state.iterations());
}
BENCHMARK(BM_Restart)->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    fonts::installSubstitutes();
    benchmark::Initialize(&argc, argv);
    Form1 window;
    form = &window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return 1;
    }
    window.repaint();
    settle();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
