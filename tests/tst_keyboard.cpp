// Placing compounds with the keyboard alone, and what a screen reader is told. Keys go to the
// exercise window as real key events; after every key (and every pointer event of the scenarios
// where the mouse takes turns) the layout is checked as the drag tests check it.

#include "exercise/form1.h"
#include "exercise/keyboard_placing.h"
#include "testkit.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <array>
#include <utility>

using namespace testkit;

namespace {

enum Kind { Carbon, CarbonDioxide, CarbonMonoxide, Water, Hydrogen };
const std::array<QString, KindCount> KindName{"άνθρακας", "διοξείδιο του άνθρακα", "μονοξείδιο του άνθρακα",
                                              "νερό", "υδρογόνο"};

// Every accessibility event, with the name of the object it concerns as it read then.
struct Heard {
    QAccessible::Event type;
    QObject *object;
    QString name;
    QString description;
    QString message; // what an announcement says
};
QList<Heard> heard;
void listen(QAccessibleEvent *event) {
    QAccessibleInterface *about = event->accessibleInterface();
    QString message;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (event->type() == QAccessible::Announcement) {
        message = static_cast<QAccessibleAnnouncementEvent *>(event)->message();
    }
#endif
    heard << Heard{event->type(), event->object(),
                   about != nullptr ? about->text(QAccessible::Name) : QString(),
                   about != nullptr ? about->text(QAccessible::Description) : QString(), message};
}
// The control a screen reader reads last: the one the last focus event named, as it read then.
Heard lastRead() {
    for (auto h = heard.crbegin(); h != heard.crend(); ++h) {
        if (h->type == QAccessible::Focus) {
            return *h;
        }
    }
    return {};
}
// Each compound's words, whatever the case, as a screen reader might say them.
const std::array<QStringList, KindCount> KindWords{{{"άνθρακα"},
                                                    {"διοξείδιο", "διοξειδίου"},
                                                    {"μονοξείδιο", "μονοξειδίου"},
                                                    {"νερό", "νερού"},
                                                    {"υδρογόνο", "υδρογόνου"}}};
bool names(const QString &text, int kind) {
    return std::any_of(KindWords.at(kind).begin(), KindWords.at(kind).end(),
                       [&](const QString &word) { return text.contains(word); });
}

QString accessible(QObject *object, QAccessible::Text text) {
    QAccessibleInterface *about = QAccessible::queryAccessibleInterface(object);
    return about != nullptr ? about->text(text) : QStringLiteral("(no interface)");
}

QPointF topLeft(const Picture *tile) {
    return {tile->twipGeometry().left, tile->twipGeometry().top};
}

// A pupil at the exercise window, with the keyboard and, now and then, the mouse.
class Pupil {
public:
    Pupil() = default;
    Pupil(const Pupil &) = delete;
    Pupil &operator=(const Pupil &) = delete;

    bool ready() { return showActive(form); }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(form.windowHandle(), k, modifiers);
        note(QStringLiteral("key %1").arg(QKeySequence(k).toString()));
    }
    void keys(Qt::Key k, int times) {
        for (int i = 0; i < times; ++i) {
            key(k);
        }
    }
    void type(const QString &text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, form.windowHandle(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
        note(QStringLiteral("typing %1").arg(text));
    }
    void press(QPoint p) {
        Picture *pressed = testkit::tileUnder(form, p);
        // A tray tile, or the tile the keyboard carries (which goes home first), begins a drag.
        const bool drags =
            pressed != nullptr && (pressed->twipGeometry().top == TrayTop || pressed == carried());
        dragged = drags ? pressed : nullptr;
        testkit::press(form, p);
        note(QStringLiteral("press"));
    }
    void move(QPoint p) {
        moveTo(form, p);
        note(QStringLiteral("move"));
    }
    void release(QPoint p) {
        testkit::release(form, p);
        dragged = nullptr;
        note(QStringLiteral("release"));
    }
    void doubleClick(QPoint p) {
        testkit::doubleClick(form, p);
        note(QStringLiteral("double click"));
    }

    Picture *focusedTile() const { return qobject_cast<Picture *>(QApplication::focusWidget()); }
    int focusedBox() const {
        const QWidget *focused = QApplication::focusWidget();
        return focused != nullptr && focused->objectName().startsWith(QLatin1String("tCoefficient_"))
                   ? focused->objectName().section(QLatin1Char('_'), 1).toInt()
                   : -1;
    }
    // The reactions shown as targets (at most one may be).
    QList<int> targets() const {
        QList<int> found;
        for (int r = 0; r < ReactionCount; ++r) {
            if (reaction(form, r)->isHighlighted()) {
                found << r;
            }
        }
        return found;
    }
    // The tile being carried: the focused one while a reaction is shown as the target.
    Picture *carried() const { return targets().isEmpty() ? nullptr : focusedTile(); }
    // The tile that may lie anywhere: carried by the keyboard or dragged by the mouse.
    const Picture *inTransit() const { return dragged != nullptr ? dragged : carried(); }
    bool gradeShown() const { return control(form, QStringLiteral("LGrade"))->isVisible(); }
    QString grade() const { return qobject_cast<QLabel *>(control(form, QStringLiteral("LGrade")))->text(); }

    // Listens its way along the tiles, F6 first when the focus is not on one, to the tray tile of a kind.
    Picture *reachTrayTile(int kind) {
        if (focusedTile() == nullptr) {
            key(Qt::Key_F6);
        }
        for (int step = 0; step <= TileCount; ++step) {
            const Picture *t = focusedTile();
            if (t != nullptr &&
                accessible(const_cast<Picture *>(t), QAccessible::Name) == KindName.at(kind) &&
                t->twipGeometry().top == TrayTop) {
                return focusedTile();
            }
            key(Qt::Key_Right);
        }
        return nullptr;
    }
    // Picks up the tray tile of a kind, moves the target down to the reaction and drops the tile there.
    Picture *place(int kind, int reaction) {
        Picture *t = reachTrayTile(kind);
        if (t == nullptr) {
            return nullptr;
        }
        key(Qt::Key_Space);
        keys(Qt::Key_Down, reaction);
        key(Qt::Key_Return);
        return t;
    }
    // From the box that has the focus, types a reaction's coefficients, Tab between the boxes.
    // Types a right answer into the reaction's boxes, from the first one shown on, Tab between them.
    void answer(int reaction) {
        const QList<int> boxes = boxesOf(reaction);
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            if (i > 0) {
                key(Qt::Key_Tab);
            }
            type(RightTexts.at(reaction).at(boxes.at(i) % facts::BoxesPerReaction));
        }
    }

    Form1 form;
    QString brokenOnTheWay; // the first broken rule seen after an event

private:
    const Picture *dragged = nullptr; // the tray tile a held mouse button pressed
    void note(const QString &event) {
        QString broken =
            targets().size() > 1 ? QStringLiteral("two targets shown") : brokenRule(form, inTransit());
        if (broken.isEmpty() && !targets().isEmpty() && carried() == nullptr) {
            broken = QStringLiteral("a target shown while no tile is carried");
        }
        if (brokenOnTheWay.isEmpty() && !broken.isEmpty()) {
            brokenOnTheWay = QStringLiteral("after the %1: %2").arg(event, broken);
        }
    }
};

#define VERIFY_LAYOUT(pupil)                                                                                 \
    do {                                                                                                     \
        const QString broken = (pupil).brokenOnTheWay.isEmpty()                                              \
                                   ? brokenRule((pupil).form, (pupil).carried())                             \
                                   : (pupil).brokenOnTheWay;                                                 \
        QVERIFY2(broken.isEmpty(), qPrintable(broken));                                                      \
    } while (false)

int indexOf(const QWidget *tile) {
    return tile->objectName().section(QLatin1Char('_'), 1).toInt();
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QAccessible::installUpdateHandler(listen);
        // As a screen reader's arrival does on the desktop.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    void init() { heard.clear(); }

    // ---- The pure parts -------------------------------------------------------------------------

    void reachableTiles_data() {
        QTest::addColumn<QList<int>>("columnOfKind");
        QTest::addColumn<QList<int>>("trayBackToFront");
        QTest::addColumn<QList<int>>("placed");
        QTest::addColumn<QList<int>>("order");
        const QList<int> none{-1, -1, -1, -1, -1};
        QTest::newRow("design order, every tile home, tile n+5 behind tile n")
            << QList<int>{0, 1, 2, 3, 4} << QList<int>{24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12,
                                                       11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0}
            << none << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("shuffled columns: left to right, not by kind")
            << QList<int>{3, 0, 4, 1, 2} << QList<int>{5, 6, 7, 8, 9, 0, 1, 2, 3, 4} << none
            << QList<int>{1, 3, 4, 0, 2};
        QTest::newRow("a tile brought home lies on top of its stack")
            << QList<int>{0, 1, 2, 3, 4} << QList<int>{0, 1, 2, 3, 4, 15} << none
            << QList<int>{15, 1, 2, 3, 4};
        QTest::newRow("placed tiles follow in reaction order, not tile order")
            << QList<int>{0, 1, 2, 3, 4} << QList<int>{0, 1, 2, 3, 4} << QList<int>{21, -1, 6, -1, 11}
            << QList<int>{0, 1, 2, 3, 4, 21, 6, 11};
        QTest::newRow("an emptied stack is skipped")
            << QList<int>{4, 3, 2, 1, 0} << QList<int>{0, 2, 3, 4} << QList<int>{1, 6, 11, 16, 21}
            << QList<int>{4, 3, 2, 0, 1, 6, 11, 16, 21};
        QTest::newRow("nothing in the tray") << QList<int>{0, 1, 2, 3, 4} << QList<int>{}
                                             << QList<int>{5, 6, 7, 8, 9} << QList<int>{5, 6, 7, 8, 9};
    }

    void reachableTiles() {
        QFETCH(QList<int>, columnOfKind);
        QFETCH(QList<int>, trayBackToFront);
        QFETCH(QList<int>, placed);
        QFETCH(QList<int>, order);
        keyboard::Board board;
        for (int k = 0; k < KindCount; ++k) {
            board.columnOfKind.at(k) = static_cast<std::int16_t>(columnOfKind.at(k));
            board.placed.at(k) = placed.at(k);
        }
        board.trayTilesBackToFront.assign(trayBackToFront.begin(), trayBackToFront.end());
        const std::vector<int> found = keyboard::reachableTiles(board);
        QCOMPARE(QList<int>(found.begin(), found.end()), order);
    }

    void neighbour_data() {
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("next");
        const QList<int> order{7, 3, 9, 12};
        QTest::newRow("right") << order << 3 << 1 << 9;
        QTest::newRow("left") << order << 9 << -1 << 3;
        QTest::newRow("right from the last goes round") << order << 12 << 1 << 7;
        QTest::newRow("left from the first goes round") << order << 7 << -1 << 12;
        QTest::newRow("covered tile, right: the first") << order << 20 << 1 << 7;
        QTest::newRow("covered tile, left: the last") << order << 20 << -1 << 12;
        QTest::newRow("a single tile is its own neighbour") << QList<int>{4} << 4 << 1 << 4;
        QTest::newRow("nothing to reach") << QList<int>{} << 4 << 1 << -1;
    }

    void neighbour() {
        QFETCH(QList<int>, order);
        QFETCH(int, current);
        QFETCH(int, step);
        QFETCH(int, next);
        QCOMPARE(keyboard::neighbour(std::vector<int>(order.begin(), order.end()), current, step), next);
    }

    void nextTarget_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("next");
        QTest::newRow("down") << 0 << 1 << 1;
        QTest::newRow("up") << 3 << -1 << 2;
        QTest::newRow("down from the general alkyne to ethyne") << 4 << 1 << 0;
        QTest::newRow("up from ethyne to the general alkyne") << 0 << -1 << 4;
    }

    void nextTarget() {
        QFETCH(int, target);
        QFETCH(int, step);
        QFETCH(int, next);
        QCOMPARE(keyboard::nextTarget(target, step), next);
    }

    void equationsReadAsThePicturesShow_data() {
        QTest::addColumn<int>("reaction");
        QTest::addColumn<int>("inBlank"); // the kind that lies in the blank, or -1
        QTest::addColumn<QString>("words");
        QTest::newRow("ethyne, C2H2, blank first")
            << 0 << -1 << "Αιθίνιο, με 2 άτομα άνθρακα και 2 υδρογόνου, και οξυγόνο δίνουν: κενό και νερό";
        QTest::newRow("propyne, C3H4, blank last") << 1 << -1
                                                   << "Προπίνιο, με 3 άτομα άνθρακα και 4 υδρογόνου, και "
                                                      "οξυγόνο δίνουν: διοξείδιο του άνθρακα και κενό";
        QTest::newRow("butyne, C4H6, with carbon in the blank")
            << 2 << +Carbon
            << "Βουτίνιο, με 4 άτομα άνθρακα και 6 υδρογόνου, και οξυγόνο δίνουν: άνθρακας στο κενό και νερό";
        QTest::newRow("pentyne, C5H8, with water in the blank")
            << 3 << +Water
            << "Πεντίνιο, με 5 άτομα άνθρακα και 8 υδρογόνου, και οξυγόνο δίνουν: διοξείδιο του άνθρακα και "
               "νερό στο κενό";
        QTest::newRow("general alkyne, 2 CνH2ν−2")
            << 4 << -1
            << "Γενικό αλκίνιο με ν άτομα άνθρακα και 2ν μείον 2 υδρογόνου, με τυπωμένο συντελεστή 2, και "
               "οξυγόνο δίνουν: κενό και νερό";
    }

    void equationsReadAsThePicturesShow() {
        QFETCH(int, reaction);
        QFETCH(int, inBlank);
        QFETCH(QString, words);
        const std::optional<facts::Kind> kind =
            inBlank < 0 ? std::nullopt : std::optional<facts::Kind>(static_cast<facts::Kind>(inBlank));
        QCOMPARE(spoken::equation(reaction, kind), words);
    }

    void checkTellsWhatItDid_data() {
        QTest::addColumn<QList<int>>("sentHome"); // pairs: kind, reaction
        QTest::addColumn<QList<int>>("emptied");
        QTest::addColumn<QString>("said");
        QTest::newRow("three home, listed with \"και\" before the last")
            << QList<int>{Carbon, 0, Hydrogen, 2, Water, 4} << QList<int>{}
            << "3 ενώσεις γύρισαν στη σειρά των ενώσεων: ο άνθρακας από την καύση του αιθινίου, το υδρογόνο "
               "από την καύση του βουτινίου και το νερό από την καύση του γενικού αλκινίου.";
        QTest::newRow("emptied only")
            << QList<int>{} << QList<int>{1, 3, 4}
            << "Άδειασαν οι συντελεστές της καύσης του προπινίου, του πεντινίου και "
               "του γενικού αλκινίου.";
    }

    void checkTellsWhatItDid() {
        QFETCH(QList<int>, sentHome);
        QFETCH(QList<int>, emptied);
        QFETCH(QString, said);
        std::vector<spoken::SentHome> home;
        for (qsizetype i = 0; i + 1 < sentHome.size(); i += 2) {
            home.push_back({static_cast<facts::Kind>(sentHome.at(i)), sentHome.at(i + 1)});
        }
        QCOMPARE(spoken::checked(home, std::vector<int>(emptied.begin(), emptied.end())), said);
    }

    // ---- The window -----------------------------------------------------------------------------

    void wholeAttemptByKeyboardAlone() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        for (int r = 0; r < ReactionCount; ++r) {
            Picture *placed = pupil.place(RightKind.at(r), r);
            QVERIFY2(placed != nullptr, qPrintable(QStringLiteral("reaction %1").arg(r)));
            QCOMPARE(topLeft(placed), Slots.at(r));
            QCOMPARE(pupil.focusedBox(), boxesOf(r).first());
            pupil.answer(r);
            pupil.key(Qt::Key_F6); // back to the tray for the next compound
            QVERIFY(pupil.focusedTile() != nullptr);
        }
        VERIFY_LAYOUT(pupil);
        // Alt opens the menu bar on "Βοήθεια"; Right moves to "Έλεγχος"; Enter chooses it.
        pupil.key(Qt::Key_Alt);
        QVERIFY(QTest::qWaitFor([&] { return pupil.form.menuBar()->activeAction() != nullptr; }));
        QCOMPARE(pupil.form.menuBar()->activeAction()->objectName(), QStringLiteral("mnuHelp"));
        pupil.key(Qt::Key_Right);
        QCOMPARE(pupil.form.menuBar()->activeAction()->objectName(), QStringLiteral("mnuCheck"));
        pupil.key(Qt::Key_Return);
        QVERIFY(pupil.gradeShown());
        QCOMPARE(pupil.grade(), QStringLiteral("100%"));
        VERIFY_LAYOUT(pupil);
    }

    void menuSelectionIsSeenAndHeard_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Alt") << QList<int>{Qt::Key_Alt} << QStringLiteral("mnuHelp");
        QTest::newRow("Alt, Right") << QList<int>{Qt::Key_Alt, Qt::Key_Right} << QStringLiteral("mnuCheck");
        QTest::newRow("Alt, Right, Right")
            << QList<int>{Qt::Key_Alt, Qt::Key_Right, Qt::Key_Right} << QStringLiteral("mnuRestart");
        QTest::newRow("Alt, Left goes round")
            << QList<int>{Qt::Key_Alt, Qt::Key_Left} << QStringLiteral("mnuExit");
    }

    // The command that Enter would run is plain to see in the menu bar, and a screen reader hears it.
    void menuSelectionIsSeenAndHeard() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, selected);
        Pupil pupil;
        QVERIFY(pupil.ready());
        QMenuBar *bar = pupil.form.menuBar();
        heard.clear();
        for (int k : keys) {
            pupil.key(Qt::Key(k));
        }
        QVERIFY(QTest::qWaitFor([&] { return bar->activeAction() != nullptr; }));
        QCOMPARE(bar->activeAction()->objectName(), selected);
        const QImage shown = bar->grab().toImage();
        const QColor highlight = bar->palette().color(QPalette::Active, QPalette::Highlight);
        const qreal ratio = shown.devicePixelRatio();
        for (QAction *item : bar->actions()) {
            const QRect r = bar->actionGeometry(item);
            int highlighted = 0;
            for (int y = qRound(r.top() * ratio); y < qRound((r.bottom() + 1) * ratio); ++y) {
                for (int x = qRound(r.left() * ratio); x < qRound((r.right() + 1) * ratio); ++x) {
                    highlighted += shown.pixelColor(x, y) == highlight ? 1 : 0;
                }
            }
            // At least a third of the item's face is the highlight colour; no other item has any.
            const bool isSelected = item->objectName() == selected;
            const int face = qRound(r.width() * r.height() * ratio * ratio);
            QVERIFY2(isSelected ? highlighted * 3 >= face : highlighted == 0,
                     qPrintable(QStringLiteral("%1: %2 of %3 pixels highlighted")
                                    .arg(item->objectName())
                                    .arg(highlighted)
                                    .arg(face)));
        }
        const QString caption = bar->activeAction()->text();
        QVERIFY2(std::any_of(heard.begin(), heard.end(),
                             [&](const Heard &h) {
                                 return h.type == QAccessible::Focus && h.object == bar && h.name == caption;
                             }),
                 qPrintable(caption));
        pupil.key(Qt::Key_Escape);
    }

    void pickingUpIsAPress_data() {
        QTest::addColumn<int>("downs");
        QTest::addColumn<int>("target");
        QTest::newRow("at once on ethyne") << 0 << 0;
        QTest::newRow("three down: pentyne") << 3 << 3;
        QTest::newRow("six down goes round to propyne") << 6 << 1;
    }

    // Space picks a tray tile up as a press does; the target moves; Escape puts it back home.
    void pickingUpIsAPress() {
        QFETCH(int, downs);
        QFETCH(int, target);
        Pupil pupil;
        QVERIFY(pupil.ready());
        trigger(pupil.form, "mnuCheck");
        QVERIFY(pupil.gradeShown());
        Picture *t = pupil.reachTrayTile(Water);
        QVERIFY(t != nullptr);
        const Snapshot before = snapshot(pupil.form);
        const qsizetype frontBefore = depth(t);
        pupil.key(Qt::Key_Space);
        QCOMPARE(pupil.carried(), t);
        QVERIFY(!pupil.gradeShown());
        for (int n = 0; n < TileCount; ++n) {
            QVERIFY(tile(pupil.form, n) == t || depth(tile(pupil.form, n)) < depth(t));
        }
        QVERIFY(depth(t) >= frontBefore);
        pupil.keys(Qt::Key_Down, downs);
        QCOMPARE(pupil.targets(), QList<int>{target});
        // Lifted above the target's slot, in front of the reaction.
        QCOMPARE(t->twipGeometry().left, Slots.at(target).x());
        QVERIFY(t->twipGeometry().top < Slots.at(target).y());
        QVERIFY(depth(t) > depth(reaction(pupil.form, target)));
        // Arrows across and Delete do nothing while it is carried.
        pupil.key(Qt::Key_Left);
        pupil.key(Qt::Key_Delete);
        QCOMPARE(pupil.carried(), t);
        pupil.key(Qt::Key_Escape);
        QCOMPARE(pupil.carried(), nullptr);
        QVERIFY(pupil.targets().isEmpty());
        QCOMPARE(pupil.focusedTile(), t);
        QCOMPARE(mismatches(before, snapshot(pupil.form)), QStringList());
        QVERIFY(!pupil.gradeShown());
        VERIFY_LAYOUT(pupil);
    }

    // A held Space picks the tile up once; its repeats neither drop it nor pick it up again.
    void heldSpacePicksUpOnce() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        Picture *t = pupil.reachTrayTile(Carbon);
        QVERIFY(t != nullptr);
        QWindow *window = pupil.form.windowHandle();
        QTest::simulateEvent(window, true, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
        for (int repeat = 0; repeat < 3; ++repeat) {
            QTest::simulateEvent(window, true, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        }
        QTest::simulateEvent(window, false, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
        QCOMPARE(pupil.carried(), t);
        QCOMPARE(pupil.targets(), QList<int>{0});
        VERIFY_LAYOUT(pupil);
    }

    void dropFollowsTheMouseRules_data() {
        QTest::addColumn<int>("first"); // kind placed first on the reaction by the mouse, or -1
        QTest::addColumn<int>("kind");  // placed by the keyboard
        QTest::addColumn<int>("reaction");
        QTest::newRow("wrong compound on an empty reaction") << -1 << +Carbon << 2;
        QTest::newRow("replacing a wrong compound") << +Hydrogen << +Water << 3;
        QTest::newRow("replacing with the same kind") << +CarbonDioxide << +CarbonDioxide << 0;
        QTest::newRow("general alkyne") << +Carbon << +CarbonDioxide << 4;
    }

    // A keyboard drop places as a mouse drop does: the old compound home, the typed coefficients kept.
    void dropFollowsTheMouseRules() {
        QFETCH(int, first);
        QFETCH(int, kind);
        QFETCH(int, reaction);
        Pupil pupil;
        QVERIFY(pupil.ready());
        Picture *old = nullptr;
        QPointF oldHome;
        if (first >= 0) {
            old = pupil.reachTrayTile(first);
            QVERIFY(old != nullptr);
            oldHome = topLeft(old);
            pupil.press(centreOf(pupil.form, old));
            pupil.move(centreOf(pupil.form, testkit::reaction(pupil.form, reaction)));
            pupil.release(centreOf(pupil.form, testkit::reaction(pupil.form, reaction)));
            QCOMPARE(topLeft(old), Slots.at(reaction));
            for (int k : boxesOf(reaction)) {
                box(pupil.form, k)->setText(QString::number(k + 2));
            }
        }
        const Snapshot before = snapshot(pupil.form);
        Picture *t = pupil.place(kind, reaction);
        QVERIFY(t != nullptr && t != old);
        VERIFY_LAYOUT(pupil);
        Snapshot expected = before;
        expected.tiles.at(indexOf(t)).left = static_cast<float>(Slots.at(reaction).x());
        expected.tiles.at(indexOf(t)).top = static_cast<float>(Slots.at(reaction).y());
        if (old != nullptr) {
            expected.tiles.at(indexOf(old)).left = static_cast<float>(oldHome.x());
            expected.tiles.at(indexOf(old)).top = static_cast<float>(oldHome.y());
        }
        for (int k : boxesOf(reaction)) {
            expected.shown.at(k) = true;
        }
        QCOMPARE(mismatches(expected, snapshot(pupil.form)), QStringList());
        QCOMPARE(pupil.focusedBox(), boxesOf(reaction).first());
        QVERIFY(pupil.targets().isEmpty());
    }

    void deleteTakesAPlacedTileOff_data() {
        QTest::addColumn<int>("reaction");
        for (int r = 0; r < ReactionCount; ++r) {
            QTest::addRow("compound on reaction %d", r) << r;
        }
    }

    void deleteTakesAPlacedTileOff() {
        QFETCH(int, reaction);
        Pupil pupil;
        QVERIFY(pupil.ready());
        const int neighbour = (reaction + 1) % ReactionCount;
        Picture *placed = pupil.reachTrayTile(RightKind.at(reaction));
        QVERIFY(placed != nullptr);
        const QPointF home = topLeft(placed);
        QCOMPARE(pupil.place(RightKind.at(reaction), reaction), placed);
        QVERIFY(pupil.place(RightKind.at(neighbour), neighbour) != nullptr);
        pupil.answer(neighbour);
        trigger(pupil.form, "mnuCheck");
        QVERIFY(pupil.gradeShown());
        // Delete on a tray tile changes nothing.
        pupil.key(Qt::Key_F6);
        QVERIFY(pupil.focusedTile() != nullptr && pupil.focusedTile()->twipGeometry().top == TrayTop);
        const Snapshot before = snapshot(pupil.form);
        pupil.key(Qt::Key_Delete);
        QCOMPARE(mismatches(before, snapshot(pupil.form)), QStringList());
        QVERIFY(pupil.gradeShown());
        // Walk to the placed tile by its place in the order and delete it.
        for (int step = 0; step <= TileCount && pupil.focusedTile() != placed; ++step) {
            pupil.key(Qt::Key_Right);
        }
        QCOMPARE(pupil.focusedTile(), placed);
        pupil.key(Qt::Key_Delete);
        VERIFY_LAYOUT(pupil);
        QCOMPARE(topLeft(placed), home);
        for (int k : boxesOf(reaction)) {
            QVERIFY(!box(pupil.form, k)->isVisible());
            QCOMPARE(box(pupil.form, k)->text(), QString());
        }
        for (int k : boxesOf(neighbour)) {
            QVERIFY(box(pupil.form, k)->isVisible());
        }
        QVERIFY(!pupil.gradeShown());
        // The focus went home with it, onto the top of its stack.
        QVERIFY(pupil.focusedTile() != nullptr);
        QCOMPARE(pupil.focusedTile()->twipGeometry().top, TrayTop);
        QCOMPARE(indexOf(pupil.focusedTile()) % KindCount, RightKind.at(reaction));
        QCOMPARE(tileUnder(pupil.form, centreOf(pupil.form, pupil.focusedTile())), pupil.focusedTile());
    }

    void arrowsWalkTheStacksThenThePlacedTiles() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        QVERIFY(pupil.place(Hydrogen, 3) != nullptr);
        QVERIFY(pupil.place(Water, 1) != nullptr);
        pupil.key(Qt::Key_F6);
        QList<Picture *> walked;
        for (int i = 0; i < 7; ++i) {
            walked << pupil.focusedTile();
            pupil.key(Qt::Key_Right);
        }
        QCOMPARE(pupil.focusedTile(), walked.first()); // round again after seven tiles
        walked << pupil.focusedTile();
        for (int i = 0; i < 5; ++i) {
            const Picture *t = walked.at(i);
            QVERIFY(t != nullptr);
            QCOMPARE(t->twipGeometry().top, TrayTop);
            QCOMPARE(t->twipGeometry().left, TrayLefts.at(i));
            QCOMPARE(tileUnder(pupil.form, centreOf(pupil.form, t)), t);
        }
        QCOMPARE(topLeft(walked.at(5)), Slots.at(1));
        QCOMPARE(topLeft(walked.at(6)), Slots.at(3));
        QCOMPARE(walked.at(7), walked.at(0));
        pupil.key(Qt::Key_Left);
        QCOMPARE(pupil.focusedTile(), walked.at(6));
        VERIFY_LAYOUT(pupil);
    }

    void f6SwitchesBetweenBoxesAndTray_data() {
        QTest::addColumn<QList<int>>("placedOn");
        QTest::addColumn<int>("box"); // the box F6 goes to from the tray, or -1 when none is shown
        QTest::newRow("nothing placed") << QList<int>{} << -1;
        QTest::newRow("butyne and the general alkyne") << QList<int>{4, 2} << 8;
        QTest::newRow("the general alkyne alone") << QList<int>{4} << 17;
    }

    void f6SwitchesBetweenBoxesAndTray() {
        QFETCH(QList<int>, placedOn);
        QFETCH(int, box);
        Pupil pupil;
        QVERIFY(pupil.ready());
        for (int r : placedOn) {
            QVERIFY(pupil.place(Carbon, r) != nullptr);
        }
        pupil.key(Qt::Key_Right); // a box or a tile may have the focus; go to the tray first
        if (pupil.focusedTile() == nullptr) {
            pupil.key(Qt::Key_F6);
        }
        pupil.key(Qt::Key_Right);
        pupil.key(Qt::Key_F6);
        QCOMPARE(pupil.focusedBox(), box);
        if (box < 0) {
            // Back into the tray, onto the top tile of the leftmost stack.
            QVERIFY(pupil.focusedTile() != nullptr);
            QCOMPARE(pupil.focusedTile()->twipGeometry().left, TrayLefts.at(0));
        } else {
            pupil.key(Qt::Key_F6);
            QVERIFY(pupil.focusedTile() != nullptr);
            QCOMPARE(pupil.focusedTile()->twipGeometry().left, TrayLefts.at(0));
        }
        VERIFY_LAYOUT(pupil);
    }

    void leavingTheCarriedTilePutsItBack_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Tab") << QStringLiteral("tab");
        QTest::newRow("F6") << QStringLiteral("f6");
        QTest::newRow("Alt for the menu") << QStringLiteral("alt");
        QTest::newRow("a click on a box") << QStringLiteral("box");
        QTest::newRow("a press on another tray tile") << QStringLiteral("tile");
        QTest::newRow("another window") << QStringLiteral("window");
    }

    void leavingTheCarriedTilePutsItBack() {
        QFETCH(QString, how);
        Pupil pupil;
        QVERIFY(pupil.ready());
        QVERIFY(pupil.place(CarbonDioxide, 0) != nullptr);
        Picture *t = pupil.reachTrayTile(Water);
        QVERIFY(t != nullptr);
        const QPointF home = topLeft(t);
        pupil.key(Qt::Key_Space);
        pupil.key(Qt::Key_Down);
        QCOMPARE(pupil.carried(), t);
        QWidget other;
        if (how == QLatin1String("tab")) {
            pupil.key(Qt::Key_Tab);
        } else if (how == QLatin1String("f6")) {
            pupil.key(Qt::Key_F6);
            QCOMPARE(pupil.focusedBox(), 0);
        } else if (how == QLatin1String("alt")) {
            pupil.key(Qt::Key_Alt);
            pupil.key(Qt::Key_Escape);
        } else if (how == QLatin1String("box")) {
            pupil.press(centreOf(pupil.form, box(pupil.form, 2)));
            pupil.release(centreOf(pupil.form, box(pupil.form, 2)));
            QCOMPARE(pupil.focusedBox(), 2);
        } else if (how == QLatin1String("tile")) {
            // The mouse takes the other tile on from here, as it always does.
            Picture *hydrogen = tileUnder(pupil.form, centreOf(pupil.form, tile(pupil.form, Hydrogen)));
            pupil.press(centreOf(pupil.form, hydrogen));
            QCOMPARE(topLeft(t), home);
            const QPoint butyne = centreOf(pupil.form, reaction(pupil.form, 2));
            pupil.move(butyne);
            pupil.release(butyne);
            QCOMPARE(topLeft(hydrogen), Slots.at(2));
        } else {
            QVERIFY(showActive(other));
        }
        QCOMPARE(topLeft(t), home);
        QVERIFY(pupil.targets().isEmpty());
        VERIFY_LAYOUT(pupil);
    }

    // A restart chosen with the mouse while a tile is carried sends it home with the rest; the window
    // then closes with another tile carried.
    void restartAndCloseWhileCarrying() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        Picture *t = pupil.reachTrayTile(Carbon);
        QVERIFY(t != nullptr);
        pupil.key(Qt::Key_Space);
        pupil.keys(Qt::Key_Down, 2);
        QCOMPARE(pupil.carried(), t);
        trigger(pupil.form, "mnuRestart");
        QVERIFY(pupil.targets().isEmpty());
        QCOMPARE(t->twipGeometry().top, TrayTop);
        // Home again, the tile no longer says it is carried: it says what any tray tile says.
        const QString inTray =
            accessible(tile(pupil.form, (indexOf(t) + 1) % TileCount), QAccessible::Description);
        QCOMPARE(accessible(t, QAccessible::Description), inTray);
        VERIFY_LAYOUT(pupil);
        Picture *next = pupil.place(Water, 1);
        QVERIFY(next != nullptr);
        QCOMPARE(topLeft(next), Slots.at(1));
        QCOMPARE(accessible(t, QAccessible::Description), inTray);
        QVERIFY(pupil.reachTrayTile(Hydrogen) != nullptr);
        pupil.key(Qt::Key_Space);
        QVERIFY(pupil.carried() != nullptr);
    }

    void mouseAndKeyboardTakeTurns() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        // Mouse places on ethyne, the keyboard on propyne.
        Picture *byMouse = tileUnder(pupil.form, centreOf(pupil.form, tile(pupil.form, CarbonDioxide)));
        pupil.press(centreOf(pupil.form, byMouse));
        pupil.move(centreOf(pupil.form, reaction(pupil.form, 0)));
        pupil.release(centreOf(pupil.form, reaction(pupil.form, 0)));
        Picture *byKeys = pupil.place(Water, 1);
        QVERIFY(byKeys != nullptr);
        pupil.answer(1);
        // The keyboard replaces the mouse's compound; the mouse takes the keyboard's off.
        Picture *second = pupil.place(CarbonDioxide, 0);
        QVERIFY(second != nullptr && second != byMouse);
        QCOMPARE(topLeft(second), Slots.at(0));
        QCOMPARE(topLeft(byMouse).y(), TrayTop);
        pupil.doubleClick(centreOf(pupil.form, byKeys));
        QCOMPARE(topLeft(byKeys).y(), TrayTop);
        QVERIFY(!box(pupil.form, 4)->isVisible());
        // A tile the mouse placed, taken off with Delete; then placed again by keys.
        pupil.key(Qt::Key_F6);
        for (int step = 0; step <= TileCount && pupil.focusedTile() != second; ++step) {
            pupil.key(Qt::Key_Right);
        }
        pupil.key(Qt::Key_Delete);
        QCOMPARE(topLeft(second).y(), TrayTop);
        // Picked up by keys, then pressed with the mouse: the mouse drags it from home.
        Picture *t = pupil.reachTrayTile(Water);
        pupil.key(Qt::Key_Space);
        pupil.keys(Qt::Key_Down, 3);
        QCOMPARE(pupil.carried(), t);
        const QPoint tileHome = centreOf(pupil.form, t);
        pupil.press(tileHome);
        QCOMPARE(pupil.carried(), nullptr);
        const QPoint pentyne = centreOf(pupil.form, reaction(pupil.form, 3));
        pupil.move(pentyne);
        pupil.release(pentyne);
        QCOMPARE(topLeft(t), Slots.at(3));
        VERIFY_LAYOUT(pupil);
        // Keys during a mouse drag do nothing.
        QVERIFY(pupil.reachTrayTile(Hydrogen) != nullptr);
        Picture *dragged = tileUnder(pupil.form, centreOf(pupil.form, tile(pupil.form, Carbon)));
        const Snapshot before = snapshot(pupil.form);
        pupil.press(centreOf(pupil.form, dragged));
        pupil.key(Qt::Key_Space);
        pupil.key(Qt::Key_Down);
        QVERIFY(pupil.targets().isEmpty());
        pupil.release(centreOf(pupil.form, dragged));
        QCOMPARE(mismatches(before, snapshot(pupil.form)), QStringList());
        VERIFY_LAYOUT(pupil);
    }

    void tilesStayOutOfTheTabChain() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        for (int n = 0; n < TileCount; ++n) {
            QCOMPARE(tile(pupil.form, n)->focusPolicy(), Qt::NoFocus);
        }
        QVERIFY(pupil.place(Carbon, 4) != nullptr);
        QVERIFY(pupil.place(Carbon, 1) != nullptr);
        QCOMPARE(pupil.focusedBox(), 4);
        QList<int> visits;
        for (int i = 0; i < 8; ++i) {
            visits << pupil.focusedBox();
            pupil.key(Qt::Key_Tab);
        }
        QCOMPARE(visits, (QList<int>{4, 5, 6, 7, 17, 18, 19, 4}));
        // A click on a tile leaves the focus where it was, as before.
        const QPoint tray =
            centreOf(pupil.form, tileUnder(pupil.form, centreOf(pupil.form, tile(pupil.form, Water))));
        pupil.press(tray);
        pupil.release(tray);
        QCOMPARE(pupil.focusedBox(), 5);
    }

    // The focused tile shows a frame along its edges, and the target reaction another; their middles
    // are untouched, and both frames go when the tile is dropped.
    void framesShowFocusAndTarget() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        Picture *t = pupil.reachTrayTile(Water);
        Picture *propyne = reaction(pupil.form, 1);
        pupil.key(Qt::Key_Right);
        const QImage tileBefore = t->grab().toImage();
        const QImage pictureBefore = propyne->grab().toImage();
        pupil.key(Qt::Key_Left);
        QCOMPARE(pupil.focusedTile(), t);
        pupil.key(Qt::Key_Space);
        pupil.key(Qt::Key_Down);
        const QImage tileFocused = t->grab().toImage();
        const QImage pictureTargeted = propyne->grab().toImage();
        const auto edgeAndMiddle = [](const QImage &a, const QImage &b) {
            const QPoint edge(a.width() / 2, 3);
            const QPoint middle(a.width() / 2, a.height() / 2);
            return std::make_pair(a.pixel(edge) != b.pixel(edge), a.pixel(middle) != b.pixel(middle));
        };
        QCOMPARE(edgeAndMiddle(tileBefore, tileFocused), std::make_pair(true, false));
        QCOMPARE(edgeAndMiddle(pictureBefore, pictureTargeted), std::make_pair(true, false));
        pupil.key(Qt::Key_Return);
        QCOMPARE(propyne->grab().toImage(), pictureBefore);
        QVERIFY(t->grab().toImage() == tileBefore);
    }

    // ---- What a screen reader reads ---------------------------------------------------------------

    // The reactions are read in words, as Greek chemistry reads them, never as formulas.
    void reactionsReadInWords() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        static const QRegularExpression formula(QStringLiteral("[CHO][0-9ν]|[+→]|\\.\\.\\."));
        for (int r = 0; r < ReactionCount; ++r) {
            Picture *picture = testkit::reaction(pupil.form, r);
            const QString description = accessible(picture, QAccessible::Description);
            QVERIFY2(description.contains(QStringLiteral("κενό")) && !formula.match(description).hasMatch(),
                     qPrintable(description));
            QAccessibleInterface *about = QAccessible::queryAccessibleInterface(picture);
            QCOMPARE(about->role(), QAccessible::Graphic);
            QVERIFY(!about->state().selected);
        }
    }

    void aWrongCompoundGivesNothingAway_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("reaction");
        QTest::newRow("carbon on ethyne") << +Carbon << 0;
        QTest::newRow("carbon monoxide on propyne") << +CarbonMonoxide << 1;
        QTest::newRow("water on butyne") << +Water << 2;
        QTest::newRow("hydrogen on the general alkyne") << +Hydrogen << 4;
    }

    // No box of a reaction names the compound its blank asks for, before or after a Check; the blank's
    // box names what lies there, and the equation is read on the first box alone, where a drop leads.
    void aWrongCompoundGivesNothingAway() {
        QFETCH(int, kind);
        QFETCH(int, reaction);
        const int right = RightKind.at(reaction);
        Pupil pupil;
        QVERIFY(pupil.ready());
        const auto heardOfBoxes = [&](bool placed) {
            QStringList equations;
            for (int k : boxesOf(reaction)) {
                const QString name = accessible(box(pupil.form, k), QAccessible::Name);
                const QString description = accessible(box(pupil.form, k), QAccessible::Description);
                if (names(name + description, right)) {
                    return QStringLiteral("box %1 names the answer: %2 / %3").arg(k).arg(name, description);
                }
                if (!description.isEmpty()) {
                    equations << QString::number(k);
                }
                if (name.contains(QStringLiteral("κενό")) && names(name, kind) != placed) {
                    return QStringLiteral("box %1's name: %2").arg(k).arg(name);
                }
            }
            return equations == QStringList{QString::number(boxesOf(reaction).first())}
                       ? QString()
                       : QStringLiteral("equations on boxes ") + equations.join(QLatin1Char(' '));
        };
        QVERIFY(pupil.place(kind, reaction) != nullptr);
        QCOMPARE(heardOfBoxes(true), QString());
        for (qsizetype i = 0; i < boxesOf(reaction).size(); ++i) {
            pupil.key(Qt::Key_Tab);
            QVERIFY2(!names(lastRead().name + lastRead().description, right), qPrintable(lastRead().name));
        }
        trigger(pupil.form, "mnuCheck");
        QCOMPARE(heardOfBoxes(false), QString());
    }

    void eachCarryingStepIsHeard_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("read");  // the control read last: reaction:N, box:N or tile
        QTest::addColumn<QString>("words"); // in its name and description
        const int space = Qt::Key_Space;
        QTest::newRow("picked up") << QList<int>{space} << "reaction:0"
                                   << "Σηκώσατε το νερό, πάνω από την καύση του αιθινίου";
        QTest::newRow("Down") << QList<int>{space, Qt::Key_Down} << "reaction:1"
                              << "Το νερό πάνω από την καύση του προπινίου";
        QTest::newRow("Up goes round") << QList<int>{space, Qt::Key_Up} << "reaction:4"
                                       << "Το νερό πάνω από την καύση του γενικού αλκινίου";
        QTest::newRow("dropped") << QList<int>{space, Qt::Key_Down, Qt::Key_Return} << "box:4"
                                 << "Συντελεστής του προπινίου";
        QTest::newRow("dropped: in the blank") << QList<int>{space, Qt::Key_Return} << "box:0"
                                               << "δίνουν: νερό στο κενό και νερό";
        QTest::newRow("put back") << QList<int>{space, Qt::Key_Down, Qt::Key_Escape} << "tile"
                                  << "νερό στη σειρά των ενώσεων";
        QTest::newRow("taken off")
            << QList<int>{space, Qt::Key_Return, Qt::Key_F6, Qt::Key_Left, Qt::Key_Delete} << "reaction:0"
            << "Το νερό βγήκε από την καύση του αιθινίου και γύρισε στη σειρά των ενώσεων";
    }

    // Each step of carrying a tile by keyboard ends with a screen reader reading a control that tells it;
    // the pictures that told it read their equations again at the next key.
    void eachCarryingStepIsHeard() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, read);
        QFETCH(QString, words);
        Pupil pupil;
        QVERIFY(pupil.ready());
        QVERIFY(pupil.reachTrayTile(Water) != nullptr);
        std::array<QString, ReactionCount> equations;
        for (int r = 0; r < ReactionCount; ++r) {
            equations.at(r) = accessible(reaction(pupil.form, r), QAccessible::Description);
        }
        heard.clear();
        for (int k : keys) {
            pupil.key(Qt::Key(k));
        }
        const Heard last = lastRead();
        const QString kind = read.section(u':', 0, 0);
        const int index = read.section(u':', 1).toInt();
        const QObject *expected =
            kind == QLatin1String("reaction") ? static_cast<QObject *>(reaction(pupil.form, index))
            : kind == QLatin1String("box")    ? static_cast<QObject *>(box(pupil.form, index))
                                              : pupil.focusedTile();
        QCOMPARE(last.object, expected);
        QVERIFY2((last.name + QLatin1Char(' ') + last.description).contains(words),
                 qPrintable(last.name + QStringLiteral(" / ") + last.description));
        pupil.key(Qt::Key_Right);
        for (int r = 0; r < ReactionCount; ++r) {
            QCOMPARE(accessible(reaction(pupil.form, r), QAccessible::Description), equations.at(r));
        }
        VERIFY_LAYOUT(pupil);
    }

    void checkIsHeard_data() {
        QTest::addColumn<QList<int>>("placed"); // the kind placed on each reaction, or -1
        QTest::addColumn<QString>("grade");
        QTest::addColumn<QString>("said");
        const QList<int> none{-1, -1, -1, -1, -1};
        QTest::newRow("nothing placed") << none << "0%"
                                        << "Καμία ένωση δεν γύρισε πίσω, κανένας συντελεστής δεν άδειασε.";
        QTest::newRow("a wrong compound")
            << QList<int>{Carbon, -1, -1, -1, -1} << "0%"
            << "Μία ένωση γύρισε στη σειρά των ενώσεων: ο άνθρακας από την καύση του αιθινίου.";
        QTest::newRow("two wrong, one right with empty boxes")
            << QList<int>{Water, Water, Water, -1, -1} << "5%"
            << "2 ενώσεις γύρισαν στη σειρά των ενώσεων: το νερό από την καύση του αιθινίου και το νερό από "
               "την καύση του βουτινίου. Άδειασαν οι συντελεστές της καύσης του προπινίου.";
    }

    // After every Check a screen reader reads the grade in the label's words, and what the Check did.
    void checkIsHeard() {
        QFETCH(QList<int>, placed);
        QFETCH(QString, grade);
        QFETCH(QString, said);
        Pupil pupil;
        QVERIFY(pupil.ready());
        for (int r = 0; r < ReactionCount; ++r) {
            if (placed.at(r) >= 0) {
                QVERIFY(pupil.place(placed.at(r), r) != nullptr);
            }
        }
        QWidget *label = control(pupil.form, QStringLiteral("LGrade"));
        for (int check = 0; check < 2; ++check) { // the same grade again is heard again
            heard.clear();
            trigger(pupil.form, "mnuCheck");
            QVERIFY(QTest::qWaitFor([&] { return lastRead().object == label; }));
            QCOMPARE(lastRead().name, QStringLiteral("Βαθμός ") + grade);
            QCOMPARE(lastRead().description, check == 0 ? said : accessible(label, QAccessible::Description));
            // Shown afresh each time, as the browser's accessibility layer reads a status when shown.
            QVERIFY(std::any_of(heard.begin(), heard.end(), [&](const Heard &h) {
                return h.type == QAccessible::ObjectShow && h.object == label && h.name == lastRead().name;
            }));
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
            QVERIFY(std::any_of(heard.begin(), heard.end(), [&](const Heard &h) {
                return h.type == QAccessible::Announcement && h.object == label &&
                       h.message.startsWith(h.name);
            }));
#endif
        }
    }

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // A screen reader that reads only a window's name as it opens hears the keyboard path announced, the
    // first time the window becomes active and only then.
    void keyboardPathAnnouncedOnceAtTheStart() {
        Pupil pupil;
        QVERIFY(pupil.ready());
        const QString path = pupil.form.accessibleDescription();
        QVERIFY(path.contains(QStringLiteral("F6")));
        const auto announced = [&] {
            return std::count_if(heard.begin(), heard.end(), [&](const Heard &h) {
                return h.type == QAccessible::Announcement && h.object == &pupil.form && h.message == path;
            });
        };
        QVERIFY(QTest::qWaitFor([&] { return announced() == 1; }));
        if (!canActivateWindows()) {
            return; // the compositor alone makes a window active again
        }
        QWidget other;
        QVERIFY(showActive(other));
        other.close();
        pupil.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&pupil.form));
        QCOMPARE(announced(), 1);
    }
#endif

    void altTappedUnderAScreenReader_data() {
        QTest::addColumn<bool>("answeredBeforeRelease"); // the screen reader's answer came while Alt was down
        QTest::addColumn<bool>("keptByReader");          // the screen reader kept the keys for itself
        QTest::newRow("a slow reader: both keys sent back after the release") << false << false;
        QTest::newRow("a quick reader: the press sent back while Alt is down") << true << false;
        QTest::newRow("the reader kept both keys") << false << true;
    }

    // With a screen reader on Linux, Qt's accessibility bridge holds each key the window receives until
    // the reader has answered, then sends a copy to the control it was meant for unless the reader kept
    // it; the menu bar has seen the real Alt already. Alt tapped opens the menu bar once, whenever the
    // reader answers.
    void altTappedUnderAScreenReader() {
        QFETCH(bool, answeredBeforeRelease);
        QFETCH(bool, keptByReader);
        Pupil pupil;
        QVERIFY(pupil.ready());
        QMenuBar *bar = pupil.form.menuBar();
        struct Bridge : QObject {
            QList<std::pair<QPointer<QObject>, QKeyEvent *>> held;
            bool eventFilter(QObject *target, QEvent *event) override {
                if (!event->spontaneous() ||
                    (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
                    return false;
                }
                const auto *key = static_cast<QKeyEvent *>(event);
                held.append(
                    {target, new QKeyEvent(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                                           key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                                           key->isAutoRepeat(), static_cast<quint16>(key->count()))});
                return true;
            }
            void answer(bool kept) {
                for (auto &[target, copy] : std::exchange(held, {})) {
                    if (kept || target == nullptr) {
                        delete copy;
                    } else {
                        QCoreApplication::postEvent(target, copy);
                    }
                }
                QCoreApplication::processEvents();
            }
        } bridge;
        qApp->installEventFilter(&bridge);
        QTest::keyPress(pupil.form.windowHandle(), Qt::Key_Alt);
        if (answeredBeforeRelease) {
            bridge.answer(keptByReader);
        }
        QTest::keyRelease(pupil.form.windowHandle(), Qt::Key_Alt);
        bridge.answer(keptByReader);
        qApp->removeEventFilter(&bridge);
        QVERIFY(bar->activeAction() != nullptr);
        QCOMPARE(bar->activeAction()->objectName(), QStringLiteral("mnuHelp"));
        QCOMPARE(QApplication::focusWidget(), bar);
        pupil.key(Qt::Key_Right);
        QCOMPARE(bar->activeAction()->objectName(), QStringLiteral("mnuCheck"));
    }

    void tabGoesOnAfterAKeyboardCheck_data() {
        QTest::addColumn<int>("menuKey");
        QTest::addColumn<bool>("rightOnPropyne");
        QTest::addColumn<int>("tabTo"); // the box Tab goes to, or -1 for a tile
        // Alt's menu bar keeps the keyboard while the box it would give it back to is hidden; F10's gives
        // it back first, and the Check moves it on, to the next box shown or to the window.
        QTest::newRow("Alt, no box left: into the tray") << +Qt::Key_Alt << false << -1;
        QTest::newRow("Alt, to the boxes still shown") << +Qt::Key_Alt << true << 4;
        QTest::newRow("F10, no box left: into the tray") << +Qt::Key_F10 << false << -1;
        QTest::newRow("F10, on from the box the Check moved to") << +Qt::Key_F10 << true << 5;
    }

    // A wrong compound's boxes go with it: after a Check from the menu by keyboard, Tab goes on to a
    // control that is shown, and a screen reader reads it.
    void tabGoesOnAfterAKeyboardCheck() {
        QFETCH(int, menuKey);
        QFETCH(bool, rightOnPropyne);
        QFETCH(int, tabTo);
        Pupil pupil;
        QVERIFY(pupil.ready());
        if (rightOnPropyne) {
            QVERIFY(pupil.place(Water, 1) != nullptr);
        }
        QVERIFY(pupil.place(Carbon, 0) != nullptr);
        pupil.key(Qt::Key_Tab);
        QCOMPARE(pupil.focusedBox(), 1);
        pupil.key(Qt::Key(menuKey));
        QVERIFY(QTest::qWaitFor([&] { return pupil.form.menuBar()->activeAction() != nullptr; }));
        pupil.key(Qt::Key_Right);
        pupil.key(Qt::Key_Return);
        QVERIFY(QTest::qWaitFor(
            [&] { return lastRead().object == control(pupil.form, QStringLiteral("LGrade")); }));
        heard.clear();
        pupil.key(Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr && focused->isVisible() && focused != pupil.form.menuBar());
        QCOMPARE(pupil.focusedBox(), tabTo);
        QCOMPARE(pupil.focusedTile() != nullptr, tabTo < 0);
        QCOMPARE(lastRead().object, focused);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
