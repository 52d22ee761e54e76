// Renders an SVG picture to square PNG icons for the desktop's hicolor theme:
//   render_icon [--on=#RRGGBB] PICTURE.svg THEME_FOLDER NAME SIZE...
// writes THEME_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each size. With --on, the icon is opaque: the
// colour fills the whole square and the picture is drawn within its central 60%, which stays whole under
// any launcher's mask (a maskable icon's safe zone is the central circle of 80% of the side, and a square
// in it is at most 57% wide; the picture's own corners are empty) and under the rounded corners iOS
// gives a touch icon.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // a build needs no screen
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    QColor background; // invalid: a transparent icon, the picture filling it
    if (args.size() > 1 && args.at(1).startsWith(QLatin1String("--on="))) {
        background = QColor::fromString(args.at(1).mid(5));
        if (!background.isValid()) {
            std::fprintf(stderr, "render_icon: not a colour: %s\n", qPrintable(args.at(1)));
            return 2;
        }
        args.removeAt(1);
    }
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: render_icon [--on=#RRGGBB] PICTURE.svg THEME_FOLDER NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0 || size > 4096) {
            std::fprintf(stderr, "render_icon: not a size: %s\n", qPrintable(args.at(i)));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(background.isValid() ? background : QColor(Qt::transparent));
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            const qreal side = background.isValid() ? size * 0.6 : size;
            const qreal margin = (size - side) / 2;
            renderer.render(&painter, QRectF(margin, margin, side, side));
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, args.at(3));
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
