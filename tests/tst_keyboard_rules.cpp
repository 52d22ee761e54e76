// The keyboard's rules on their own: KeyboardPlacing against a stand-in for the exercise window, which
// records what the keyboard asks of it (pick up, drop, put back, take off). Keys are real key events
// sent to the window; the end-to-end paths through the real window are tst_keyboard's.

#include "exercise/form1_layout.h"
#include "exercise/keyboard_placing.h"
#include "testkit.h"

#include <QHash>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <memory>

using namespace testkit;

namespace {

// Where the focus goes once the tiles are hidden is Qt's affair.
constexpr int AnyTile = -2;

// The parts of a window that KeyboardPlacing touches: tiles, reaction pictures, boxes, a menu bar.
// Tile n stands in tray column n mod 5; a tile on a reaction is listed in `placed`.
class StandIn {
public:
    StandIn() {
        ui.client = new QWidget(&window);
        ui.client->setFixedSize(600, 400);
        for (int n = 0; n < TileCount; ++n) {
            auto *t = new Picture(QStringLiteral(":/pictures/tile_carbon.svg"), ui.client);
            t->setObjectName(QStringLiteral("ImgMolecular_%1").arg(n));
            t->setTwipGeometry({0, 0, 810, 585});
            ui.ImgMolecular.at(n) = t;
        }
        for (int r = 0; r < ReactionCount; ++r) {
            auto *picture = new Picture(QStringLiteral(":/pictures/reaction_ethyne.svg"), ui.client);
            picture->setAccessibleName(QStringLiteral("reaction %1").arg(r));
            picture->setTwipGeometry({180, 840 + 1560 * static_cast<float>(r), 9495, 1470});
            ui.ImgSyntactic.at(r) = picture;
        }
        for (int k = 0; k < BoxCount; ++k) {
            ui.tCoefficient.at(k) = new QLineEdit(ui.client);
            ui.tCoefficient.at(k)->setVisible(false);
        }
        placed.fill(facts::NoTile);
        KeyboardPlacing::Window seam;
        seam.board = [this] { return board(); };
        seam.dragging = [this] { return dragging; };
        seam.pickUp = [this](int n) {
            calls << QStringLiteral("pickUp %1").arg(n);
            return std::find(placed.begin(), placed.end(), n) == placed.end();
        };
        seam.drop = [this](int r) { calls << QStringLiteral("drop %1").arg(r); };
        seam.putBack = [this] { calls << QStringLiteral("putBack"); };
        seam.takeOff = [this](int n) {
            calls << QStringLiteral("takeOff %1").arg(n);
            std::replace(placed.begin(), placed.end(), n, static_cast<int>(facts::NoTile));
        };
        placing = std::make_unique<KeyboardPlacing>(ui, &menuBar, std::move(seam), nullptr);
    }

    keyboard::Board board() const {
        keyboard::Board b;
        for (int k = 0; k < KindCount; ++k) {
            b.columnOfKind.at(k) = static_cast<std::int16_t>(k);
        }
        for (int n = TileCount - 1; n >= 0; --n) {
            if (std::find(placed.begin(), placed.end(), n) == placed.end()) {
                b.trayTilesBackToFront.push_back(n);
            }
        }
        for (int r = 0; r < ReactionCount; ++r) {
            b.placed.at(r) = placed.at(r);
        }
        return b;
    }

    // The tile with the keyboard focus, or NoTile.
    int focusedTile() const {
        for (int n = 0; n < TileCount; ++n) {
            if (ui.ImgMolecular.at(n)->hasFocus()) {
                return n;
            }
        }
        return facts::NoTile;
    }

    // The reaction shown as the target, or -1.
    int highlighted() const {
        for (int r = 0; r < ReactionCount; ++r) {
            if (ui.ImgSyntactic.at(r)->isHighlighted()) {
                return r;
            }
        }
        return -1;
    }

    bool anyTileDescribed() const {
        return std::any_of(ui.ImgMolecular.begin(), ui.ImgMolecular.end(),
                           [](const Picture *t) { return !t->accessibleDescription().isEmpty(); });
    }

    QWidget window;
    QWidget menuBar;
    form1::Controls ui;
    std::array<int, ReactionCount> placed{};
    bool dragging = false;
    QStringList calls;
    std::unique_ptr<KeyboardPlacing> placing;
};

// One step of a script: a key ("Space", "Down", ...), "held Space" (an auto-repeated press), "drag"
// (a mouse drag begins), "program focus" and "Tab focus" (the focus goes to a box for that reason),
// "hide" (the tiles are hidden) or "press" (a mouse press on tile 1).
void run(StandIn &window, const QString &step) {
    static const QHash<QString, Qt::Key> keys{
        {"Space", Qt::Key_Space},   {"Return", Qt::Key_Return}, {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},     {"Left", Qt::Key_Left},     {"Right", Qt::Key_Right},
        {"Escape", Qt::Key_Escape}, {"Delete", Qt::Key_Delete}, {"A", Qt::Key_A}};
    QWindow *handle = window.window.windowHandle();
    if (keys.contains(step)) {
        QTest::keyClick(handle, keys.value(step));
    } else if (step == QLatin1String("held Space")) {
        QTest::simulateEvent(handle, true, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
        for (int repeat = 0; repeat < 3; ++repeat) {
            QTest::simulateEvent(handle, true, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        }
        QTest::simulateEvent(handle, false, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
    } else if (step == QLatin1String("drag")) {
        window.dragging = true;
    } else if (step == QLatin1String("program focus") || step == QLatin1String("Tab focus")) {
        QLineEdit *box = window.ui.tCoefficient.at(0);
        box->show();
        box->setFocus(step.startsWith(u'T') ? Qt::TabFocusReason : Qt::OtherFocusReason);
    } else if (step == QLatin1String("hide")) {
        for (Picture *t : window.ui.ImgMolecular) {
            t->hide();
        }
    } else if (step == QLatin1String("press")) {
        Picture *t = window.ui.ImgMolecular.at(1);
        QTest::mousePress(handle, Qt::LeftButton, {}, t->mapTo(&window.window, t->rect().center()));
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step: ") + step));
    }
    QCoreApplication::processEvents();
}

} // namespace

class TestKeyboardRules : public QObject {
    Q_OBJECT

private slots:
    void rules_data() {
        QTest::addColumn<int>("placedOnReaction1"); // a tile lying on reaction 1, or NoTile
        QTest::addColumn<QStringList>("script");    // run with tile 0 focused
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("target");     // the highlighted reaction afterwards, or -1
        QTest::addColumn<int>("focused");    // the focused tile afterwards, or NoTile
        QTest::addColumn<bool>("described"); // a tile still says it is carried

        const int none = facts::NoTile;
        QTest::newRow("Space picks up on the first reaction")
            << none << QStringList{"Space"} << QStringList{"pickUp 0"} << 0 << 0 << true;
        QTest::newRow("Down twice and Space drops on the third")
            << none << QStringList{"Space", "Down", "Down", "Space"} << QStringList{"pickUp 0", "drop 2"}
            << -1 << 0 << false;
        QTest::newRow("Up goes round to the last reaction, Return drops there")
            << none << QStringList{"Return", "Up", "Return"} << QStringList{"pickUp 0", "drop 4"} << -1 << 0
            << false;
        QTest::newRow("Down goes round from the last reaction to the first")
            << none << QStringList{"Space", "Down", "Down", "Down", "Down", "Down"} << QStringList{"pickUp 0"}
            << 0 << 0 << true;
        QTest::newRow("Escape puts the tile back") << none << QStringList{"Space", "Down", "Escape"}
                                                   << QStringList{"pickUp 0", "putBack"} << -1 << 0 << false;
        QTest::newRow("other keys do nothing while a tile is carried")
            << none << QStringList{"Space", "A", "Left", "Delete"} << QStringList{"pickUp 0"} << 0 << 0
            << true;
        QTest::newRow("a held Space picks up once and does not drop")
            << none << QStringList{"held Space"} << QStringList{"pickUp 0"} << 0 << 0 << true;
        QTest::newRow("no key acts while the mouse drags")
            << none << QStringList{"drag", "Space", "Right", "Delete"} << QStringList{} << -1 << 0 << false;
        QTest::newRow("a placed tile is not picked up")
            << 0 << QStringList{"Space", "Escape"} << QStringList{"pickUp 0"} << -1 << 0 << false;
        QTest::newRow("Delete takes a placed tile off")
            << 0 << QStringList{"Delete"} << QStringList{"takeOff 0"} << -1 << 0 << false;
        QTest::newRow("Delete on a tray tile is asked of the window too")
            << none << QStringList{"Delete"} << QStringList{"takeOff 0"} << -1 << 0 << false;
        QTest::newRow("Right walks to the next stack, Left back")
            << none << QStringList{"Right", "Right", "Left"} << QStringList{} << -1 << 1 << false;
        QTest::newRow("Left from the first stack goes round to a placed tile")
            << 10 << QStringList{"Left"} << QStringList{} << -1 << 10 << false;
        QTest::newRow("the pupil's Tab away puts the tile back")
            << none << QStringList{"Space", "Tab focus"} << QStringList{"pickUp 0", "putBack"} << -1 << none
            << false;
        QTest::newRow("the program taking the focus forgets the carry")
            << none << QStringList{"Space", "Down", "program focus"} << QStringList{"pickUp 0"} << -1 << none
            << false;
        QTest::newRow("hiding the tiles forgets the carry")
            << none << QStringList{"Space", "hide"} << QStringList{"pickUp 0"} << -1 << AnyTile << false;
        QTest::newRow("a mouse press on a tile puts the carried tile back")
            << none << QStringList{"Space", "press"} << QStringList{"pickUp 0", "putBack"} << -1 << 0
            << false;
    }

    void rules() {
        QFETCH(int, placedOnReaction1);
        QFETCH(QStringList, script);
        QFETCH(QStringList, calls);
        QFETCH(int, target);
        QFETCH(int, focused);
        QFETCH(bool, described);
        StandIn window;
        window.placed.at(1) = placedOnReaction1;
        QVERIFY(showActive(window.window));
        window.ui.ImgMolecular.at(0)->setFocus(Qt::ShortcutFocusReason);
        QVERIFY(window.ui.ImgMolecular.at(0)->hasFocus());
        for (const QString &step : script) {
            run(window, step);
        }
        QCOMPARE(window.calls, calls);
        QCOMPARE(window.highlighted(), target);
        if (focused != AnyTile) {
            QCOMPARE(window.focusedTile(), focused);
        }
        QCOMPARE(window.anyTileDescribed(), described);
    }
};

QTEST_MAIN(TestKeyboardRules)
#include "tst_keyboard_rules.moc"
