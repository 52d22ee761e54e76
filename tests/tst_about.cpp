#include "about/frmabout.h"
#include "site.h"
#include "testkit.h"
#include "toolkit/cursors.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_cache.h"
#include "toolkit/shell.h"
#include "toolkit/stored_icon.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using testkit::centreOf;
using testkit::depth;
using testkit::ModalWatcher;
using testkit::showActive;
using testkit::TwipsPerPixel;
using testkit::UrlRecorder;

namespace {

constexpr int GuardMilliseconds = 5000;
constexpr int GuardResult = 99;

QRect pixels(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

const QColor DarkGrey(0x40, 0x40, 0x40);
const QColor White(0xFF, 0xFF, 0xFF);

QWidget *child(const QWidget &window, const QString &name) {
    return window.findChild<QWidget *>(name);
}

// The colour of a grab at a point given in logical pixels, whatever the grab's device pixel ratio.
QColor colourAt(const QImage &grab, QPoint logical) {
    return grab.pixelColor((QPointF(logical) * grab.devicePixelRatio()).toPoint());
}

QImage render(const QString &resource, const QSize &size) {
    return pictures::rasterise(resource, size).convertToFormat(QImage::Format_ARGB32);
}

// Rough colour classes for looking at the pictures.
QString colourClass(const QColor &c) {
    constexpr int Faint = 64;
    constexpr int Dark = 80;
    constexpr int Light = 200;
    if (c.alpha() < Faint) {
        return QStringLiteral("clear");
    }
    if (c.red() < Dark && c.green() < Dark && c.blue() < Dark) {
        return QStringLiteral("black");
    }
    if (c.red() > Light && c.green() > Light && c.blue() > Light) {
        return QStringLiteral("white");
    }
    if (c.red() > Light && c.green() < c.blue() && c.blue() > Dark) {
        return QStringLiteral("pink");
    }
    if (c.green() > c.red() && c.green() > c.blue()) {
        return QStringLiteral("green");
    }
    if (c.blue() > c.red() && c.blue() > c.green()) {
        return QStringLiteral("blue");
    }
    return QStringLiteral("other");
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fonts::installSubstitutes(); }
    void init() {
        recorder_.clear();
        recorder_.listen({QStringLiteral("http")});
    }
    void cleanupTestCase() { recorder_.stopListening(); }

    void window() {
        frmAbout about;
        QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(about.windowTitle(), site::ExerciseTitle + QStringLiteral(", 2014"));
        QCOMPARE(about.size(), pixels(0, 0, 8055, 5325).size());
        QCOMPARE(about.windowType(), Qt::Dialog);
        QVERIFY(about.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(about.palette().color(QPalette::Window), DarkGrey);
        const QImage icon = about.windowIcon().pixmap(32).toImage();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon, storedIcon(site::WindowIconResource).pixmap(32).toImage());

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QSize designed = about.size();
        about.resize(designed * 2);
        QCOMPARE(about.size(), designed);
        QCOMPARE(colourAt(about.grab().toImage(), QPoint(10, 345)), DarkGrey); // beside the OK button
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("notice box") << "Comment"
                                    << "QPlainTextEdit" << pixels(60, 4080, 7995, 795);
        QTest::newRow("OK button") << "cmdClose"
                                   << "QPushButton" << pixels(3120, 4980, 1935, 315);
        QTest::newRow("emblem") << "Image1"
                                << "Picture" << pixels(2460, 420, 3195, 3195);
        QTest::newRow("white square") << "logo1"
                                      << "QWidget" << pixels(60, 60, 4005, 4005);
        QTest::newRow("logo card") << "logo2"
                                   << "Picture" << pixels(4020, 60, 4005, 4005);
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QRect, geometry);
        frmAbout about;
        QWidget *control = child(about, name);
        QVERIFY(control != nullptr);
        QVERIFY(control->inherits(className.toLatin1().constData()));
        QCOMPARE(control->geometry(), geometry);
    }

    void creditLine() {
        frmAbout about;
        auto *label = about.findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(label != nullptr);
        const QRect designed = pixels(165, 1260, 3705, 1665);
        QCOMPARE(label->pos(), designed.topLeft());
        QCOMPARE(label->width(), designed.width());
        QCOMPARE(label->font().family(), QStringLiteral("MS Sans Serif"));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pixelSize(), 32); // 24 points at 96 dpi
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        // Its height is that of the wrapped text, which needs more than one line.
        const QFontMetrics metrics(label->font());
        const QRect text = metrics.boundingRect(QRect(0, 0, label->width(), about.height()),
                                                Qt::AlignCenter | Qt::TextWordWrap, label->text());
        QVERIFY2(qAbs(label->height() - text.height()) <= 1,
                 qPrintable(QStringLiteral("%1 for %2").arg(label->height()).arg(text.height())));
        QVERIFY(label->height() > metrics.height() * 2);

        // Green letters drawn straight on the white square: none of the window's grey shows.
        const QImage shot = about.grab().toImage();
        const QRect emblem = child(about, QStringLiteral("Image1"))->geometry();
        int green = 0;
        for (int y = label->y(); y < label->y() + label->height(); ++y) {
            for (int x = label->x(); x < emblem.x(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                QVERIFY2(c != DarkGrey, qPrintable(QStringLiteral("grey at %1,%2").arg(x).arg(y)));
                green += colourClass(c) == QStringLiteral("green") ? 1 : 0;
            }
        }
        QVERIFY(green > 0);
        QCOMPARE(shot.pixelColor(label->x(), label->y()), White);
    }

    void stacking_data() {
        QTest::addColumn<QString>("front");
        QTest::addColumn<QString>("behind");
        QTest::newRow("notice box before OK") << "Comment"
                                              << "cmdClose";
        QTest::newRow("notice box before emblem") << "Comment"
                                                  << "Image1";
        QTest::newRow("OK before emblem") << "cmdClose"
                                          << "Image1";
        QTest::newRow("emblem before credit line") << "Image1"
                                                   << "Label1";
        QTest::newRow("emblem before white square") << "Image1"
                                                    << "logo1";
        QTest::newRow("emblem before logo card") << "Image1"
                                                 << "logo2";
        QTest::newRow("credit line before white square") << "Label1"
                                                         << "logo1";
        QTest::newRow("white square before logo card") << "logo1"
                                                       << "logo2";
    }

    void stacking() {
        QFETCH(QString, front);
        QFETCH(QString, behind);
        frmAbout about;
        QVERIFY(depth(child(about, front)) > depth(child(about, behind)));
    }

    void emblemShowsWhatLiesBehind() {
        frmAbout about;
        QWidget *emblem = child(about, QStringLiteral("Image1"));
        const QImage with = about.grab().toImage();
        emblem->hide();
        const QImage without = about.grab().toImage();
        const QRect r = emblem->geometry();
        constexpr int Inset = 4;
        // The square's corners lie outside the seal: the white square and the logo card show.
        for (const QPoint corner :
             {r.topLeft() + QPoint(Inset, Inset), r.topRight() + QPoint(-Inset, Inset),
              r.bottomLeft() + QPoint(Inset, -Inset), r.bottomRight() - QPoint(Inset, Inset)}) {
            QCOMPARE(colourAt(with, corner), colourAt(without, corner));
        }
        QCOMPARE(colourAt(with, r.topLeft() + QPoint(Inset, Inset)), White);
        // The outer ring at the top of the seal is dark red ink over the white square.
        const QPoint ring(r.center().x(), r.top() + Inset);
        QCOMPARE(colourAt(without, ring), White);
        const QColor ink = colourAt(with, ring);
        QVERIFY2(ink.red() > 2 * ink.green() && ink.red() < 0xC0, qPrintable(ink.name()));
    }

    void texts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK caption") << "cmdClose" << QByteArray("text") << "OK";
        QTest::newRow("credit line") << "Label1" << QByteArray("text")
                                     << QString("Δρ. " + site::AuthorName + ", Χημικός");
        QTest::newRow("emblem tooltip") << "Image1" << QByteArray("toolTip")
                                        << "κλικ για να συνδεθείτε με την ιστοσελίδα του Λυκείου Μιρτάνων";
        QTest::newRow("credit line tooltip")
            << "Label1" << QByteArray("toolTip")
            << QString("κλικ για να συνδεθείτε με τη συλλογή προγραμμάτων του " + site::AuthorNameGenitive);
        QTest::newRow("logo card tooltip")
            << "logo2" << QByteArray("toolTip")
            << QString("κλικ για να συνδεθείτε με την http://" + site::MakerHost);
    }

    void texts() {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        QFETCH(QString, expected);
        frmAbout about;
        QCOMPARE(child(about, name)->property(property.constData()).toString(), expected);
        QVERIFY(!site::AuthorName.isEmpty());
        QVERIFY(site::AuthorNameGenitive != site::AuthorName);
    }

    void notice() {
        frmAbout about;
        auto *comment = about.findChild<QPlainTextEdit *>(QStringLiteral("Comment"));
        QVERIFY(comment != nullptr);
        // One paragraph of about 200 characters, ended by CR LF, which the text box holds as an empty
        // paragraph after the notice.
        QVERIFY(site::AboutNotice.endsWith(QStringLiteral("\r\n")));
        QVERIFY(site::AboutNotice.size() > 150 && site::AboutNotice.size() < 250);
        QCOMPARE(comment->toPlainText(), QString(site::AboutNotice).replace(QStringLiteral("\r\n"), "\n"));
        QCOMPARE(comment->document()->blockCount(), 2);
        QVERIFY(!comment->toPlainText().contains(QStringLiteral("Text1")));
        QCOMPARE(comment->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(comment->verticalScrollBar()->isVisible());
        comment->setFocus();
        const QString before = comment->toPlainText();
        QTest::keyClicks(comment, QStringLiteral("Text1"));
        QTest::keyClick(comment, Qt::Key_Backspace);
        QTest::keyClick(comment, Qt::Key_Delete);
        QCOMPARE(comment->toPlainText(), before);
        QTest::keyClick(comment, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(comment->textCursor().selectedText().size(), before.size());
    }

    void focusAndTabOrder() {
        frmAbout about;
        auto *ok = about.findChild<QPushButton *>(QStringLiteral("cmdClose"));
        QWidget *comment = child(about, QStringLiteral("Comment"));
        QVERIFY(showActive(about));
        QCOMPARE(QApplication::focusWidget(), ok);
        QVERIFY(!ok->isDefault());
        QVERIFY(!ok->autoDefault());
        QTest::keyClick(about.windowHandle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), comment);
        QTest::keyClick(about.windowHandle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ok);
    }

    void keys_data() {
        QTest::addColumn<bool>("onNotice");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Return on OK closes") << false << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("keypad Enter on OK closes")
            << false << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Space on OK closes") << false << int(Qt::Key_Space) << 0 << true;
        QTest::newRow("Escape on OK does nothing") << false << int(Qt::Key_Escape) << 0 << false;
        QTest::newRow("Return on the notice does nothing") << true << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("Escape on the notice does nothing") << true << int(Qt::Key_Escape) << 0 << false;
    }

    void keys() {
        QFETCH(bool, onNotice);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, closes);
        frmAbout about;
        QVERIFY(showActive(about));
        if (onNotice) {
            child(about, QStringLiteral("Comment"))->setFocus();
            QVERIFY(QTest::qWaitFor(
                [&] { return QApplication::focusWidget() == child(about, QStringLiteral("Comment")); }));
        }
        QTest::keyClick(about.windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCoreApplication::processEvents();
        QCOMPARE(about.isVisible(), !closes);
        if (closes) {
            QCOMPARE(about.result(), int(QDialog::Accepted));
        }
    }

    void modalRun_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("endsRun");
        QTest::newRow("OK ends it") << "ok" << true;
        QTest::newRow("close box ends it") << "close box" << true;
        QTest::newRow("Escape does not end it") << "escape" << false;
    }

    void modalRun() {
        QFETCH(QString, way);
        QFETCH(bool, endsRun);
        frmAbout about;
        bool wasModal = false;
        bool openAfter = false;
        QTimer::singleShot(0, &about, [&] {
            wasModal = QApplication::activeModalWidget() == &about;
            if (way == QStringLiteral("ok")) {
                QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("cmdClose")), Qt::LeftButton);
            } else if (way == QStringLiteral("close box")) {
                about.close();
            } else {
                QTest::keyClick(about.windowHandle(), Qt::Key_Escape);
            }
            QCoreApplication::processEvents();
            openAfter = about.isVisible();
            if (openAfter) {
                about.close(); // the close box still works after Escape
            }
        });
        QTimer::singleShot(GuardMilliseconds, &about, [&] { about.done(GuardResult); });
        const int result = about.exec();
        QVERIFY(wasModal);
        QCOMPARE(openAfter, !endsRun);
        QCOMPARE(result, int(QDialog::Accepted));
    }

    void links_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("emblem opens the school's home page") << "Image1" << site::SchoolHomeAddress;
        QTest::newRow("credit line opens the author's collection") << "Label1" << site::CollectionAddress;
        QTest::newRow("logo card opens the maker's site") << "logo2" << site::MakerAddress;
    }

    void links() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QWidget *link = child(about, name);
        QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
        const testkit::CursorUnits units = testkit::cursorUnits(about);
        QCOMPARE(link->cursor().pixmap().devicePixelRatio(), units.pixmapRatio);
        QCOMPARE(link->cursor().hotSpot(), (QPointF(12, 1) * units.hotSpotPerLogicalPixel).toPoint());
        QCOMPARE(link->cursor().pixmap().toImage(), cursors::hand().pixmap().toImage());
        QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {}, centreOf(about, link));
        QCOMPARE(recorder_.urls, QList<QUrl>{QUrl(address)});
#ifdef _WIN32
        QCOMPARE(recorder_.showCommands, QList<int>{SW_SHOWNORMAL});
        QCOMPARE(recorder_.strayCalls, 0);
#endif
        QVERIFY(about.isVisible());
    }

    void linkNeedsAWholeLeftClick_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("opened");
        QTest::newRow("right click on the emblem") << "Image1"
                                                   << "right click" << 0;
        QTest::newRow("released off the credit line") << "Label1"
                                                      << "release outside" << 0;
        QTest::newRow("pressed off the logo card") << "logo2"
                                                   << "press outside" << 0;
        QTest::newRow("double click on the logo card opens once") << "logo2"
                                                                  << "double click" << 1;
        QTest::newRow("double click on the emblem opens once") << "Image1"
                                                               << "double click" << 1;
    }

    void linkNeedsAWholeLeftClick() {
        QFETCH(QString, name);
        QFETCH(QString, gesture);
        QFETCH(int, opened);
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QWindow *window = about.windowHandle();
        const QPoint on = centreOf(about, child(about, name));
        const QPoint off(10, 345); // the bare window beside the OK button
        if (gesture == QStringLiteral("right click")) {
            QTest::mouseClick(window, Qt::RightButton, {}, on);
        } else if (gesture == QStringLiteral("release outside")) {
            QTest::mousePress(window, Qt::LeftButton, {}, on);
            QTest::mouseMove(window, off);
            QTest::mouseRelease(window, Qt::LeftButton, {}, off);
        } else if (gesture == QStringLiteral("press outside")) {
            QTest::mousePress(window, Qt::LeftButton, {}, off);
            QTest::mouseMove(window, on);
            QTest::mouseRelease(window, Qt::LeftButton, {}, on);
        } else {
            QTest::mouseDClick(window, Qt::LeftButton, {}, on);
        }
        QCOMPARE(recorder_.urls.size(), opened);
        QVERIFY(about.isVisible());
    }

    void unopenableLinkShowsNothing() {
        UrlRecorder sink;
        sink.listen({QStringLiteral("http")});
        const auto restore = qScopeGuard([this] { recorder_.listen({QStringLiteral("http")}); });
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        ModalWatcher watcher;
        for (const char *name : {"Image1", "Label1", "logo2"}) {
            QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {},
                              centreOf(about, child(about, QLatin1String(name))));
        }
        QCoreApplication::processEvents();
        QCOMPARE(watcher.seen, QStringList());
        QWidgetList shown;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) {
                shown << w;
            }
        }
        QCOMPARE(shown, QWidgetList{&about});
        QVERIFY(recorder_.urls.isEmpty());
    }

    void centredOnScreen() {
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QPoint screenCentre = about.screen()->geometry().center();
        const QPoint offCentre = about.frameGeometry().center() - screenCentre;
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void pictureSizes_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QSize>("size");
        QTest::newRow("emblem") << ":/pictures/emblem.svg" << QSize(213, 213);
        QTest::newRow("logo card") << ":/pictures/logo_card.svg" << QSize(960, 960);
        QTest::newRow("window icon") << ":/pictures/window_icon.svg" << QSize(32, 32);
        QTest::newRow("hand cursor") << ":/pictures/hand_cursor.svg" << QSize(32, 32);
        QTest::newRow("drag icon") << ":/pictures/drop_icon.svg" << QSize(32, 32);
    }

    void pictureSizes() {
        QFETCH(QString, resource);
        QFETCH(QSize, size);
        QCOMPARE(pictures::naturalSize(resource), size);
    }

    void emblemInkIsDarkRedOnly() {
        const QImage emblem = render(QStringLiteral(":/pictures/emblem.svg"), QSize(213, 213));
        constexpr int Opaque = 160;
        constexpr int Tolerance = 24;
        int ink = 0;
        for (int y = 0; y < emblem.height(); ++y) {
            for (int x = 0; x < emblem.width(); ++x) {
                const QColor c = emblem.pixelColor(x, y);
                if (c.alpha() < Opaque) {
                    continue;
                }
                ++ink;
                QVERIFY2(qAbs(c.red() - 0x80) <= Tolerance && c.green() <= Tolerance && c.blue() <= Tolerance,
                         qPrintable(QStringLiteral("%1 at %2,%3").arg(c.name()).arg(x).arg(y)));
            }
        }
        QVERIFY(ink > 0);
        QVERIFY(ink < emblem.width() * emblem.height() / 2);
        QCOMPARE(emblem.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(emblem.pixelColor(106, 106 + 60).alpha(), 0); // inside the flask
    }

    void pictureLandmarks_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("colour");
        const QString hand = QStringLiteral(":/pictures/hand_cursor.svg");
        const QString drag = QStringLiteral(":/pictures/drop_icon.svg");
        const QString icon = QStringLiteral(":/pictures/window_icon.svg");
        QTest::newRow("hand: fingertip outline at the hot spot") << hand << QPoint(12, 1) << "black";
        QTest::newRow("hand: nothing above the fingertip") << hand << QPoint(12, 0) << "clear";
        QTest::newRow("hand: white finger") << hand << QPoint(12, 6) << "white";
        QTest::newRow("hand: white palm") << hand << QPoint(18, 20) << "white";
        QTest::newRow("hand: blue cuff") << hand << QPoint(18, 29) << "blue";
        QTest::newRow("drag icon: white open hand") << drag << QPoint(9, 13) << "white";
        QTest::newRow("drag icon: wedge below the hand") << drag << QPoint(4, 27) << "green";
        QTest::newRow("drag icon: wedge points right") << drag << QPoint(27, 24) << "green";
        QTest::newRow("drag icon: clear beside the point") << drag << QPoint(28, 19) << "clear";
        QTest::newRow("window icon: pink liquid in the tall glass") << icon << QPoint(6, 20) << "pink";
        QTest::newRow("window icon: green liquid in the flask") << icon << QPoint(17, 25) << "green";
        QTest::newRow("window icon: beaker at the back") << icon << QPoint(27, 22) << "blue";
    }

    void pictureLandmarks() {
        QFETCH(QString, resource);
        QFETCH(QPoint, at);
        QFETCH(QString, colour);
        const QImage picture = render(resource, QSize(32, 32));
        QCOMPARE(colourClass(picture.pixelColor(at)), colour);
    }

private:
    UrlRecorder recorder_;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
