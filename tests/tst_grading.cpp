// The grading rules on their own: what each reaction earns from the compound on it and its coefficients,
// and which verdicts tell the window to send a compound home or to empty the boxes.

#include "answers.h"
#include "exercise/grading.h"

#include <QTest>

#include <array>

using facts::Kind;

namespace {

// The compound each reaction asks for.
Kind rightKind(std::size_t reaction) {
    return static_cast<Kind>(testkit::RightKind.at(reaction));
}
const std::array<QString, 4> WrongTexts{"1", "1", "1", "1"};

// One reaction of an attempt: nothing on it, or a compound with right or wrong coefficients.
enum class On { Nothing, RightCompoundRightCoefficients, RightCompoundWrongCoefficients, WrongCompound };
using Attempt = std::array<On, 5>;

grading::Answers answersFor(const Attempt &attempt) {
    grading::Answers answers;
    for (std::size_t r = 0; r < answers.size(); ++r) {
        grading::Answer &answer = answers[r];
        answer.boxTexts = testkit::RightTexts.at(r);
        switch (attempt[r]) {
        case On::Nothing:
            break;
        case On::RightCompoundRightCoefficients:
            answer.compound = rightKind(r);
            break;
        case On::RightCompoundWrongCoefficients:
            answer.compound = rightKind(r);
            answer.boxTexts = WrongTexts;
            break;
        case On::WrongCompound:
            answer.compound = Kind::CarbonMonoxide;
            break;
        }
    }
    return answers;
}

} // namespace

class GradingTest : public QObject {
    Q_OBJECT

private slots:
    void verdictsAndGrade_data();
    void verdictsAndGrade();
    void anyWrongKindIsWrong_data();
    void anyWrongKindIsWrong();
    void emptyReactionIgnoresItsBoxes();
    void caption_data();
    void caption();
};

void GradingTest::verdictsAndGrade_data() {
    QTest::addColumn<Attempt>("attempt");
    QTest::addColumn<int>("grade");
    using enum On;
    QTest::newRow("nothing placed") << Attempt{Nothing, Nothing, Nothing, Nothing, Nothing} << 0;
    QTest::newRow("everything right")
        << Attempt{RightCompoundRightCoefficients, RightCompoundRightCoefficients,
                   RightCompoundRightCoefficients, RightCompoundRightCoefficients,
                   RightCompoundRightCoefficients}
        << 100;
    QTest::newRow("right compounds, wrong coefficients")
        << Attempt{RightCompoundWrongCoefficients, RightCompoundWrongCoefficients,
                   RightCompoundWrongCoefficients, RightCompoundWrongCoefficients,
                   RightCompoundWrongCoefficients}
        << 25;
    QTest::newRow("every compound wrong")
        << Attempt{WrongCompound, WrongCompound, WrongCompound, WrongCompound, WrongCompound} << 0;
    QTest::newRow("one of each") << Attempt{RightCompoundRightCoefficients, RightCompoundWrongCoefficients,
                                            WrongCompound, Nothing, RightCompoundRightCoefficients}
                                 << 45;
    QTest::newRow("only the general alkyne, right")
        << Attempt{Nothing, Nothing, Nothing, Nothing, RightCompoundRightCoefficients} << 20;
}

void GradingTest::verdictsAndGrade() {
    QFETCH(Attempt, attempt);
    QFETCH(int, grade);
    const grading::Verdicts verdicts = grading::judge(answersFor(attempt));
    for (std::size_t r = 0; r < verdicts.size(); ++r) {
        const grading::Verdict &verdict = verdicts[r];
        const On on = attempt[r];
        const bool rightCompound =
            on == On::RightCompoundRightCoefficients || on == On::RightCompoundWrongCoefficients;
        QCOMPARE(verdict.compoundRight, rightCompound);
        QCOMPARE(verdict.compoundWrong, on == On::WrongCompound);
        QCOMPARE(verdict.coefficientsRight, on == On::RightCompoundRightCoefficients);
        QCOMPARE(verdict.points, on == On::RightCompoundRightCoefficients   ? 20
                                 : on == On::RightCompoundWrongCoefficients ? 5
                                                                            : 0);
    }
    QCOMPARE(grading::total(verdicts), grade);
}

void GradingTest::anyWrongKindIsWrong_data() {
    QTest::addColumn<int>("reaction");
    QTest::addColumn<Kind>("kind");
    const std::array<Kind, 5> kinds{Kind::Carbon, Kind::CarbonDioxide, Kind::CarbonMonoxide, Kind::Water,
                                    Kind::Hydrogen};
    for (int r = 0; r < 5; ++r) {
        for (const Kind kind : kinds) {
            QTest::addRow("reaction %d, kind %d", r, static_cast<int>(kind)) << r << kind;
        }
    }
}

void GradingTest::anyWrongKindIsWrong() {
    QFETCH(int, reaction);
    QFETCH(Kind, kind);
    grading::Answers answers = answersFor({});
    answers.at(reaction).compound = kind;
    const grading::Verdict verdict = grading::judge(answers).at(reaction);
    const bool right = kind == rightKind(static_cast<std::size_t>(reaction));
    QCOMPARE(verdict.compoundRight, right);
    QCOMPARE(verdict.compoundWrong, !right);
    // The right answers' texts stand in every box, so a right compound earns everything.
    QCOMPARE(verdict.points, right ? 20 : 0);
}

void GradingTest::emptyReactionIgnoresItsBoxes() {
    grading::Answers answers = answersFor({});
    for (grading::Answer &answer : answers) {
        answer.boxTexts = {"garbage", "&H", "99999999", "-1"};
    }
    for (const grading::Verdict &verdict : grading::judge(answers)) {
        QVERIFY(!verdict.compoundRight && !verdict.compoundWrong && !verdict.coefficientsRight);
        QCOMPARE(verdict.points, 0);
    }
}

void GradingTest::caption_data() {
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "0%";
    QTest::newRow("5") << 5 << "5%";
    QTest::newRow("45") << 45 << "45%";
    QTest::newRow("100") << 100 << "100%";
}

void GradingTest::caption() {
    QFETCH(int, grade);
    QFETCH(QString, text);
    QCOMPARE(grading::caption(grade), text);
}

QTEST_GUILESS_MAIN(GradingTest)
#include "tst_grading.moc"
