#include "exercise/form1.h"
#include "toolkit/centre.h"
#include "toolkit/fonts.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    fonts::installSubstitutes();
    Form1 form;
    centreOnScreen(&form);
    form.show();
    return QApplication::exec();
}
