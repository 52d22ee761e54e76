#include "exercise/placement.h"
#include "exercise/tray.h"
#include "toolkit/viewport_fit.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <set>

namespace {

twips::Rect twipRect(const QRectF &r) {
    return {static_cast<float>(r.left()), static_cast<float>(r.top()), static_cast<float>(r.width()),
            static_cast<float>(r.height())};
}

const QRectF DesignPanel(60, 780, 9735, 7875);
const QSizeF DesignTile(810, 585);
const QSizeF DesignClient(9855, 9270);

QRectF designPicture(int reaction) {
    return {180, 840 + 1560.0 * reaction, 9495, 1470};
}

using Order = std::array<std::int16_t, facts::KindCount>;

QList<int> toList(const Order &order) {
    return {order.begin(), order.end()};
}

bool isPermutation(Order order) {
    std::sort(order.begin(), order.end());
    return order == Order{0, 1, 2, 3, 4};
}

// Every order of five columns.
constexpr std::size_t OrderCount = 120;

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private slots:
    void trayPlaces_data() {
        QTest::addColumn<QRectF>("panel");
        QTest::addColumn<QSizeF>("tile");
        QTest::addColumn<float>("clientTop");
        QTest::addColumn<QList<double>>("lefts");
        QTest::addColumn<double>("top");

        const QList<double> designLefts{785, 2320, 3855, 5390, 6925};
        QTest::newRow("design panel and tile") << DesignPanel << DesignTile << 0.0f << designLefts << 97.5;
        QTest::newRow("tray ends at the grade label, whatever the panel's width")
            << QRectF(60, 780, 5000, 7875) << DesignTile << 0.0f << designLefts << 97.5;
        QTest::newRow("client area whose top is not zero")
            << DesignPanel << DesignTile << 120.0f << designLefts << 157.5;
        QTest::newRow("smaller tiles on a panel at the left edge")
            << QRectF(0, 600, 9855, 8000) << QSizeF(600, 400) << 0.0f
            << QList<double>{910, 2420, 3930, 5440, 6950} << 100.0;
    }

    void trayPlaces() {
        QFETCH(QRectF, panel);
        QFETCH(QSizeF, tile);
        QFETCH(float, clientTop);
        QFETCH(QList<double>, lefts);
        QFETCH(double, top);
        for (int column = 0; column < facts::KindCount; ++column) {
            const QPointF place = tray::place(column, twipRect(panel), static_cast<float>(tile.width()),
                                              static_cast<float>(tile.height()), clientTop);
            QCOMPARE(place.x(), lefts.at(column));
            QCOMPARE(place.y(), top);
        }
    }

    void shuffleGivesEveryOrderFromAnySource_data() {
        QTest::addColumn<int>("source");
        QTest::newRow("uniform doubles") << 0;
        QTest::newRow("single-precision fractions from 24 bits") << 1;
        QTest::newRow("draws crowded towards zero") << 2;
    }

    // Seeded generators: the same draws every run, so the counts below cannot flake.
    void shuffleGivesEveryOrderFromAnySource() {
        QFETCH(int, source);
        constexpr unsigned Seeds = 20000;
        std::set<QList<int>> seen;
        for (unsigned seed = 1; seed <= Seeds; ++seed) {
            std::mt19937 generator(seed);
            std::uniform_real_distribution<double> uniform(0.0, 1.0);
            const std::function<double()> draws[] = {
                [&] { return uniform(generator); },
                [&] { return std::ldexp(static_cast<double>(generator() >> 8), -24); },
                [&] {
                    const double u = uniform(generator);
                    return u * u;
                },
            };
            const Order order = tray::shuffleColumns(draws[source]);
            if (!isPermutation(order)) {
                QFAIL(qPrintable(
                    QStringLiteral("seed %1 gave %2").arg(seed).arg(QTest::toString(toList(order)))));
            }
            seen.insert(toList(order));
        }
        QCOMPARE(seen.size(), OrderCount);
    }

    void shuffleFollowsScriptedDraws_data() {
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<QList<int>>("columns");

        QTest::newRow("a column already taken is drawn again")
            << QList<double>{0.0, 0.0, 0.2, 0.4, 0.6, 0.8} << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("descending draws are taken as they come")
            << QList<double>{0.9, 0.7, 0.5, 0.3, 0.1} << QList<int>{4, 3, 2, 1, 0};
        QTest::newRow("the last kind waits for the one column left")
            << QList<double>{0.1, 0.3, 0.5, 0.7, 0.1, 0.3, 0.5, 0.7, 0.9} << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("redraws at every kind")
            << QList<double>{0.5, 0.5, 0.99, 0.5, 0.99, 0.0, 0.0, 0.45, 0.3, 0.1, 0.3, 0.5, 0.9, 0.65}
            << QList<int>{2, 4, 0, 1, 3};
        QTest::newRow("zero and nearly one give the outer columns")
            << QList<double>{0.0, 0.999999, 0.25, 0.45, 0.65} << QList<int>{0, 4, 1, 2, 3};
    }

    void shuffleFollowsScriptedDraws() {
        QFETCH(QList<double>, draws);
        QFETCH(QList<int>, columns);
        qsizetype next = 0;
        qsizetype extra = 0;
        // Past the script the source keeps cycling through every column, so the shuffle ends.
        const auto scripted = [&] {
            if (next < draws.size()) {
                return draws.at(next++);
            }
            return 0.1 + 0.2 * static_cast<double>(extra++ % facts::KindCount);
        };
        const Order order = tray::shuffleColumns(scripted);
        QCOMPARE(toList(order), columns);
        QCOMPARE(next, draws.size());
        QCOMPARE(extra, 0);
    }

    void hangingTile_data() {
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<QSizeF>("tile");
        QTest::addColumn<QPointF>("corner");

        QTest::newRow("design tile") << QPointF(5000, 4000) << DesignTile << QPointF(4595, 3355);
        QTest::newRow("pointer at the client's corner") << QPointF(0, 0) << DesignTile << QPointF(-405, -645);
        QTest::newRow("fractional pointer, smaller tile")
            << QPointF(1000.5, 700.25) << QSizeF(600, 400) << QPointF(700.5, 240.25);
    }

    void hangingTile() {
        QFETCH(QPointF, pointer);
        QFETCH(QSizeF, tile);
        QFETCH(QPointF, corner);
        QCOMPARE(placement::hangingTile(pointer, tile), corner);
    }

    void inEdgeMargin_data() {
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<bool>("inMargin");

        const QPointF atZero(0, 0);
        QTest::newRow("left, exactly 180") << QPointF(180, 4000) << atZero << false;
        QTest::newRow("left, 179.99") << QPointF(179.99, 4000) << atZero << true;
        QTest::newRow("right, exactly 180") << QPointF(9675, 4000) << atZero << false;
        QTest::newRow("right, one twip inside") << QPointF(9676, 4000) << atZero << true;
        QTest::newRow("top, exactly 180") << QPointF(5000, 180) << atZero << false;
        QTest::newRow("top, 179.99") << QPointF(5000, 179.99) << atZero << true;
        QTest::newRow("bottom, exactly 180") << QPointF(5000, 9090) << atZero << false;
        QTest::newRow("bottom, one twip inside") << QPointF(5000, 9091) << atZero << true;
        QTest::newRow("middle of the client") << QPointF(4927.5, 4635) << atZero << false;

        const QPointF shifted(1500, 900);
        QTest::newRow("shifted, left exactly 180") << QPointF(1680, 5000) << shifted << false;
        QTest::newRow("shifted, left 179.99") << QPointF(1679.99, 5000) << shifted << true;
        QTest::newRow("shifted, right exactly 180") << QPointF(11175, 5000) << shifted << false;
        QTest::newRow("shifted, right one twip inside") << QPointF(11176, 5000) << shifted << true;
        QTest::newRow("shifted, top exactly 180") << QPointF(6000, 1080) << shifted << false;
        QTest::newRow("shifted, top 179.99") << QPointF(6000, 1079.99) << shifted << true;
        QTest::newRow("shifted, bottom exactly 180") << QPointF(6000, 9990) << shifted << false;
        QTest::newRow("shifted, bottom one twip inside") << QPointF(6000, 9991) << shifted << true;
        QTest::newRow("shifted, where the unshifted right margin lies")
            << QPointF(9700, 5000) << shifted << false;
        QTest::newRow("shifted, where the unshifted client's left edge lies")
            << QPointF(200, 5000) << shifted << true;
    }

    void inEdgeMargin() {
        QFETCH(QPointF, pointer);
        QFETCH(QPointF, origin);
        QFETCH(bool, inMargin);
        QCOMPARE(placement::inEdgeMargin(pointer, origin, DesignClient), inMargin);
    }

    void slot_data() {
        QTest::addColumn<int>("reaction");
        QTest::addColumn<QRectF>("picture");
        QTest::addColumn<QSizeF>("tile");
        QTest::addColumn<QPointF>("corner");

        QTest::newRow("ethyne, carbon dioxide blank")
            << 0 << designPicture(0) << DesignTile << QPointF(6475, 1272.5);
        QTest::newRow("propyne, water blank") << 1 << designPicture(1) << DesignTile << QPointF(8590, 2822.5);
        QTest::newRow("butyne, carbon dioxide blank")
            << 2 << designPicture(2) << DesignTile << QPointF(6475, 4392.5);
        QTest::newRow("pentyne, water blank") << 3 << designPicture(3) << DesignTile << QPointF(8590, 5942.5);
        QTest::newRow("general alkyne, carbon dioxide blank")
            << 4 << designPicture(4) << DesignTile << QPointF(6475, 7512.5);
        QTest::newRow("carbon dioxide blank of another picture and tile")
            << 0 << QRectF(0, 0, 4000, 1000) << QSizeF(800, 400) << QPointF(800, 290);
        QTest::newRow("water blank of another picture and tile")
            << 3 << QRectF(0, 0, 4000, 1000) << QSizeF(800, 400) << QPointF(2915, 280);
    }

    void slot() {
        QFETCH(int, reaction);
        QFETCH(QRectF, picture);
        QFETCH(QSizeF, tile);
        QFETCH(QPointF, corner);
        QCOMPARE(placement::slot(reaction, twipRect(picture), tile), corner);
    }

    // The browser edition's window (657 x 637 with its menu bar) scaled to the viewports pupils have.
    void fitScale_data() {
        QTest::addColumn<QSizeF>("viewport");
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<double>("scale");

        const QSizeF window(657, 637);
        QTest::newRow("phone held sideways: the height decides") << QSizeF(640, 360) << window << 360.0 / 637;
        QTest::newRow("laptop") << QSizeF(1366, 768) << window << 768.0 / 637;
        QTest::newRow("4K whiteboard") << QSizeF(3840, 2160) << window << 2160.0 / 637;
        QTest::newRow("tall window: the width decides") << QSizeF(700, 2000) << window << 700.0 / 657;
        QTest::newRow("exactly twice the window") << QSizeF(1314, 1274) << window << 2.0;
        QTest::newRow("viewport not laid out yet") << QSizeF(0, 0) << window << 1.0;
        QTest::newRow("negative viewport") << QSizeF(-640, 360) << window << 1.0;
        QTest::newRow("window without a size") << QSizeF(640, 360) << QSizeF(0, 637) << 1.0;
        QTest::newRow("viewport not a number") << QSizeF(std::nan(""), 360) << window << 1.0;
        QTest::newRow("endless viewport") << QSizeF(HUGE_VAL, 360) << window << 1.0;
    }

    void fitScale() {
        QFETCH(QSizeF, viewport);
        QFETCH(QSizeF, window);
        QFETCH(double, scale);
        QCOMPARE(::fitScale(viewport, window), scale);
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
