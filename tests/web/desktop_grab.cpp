// Grabs the desktop program's window as it opens, its client area below the menu bar, into a PNG file,
// at the screen's pixel ratio (QT_SCALE_FACTOR sets it), for the browser suite to set the page's
// screenshots against: the same design drawn by the same program.
//
//   web_grab FILE.png

#include "exercise/form1.h"
#include "toolkit/fonts.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: web_grab FILE.png\n");
        return 2;
    }
    fonts::installSubstitutes();
    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    QWidget *client = form.findChild<QWidget *>(QStringLiteral("client"));
    return client != nullptr && client->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
