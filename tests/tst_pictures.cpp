// The pictures as rendered for the screen: the cache hands out renderings of the asked logical size and
// pixel ratio, and the outlines of tiles and reactions come out as one dark device pixel, not as a
// blend of two, at the common scales, still where the pictures' design puts them.

#include "toolkit/cursors.h"
#include "toolkit/picture_cache.h"
#include "toolkit/recording.h"

#include <QFile>

#include <QImage>
#include <QTest>

#include <cmath>

namespace {

const QColor OutlineColour(0x1F, 0x1A, 0x17);
const QColor Green(0x00, 0xFF, 0x00);
const QColor Yellow(0xFF, 0xFF, 0x00);
const QColor Clear(0, 0, 0, 0);
constexpr int Tolerance = 12;

// An outlined rectangle of a picture, in the picture's twips, with the colours on either side of it.
struct Outline {
    QRectF twips;
    QColor inside;
    QColor outside;
    bool dashed = false;
};

const QSizeF TileTwips(810, 585);
const QSize TilePixels(54, 39);
const QSizeF ReactionTwips(9495, 1470);
const QSize ReactionPixels(633, 98);

QRectF span(qreal left, qreal top, qreal right, qreal bottom) {
    return {QPointF(left, top), QPointF(right, bottom)};
}

QList<Outline> reactionOutlines(bool waterMissing) {
    const QRectF blank = waterMissing ? span(8429, 420, 9202, 990) : span(6309, 429, 7081, 1000);
    return {
        {span(23, 32, 9462, 1451), Yellow, Clear},
        {span(212, 433, 1001, 1020), Yellow, Yellow, true},
        {span(3149, 463, 3938, 1049), Yellow, Yellow, true},
        {span(5475, 408, 6264, 995), Yellow, Yellow, true},
        {span(7591, 421, 8379, 1007), Yellow, Yellow, true},
        {blank, Green, Yellow},
    };
}

bool near(const QColor &a, const QColor &b) {
    if (a.alpha() <= Tolerance && b.alpha() <= Tolerance) {
        return true;
    }
    return qAbs(a.red() - b.red()) <= Tolerance && qAbs(a.green() - b.green()) <= Tolerance &&
           qAbs(a.blue() - b.blue()) <= Tolerance && qAbs(a.alpha() - b.alpha()) <= Tolerance;
}

// One side of an outline, crossed by lines of pixels at every device pixel along its middle part.
struct Side {
    bool vertical;  // a left or right side: crossed by rows
    qreal at;       // its device coordinate across
    qreal from, to; // its middle part, in device coordinates along
};

QList<Side> sidesOf(const QRectF &r, qreal scaleX, qreal scaleY) {
    // The middle two fifths, clear of the rounded corners and of what is drawn beside the rectangle.
    const auto middle = [](qreal a, qreal b, qreal scale) {
        return std::pair{(a + (b - a) * 0.3) * scale, (a + (b - a) * 0.7) * scale};
    };
    const auto [top, bottom] = middle(r.top(), r.bottom(), scaleY);
    const auto [left, right] = middle(r.left(), r.right(), scaleX);
    return {{true, r.left() * scaleX, top, bottom},
            {true, r.right() * scaleX, top, bottom},
            {false, r.top() * scaleY, left, right},
            {false, r.bottom() * scaleY, left, right}};
}

// What is wrong with one side of an outline in a rendering, or "" when, on every line across it, at most
// one pixel differs from the colours on either side, that pixel lies within one device pixel of where
// the side is designed, and it is the outline's colour. A dashed side may show nothing in its gaps and
// a partly covered pixel at a dash's end, but must be dark somewhere.
QString sideFault(const QImage &image, const Outline &outline, const Side &side) {
    constexpr int Reach = 2;
    const int centre = static_cast<int>(std::floor(side.at));
    bool anyDark = false;
    for (int along = static_cast<int>(std::ceil(side.from)); along < side.to; ++along) {
        QList<int> ink;
        QColor inkColour;
        for (int across = centre - Reach; across <= centre + Reach; ++across) {
            const QPoint pixel = side.vertical ? QPoint(across, along) : QPoint(along, across);
            if (!image.rect().contains(pixel)) {
                continue; // beyond the picture's edge
            }
            const QColor c = image.pixelColor(pixel);
            if (!near(c, outline.inside) && !near(c, outline.outside)) {
                ink.append(across);
                inkColour = c;
            }
        }
        const QString where =
            QStringLiteral("%1 %2 at %3").arg(side.vertical ? "column" : "row").arg(side.at).arg(along);
        if (ink.size() > 1) {
            return QStringLiteral("%1: %2 pixels of ink across, a blend").arg(where).arg(ink.size());
        }
        if (ink.isEmpty()) {
            if (!outline.dashed) {
                return QStringLiteral("%1: no outline").arg(where);
            }
            continue;
        }
        if (qAbs(ink.first() + 0.5 - side.at) > 1) {
            return QStringLiteral("%1: outline at %2, more than a pixel away").arg(where).arg(ink.first());
        }
        const bool dark = near(inkColour, OutlineColour);
        if (!dark && !outline.dashed) {
            return QStringLiteral("%1: outline %2, not dark").arg(where, inkColour.name());
        }
        anyDark = anyDark || dark;
    }
    return anyDark
               ? QString()
               : QStringLiteral("%1 %2: no dark pixel").arg(side.vertical ? "column" : "row").arg(side.at);
}

} // namespace

Q_DECLARE_METATYPE(Outline)

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void cursorsAsTheWindowSystemReadsThem_data() {
        QTest::addColumn<QPoint>("logicalHotSpot");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<qreal>("outputScale");
        QTest::addColumn<qreal>("drawRatio");
        QTest::addColumn<qreal>("pixmapRatio");
        QTest::addColumn<QPoint>("hotSpot");
        const QPoint hand(12, 1);
        const QPoint dragIcon(16, 16);
        QTest::newRow("X11 at 100 %") << hand << 1.0 << false << 1.0 << 1.0 << 1.0 << QPoint(12, 1);
        QTest::newRow("X11 at 200 %") << hand << 2.0 << false << 1.0 << 2.0 << 2.0 << QPoint(24, 2);
        QTest::newRow("X11 at 150 %") << hand << 1.5 << false << 1.0 << 1.5 << 1.5 << QPoint(18, 2);
        QTest::newRow("Wayland, output 1") << hand << 1.0 << true << 1.0 << 1.0 << 1.0 << QPoint(12, 1);
        QTest::newRow("Wayland, output 2") << hand << 2.0 << true << 2.0 << 2.0 << 2.0 << QPoint(12, 1);
        QTest::newRow("Wayland, output 2, drag icon")
            << dragIcon << 2.0 << true << 2.0 << 2.0 << 2.0 << QPoint(16, 16);
        QTest::newRow("Wayland, output 1, Qt scaling 2")
            << hand << 2.0 << true << 1.0 << 2.0 << 1.0 << QPoint(24, 2);
        QTest::newRow("Wayland, output 1, Qt scaling 2, drag icon")
            << dragIcon << 2.0 << true << 1.0 << 2.0 << 1.0 << QPoint(32, 32);
        QTest::newRow("Wayland, output 2, Qt scaling 2")
            << hand << 4.0 << true << 2.0 << 4.0 << 2.0 << QPoint(24, 2);
        // A cursor buffer's scale is whole: at 150 % the picture is drawn for a buffer of scale 1.
        QTest::newRow("Wayland, output 1.5") << hand << 1.5 << true << 1.5 << 1.0 << 1.0 << QPoint(12, 1);
        QTest::newRow("Wayland, output 1.5, Qt scaling 2")
            << hand << 3.0 << true << 1.5 << 2.0 << 1.0 << QPoint(24, 2);
    }

    void cursorsAsTheWindowSystemReadsThem() {
        QFETCH(QPoint, logicalHotSpot);
        QFETCH(qreal, ratio);
        QFETCH(bool, wayland);
        QFETCH(qreal, outputScale);
        QFETCH(qreal, drawRatio);
        QFETCH(qreal, pixmapRatio);
        QFETCH(QPoint, hotSpot);
        const cursors::Placement placed = cursors::placement(logicalHotSpot, ratio, wayland, outputScale);
        QCOMPARE(placed.drawRatio, drawRatio);
        QCOMPARE(placed.pixmapRatio, pixmapRatio);
        QCOMPARE(placed.hotSpot, hotSpot);
    }

    void cacheHandsOutTheAskedRatio_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QSize>("firstSize");
        QTest::addColumn<qreal>("firstRatio");
        QTest::addColumn<QSize>("secondSize");
        QTest::addColumn<qreal>("secondRatio");
        // The two renderings have the same number of device pixels.
        QTest::newRow("64 at ratio 1, then 32 at ratio 2")
            << ":/pictures/hand_cursor.svg" << QSize(64, 64) << 1.0 << QSize(32, 32) << 2.0;
        QTest::newRow("32 at ratio 2, then 64 at ratio 1")
            << ":/pictures/drop_icon.svg" << QSize(32, 32) << 2.0 << QSize(64, 64) << 1.0;
        QTest::newRow("a tile at ratio 1.5, then at 1.25")
            << ":/pictures/tile_water.svg" << QSize(54, 39) << 1.5 << QSize(54, 39) << 1.25;
    }

    void cacheHandsOutTheAskedRatio() {
        QFETCH(QString, resource);
        QFETCH(QSize, firstSize);
        QFETCH(qreal, firstRatio);
        QFETCH(QSize, secondSize);
        QFETCH(qreal, secondRatio);
        const auto rendered = [&resource](QSize size, qreal ratio) {
            const QPixmap pixmap = pictures::render(resource, size, ratio);
            QCOMPARE(pixmap.devicePixelRatio(), ratio);
            QCOMPARE(pixmap.deviceIndependentSize().toSize(), size);
            QCOMPARE(pixmap.size(), (QSizeF(size) * ratio).toSize());
        };
        // Asked twice over, in that order: the second round comes from the cache.
        for (int round = 0; round < 2; ++round) {
            rendered(firstSize, firstRatio);
            rendered(secondSize, secondRatio);
        }
    }

    // The recordings the build made are read back whole, their outlines and the rest; a damaged or
    // foreign stream is no recording at all, never a part of one.
    void recordingsReadBackOrNotAtAll_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outlines"); // -1: no recording
        QFile file(pictures::recordingResource(QStringLiteral(":/pictures/reaction_alkyne.svg")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray reaction = file.readAll();
        QTest::newRow("a reaction") << reaction << 6;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("an SVG document") << QByteArray("<svg/>") << -1;
        for (const qsizetype cut : {4, 20, 60, 200}) {
            QTest::addRow("cut %lld bytes short", static_cast<long long>(cut)) << reaction.chopped(cut) << -1;
        }
        QByteArray trailing = reaction;
        trailing.append('\0');
        QTest::newRow("a byte too many") << trailing << -1;
        QByteArray countTooLarge = reaction;
        countTooLarge[4 + 8 + 16] = '\x7f'; // the outline count's high byte, after the tag and sizes
        QTest::newRow("outline count beyond the stream") << countTooLarge << -1;
    }

    void recordingsReadBackOrNotAtAll() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outlines);
        const std::optional<pictures::Recording> read = pictures::fromBytes(bytes);
        QCOMPARE(read.has_value(), outlines >= 0);
        if (read) {
            QCOMPARE(read->outlines.size(), outlines);
            QCOMPARE(read->naturalSize, ReactionPixels);
            QCOMPARE(read->userSize, ReactionTwips);
            QVERIFY(!read->rest.isNull());
            QCOMPARE(pictures::fromBytes(pictures::toBytes(*read))->outlines, read->outlines);
        }
    }

    void outlinesAreOneDarkDevicePixel_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QSize>("logicalSize");
        QTest::addColumn<QSizeF>("twips");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QList<Outline>>("outlines");
        const QList<Outline> tile{{span(15, 15, 795, 570), Green, Clear}};
        const QStringList tiles{"carbon", "carbon_dioxide", "carbon_monoxide", "water", "hydrogen"};
        const QStringList reactions{"ethyne", "propyne", "butyne", "pentyne", "alkyne"};
        for (const qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
            for (const QString &name : tiles) {
                QTest::addRow("tile %s at %g", qPrintable(name), ratio)
                    << QStringLiteral(":/pictures/tile_%1.svg").arg(name) << TilePixels << TileTwips << ratio
                    << tile;
            }
            for (qsizetype r = 0; r < reactions.size(); ++r) {
                QTest::addRow("reaction %s at %g", qPrintable(reactions.at(r)), ratio)
                    << QStringLiteral(":/pictures/reaction_%1.svg").arg(reactions.at(r)) << ReactionPixels
                    << ReactionTwips << ratio << reactionOutlines(r % 2 == 1);
            }
        }
    }

    void outlinesAreOneDarkDevicePixel() {
        QFETCH(QString, resource);
        QFETCH(QSize, logicalSize);
        QFETCH(QSizeF, twips);
        QFETCH(qreal, ratio);
        QFETCH(QList<Outline>, outlines);
        const QImage image =
            pictures::render(resource, logicalSize, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
        // The picture is stretched to the whole pixmap.
        const qreal scaleX = image.width() / twips.width();
        const qreal scaleY = image.height() / twips.height();
        for (const Outline &outline : outlines) {
            for (const Side &side : sidesOf(outline.twips, scaleX, scaleY)) {
                const QString fault = sideFault(image, outline, side);
                QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("outline (%1, %2)-(%3, %4), %5")
                                                         .arg(outline.twips.left())
                                                         .arg(outline.twips.top())
                                                         .arg(outline.twips.right())
                                                         .arg(outline.twips.bottom())
                                                         .arg(fault)));
            }
        }
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
