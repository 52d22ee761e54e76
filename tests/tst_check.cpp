// Grading through the window: tiles carried with real pointer events, coefficients typed into the
// boxes, and the Check command chosen from the menu.

#include "exercise/form1.h"
#include "testkit.h"
#include "toolkit/fonts.h"

#include <QAction>
#include <QFontMetricsF>
#include <QLabel>
#include <QTest>

#include <array>
#include <cmath>

using namespace testkit;

namespace {

constexpr int CarbonKind = 0;
constexpr int CarbonDioxideKind = 1;
constexpr int WaterKind = 3;

int firstBox(int reaction) {
    return reaction == 4 ? 1 : 0;
}

int place(const QWidget &form, int kind, int reaction) {
    const int n = topTileOfKind(form, kind);
    dragTile(form, n, centreOf(form, testkit::reaction(form, reaction)));
    return n;
}

void typeAnswer(const QWidget &form, int reaction, const std::array<QString, 4> &texts) {
    for (int position = firstBox(reaction); position < 4; ++position) {
        typeInto(box(form, reaction * 4 + position), texts.at(static_cast<std::size_t>(position)));
    }
}

QString check(QWidget &form) {
    trigger(form, "mnuCheck");
    auto *grade = qobject_cast<QLabel *>(control(form, QStringLiteral("LGrade")));
    return grade->isVisible() ? grade->text() : QStringLiteral("(hidden)");
}

QStringList boxTexts(const QWidget &form, int reaction) {
    QStringList texts;
    for (int position = firstBox(reaction); position < 4; ++position) {
        texts << box(form, reaction * 4 + position)->text();
    }
    return texts;
}

bool onReaction(const QWidget &form, int n) {
    return tile(form, n)->twipGeometry().top > TrayLine;
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    // Measured in the fonts that the program itself puts in for the design's.
    void initTestCase() { fonts::installSubstitutes(); }

    void init() {
        form_ = std::make_unique<Form1>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    void noTileGivesZeroAndShowsTheGrade() { QCOMPARE(check(*form_), QStringLiteral("0%")); }

    void wholeExerciseRightGivesHundred() {
        for (int r = 0; r < ReactionCount; ++r) {
            place(*form_, RightKind.at(static_cast<std::size_t>(r)), r);
            typeAnswer(*form_, r, RightTexts.at(static_cast<std::size_t>(r)));
        }
        QCOMPARE(check(*form_), QStringLiteral("100%"));
        for (int r = 0; r < ReactionCount; ++r) {
            QCOMPARE(boxTexts(*form_, r).join(QLatin1Char('|')),
                     QStringList(RightTexts.at(static_cast<std::size_t>(r)).begin() + firstBox(r),
                                 RightTexts.at(static_cast<std::size_t>(r)).end())
                         .join(QLatin1Char('|')));
        }
    }

    void rightCompoundsWithEmptyBoxesGiveTwentyFive() {
        // The boxes come up empty after the start's restart: 1,1,1,1 balances nothing, and the
        // general alkyne's empty texts are not its answer.
        std::array<int, ReactionCount> tiles{};
        for (int r = 0; r < ReactionCount; ++r) {
            tiles.at(static_cast<std::size_t>(r)) =
                place(*form_, RightKind.at(static_cast<std::size_t>(r)), r);
        }
        QCOMPARE(check(*form_), QStringLiteral("25%"));
        for (int r = 0; r < ReactionCount; ++r) {
            QVERIFY(onReaction(*form_, tiles.at(static_cast<std::size_t>(r))));
            QCOMPARE(boxTexts(*form_, r), QStringList(4 - firstBox(r), QString()));
        }
    }

    void oneReactionScored_data() {
        QTest::addColumn<int>("reaction");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("grade");
        QTest::addColumn<bool>("tileStays");
        QTest::addColumn<QStringList>("textsAfter");

        const QStringList none;
        QTest::newRow("ethyne right")
            << 0 << 1 << QStringList{"2", "5", "4", "2"} << "20%" << true << QStringList{"2", "5", "4", "2"};
        QTest::newRow("ethyne 2.5 rounds to 2")
            << 0 << 1 << QStringList{"1", "2.5", "2", "1"} << "5%" << true << QStringList(4, QString());
        QTest::newRow("propyne empty alkyne box counts as 1")
            << 1 << 3 << QStringList{"", "4", "3", "2"} << "20%" << true << QStringList{"", "4", "3", "2"};
        QTest::newRow("propyne doubled")
            << 1 << 3 << QStringList{"2", "8", "6", "4"} << "20%" << true << QStringList{"2", "8", "6", "4"};
        QTest::newRow("butyne with blanks and trailing letters")
            << 2 << 1 << QStringList{" 2 ", "1 1", "8x", "6"} << "20%" << true
            << QStringList{" 2 ", "1 1", "8x", "6"};
        QTest::newRow("butyne ratios hold but 11a overflows")
            << 2 << 1 << QStringList{"2980", "16390", "11920", "8940"} << "5%" << true
            << QStringList(4, QString());
        QTest::newRow("pentyne one wrong value empties all four")
            << 3 << 3 << QStringList{"1", "7", "5", "3"} << "5%" << true << QStringList(4, QString());
        QTest::newRow("pentyne negative alkyne")
            << 3 << 3 << QStringList{"-1", "-7", "-5", "-4"} << "5%" << true << QStringList(4, QString());
        QTest::newRow("general alkyne, Latin and Greek mixed")
            << 4 << 1 << QStringList{"", " 3v-1 ", "2ν", "2v-2"} << "20%" << true
            << QStringList{" 3v-1 ", "2ν", "2v-2"};
        QTest::newRow("general alkyne capital V")
            << 4 << 1 << QStringList{"", "3V-1", "2ν", "2ν-2"} << "5%" << true << QStringList(3, QString());
        QTest::newRow("general alkyne 6ν-2")
            << 4 << 1 << QStringList{"", "6ν-2", "2ν", "2ν-2"} << "5%" << true << QStringList(3, QString());
        QTest::newRow("wrong compound goes home")
            << 0 << 3 << QStringList{"2", "5", "4", "2"} << "0%" << false << QStringList(4, QString());
        QTest::newRow("carbon on the general alkyne")
            << 4 << 0 << none << "0%" << false << QStringList(3, QString());
    }

    void oneReactionScored() {
        QFETCH(int, reaction);
        QFETCH(int, kind);
        QFETCH(QStringList, typed);
        QFETCH(QString, grade);
        QFETCH(bool, tileStays);
        QFETCH(QStringList, textsAfter);

        const int n = place(*form_, kind, reaction);
        if (!typed.isEmpty()) {
            typeAnswer(*form_, reaction, {typed[0], typed[1], typed[2], typed[3]});
        }
        QCOMPARE(check(*form_), grade);
        QCOMPARE(onReaction(*form_, n), tileStays);
        QCOMPARE(boxTexts(*form_, reaction), textsAfter);
        for (int position = firstBox(reaction); position < 4; ++position) {
            QCOMPARE(box(*form_, reaction * 4 + position)->isVisible(), tileStays);
        }
        // The same check again, with nothing changed, gives the same grade.
        QCOMPARE(check(*form_), grade);
    }

    void badInputIsAWrongAnswerAndTouchesNoOtherReaction_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("beyond 16 bits") << QStringLiteral("40000");
        QTest::newRow("one past the top") << QStringLiteral("32768");
        QTest::newRow("lone sign") << QStringLiteral("-");
        QTest::newRow("lone point") << QStringLiteral(".");
        QTest::newRow("hex prefix alone") << QStringLiteral("&H");
        QTest::newRow("huge exponent") << QStringLiteral("1e999999");
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0662");
        QTest::newRow("control characters") << QStringLiteral("\u0001\u0002\u007f");
        QTest::newRow("a pasted page") << QStringLiteral("Το ακετυλένιο καίγεται. ").repeated(400);
        QTest::newRow("many digits") << QStringLiteral("9").repeated(20000);
    }

    void badInputIsAWrongAnswerAndTouchesNoOtherReaction() {
        QFETCH(QString, text);
        place(*form_, CarbonDioxideKind, 0);
        place(*form_, WaterKind, 1);
        typeAnswer(*form_, 0, RightTexts.at(0));
        typeAnswer(*form_, 1, {"1", "4", "3", "2"});
        typeInto(box(*form_, 1), text.left(200)); // typed, as a pupil would
        box(*form_, 1)->insert(text.mid(200));    // and the rest pasted
        QCOMPARE(check(*form_), QStringLiteral("25%"));
        QCOMPARE(boxTexts(*form_, 0), QStringList(4, QString()));
        QCOMPARE(boxTexts(*form_, 1), (QStringList{"1", "4", "3", "2"}));
    }

    void gradeLabelSizesItselfToItsCaption() {
        auto *grade = qobject_cast<QLabel *>(control(*form_, QStringLiteral("LGrade")));
        QCOMPARE(check(*form_), QStringLiteral("0%"));
        const int narrow = grade->width();
        for (int r = 0; r < ReactionCount; ++r) {
            place(*form_, RightKind.at(static_cast<std::size_t>(r)), r);
            typeAnswer(*form_, r, RightTexts.at(static_cast<std::size_t>(r)));
        }
        QCOMPARE(check(*form_), QStringLiteral("100%"));
        QVERIFY(grade->width() > narrow);
        QCOMPARE(grade->pos(), QPoint(8460 / 15, 60 / 15));
    }

    // Every grade a check can show, set the way the check sets it: the label keeps its corner, hugs its
    // caption (the caption's advance within a one-pixel border, no indent or margin) and lies, border
    // and all, inside the client area, drawn white on red within a dark border.
    void gradeLiesWholeInsideTheWindow_data() {
        QTest::addColumn<int>("percent");
        for (int percent = 0; percent <= 100; percent += 5) {
            QTest::addRow("%d%%", percent) << percent;
        }
    }

    void gradeLiesWholeInsideTheWindow() {
        QFETCH(int, percent);
        auto *grade = qobject_cast<QLabel *>(control(*form_, QStringLiteral("LGrade")));
        QCOMPARE(check(*form_), QStringLiteral("0%"));
        form1::setGradeCaption(grade, QStringLiteral("%1%").arg(percent));
        const QRect at = grade->geometry();
        QCOMPARE(at.topLeft(), QPoint(8460 / 15, 60 / 15));
        const qreal advance = QFontMetricsF(grade->font()).horizontalAdvance(grade->text());
        constexpr int Border = 1;
        QCOMPARE_GE(at.width(), advance + 2 * Border);
        QCOMPARE_LT(at.width(), advance + 2 * Border + 1);
        QVERIFY2(client(*form_)->rect().contains(at),
                 qPrintable(QStringLiteral("%1 reaches x %2").arg(grade->text()).arg(at.right())));

        // In device pixels, whatever the screen's ratio.
        const QImage shot = client(*form_)->grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        const auto pixel = [&shot, ratio](qreal x, qreal y) {
            return shot.pixelColor(static_cast<int>(std::floor(x * ratio)),
                                   static_cast<int>(std::floor(y * ratio)));
        };
        const qreal middle = at.center().y();
        const qreal inside = Border + 0.5 / ratio; // just within the border
        QCOMPARE(pixel(at.left(), middle), QColor(Qt::black));
        QCOMPARE(pixel(at.left() + at.width() - 1.0 / ratio, middle), QColor(Qt::black));
        QCOMPARE(pixel(at.center().x(), at.top()), QColor(Qt::black));
        QCOMPARE(pixel(at.center().x(), at.top() + at.height() - 1.0 / ratio), QColor(Qt::black));
        QCOMPARE(pixel(at.left() + inside, at.top() + inside), QColor(Qt::red));
        QCOMPARE(pixel(at.left() + at.width() - inside, at.top() + at.height() - inside), QColor(Qt::red));
        QCOMPARE(pixel(at.left() + at.width() + 0.5 / ratio, middle), QColor(Qt::white)); // the window beyond
        int white = 0;
        for (int x = 0; x < at.width(); ++x) {
            white += pixel(at.left() + x, middle) == QColor(Qt::white) ? 1 : 0;
        }
        QVERIFY2(white > 0, "no caption drawn across the label's middle");
    }

    void pickingUpATileHidesTheGrade() {
        QCOMPARE(check(*form_), QStringLiteral("0%"));
        place(*form_, CarbonKind, 2);
        QCOMPARE(check(*form_), QStringLiteral("0%"));
        const QPoint stack = centreOf(*form_, tile(*form_, topTileOfKind(*form_, WaterKind)));
        press(*form_, stack);
        QVERIFY(!control(*form_, QStringLiteral("LGrade"))->isVisible());
        release(*form_, stack);
    }

private:
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(TestCheck)
#include "tst_check.moc"
