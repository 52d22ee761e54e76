// Dragging compound tiles and placing them on the reactions, driven by real pointer events sent
// to the exercise window. Every scenario checks after each step that no tile is lost: each tile
// lies at its tray place or in a reaction's slot, and a reaction's boxes show exactly while it
// holds a tile.

#include "exercise/form1.h"
#include "testkit.h"

#include <QAction>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <array>

using namespace testkit;

namespace {

constexpr int DragSteps = 4;

// Where the design puts things, in client twips.
// A dragged tile's top-left corner lies this far left of and above the pointer.
constexpr QPointF HangOffset(405, 645);
// Background points: in the tray band between two columns, and on the panel between two reactions.
constexpr QPointF TrayGap(1800, 450);
constexpr QPointF PanelGap(3000, 2340);
enum Kind { Carbon, CarbonDioxide, CarbonMonoxide, Water, Hydrogen };

const QString TrayTip = QStringLiteral("η μεταφορά ξεκινάει με πατημένο κλικ");
const QString PlacedTip = QStringLiteral("αφαιρέστε το με διπλό κλικ");
const QString Information = QStringLiteral("Label2_13");
// Target names that stand for a tile known only while the scenario runs.
const QString PressedTile = QStringLiteral("pressed tile");
const QString PlacedTile = QStringLiteral("placed tile");

int indexOf(const QWidget *tile) {
    return tile->objectName().section(QLatin1Char('_'), 1).toInt();
}

QPointF topLeft(const Picture *tile) {
    return {tile->twipGeometry().left, tile->twipGeometry().top};
}

// Checks the layout now, and that it held after every pointer event of the scenario so far.
#define VERIFY_LAYOUT(ex, inTransit)                                                                         \
    do {                                                                                                     \
        const QString broken =                                                                               \
            (ex).brokenOnTheWay.isEmpty() ? brokenRule((ex).form, inTransit) : (ex).brokenOnTheWay;          \
        QVERIFY2(broken.isEmpty(), qPrintable(broken));                                                      \
    } while (false)

void moveTile(Snapshot &s, int n, QPointF to) {
    s.tiles.at(n).left = static_cast<float>(to.x());
    s.tiles.at(n).top = static_cast<float>(to.y());
}

// One exercise window on the screen, with the pointer that drives it. A button still held when
// a check fails is released, so that the next test starts with the mouse up.
class Exercise {
public:
    Exercise() { form.show(); }
    Exercise(const Exercise &) = delete;
    Exercise &operator=(const Exercise &) = delete;
    ~Exercise() {
        if (held_ != Qt::NoButton) {
            release(pointer_);
        }
    }

    bool ready() { return QTest::qWaitForWindowExposed(&form); }

    QPoint at(QPointF clientTwips) const { return windowPoint(form, clientTwips); }
    QPointF twipsAt(QPoint windowPosition) const {
        const QPoint local = client(form)->mapFrom(&form, windowPosition);
        return {local.x() * double(twips::PerPixel), local.y() * double(twips::PerPixel)};
    }
    // The centre of a named control, moved by an offset in twips; or a client point for no name.
    QPoint target(const QString &name, QPointF twipsAt, const QWidget *pressed = nullptr,
                  const QWidget *placed = nullptr) const {
        if (name.isEmpty()) {
            return at(twipsAt);
        }
        const QWidget *c = name == PressedTile ? pressed : name == PlacedTile ? placed : control(form, name);
        return centreOf(form, c) +
               QPoint(qRound(twipsAt.x() / twips::PerPixel), qRound(twipsAt.y() / twips::PerPixel));
    }
    // The centre of the tray stack of a compound kind.
    QPoint stackOf(int kind) const {
        for (int n = kind; n < TileCount; n += KindCount) {
            if (tile(form, n)->twipGeometry().top == TrayTop) {
                return centreOf(form, tile(form, n));
            }
        }
        return {};
    }
    Picture *tileUnder(QPoint windowPosition) const { return testkit::tileUnder(form, windowPosition); }

    // Pointer events; after each one the layout is checked, sparing only a tray tile being carried.
    void press(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
        Picture *pressed = tileUnder(p);
        carried_ = pressed != nullptr && pressed->twipGeometry().top == TrayTop ? pressed : nullptr;
        testkit::press(form, p, button);
        held_ = button;
        pointer_ = p;
        noteBrokenRule();
    }
    void move(QPoint p) {
        expectOutsideWarning(p);
        moveTo(form, p);
        pointer_ = p;
        noteBrokenRule();
    }
    void release(QPoint p) {
        expectOutsideWarning(p);
        testkit::release(form, p, held_);
        held_ = Qt::NoButton;
        pointer_ = p;
        carried_ = nullptr;
        noteBrokenRule();
    }
    void doubleClick(QPoint p) {
        testkit::doubleClick(form, p);
        pointer_ = p;
        noteBrokenRule();
    }
    // Moves the held pointer in even steps to `to`.
    void glide(QPoint to, int steps = DragSteps) {
        const QPoint from = pointer_;
        for (int step = 1; step <= steps; ++step) {
            move(from + (to - from) * step / steps);
        }
    }
    // Drags the top tile of a kind's stack onto the middle of a reaction picture.
    Picture *place(int kind, int reaction) {
        const QPoint from = stackOf(kind);
        Picture *dragged = tileUnder(from);
        press(from);
        glide(centreOf(form, testkit::reaction(form, reaction)));
        release(pointer_);
        return dragged;
    }
    void check() { trigger(form, "mnuCheck"); }
    bool gradeShown() const { return control(form, QStringLiteral("LGrade"))->isVisible(); }

    Form1 form;
    QString brokenOnTheWay; // the first broken rule seen after a pointer event

private:
    void expectOutsideWarning(QPoint p) {
        if (p.x() >= form.windowHandle()->width() || p.y() >= form.windowHandle()->height()) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("outside target window")));
        }
    }

    void noteBrokenRule() {
        const QString broken = brokenRule(form, carried_);
        if (brokenOnTheWay.isEmpty() && !broken.isEmpty()) {
            brokenOnTheWay = QStringLiteral("after the pointer event at (%1, %2): %3")
                                 .arg(pointer_.x())
                                 .arg(pointer_.y())
                                 .arg(broken);
        }
    }

    Qt::MouseButton held_ = Qt::NoButton;
    QPoint pointer_;
    const Picture *carried_ = nullptr;
};

} // namespace

class TestDrag : public QObject {
    Q_OBJECT

private slots:
    void tileFollowsPointerOrGoesHome_data();
    void tileFollowsPointerOrGoesHome();
    void dropDecidesWhereTileLands_data();
    void dropDecidesWhereTileLands();
    void placedTileCannotBeDragged_data();
    void placedTileCannotBeDragged();
    void doubleClickTakesTileOff_data();
    void doubleClickTakesTileOff();
    void tooltipNamesGesture_data();
    void tooltipNamesGesture();
    void abandonedDragSendsTileHome_data();
    void abandonedDragSendsTileHome();
};

void TestDrag::tileFollowsPointerOrGoesHome_data() {
    QTest::addColumn<int>("placedOn"); // the reaction that holds a tile first, or -1
    QTest::addColumn<QString>("over"); // the control under the pointer; empty for the background
    QTest::addColumn<QPointF>("at");   // from that control's centre, or the client point
    QTest::addColumn<bool>("follows");

    const QPointF centre(0, 0);
    QTest::newRow("first move, still over the pressed tile") << -1 << PressedTile << QPointF(15, 15) << true;
    QTest::newRow("window background in the tray band") << -1 << QString() << TrayGap << true;
    QTest::newRow("window background on the panel") << -1 << QString() << PanelGap << true;
    QTest::newRow("reaction picture") << -1 << QStringLiteral("ImgSyntactic_3") << centre << true;
    QTest::newRow("reaction picture near the left edge")
        << -1 << QStringLiteral("ImgSyntactic_4") << QPointF(-4500, 300) << true;
    QTest::newRow("another tray tile") << -1 << QStringLiteral("ImgMolecular_3") << centre << true;
    QTest::newRow("tray tile inside the top margin")
        << -1 << QStringLiteral("ImgMolecular_3") << QPointF(0, -270) << true;
    QTest::newRow("coefficient box") << 0 << QStringLiteral("tCoefficient_1") << centre << true;
    QTest::newRow("general alkyne's coefficient box")
        << 4 << QStringLiteral("tCoefficient_18") << QPointF(60, 0) << true;
    QTest::newRow("tile placed on a reaction") << 1 << PlacedTile << centre << true;
    QTest::newRow("left margin line") << -1 << QString() << QPointF(180, 450) << true;
    QTest::newRow("a pixel inside the left margin") << -1 << QString() << QPointF(165, 450) << false;
    QTest::newRow("top margin line") << -1 << QString() << QPointF(1800, 180) << true;
    QTest::newRow("a pixel inside the top margin") << -1 << QString() << QPointF(1800, 165) << false;
    QTest::newRow("right margin line") << -1 << QString() << QPointF(9675, 450) << true;
    QTest::newRow("a pixel inside the right margin") << -1 << QString() << QPointF(9690, 450) << false;
    // The bottom margin line lies on the information label; only the rows below it are background.
    QTest::newRow("bottom margin, first row below the information label")
        << -1 << QString() << QPointF(4500, 9225) << false;
    QTest::newRow("bottom margin, second row below the information label")
        << -1 << QString() << QPointF(1800, 9240) << false;
    QTest::newRow("bottom right corner") << -1 << QString() << QPointF(9840, 9255) << false;
    QTest::newRow("just above the information label") << -1 << QString() << QPointF(4500, 8685) << true;
    QTest::newRow("information label, its top row") << -1 << QString() << QPointF(4500, 8700) << false;
    QTest::newRow("information label, on the bottom margin line")
        << -1 << QString() << QPointF(4500, 9090) << false;
    QTest::newRow("information label, its centre") << -1 << Information << centre << false;
}

void TestDrag::tileFollowsPointerOrGoesHome() {
    QFETCH(int, placedOn);
    QFETCH(QString, over);
    QFETCH(QPointF, at);
    QFETCH(bool, follows);
    Exercise ex;
    QVERIFY(ex.ready());
    const Picture *placed = placedOn >= 0 ? ex.place(RightKind.at(placedOn), placedOn) : nullptr;
    QVERIFY(placedOn < 0 || placed != nullptr);
    ex.check();
    QVERIFY(ex.gradeShown());
    const Snapshot before = snapshot(ex.form);

    const QPoint from = ex.stackOf(Hydrogen);
    Picture *dragged = ex.tileUnder(from);
    QVERIFY(dragged != nullptr);
    ex.press(from);
    QVERIFY(!ex.gradeShown());
    const QObjectList order = client(ex.form)->children();
    for (int n = 0; n < TileCount; ++n) {
        QVERIFY(tile(ex.form, n) == dragged || order.indexOf(tile(ex.form, n)) < order.indexOf(dragged));
    }
    const QPoint to = ex.target(over, at, dragged, placed);
    ex.move(to);
    if (follows) {
        QCOMPARE(topLeft(dragged), ex.twipsAt(to) - HangOffset);
        VERIFY_LAYOUT(ex, dragged);
    } else {
        // Home at once, with the button still held.
        VERIFY_LAYOUT(ex, nullptr);
        QCOMPARE(mismatches(before, snapshot(ex.form)), QStringList());
    }

    // The held pointer goes on to the butyne picture and is released there.
    const QPoint picture = centreOf(ex.form, reaction(ex.form, 2));
    ex.move(picture);
    if (follows) {
        QCOMPARE(topLeft(dragged), ex.twipsAt(picture) - HangOffset);
    }
    ex.release(picture);
    VERIFY_LAYOUT(ex, nullptr);
    Snapshot expected = before;
    if (follows) {
        moveTile(expected, indexOf(dragged), Slots.at(2));
        for (int k : boxesOf(2)) {
            expected.shown.at(k) = true;
        }
    }
    QCOMPARE(mismatches(expected, snapshot(ex.form)), QStringList());
    QVERIFY(!ex.gradeShown());
}

void TestDrag::dropDecidesWhereTileLands_data() {
    QTest::addColumn<int>("placedOn"); // the reaction that holds its right compound first, or -1
    QTest::addColumn<int>("kind");     // of the dragged tile
    QTest::addColumn<QString>("over"); // the control under the pointer; empty for the background
    QTest::addColumn<QPointF>("at");   // from that control's centre, or the client point
    QTest::addColumn<int>("steps");    // pointer moves before the release
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("landsOn"); // the reaction that holds the tile after the drop, or -1

    const QPointF centre(0, 0);
    const Qt::MouseButton left = Qt::LeftButton;
    const Qt::MouseButton right = Qt::RightButton;
    const auto picture = [](int r) { return QStringLiteral("ImgSyntactic_%1").arg(r); };
    const auto coefficient = [](int k) { return QStringLiteral("tCoefficient_%1").arg(k); };

    QTest::newRow("window background in the tray band")
        << -1 << +Hydrogen << QString() << TrayGap << DragSteps << left << -1;
    QTest::newRow("window background on the panel")
        << -1 << +Hydrogen << QString() << PanelGap << DragSteps << left << -1;
    QTest::newRow("another tray tile")
        << -1 << +Hydrogen << QStringLiteral("ImgMolecular_0") << centre << DragSteps << left << -1;
    QTest::newRow("tile placed on ethyne")
        << 0 << +Hydrogen << PlacedTile << centre << DragSteps << left << -1;
    QTest::newRow("tile placed on pentyne")
        << 3 << +Hydrogen << PlacedTile << centre << DragSteps << left << -1;
    QTest::newRow("information label") << -1 << +Hydrogen << Information << centre << DragSteps << left << -1;
    QTest::newRow("information label, released without a move")
        << -1 << +Hydrogen << Information << centre << 0 << left << -1;
    QTest::newRow("click without movement") << -1 << +Hydrogen << PressedTile << centre << 0 << left << -1;
    QTest::newRow("right-button click without movement")
        << -1 << +Hydrogen << PressedTile << centre << 0 << right << -1;
    QTest::newRow("right-button drag to the panel")
        << -1 << +Hydrogen << QString() << PanelGap << DragSteps << right << -1;
    QTest::newRow("right-button drag onto a placed tile")
        << 2 << +Hydrogen << PlacedTile << centre << DragSteps << right << -1;

    QTest::newRow("ethyne takes carbon dioxide")
        << -1 << +CarbonDioxide << picture(0) << centre << DragSteps << left << 0;
    QTest::newRow("propyne takes water") << -1 << +Water << picture(1) << centre << DragSteps << left << 1;
    QTest::newRow("butyne takes carbon dioxide")
        << -1 << +CarbonDioxide << picture(2) << centre << DragSteps << left << 2;
    QTest::newRow("pentyne takes water") << -1 << +Water << picture(3) << centre << DragSteps << left << 3;
    QTest::newRow("general alkyne takes carbon dioxide")
        << -1 << +CarbonDioxide << picture(4) << centre << DragSteps << left << 4;
    QTest::newRow("ethyne takes wrong carbon")
        << -1 << +Carbon << picture(0) << centre << DragSteps << left << 0;
    QTest::newRow("propyne takes wrong carbon monoxide")
        << -1 << +CarbonMonoxide << picture(1) << centre << DragSteps << left << 1;
    QTest::newRow("butyne takes wrong water")
        << -1 << +Water << picture(2) << centre << DragSteps << left << 2;
    QTest::newRow("pentyne takes wrong hydrogen")
        << -1 << +Hydrogen << picture(3) << centre << DragSteps << left << 3;
    QTest::newRow("general alkyne takes wrong water")
        << -1 << +Water << picture(4) << centre << DragSteps << left << 4;
    QTest::newRow("right-button drag onto pentyne")
        << -1 << +Water << picture(3) << centre << DragSteps << right << 3;
    QTest::newRow("right-button drag onto the general alkyne")
        << -1 << +Carbon << picture(4) << centre << DragSteps << right << 4;

    QTest::newRow("ethyne picture beside its compound")
        << 0 << +Carbon << picture(0) << centre << DragSteps << left << 0;
    QTest::newRow("butyne picture, same compound again")
        << 2 << +CarbonDioxide << picture(2) << centre << DragSteps << left << 2;
    QTest::newRow("box 2 places on ethyne")
        << 0 << +Water << coefficient(2) << centre << DragSteps << left << 0;
    QTest::newRow("box 4 places on propyne")
        << 1 << +CarbonMonoxide << coefficient(4) << centre << DragSteps << left << 1;
    QTest::newRow("box 13 places on pentyne")
        << 3 << +Hydrogen << coefficient(13) << centre << DragSteps << left << 3;
    QTest::newRow("box 17 places on the general alkyne")
        << 4 << +Water << coefficient(17) << centre << DragSteps << left << 4;
    QTest::newRow("box 19 places on the general alkyne")
        << 4 << +CarbonDioxide << coefficient(19) << centre << DragSteps << left << 4;
}

void TestDrag::dropDecidesWhereTileLands() {
    QFETCH(int, placedOn);
    QFETCH(int, kind);
    QFETCH(QString, over);
    QFETCH(QPointF, at);
    QFETCH(int, steps);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, landsOn);
    Exercise ex;
    QVERIFY(ex.ready());
    const Picture *placed = nullptr;
    QPointF placedHome;
    if (placedOn >= 0) {
        placed = ex.tileUnder(ex.stackOf(RightKind.at(placedOn)));
        QVERIFY(placed != nullptr);
        placedHome = topLeft(placed);
        QCOMPARE(ex.place(RightKind.at(placedOn), placedOn), placed);
    }
    ex.check();
    // Coefficients typed into the shown boxes, and texts left in the hidden ones.
    for (int k = 0; k < BoxCount; ++k) {
        QLineEdit *b = box(ex.form, k);
        const QString text = QString::number(k + 2);
        b->isVisible() ? QTest::keyClicks(b, text) : b->setText(text);
    }
    const Snapshot before = snapshot(ex.form);

    const QPoint from = ex.stackOf(kind);
    Picture *dragged = ex.tileUnder(from);
    QVERIFY(dragged != nullptr && dragged != placed);
    ex.press(from, button);
    QVERIFY(!ex.gradeShown());
    const QPoint to = ex.target(over, at, dragged, placed);
    ex.glide(to, steps);
    ex.release(to);
    VERIFY_LAYOUT(ex, nullptr);
    Snapshot expected = before;
    if (landsOn >= 0) {
        moveTile(expected, indexOf(dragged), Slots.at(landsOn));
        for (int k : boxesOf(landsOn)) {
            expected.shown.at(k) = true;
        }
        if (placedOn == landsOn) {
            moveTile(expected, indexOf(placed), placedHome);
        }
        const QObjectList order = client(ex.form)->children();
        QVERIFY(order.indexOf(dragged) > order.indexOf(reaction(ex.form, landsOn)));
    }
    QCOMPARE(mismatches(expected, snapshot(ex.form)), QStringList());
    QVERIFY(!ex.gradeShown());
}

void TestDrag::placedTileCannotBeDragged_data() {
    QTest::addColumn<int>("reaction");
    QTest::addColumn<Qt::MouseButton>("button");

    QTest::newRow("left button on ethyne's compound") << 0 << Qt::LeftButton;
    QTest::newRow("right button on pentyne's compound") << 3 << Qt::RightButton;
    QTest::newRow("left button on the general alkyne's compound") << 4 << Qt::LeftButton;
}

void TestDrag::placedTileCannotBeDragged() {
    QFETCH(int, reaction);
    QFETCH(Qt::MouseButton, button);
    Exercise ex;
    QVERIFY(ex.ready());
    const Picture *placed = ex.place(RightKind.at(reaction), reaction);
    QVERIFY(placed != nullptr);
    ex.check();
    QVERIFY(ex.gradeShown());
    VERIFY_LAYOUT(ex, nullptr);
    const Snapshot before = snapshot(ex.form);

    ex.press(centreOf(ex.form, placed), button);
    const std::array<QPoint, 4> path{ex.at(PanelGap), centreOf(ex.form, testkit::reaction(ex.form, 1)),
                                     ex.at(QPointF(1800, 165)), ex.target(Information, QPointF(0, 0))};
    for (const QPoint &p : path) {
        ex.move(p);
        VERIFY_LAYOUT(ex, nullptr);
        QCOMPARE(mismatches(before, snapshot(ex.form)), QStringList());
    }
    ex.release(ex.at(PanelGap));
    VERIFY_LAYOUT(ex, nullptr);
    QCOMPARE(mismatches(before, snapshot(ex.form)), QStringList());
    QVERIFY(ex.gradeShown());
}

void TestDrag::doubleClickTakesTileOff_data() {
    QTest::addColumn<int>("reaction");  // holds the right compound, as does the next reaction
    QTest::addColumn<bool>("onPlaced"); // the double click lands on its tile, or on a tray tile

    for (int r = 0; r < ReactionCount; ++r) {
        QTest::addRow("compound on reaction %d", r) << r << true;
    }
    QTest::newRow("tray tile while ethyne holds a compound") << 0 << false;
    QTest::newRow("tray tile while the general alkyne holds a compound") << 4 << false;
}

void TestDrag::doubleClickTakesTileOff() {
    QFETCH(int, reaction);
    QFETCH(bool, onPlaced);
    Exercise ex;
    QVERIFY(ex.ready());
    const int neighbour = (reaction + 1) % ReactionCount;
    const Picture *placed = ex.tileUnder(ex.stackOf(RightKind.at(reaction)));
    QVERIFY(placed != nullptr);
    const QPointF home = topLeft(placed);
    QCOMPARE(ex.place(RightKind.at(reaction), reaction), placed);
    QVERIFY(ex.place(RightKind.at(neighbour), neighbour) != nullptr);
    ex.check();
    QVERIFY(ex.gradeShown());
    for (int k : boxesOf(reaction) + boxesOf(neighbour)) {
        QTest::keyClicks(box(ex.form, k), QString::number(k + 2));
    }
    VERIFY_LAYOUT(ex, nullptr);
    const Snapshot before = snapshot(ex.form);

    ex.doubleClick(onPlaced ? centreOf(ex.form, placed) : ex.stackOf(Hydrogen));
    VERIFY_LAYOUT(ex, nullptr);
    Snapshot expected = before;
    if (onPlaced) {
        moveTile(expected, indexOf(placed), home);
        for (int k : boxesOf(reaction)) {
            expected.shown.at(k) = false;
            expected.texts.at(k).clear();
        }
    }
    QCOMPARE(mismatches(expected, snapshot(ex.form)), QStringList());
    // Taking a tile off hides the grade; so does the drag that a tray tile's press begins.
    QVERIFY(!ex.gradeShown());
    if (!onPlaced) {
        return;
    }

    // The emptied reaction has let go of the tile: once the tile lies on the next reaction, a
    // compound dropped on the emptied one leaves it there.
    QCOMPARE(ex.place(RightKind.at(reaction), neighbour), placed);
    QVERIFY(ex.place(Hydrogen, reaction) != nullptr);
    VERIFY_LAYOUT(ex, nullptr);
    QCOMPARE(topLeft(placed), Slots.at(neighbour));
}

void TestDrag::tooltipNamesGesture_data() {
    QTest::addColumn<int>("placedOn"); // the reaction of the tile, or -1 for a tray tile
    QTest::addColumn<bool>("takenOff");
    QTest::addColumn<QString>("tip");

    QTest::newRow("tray tile") << -1 << false << TrayTip;
    QTest::newRow("tile on ethyne") << 0 << false << PlacedTip;
    QTest::newRow("tile on pentyne") << 3 << false << PlacedTip;
    QTest::newRow("tile taken off propyne") << 1 << true << TrayTip;
}

void TestDrag::tooltipNamesGesture() {
    QFETCH(int, placedOn);
    QFETCH(bool, takenOff);
    QFETCH(QString, tip);
    Exercise ex;
    QVERIFY(ex.ready());
    Picture *hovered =
        placedOn >= 0 ? ex.place(RightKind.at(placedOn), placedOn) : ex.tileUnder(ex.stackOf(Water));
    QVERIFY(hovered != nullptr);
    if (takenOff) {
        ex.doubleClick(centreOf(ex.form, hovered));
    }
    VERIFY_LAYOUT(ex, nullptr);
    hovered->setToolTip(QString());
    ex.move(ex.at(PanelGap));
    const QPoint over = centreOf(ex.form, hovered);
    QCOMPARE(ex.tileUnder(over), hovered);
    ex.move(over);
    QCOMPARE(hovered->toolTip(), tip);
    VERIFY_LAYOUT(ex, nullptr);
}

void TestDrag::abandonedDragSendsTileHome_data() {
    QTest::addColumn<QString>("how");

    QTest::newRow("released over the menu bar") << QStringLiteral("menu bar");
    QTest::newRow("released above the window") << QStringLiteral("above");
    QTest::newRow("released left of the window") << QStringLiteral("left");
    QTest::newRow("released right of the window") << QStringLiteral("right");
    QTest::newRow("released below the window") << QStringLiteral("below");
    QTest::newRow("window deactivated") << QStringLiteral("deactivated");
    QTest::newRow("another window activated") << QStringLiteral("other window");
}

void TestDrag::abandonedDragSendsTileHome() {
    QFETCH(QString, how);
    Exercise ex;
    QVERIFY(ex.ready());
    QVERIFY(showActive(ex.form));
    const Snapshot before = snapshot(ex.form);
    const int menuBarHeight = client(ex.form)->mapTo(&ex.form, QPoint(0, 0)).y();
    QVERIFY(menuBarHeight > 1);
    const QPoint outside = how == QLatin1String("menu bar") ? QPoint(300, menuBarHeight / 2)
                           : how == QLatin1String("above")  ? QPoint(300, -20)
                           : how == QLatin1String("left")   ? QPoint(-20, 300)
                           : how == QLatin1String("right")  ? QPoint(ex.form.width() + 20, 300)
                           : how == QLatin1String("below")  ? QPoint(300, ex.form.height() + 20)
                                                            : QPoint();

    const QPoint from = ex.stackOf(Water);
    Picture *dragged = ex.tileUnder(from);
    QVERIFY(dragged != nullptr);
    ex.press(from);
    const QPoint picture = centreOf(ex.form, reaction(ex.form, 1));
    ex.move(picture);
    QVERIFY(dragged->twipGeometry().top > TrayLine);
    VERIFY_LAYOUT(ex, dragged);
    QWidget other;
    if (!outside.isNull()) {
        ex.move(outside);
        QCOMPARE(topLeft(dragged), ex.twipsAt(picture) - HangOffset);
        ex.release(outside);
    } else {
        if (how == QLatin1String("other window")) {
            QVERIFY(showActive(other));
        } else {
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(&ex.form, &deactivate);
        }
        VERIFY_LAYOUT(ex, nullptr);
        QCOMPARE(mismatches(before, snapshot(ex.form)), QStringList());
        // The drag is over: the pointer, still held, neither carries nor drops the tile.
        const QPoint pentyne = centreOf(ex.form, reaction(ex.form, 3));
        ex.move(pentyne);
        QCOMPARE(mismatches(before, snapshot(ex.form)), QStringList());
        ex.release(pentyne);
    }
    VERIFY_LAYOUT(ex, nullptr);
    QCOMPARE(mismatches(before, snapshot(ex.form)), QStringList());
}

QTEST_MAIN(TestDrag)
#include "tst_drag.moc"
