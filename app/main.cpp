#include "exercise/form1.h"
#include "site.h"
#include "toolkit/centre.h"
#include "toolkit/fonts.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(site::DesktopId);
    fonts::installSubstitutes();
    Form1 form;
    centreOnScreen(&form);
    form.show();
    return QApplication::exec();
}
