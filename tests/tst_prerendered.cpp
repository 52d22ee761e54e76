// The pictures drawn at build time and stored with the program: at this run's pixel ratio they are every
// rendering the main window makes when it opens and while a tile is carried, each the very pixels the
// window draws itself without them, so that it opens without drawing a picture and shows the same.
//
// The comparison is with the window's own drawing, not with pictures drawn alone: Qt's text rendering
// keeps state between drawings (glyphs drawn before change how later ones come out), so a picture with
// text drawn on its own may differ from the same picture drawn as the window opens, which is what the
// build's tool stores.

#include "exercise/form1.h"
#include "toolkit/cursors.h"
#include "toolkit/fonts.h"
#include "toolkit/picture.h"
#include "toolkit/picture_cache.h"
#include "toolkit/stored_icon.h"

#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(pictures::Rendering)

namespace {

QString keyOf(const pictures::Rendering &rendering) {
    return QStringLiteral("%1 %2x%3 at %4")
        .arg(rendering.resource)
        .arg(rendering.logicalSize.width())
        .arg(rendering.logicalSize.height())
        .arg(rendering.devicePixelRatio);
}

} // namespace

class TestPrerendered : public QObject {
    Q_OBJECT
    // What the window drew for itself, by key, made once before any test draws anything else.
    QMap<QString, QImage> drawnByWindow_;

private slots:
    void initTestCase() {
        // As the program starts, but drawing every picture itself.
        pictures::setBuiltInUsed(false);
        fonts::installSubstitutes();
        Form1 form(1u);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.grab();
        cursors::hand();
        cursors::dragIcon(form.findChild<Picture *>(QStringLiteral("DropIcon"))->resource());
        for (const pictures::Rendering &rendering : pictures::cached()) {
            drawnByWindow_.insert(keyOf(rendering), rendering.image);
        }
        pictures::setBuiltInUsed(true);
    }

    // The program carries both common ratios, and at this one exactly what the window renders.
    void storedAreTheWindowsRenderings() {
        QSet<qreal> ratios;
        QStringList storedHere;
        const qreal ratio = qApp->devicePixelRatio();
        for (const pictures::Rendering &rendering : pictures::builtIn()) {
            ratios.insert(rendering.devicePixelRatio);
            if (rendering.devicePixelRatio == ratio) {
                storedHere.push_back(keyOf(rendering));
            }
        }
        QCOMPARE(ratios, (QSet<qreal>{1.0, 2.0}));
        storedHere.sort();
        // 5 tiles, 5 reactions, the hand and the carried tile's cursor.
        QCOMPARE(drawnByWindow_.size(), 12);
        QCOMPARE(storedHere, drawnByWindow_.keys());
    }

    void storedIsWhatTheWindowDraws_data() {
        QTest::addColumn<pictures::Rendering>("stored");
        for (const pictures::Rendering &rendering : pictures::builtIn()) {
            if (rendering.devicePixelRatio == qApp->devicePixelRatio()) {
                QTest::newRow(qPrintable(keyOf(rendering))) << rendering;
            }
        }
    }

    void storedIsWhatTheWindowDraws() {
        QFETCH(pictures::Rendering, stored);
        QCOMPARE(stored.image.size(), (QSizeF(stored.logicalSize) * stored.devicePixelRatio).toSize());
        const QImage drawn = drawnByWindow_.value(keyOf(stored));
        QCOMPARE(stored.image.format(), drawn.format());
        QCOMPARE(stored.image, drawn);
    }

    // The cache hands out the stored rendering as its own: the same pixels at the asked ratio, counted once.
    void cacheTakesTheStoredRendering() {
        const pictures::Rendering stored = pictures::builtIn().constFirst();
        const QPixmap first = pictures::render(stored.resource, stored.logicalSize, stored.devicePixelRatio);
        const auto count = pictures::renderCount();
        const QPixmap again = pictures::render(stored.resource, stored.logicalSize, stored.devicePixelRatio);
        QCOMPARE(pictures::renderCount(), count);
        QCOMPARE(first.devicePixelRatio(), stored.devicePixelRatio);
        QImage pixels = again.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        pixels.setDevicePixelRatio(1);
        QCOMPARE(pixels, stored.image);
    }

    // Damaged or foreign streams give no renderings, and a stream keeps premultiplied pixels exactly,
    // half-transparent ones too.
    void streamsRoundTripExactly_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("expected");
        QImage image(7, 3, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                image.setPixel(x, y, qRgba(x * 9, y * 30, x * y, 40 + x * 20));
            }
        }
        const QByteArray good =
            pictures::serialise({{QStringLiteral(":/a.svg"), QSize(7, 3), 1, image},
                                 {QStringLiteral(":/b.svg"), QSize(7, 3), 1, image.mirrored()}});
        QTest::newRow("two renderings") << good << 2;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("not a stream") << QByteArray("<svg/>") << 0;
        QTest::newRow("cut short") << good.left(good.size() - 5) << 0;
    }

    void streamsRoundTripExactly() {
        QFETCH(QByteArray, stream);
        QFETCH(int, expected);
        const QList<pictures::Rendering> renderings = pictures::deserialise(stream);
        QCOMPARE(renderings.size(), expected);
        if (expected > 0) {
            QCOMPARE(renderings.at(0).image.pixel(6, 2), qRgba(54, 60, 12, 160));
            QCOMPARE(renderings.at(1).image, renderings.at(0).image.mirrored());
        }
    }

    // The window icon is the PNG sizes drawn at build time, decoded when asked for, without the SVG icon
    // engine: a stored size as it was drawn, another scaled down from the next larger one.
    void windowIconIsTheStoredSizes_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("drawnSide");
        QTest::newRow("16, as drawn") << 16 << 16;
        QTest::newRow("128, as drawn") << 128 << 128;
        QTest::newRow("48, from 64") << 48 << 64;
        QTest::newRow("400, the largest") << 400 << 128;
    }

    void windowIconIsTheStoredSizes() {
        QFETCH(int, side);
        QFETCH(int, drawnSide);
        const QIcon icon = storedIcon(QStringLiteral(":/pictures/window_icon.svg"));
        QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {64, 64}, {128, 128}}));
        QImage shown = icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        shown.setDevicePixelRatio(1);
        const QImage drawn(QStringLiteral(":/prerendered/icons/window_icon/%1.png").arg(drawnSide));
        QCOMPARE(shown.size(), QSize(std::min(side, drawnSide), std::min(side, drawnSide)));
        if (side >= drawnSide) {
            QCOMPARE(shown, drawn.convertToFormat(QImage::Format_ARGB32));
        }
    }

#ifdef WINDOWS_ICON_FILE
    // The Windows program's .ico, read by Qt's own icon reader: every size Explorer and the taskbar ask
    // for, each the window icon's PNG of that size, pixel for pixel (the small ones as bitmaps with a
    // mask, the large ones as PNG).
    void windowsIconHoldsEverySize() {
        QImageReader reader(QStringLiteral(WINDOWS_ICON_FILE), "ico");
        QList<int> sides;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
            QCOMPARE(image.width(), image.height());
            sides << image.width();
            const QImage png(
                QStringLiteral(WINDOWS_ICON_PNGS "/%1x%1/apps/" APP_ID ".png").arg(image.width()));
            QCOMPARE(image, png.convertToFormat(QImage::Format_ARGB32));
        }
        QCOMPARE(sides, (QList<int>{16, 24, 32, 48, 64, 128, 256}));
    }
#endif
};

QTEST_MAIN(TestPrerendered)
#include "tst_prerendered.moc"
