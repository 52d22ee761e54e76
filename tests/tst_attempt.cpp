// The attempt kept between a pupil's visits: its text read back as written, within what a learning
// platform keeps; every text that is not one this program wrote refused; and a window that resumes the
// attempt of a window driven by real input shows what that window showed, and goes on as it would.

#include "exercise/attempt.h"
#include "exercise/form1.h"
#include "testkit.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>

#include <array>
#include <optional>

using attempt::Attempt;
using namespace testkit;

namespace {

constexpr std::int16_t None = facts::NoTile;

struct Boxes {
    QList<int> boxes;
    QStringList texts;
};

Attempt made(std::array<std::int16_t, KindCount> tray, std::array<std::int16_t, ReactionCount> placed,
             const Boxes &typed = {}, std::optional<int> grade = std::nullopt, bool shown = false) {
    Attempt a;
    a.trayColumns = tray;
    a.placed = placed;
    for (qsizetype i = 0; i < typed.boxes.size(); ++i) {
        a.boxTexts.at(typed.boxes.at(i)) = typed.texts.at(i);
    }
    a.lastGrade = grade;
    a.gradeShown = shown;
    return a;
}

// Every box a reaction shows, each with the same text.
Boxes everyBox(const QList<int> &reactions, const QString &text) {
    Boxes all;
    for (const int r : reactions) {
        for (const int k : boxesOf(r)) {
            all.boxes << k;
            all.texts << text;
        }
    }
    return all;
}

// The text with its last field, the seal, made again for what comes before it: the CRC-16 (ISO 3309) of
// that text in upper-case hexadecimal, as the format has it.
QString resealed(const QString &text) {
    const QString body = text.left(text.lastIndexOf(u'/') + 1);
    return body + QStringLiteral("%1").arg(qChecksum(body.toLatin1()), 4, 16, QLatin1Char('0')).toUpper();
}

const std::array<std::int16_t, KindCount> Dealt{3, 1, 0, 4, 2};
const std::array<std::int16_t, ReactionCount> NonePlaced{None, None, None, None, None};
// A tile of each kind lies on some reaction: carbon dioxide (6) on ethyne, water (3) on propyne, carbon (20)
// on pentyne.
const std::array<std::int16_t, ReactionCount> SomePlaced{6, 3, None, 20, None};

// An attempt part way, its grade shown.
Attempt partWay() {
    return made(Dealt, SomePlaced, {{0, 1, 2, 3, 4, 5, 13}, {"2", "5", "4", "2", " 1 ", "4", "ν"}}, 25, true);
}

// The text of `a` with `from` replaced by `to`, sealed again.
QString altered(const Attempt &a, const QString &from, const QString &to) {
    QString text = attempt::toText(a);
    if (!text.contains(from)) {
        qFatal("%s is not in %s", qPrintable(from), qPrintable(text));
    }
    return resealed(text.replace(from, to));
}

// ---- Driving a window -------------------------------------------------------------------------

// The tile that lies in a reaction's slot.
int tileOn(const QWidget &form, int reaction) {
    for (int n = 0; n < TileCount; ++n) {
        const twips::Rect &at = tile(form, n)->twipGeometry();
        if (QPointF(at.left, at.top) == Slots.at(reaction)) {
            return n;
        }
    }
    qFatal("no tile on reaction %d", reaction);
}

// One step of a pupil's: "place KIND REACTION", "off REACTION" (a double click on its tile), "lift KIND" (a
// tray tile pressed and let go where it lies), "type BOX TEXT", "check", "restart".
void act(QWidget &form, const QString &step) {
    const QStringList words = step.split(u' ');
    const QString &verb = words.at(0);
    if (verb == QLatin1String("place")) {
        dragTile(form, topTileOfKind(form, words.at(1).toInt()),
                 centreOf(form, reaction(form, words.at(2).toInt())));
    } else if (verb == QLatin1String("off")) {
        doubleClick(form, centreOf(form, tile(form, tileOn(form, words.at(1).toInt()))));
    } else if (verb == QLatin1String("lift")) {
        const QPoint at = centreOf(form, tile(form, topTileOfKind(form, words.at(1).toInt())));
        press(form, at);
        release(form, at);
    } else if (verb == QLatin1String("type")) {
        typeInto(box(form, words.at(1).toInt()), step.section(u' ', 2));
    } else if (verb == QLatin1String("check")) {
        trigger(form, "mnuCheck");
    } else if (verb == QLatin1String("restart")) {
        trigger(form, "mnuRestart");
    } else {
        qFatal("unknown step %s", qPrintable(step));
    }
}

// What a screen reader reads of the tiles and the boxes.
QStringList spokenControls(const QWidget &form) {
    QStringList said;
    for (int n = 0; n < TileCount; ++n) {
        said << tile(form, n)->accessibleName() + u'|' + tile(form, n)->accessibleDescription();
    }
    for (int k = 0; k < BoxCount; ++k) {
        said << box(form, k)->accessibleName() + u'|' + box(form, k)->accessibleDescription();
    }
    return said;
}

QStringList differences(const QWidget &expected, const QWidget &actual) {
    Snapshot left = snapshot(expected);
    const Snapshot resumed = snapshot(actual);
    // Never shown nor read, and not part of an attempt.
    left.texts.at(UnusedBox) = resumed.texts.at(UnusedBox);
    QStringList found = mismatches(left, resumed);
    if (left.gradeShown != resumed.gradeShown || (left.gradeShown && left.gradeText != resumed.gradeText)) {
        found << QStringLiteral("the grade %1 \"%2\", expected %3 \"%4\"")
                     .arg(resumed.gradeShown ? "shown" : "hidden", resumed.gradeText,
                          left.gradeShown ? "shown" : "hidden", left.gradeText);
    }
    const QStringList said = spokenControls(expected);
    const QStringList resumedSaid = spokenControls(actual);
    for (qsizetype i = 0; i < said.size(); ++i) {
        if (said.at(i) != resumedSaid.at(i)) {
            found << QStringLiteral("read \"%1\", expected \"%2\"").arg(resumedSaid.at(i), said.at(i));
        }
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Attempt)

class TestAttempt : public QObject {
    Q_OBJECT

private slots:
    void readsBackWhatItWrote_data() {
        QTest::addColumn<Attempt>("written");
        QTest::newRow("a fresh window") << made(Dealt, NonePlaced);
        QTest::newRow("part way, after a Check") << partWay();
        QTest::newRow("grade hidden since") << made(Dealt, SomePlaced, {}, 0, false);
        QTest::newRow("whole, shown") << made({0, 1, 2, 3, 4}, {1, 3, 11, 8, 16},
                                              everyBox({0, 1, 2, 3, 4}, QStringLiteral("12")), 100, true);
        QTest::newRow("the general alkyne's answer")
            << made(Dealt, {None, None, None, None, 21}, {{17, 18, 19}, {"3ν-1", "2ν", "2v - 2"}});
        QTest::newRow("the format's own marks typed")
            << made(Dealt, SomePlaced, {{0, 1, 2, 3}, {"a/b", "~0041", "%2F", "--"}});
        QTest::newRow("blanks, controls, a lone surrogate and the last code unit") << made(
            Dealt, SomePlaced,
            {{0, 1, 2, 3}, {"\t \n", QString(QChar(0)), QString(QChar(0xD800)), QString(QChar(0xFFFF))}});
        // Every box at its longest, of code units each written five characters long, every tile placed,
        // the longest grade: the longest text there is.
        QTest::newRow("the longest") << made(
            {4, 3, 2, 1, 0}, {24, 23, 22, 21, 20},
            everyBox({0, 1, 2, 3, 4}, QString(facts::BoxTextLength, QChar(0x3BD))), 100, true);
    }

    void readsBackWhatItWrote() {
        QFETCH(Attempt, written);
        const QString text = attempt::toText(written);
        QCOMPARE_LE(text.size(), attempt::MaxTextLength);
        for (const QChar c : text) {
            QVERIFY2(c > u' ' && c <= u'~',
                     qPrintable(
                         QStringLiteral("U+%1 in %2").arg(static_cast<uint>(c.unicode()), 4, 16).arg(text)));
        }
        const std::optional<Attempt> read = attempt::fromText(text);
        QVERIFY2(read.has_value(), qPrintable(text));
        QVERIFY(*read == written);
    }

    void refusesWhatItDidNotWrite_data() {
        QTest::addColumn<QString>("text");
        const Attempt a = partWay();
        const QString text = attempt::toText(a);
        QTest::newRow("empty") << QString();
        QTest::newRow("the mark alone") << text.section(u'/', 0, 0);
        QTest::newRow("cut in half") << text.left(text.size() / 2);
        QTest::newRow("one character short") << text.chopped(1);
        QTest::newRow("without its seal") << text.left(text.lastIndexOf(u'/'));
        QTest::newRow("a digit changed")
            << QString(text).replace(QStringLiteral("/31042/"), QStringLiteral("/31043/"));
        QTest::newRow("a line feed after it") << text + u'\n';
        QTest::newRow("blanks before it") << u' ' + text;
        QTest::newRow("twice") << text + text;
        QTest::newRow("another version")
            << altered(a, QStringLiteral("alkyne-attempt-1/"), QStringLiteral("alkyne-attempt-2/"));
        QTest::newRow("another program's") << QStringLiteral("{\"lesson\":3,\"viewed\":[1,2,3]}");
        QTest::newRow("a box too many") << altered(a, QStringLiteral("/s25/"), QStringLiteral("/s25//"));
        QTest::newRow("a box too few") << altered(a, QStringLiteral("/s25/2/"), QStringLiteral("/s25/"));
        QTest::newRow("a column twice") << altered(a, QStringLiteral("/31042/"), QStringLiteral("/31041/"));
        QTest::newRow("a sixth column") << altered(a, QStringLiteral("/31042/"), QStringLiteral("/31045/"));
        QTest::newRow("a column short") << altered(a, QStringLiteral("/31042/"), QStringLiteral("/3104/"));
        QTest::newRow("a tile on two reactions")
            << altered(a, QStringLiteral("/0603--20--/"), QStringLiteral("/0606--20--/"));
        QTest::newRow("tile 25") << altered(a, QStringLiteral("/0603--20--/"),
                                            QStringLiteral("/0603--25--/"));
        QTest::newRow("tile -1") << altered(a, QStringLiteral("/0603--20--/"),
                                            QStringLiteral("/0603---1--/"));
        QTest::newRow("half a tile") << altered(a, QStringLiteral("/0603--20--/"),
                                                QStringLiteral("/0603--2---/"));
        QTest::newRow("grade 95, which no Check gives")
            << altered(a, QStringLiteral("/s25/"), QStringLiteral("/s95/"));
        QTest::newRow("grade 75, which no Check gives")
            << altered(a, QStringLiteral("/s25/"), QStringLiteral("/h75/"));
        QTest::newRow("grade 105") << altered(a, QStringLiteral("/s25/"), QStringLiteral("/s105/"));
        QTest::newRow("grade -5") << altered(a, QStringLiteral("/s25/"), QStringLiteral("/s-5/"));
        QTest::newRow("grade with a leading zero")
            << altered(a, QStringLiteral("/s25/"), QStringLiteral("/s025/"));
        QTest::newRow("grade without a number") << altered(a, QStringLiteral("/s25/"), QStringLiteral("/s/"));
        QTest::newRow("grade neither shown nor hidden")
            << altered(a, QStringLiteral("/s25/"), QStringLiteral("/x25/"));
        // Written faithfully, and refused as read.
        QTest::newRow("a text where no tile lies") << attempt::toText(made(Dealt, SomePlaced, {{8}, {"2"}}));
        QTest::newRow("a box one character too long")
            << attempt::toText(made(Dealt, SomePlaced, {{0}, {QString(facts::BoxTextLength + 1, u'2')}}));
        QTest::newRow("an escape in lower case")
            << altered(a, QStringLiteral("~03BD"), QStringLiteral("~03bd"));
        QTest::newRow("an escape cut short")
            << altered(a, QStringLiteral("/~00201~0020/"), QStringLiteral("/~00201~002/"));
        QTest::newRow("an escape not hexadecimal")
            << altered(a, QStringLiteral("~0020"), QStringLiteral("~00G0"));
        QTest::newRow("a digit escaped") << altered(a, QStringLiteral("/4/"), QStringLiteral("/~0034/"));
        QTest::newRow("a blank not escaped") << altered(a, QStringLiteral("~0020"), QStringLiteral(" "));
        QTest::newRow("a Greek letter not escaped")
            << altered(a, QStringLiteral("/4/"), QStringLiteral("/ν/"));
        QTest::newRow("longer than a platform keeps") << altered(
            a, QStringLiteral("/s25/"), QStringLiteral("/s25%1/").arg(QString(attempt::MaxTextLength, u'/')));
        QTest::newRow("a million characters") << text.repeated(1'000'000 / text.size());
    }

    void refusesWhatItDidNotWrite() {
        QFETCH(QString, text);
        QVERIFY(!attempt::fromText(text).has_value());
    }

    // A pupil's steps in one window (see act); another window, dealt otherwise, resumes its attempt.
    void aWindowResumesWhatAnotherShowed_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("fresh") << QStringList{};
        QTest::newRow("tiles placed, boxes typed, no Check")
            << QStringList{"place 1 0", "place 3 1", "type 0 12", "type 1 5.0", "type 5 3ν-1", "place 0 4"};
        QTest::newRow("a tile moved to another reaction and one taken off")
            << QStringList{"place 1 0", "place 3 3", "place 1 2", "off 0", "type 12 1"};
        QTest::newRow("a Check that sent a compound home and emptied wrong boxes")
            << QStringList{"place 1 0", "type 0 2",  "type 1 5",  "type 2 4",     "type 3 2", "place 3 1",
                           "type 5 9",  "place 4 2", "place 1 4", "type 17 3ν-1", "check"};
        QTest::newRow("a box edited after the Check")
            << QStringList{"place 3 3", "type 12 1", "check", "type 13 7", "type 14 5", "type 15 4"};
        QTest::newRow("the grade hidden by a tile lifted") << QStringList{"place 1 2", "check", "lift 3"};
        QTest::newRow("the tray dealt again after a Check") << QStringList{"place 1 0", "check", "restart"};
        QTest::newRow("a pasted page in a box, kept as the box took it")
            << QStringList{"place 3 1", "type 4 " + QStringLiteral("Το ακετυλένιο καίγεται. ").repeated(10)};
    }

    void aWindowResumesWhatAnotherShowed() {
        QFETCH(QStringList, steps);
        Form1 left(1);
        QVERIFY(showActive(left));
        for (const QString &step : steps) {
            act(left, step);
        }
        const QString text = attempt::toText(left.CurrentAttempt());
        QCOMPARE_LE(text.size(), attempt::MaxTextLength);
        const std::optional<Attempt> kept = attempt::fromText(text);
        QVERIFY2(kept.has_value(), qPrintable(text));

        // Another seed deals another tray: the resumed window must deal the kept one.
        Form1 resumed(2);
        resumed.ResumeAttempt(*kept);
        QVERIFY(showActive(resumed));
        const QStringList found = differences(left, resumed);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
        QVERIFY(resumed.CurrentAttempt() == left.CurrentAttempt());

        // Both go on alike: a Check sends the same compounds home, to the same places, and empties the same
        // boxes.
        act(left, QStringLiteral("check"));
        act(resumed, QStringLiteral("check"));
        const QStringList after = differences(left, resumed);
        QVERIFY2(after.isEmpty(), qPrintable(after.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestAttempt)
#include "tst_attempt.moc"
