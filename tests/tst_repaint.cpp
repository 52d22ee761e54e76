// Dragging a tile repaints only what the tile covers and uncovers, so that a drag stays smooth on
// a modest school computer: the other reaction pictures, the other stacks of tiles and the labels
// are never asked to paint.

#include "exercise/form1.h"
#include "testkit.h"

#include <QApplication>
#include <QSet>
#include <QTest>

using namespace testkit;

namespace {

class PaintWatch : public QObject {
public:
    explicit PaintWatch(const QWidget &form) {
        for (QWidget *control : form.findChildren<QWidget *>()) {
            control->installEventFilter(this);
        }
    }
    QSet<QString> painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            painted.insert(watched->objectName());
        }
        return false;
    }
};

} // namespace

class TestRepaint : public QObject {
    Q_OBJECT

private slots:
    void dragRepaintsOnlyWhatTheTileCrosses() {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.repaint(); // the first full paint, done before watching
        QApplication::processEvents();

        // Carry the top tile of the leftmost stack straight down onto the first reaction.
        int carried = -1;
        for (int n = 0; n < KindCount; ++n) {
            if (tile(form, n)->twipGeometry().left == TrayLefts[0]) {
                carried = n;
            }
        }
        QVERIFY(carried >= 0);
        PaintWatch watch(form);
        const QPoint from = centreOf(form, tile(form, carried));
        press(form, from);
        constexpr int Steps = 20;
        for (int step = 1; step <= Steps; ++step) {
            moveTo(form, from + QPoint(0, step * 3));
            QApplication::processEvents();
        }
        release(form, from + QPoint(0, Steps * 3));
        QApplication::processEvents();

        QVERIFY(watch.painted.contains(tile(form, carried)->objectName()));
        const QStringList untouched{"ImgSyntactic_1", "ImgSyntactic_2", "ImgSyntactic_3",
                                    "ImgSyntactic_4", "Label2_13",      "LGrade"};
        for (const QString &name : untouched) {
            QVERIFY2(!watch.painted.contains(name), qPrintable(name + " was repainted"));
        }
        for (int n = 0; n < TileCount; ++n) {
            const bool otherStack = n % KindCount != carried % KindCount;
            QVERIFY2(!otherStack || !watch.painted.contains(tile(form, n)->objectName()),
                     qPrintable(tile(form, n)->objectName() + " of another stack was repainted"));
        }
    }
};

QTEST_MAIN(TestRepaint)
#include "tst_repaint.moc"
