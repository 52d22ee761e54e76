// The yardstick for the exercise's start-up: an empty main window of the exercise's client size with
// the same seven-item menu bar, started the way app/main.cpp starts the exercise.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    QMenuBar *bar = window.menuBar();
    bar->setNativeMenuBar(false);
    for (const char *caption :
         {"Βοήθεια", "Έλεγχος", "Απ' την αρχή", "Φύλλο εργασίας", "|", "Περί...", "Έξοδος"}) {
        bar->addAction(QString::fromUtf8(caption));
    }
    auto *client = new QWidget(&window);
    client->setFixedSize(657, 618);
    window.setCentralWidget(client);
    window.adjustSize();
    // Centred as the exercise is (toolkit/centre.cpp), without linking the exercise library.
    if (const QScreen *screen = window.screen()) {
        const QRect area = screen->geometry();
        const QSize outer = window.frameGeometry().size();
        window.move(area.x() + (area.width() - outer.width()) / 2,
                    area.y() + (area.height() - outer.height()) / 2);
    }
#ifdef __EMSCRIPTEN__
    window.showNormal(); // the browser's Qt would show it maximized, as the exercise's page does not
#else
    window.show();
#endif
    return QApplication::exec();
}
