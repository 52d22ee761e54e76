// Draws, at build time, every picture the main window renders when it opens and while a tile is dragged,
// at device pixel ratios 1 and 2, so that the program starts without drawing a picture:
//   prerender OUTPUT
// The renderings are made by the program's own picture cache, by showing the real window and asking for its
// cursors, so the list of sizes is the window's own. Each ratio is drawn by a child process of this tool run
// at that scale factor; OUTPUT holds them all as one stream (pictures::serialise).

#include "exercise/form1.h"
#include "toolkit/cursors.h"
#include "toolkit/fonts.h"
#include "toolkit/picture.h"
#include "toolkit/picture_cache.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace {

const QStringList Ratios{QStringLiteral("1"), QStringLiteral("2")};
const QString ChildSwitch = QStringLiteral("--at-this-scale");

// In a child: the window shown and painted once, its cursors made, and all the cache drew, to stdout.
int drawAtThisScale(int argc, char *argv[]) {
    QApplication app(argc, argv);
    fonts::installSubstitutes();
    QByteArray stream;
    {
        Form1 form;
        form.show();
        form.grab();
        cursors::hand();
        if (const auto *dropIcon = form.findChild<Picture *>(QStringLiteral("DropIcon"))) {
            cursors::dragIcon(dropIcon->resource());
        } else {
            std::fprintf(stderr, "prerender: the window has no DropIcon\n");
            return 1;
        }
        stream = pictures::serialise(pictures::cached());
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(stream) != stream.size()) {
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // a build needs no screen
    if (argc == 2 && QString::fromLocal8Bit(argv[1]) == ChildSwitch) {
        return drawAtThisScale(argc, argv);
    }
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: prerender OUTPUT\n");
        return 2;
    }
    QList<pictures::Rendering> all;
    for (const QString &ratio : Ratios) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), ratio);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {ChildSwitch});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0) {
            std::fprintf(stderr, "prerender: drawing at ratio %s failed\n", qPrintable(ratio));
            return 1;
        }
        const QList<pictures::Rendering> drawn = pictures::deserialise(child.readAllStandardOutput());
        if (drawn.isEmpty()) {
            std::fprintf(stderr, "prerender: nothing was drawn at ratio %s\n", qPrintable(ratio));
            return 1;
        }
        all += drawn;
    }
    // In one order whatever the cache's, so that a build makes the same file each time.
    std::sort(all.begin(), all.end(), [](const pictures::Rendering &a, const pictures::Rendering &b) {
        return std::tuple(a.resource, a.devicePixelRatio, a.logicalSize.width(), a.logicalSize.height()) <
               std::tuple(b.resource, b.devicePixelRatio, b.logicalSize.width(), b.logicalSize.height());
    });
    QFileInfo(args.at(1)).absoluteDir().mkpath(QStringLiteral("."));
    QSaveFile file(args.at(1));
    if (!file.open(QIODevice::WriteOnly) || file.write(pictures::serialise(all)) < 0 || !file.commit()) {
        std::fprintf(stderr, "prerender: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    std::printf("prerender: %lld renderings\n", static_cast<long long>(all.size()));
    return 0;
}
