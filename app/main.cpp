#include "exercise/form1.h"
#include "site.h"
#include "toolkit/centre.h"
#include "toolkit/fonts.h"

#include <QApplication>

#ifdef __EMSCRIPTEN__
#include "toolkit/page.h"
#endif

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(site::DesktopId);
    fonts::installSubstitutes();
    Form1 form;
#ifdef __EMSCRIPTEN__
    // In the browser the window is the page's content, fitted to the viewport, and the page is told
    // when the exercise ends.
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &page::announceEnd);
    page::showFitted(&form);
#else
    centreOnScreen(&form);
    form.show();
#endif
    return QApplication::exec();
}
