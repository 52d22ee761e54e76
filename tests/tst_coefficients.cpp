#include "exercise/coefficients.h"

#include <QTest>

#include <algorithm>
#include <limits>

namespace {

constexpr int readingFails = std::numeric_limits<int>::min();
constexpr int int16Max = std::numeric_limits<std::int16_t>::max();
constexpr qsizetype millionDigits = 1'000'000;
constexpr qsizetype thousandsOfZeros = 5'000;
// The exact midpoint between 2.5 and the next double; it ties to 2.5.
const QString midpointAbove2_5 = QStringLiteral("2.5000000000000002220446049250313080847263336181640625");

QString run(char16_t c, qsizetype count) {
    return QString(count, QChar(c));
}

// Box texts of a whole answer, joined with '|' in the tables below.
std::array<QString, 4> boxes(const QString &joined) {
    const QStringList parts = joined.split(u'|');
    std::array<QString, 4> texts;
    std::copy_n(parts.begin(), std::min<qsizetype>(parts.size(), texts.size()), texts.begin());
    return texts;
}

} // namespace

class TestCoefficients : public QObject {
    Q_OBJECT

private slots:
    void boxValue_data();
    void boxValue();
    void areRight_data();
    void areRight();
    void everyFittingMultipleIsRight_data();
    void everyFittingMultipleIsRight();
};

void TestCoefficients::boxValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("letter after number ignored") << QStringLiteral("4x") << 4;
    QTest::newRow("letter before number gives 0") << QStringLiteral("x4") << 0;
    QTest::newRow("half rounds down to even") << QStringLiteral("2.5") << 2;
    QTest::newRow("half rounds up to even") << QStringLiteral("3.5") << 4;
    QTest::newRow("below half rounds down") << QStringLiteral("0.4") << 0;
    QTest::newRow("point first") << QStringLiteral(".6") << 1;
    QTest::newRow("sign then point") << QStringLiteral("-.6") << -1;
    QTest::newRow("plus sign") << QStringLiteral("+5") << 5;
    QTest::newRow("negative") << QStringLiteral("-2") << -2;
    QTest::newRow("two signs") << QStringLiteral("+-1") << 0;
    QTest::newRow("spaces around") << QStringLiteral(" 2 ") << 2;
    QTest::newRow("inner space skipped") << QStringLiteral("1 2") << 12;
    QTest::newRow("tab and line feed skipped") << QStringLiteral("- 1\t2\n3") << -123;
    QTest::newRow("carriage return ends number") << QStringLiteral("1\r2") << 1;
    QTest::newRow("no-break space not skipped") << QStringLiteral("\u00A05") << 0;
    QTest::newRow("comma ends number") << QStringLiteral("1,5") << 1;
    QTest::newRow("second point ends number") << QStringLiteral("1.2.3") << 1;
    QTest::newRow("doubled point ends number") << QStringLiteral("1..6") << 1;
    QTest::newRow("empty means one") << QString() << 1;
    QTest::newRow("spaces only mean one") << QStringLiteral("   ") << 1;
    QTest::newRow("lone tab is zero") << QStringLiteral("\t") << 0;
    QTest::newRow("lone plus") << QStringLiteral("+") << 0;
    QTest::newRow("lone minus") << QStringLiteral("-") << 0;
    QTest::newRow("lone point") << QStringLiteral(".") << 0;
    QTest::newRow("largest") << QStringLiteral("32767") << 32767;
    QTest::newRow("one past largest") << QStringLiteral("32768") << readingFails;
    QTest::newRow("smallest") << QStringLiteral("-32768") << -32768;
    QTest::newRow("one past smallest") << QStringLiteral("-32769") << readingFails;
    QTest::newRow("rounds down to largest") << QStringLiteral("32767.4") << 32767;
    QTest::newRow("rounds up past largest") << QStringLiteral("32767.5") << readingFails;
    QTest::newRow("rounds to even smallest") << QStringLiteral("-32768.5") << -32768;
    QTest::newRow("rounds to odd past smallest") << QStringLiteral("-32769.5") << readingFails;
    QTest::newRow("exponent") << QStringLiteral("1e3") << 1000;
    QTest::newRow("capital exponent with sign and blank") << QStringLiteral("2.5E +1") << 25;
    QTest::newRow("exponent past largest") << QStringLiteral("4e4") << readingFails;
    QTest::newRow("exponent without digits") << QStringLiteral("1e") << 1;
    QTest::newRow("exponent sign without digits") << QStringLiteral("1e+") << 1;
    QTest::newRow("negative exponent") << QStringLiteral("5e-1") << 0;
    QTest::newRow("huge exponent") << QStringLiteral("1e99999") << readingFails;
    QTest::newRow("zero with huge exponent") << QStringLiteral("0e99999") << 0;
    QTest::newRow("huge negative exponent") << QStringLiteral("1e-99999") << 0;
    QTest::newRow("17 digits read as 2.5") << QStringLiteral("2.5000000000000001") << 2;
    QTest::newRow("exact tie between doubles") << midpointAbove2_5 << 2;
    QTest::newRow("just above the tie after many digits")
        << QString(midpointAbove2_5 + run(u'0', thousandsOfZeros) + u'1') << 3;
    QTest::newRow("hexadecimal") << QStringLiteral("&H1F") << 31;
    QTest::newRow("lower-case hexadecimal at largest") << QStringLiteral("&h7fff") << 32767;
    QTest::newRow("hexadecimal past largest") << QStringLiteral("&H8000") << readingFails;
    QTest::newRow("hexadecimal far past largest") << QStringLiteral("&HFFFFFFFFFFFFFFFFFFFF") << readingFails;
    QTest::newRow("hexadecimal past 32 bits") << QStringLiteral("&H100000001") << readingFails;
    QTest::newRow("hexadecimal without digits") << QStringLiteral("&H") << 0;
    QTest::newRow("octal") << QStringLiteral("&O17") << 15;
    QTest::newRow("octal stops at 8") << QStringLiteral("&o178") << 15;
    QTest::newRow("ampersand without base") << QStringLiteral("&X1") << 0;
    QTest::newRow("sign before hexadecimal") << QStringLiteral("-&H1F") << 0;
    QTest::newRow("arabic-indic digit") << QStringLiteral("\u0664") << 0;
    QTest::newRow("fullwidth digit") << QStringLiteral("\uFF14") << 0;
    QTest::newRow("nul ends number") << QString(QStringLiteral("7") + QChar(0) + u'1') << 7;
    QTest::newRow("lone surrogate ends number") << QString(QStringLiteral("7") + QChar(0xD800)) << 7;
    QTest::newRow("thousands of leading zeros") << QString(run(u'0', thousandsOfZeros) + u'1') << 1;
    QTest::newRow("million digits") << run(u'7', millionDigits) << readingFails;
    QTest::newRow("million zeros undone by exponent")
        << QString(u'1' + run(u'0', millionDigits) + QStringLiteral("e-1000000")) << 1;
    QTest::newRow("million fraction zeros undone by exponent")
        << QString(u'.' + run(u'0', millionDigits) + QStringLiteral("1e1000001")) << 1;
}

void TestCoefficients::boxValue() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto value = coefficients::boxValue(text);
    if (expected == readingFails) {
        QVERIFY2(!value, qPrintable(QString::number(value.value_or(0))));
    } else {
        QVERIFY(value);
        QCOMPARE(int{*value}, expected);
    }
}

void TestCoefficients::areRight_data() {
    QTest::addColumn<int>("reaction");
    QTest::addColumn<QString>("texts");
    QTest::addColumn<bool>("right");
    QTest::newRow("ethyne smallest") << 0 << QStringLiteral("2|5|4|2") << true;
    QTest::newRow("ethyne multiple") << 0 << QStringLiteral("6|15|12|6") << true;
    QTest::newRow("ethyne halved") << 0 << QStringLiteral("1|2.5|2|1") << false;
    QTest::newRow("ethyne one wrong water") << 0 << QStringLiteral("2|5|4|3") << false;
    QTest::newRow("ethyne unreadable water") << 0 << QStringLiteral("2|5|4|99999") << false;
    QTest::newRow("propyne smallest") << 1 << QStringLiteral("1|4|3|2") << true;
    QTest::newRow("propyne empty alkyne means one") << 1 << QStringLiteral("|4|3|2") << true;
    QTest::newRow("propyne multiple") << 1 << QStringLiteral("2|8|6|4") << true;
    QTest::newRow("propyne one wrong oxygen") << 1 << QStringLiteral("1|5|3|2") << false;
    QTest::newRow("butyne smallest") << 2 << QStringLiteral("2|11|8|6") << true;
    QTest::newRow("butyne largest fitting multiple") << 2 << QStringLiteral("2978|16379|11912|8934") << true;
    QTest::newRow("butyne ratios hold, 11a too big") << 2 << QStringLiteral("2980|16390|11920|8940") << false;
    QTest::newRow("butyne one wrong carbon dioxide") << 2 << QStringLiteral("2|11|9|6") << false;
    QTest::newRow("pentyne smallest") << 3 << QStringLiteral("1|7|5|4") << true;
    QTest::newRow("pentyne spaces and hexadecimal") << 3 << QStringLiteral(" 1 |&H7| 5|4 ") << true;
    QTest::newRow("pentyne zero multiple") << 3 << QStringLiteral("0|0|0|0") << false;
    QTest::newRow("pentyne negative multiple") << 3 << QStringLiteral("-1|-7|-5|-4") << false;
    QTest::newRow("general Greek") << 4 << QStringLiteral("|3\u03BD-1|2\u03BD|2\u03BD-2") << true;
    QTest::newRow("general Latin, alkyne ignored") << 4 << QStringLiteral("x|3v-1|2v|2v-2") << true;
    QTest::newRow("general mixed with spaces")
        << 4 << QStringLiteral("  | 3\u03BD-1 |2v  |  2\u03BD-2") << true;
    QTest::newRow("general capital V") << 4 << QStringLiteral("|3V-1|2v|2v-2") << false;
    QTest::newRow("general inner blank") << 4 << QStringLiteral("|3\u03BD -1|2\u03BD|2\u03BD-2") << false;
    QTest::newRow("general tab around") << 4 << QStringLiteral("|\t3v-1|2v|2v-2") << false;
    QTest::newRow("general doubled oxygen") << 4 << QStringLiteral("|6\u03BD-2|2\u03BD|2\u03BD-2") << false;
    QTest::newRow("general en dash") << 4 << QStringLiteral("|3\u03BD\u20131|2\u03BD|2\u03BD-2") << false;
    QTest::newRow("general swapped boxes") << 4 << QStringLiteral("|2\u03BD|3\u03BD-1|2\u03BD-2") << false;
    QTest::newRow("general empty") << 4 << QStringLiteral("|||") << false;
    QTest::newRow("reaction below range") << -1 << QStringLiteral("2|5|4|2") << false;
    QTest::newRow("reaction above range") << 5 << QStringLiteral("1|7|5|4") << false;
}

void TestCoefficients::areRight() {
    QFETCH(int, reaction);
    QFETCH(QString, texts);
    QFETCH(bool, right);
    QCOMPARE(coefficients::areRight(reaction, boxes(texts)), right);
}

void TestCoefficients::everyFittingMultipleIsRight_data() {
    QTest::addColumn<int>("reaction");
    QTest::addColumn<QList<int>>("smallest");
    // The largest product a test of the reaction forms for the smallest equation, e.g. 2 × 5 O2 for ethyne.
    QTest::addColumn<int>("largestProduct");
    QTest::newRow("ethyne") << 0 << QList<int>{2, 5, 4, 2} << 10;
    QTest::newRow("propyne") << 1 << QList<int>{1, 4, 3, 2} << 4;
    QTest::newRow("butyne") << 2 << QList<int>{2, 11, 8, 6} << 22;
    QTest::newRow("pentyne") << 3 << QList<int>{1, 7, 5, 4} << 7;
}

void TestCoefficients::everyFittingMultipleIsRight() {
    QFETCH(int, reaction);
    QFETCH(QList<int>, smallest);
    QFETCH(int, largestProduct);
    const int largestCoefficient = *std::max_element(smallest.begin(), smallest.end());
    for (int k = 1; k * largestCoefficient <= int16Max; ++k) {
        std::array<QString, 4> texts;
        std::transform(smallest.begin(), smallest.end(), texts.begin(),
                       [k](int c) { return QString::number(k * c); });
        QVERIFY2(coefficients::areRight(reaction, texts) == (k * largestProduct <= int16Max),
                 qPrintable(QString::number(k)));
    }
}

QTEST_APPLESS_MAIN(TestCoefficients)
#include "tst_coefficients.moc"
