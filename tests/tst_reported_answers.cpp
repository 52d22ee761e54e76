// What a learning platform records of a Check for the teacher: one answer for each reaction that holds a
// compound, named in ASCII without blanks and apart from the others, with a response that stays within the
// 255 printable ASCII characters a platform takes whatever was typed, and the verdict of the grading.

#include "answers.h"
#include "exercise/grading.h"
#include "exercise/reported_answers.h"

#include <QRegularExpression>
#include <QTest>

#include <array>
#include <optional>

using testkit::BoxTexts;
using testkit::RightKind;
using testkit::RightTexts;

namespace {

constexpr int Reactions = facts::ReactionCount;
// The kind of the compound on a reaction, or none.
using Placed = std::optional<int>;

// One reaction's answer, the others empty.
grading::Answers only(int reaction, Placed kind, const BoxTexts &texts) {
    grading::Answers answers;
    if (kind) {
        answers.at(reaction).compound = static_cast<facts::Kind>(*kind);
    }
    answers.at(reaction).boxTexts = texts;
    return answers;
}

std::vector<ReportedAnswer> reported(const grading::Answers &answers) {
    return reported_answers::compose(answers, grading::judge(answers));
}

} // namespace

Q_DECLARE_METATYPE(BoxTexts)
Q_DECLARE_METATYPE(Placed)

class TestReportedAnswers : public QObject {
    Q_OBJECT

private slots:
    void eachReactionHasItsOwnName() {
        grading::Answers answers;
        for (int r = 0; r < Reactions; ++r) {
            answers.at(r).compound = static_cast<facts::Kind>(RightKind.at(r));
        }
        const std::vector<ReportedAnswer> all = reported(answers);
        QCOMPARE(all.size(), std::size_t(Reactions));
        // SCORM 1.2's CMIIdentifier, as a platform checks it, without blanks.
        static const QRegularExpression identifier(QStringLiteral("^[\\x21-\\x7E]{1,255}$"));
        QStringList ids;
        for (const ReportedAnswer &answer : all) {
            QVERIFY2(identifier.match(answer.id).hasMatch(), qPrintable(answer.id));
            ids << answer.id;
        }
        ids.removeDuplicates();
        QCOMPARE(ids.size(), Reactions);
    }

    void judgedAsTheGradingJudges_data() {
        QTest::addColumn<int>("reaction");
        QTest::addColumn<Placed>("kind");
        QTest::addColumn<BoxTexts>("texts");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("response");

        const BoxTexts none;
        QTest::newRow("ethyne right") << 0 << Placed(RightKind.at(0)) << RightTexts.at(0) << true
                                      << "[2] C2H2 + [5] O2 -> [4] CO2 + [2] H2O";
        QTest::newRow("ethyne, right compound, empty boxes")
            << 0 << Placed(RightKind.at(0)) << none << false << "[] C2H2 + [] O2 -> [] CO2 + [] H2O";
        QTest::newRow("propyne, coefficients right, carbon monoxide in the blank")
            << 1 << Placed(2) << RightTexts.at(1) << false << "[1] C3H4 + [4] O2 -> [3] CO2 + [2] CO";
        QTest::newRow("pentyne, one coefficient wrong")
            << 3 << Placed(RightKind.at(3)) << BoxTexts{"1", "7", "5", "3"} << false
            << "[1] C5H8 + [7] O2 -> [5] CO2 + [3] H2O";
        QTest::newRow("the general alkyne, ν typed")
            << 4 << Placed(RightKind.at(4)) << RightTexts.at(4) << true
            << "2 CvH2v-2 + [3v-1] O2 -> [2v] CO2 + [2v-2] H2O";
        QTest::newRow("the general alkyne, hydrogen in the blank")
            << 4 << Placed(4) << RightTexts.at(4) << false << "2 CvH2v-2 + [3v-1] O2 -> [2v] H2 + [2v-2] H2O";
        QTest::newRow("nothing on the reaction, the boxes typed")
            << 2 << Placed() << RightTexts.at(2) << false << QString();
    }

    void judgedAsTheGradingJudges() {
        QFETCH(int, reaction);
        QFETCH(Placed, kind);
        QFETCH(BoxTexts, texts);
        QFETCH(bool, right);
        QFETCH(QString, response);
        const std::vector<ReportedAnswer> all = reported(only(reaction, kind, texts));
        if (!kind) {
            QVERIFY(all.empty());
            return;
        }
        QCOMPARE(all.size(), std::size_t(1));
        QCOMPARE(all.front().id, reported_answers::id(reaction));
        QCOMPARE(all.front().right, right);
        QCOMPARE(all.front().response, response);
    }

    // Whatever a box holds: the response is one line of printable ASCII within 255 characters.
    void anyTextStaysWithinWhatAPlatformTakes_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("a box at its longest") << QString(facts::BoxTextLength, u'9');
        QTest::newRow("a whole page") << QStringLiteral("Το ακετυλένιο καίγεται. ").repeated(2000);
        QTest::newRow("line feeds and tabs") << QStringLiteral("2\n5\t\r");
        QTest::newRow("controls and DEL") << QStringLiteral("\u0001\u001b\u007f");
        QTest::newRow("a lone surrogate and a pair") << QString(QChar(0xD800)) + QStringLiteral("😀");
        QTest::newRow("NUL") << QString(QChar(0));
    }

    void anyTextStaysWithinWhatAPlatformTakes() {
        QFETCH(QString, text);
        grading::Answers answers;
        for (int r = 0; r < Reactions; ++r) {
            answers.at(r).compound = static_cast<facts::Kind>(r);
            answers.at(r).boxTexts = {text, text, text, text};
        }
        for (const ReportedAnswer &answer : reported(answers)) {
            QCOMPARE_LE(answer.response.size(), reported_answers::LongestResponse);
            for (const QChar c : answer.response) {
                QVERIFY2(c >= u' ' && c <= u'~', qPrintable(answer.id));
            }
        }
    }
};

QTEST_MAIN(TestReportedAnswers)
#include "tst_reported_answers.moc"
