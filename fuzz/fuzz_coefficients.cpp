// Feeds arbitrary box texts, one at a time and as the four boxes of a whole answer split at '|', to
// the coefficient checks, and aborts when one of their invariants breaks.
#include "exercise/coefficients.h"
#include "tests/answers.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t boxCount = facts::BoxesPerReaction;
// The numbered reactions come before the general alkyne.
constexpr int numberedReactions = facts::GeneralAlkyne;
constexpr int generalReaction = facts::GeneralAlkyne;
constexpr std::array<int, 2> reactionsOutOfRange{-1, 5};
// Plain decimal texts up to this length are compared with Qt's own conversion.
constexpr qsizetype comparedLength = 300;

using Answer = testkit::BoxTexts;
using testkit::withoutOuterSpaces;
// Smallest right answers of reactions 0..3, then a right answer of reaction 4.
const auto &rightAnswers = testkit::RightTexts;
const auto &generalTexts = testkit::GeneralAnswers;

void require(bool condition, const char *invariant) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", invariant);
        std::abort();
    }
}

bool isPlainDecimal(const QString &text) {
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    return text.size() <= comparedLength && text.count(u'.') <= 1 &&
           std::any_of(text.begin(), text.end(), isDigit) &&
           std::all_of(text.begin(), text.end(), [&](QChar c) { return isDigit(c) || c == u'.'; });
}

void checkBoxValue(const QString &text) {
    const auto value = coefficients::boxValue(text);
    require(coefficients::boxValue(u' ' + text) == value, "a leading space changes the value");
    QString spaced = text;
    spaced.insert(text.size() / 2, u' ');
    require(coefficients::boxValue(spaced) == value, "an inner space changes the value");
    bool ok = false;
    const double qtValue = text.toDouble(&ok);
    if (isPlainDecimal(text) && ok) {
        require(coefficients::readNumber(text) == qtValue, "a plain decimal reads unlike Qt reads it");
    }
    require(!std::isnan(coefficients::readNumber(text)), "a reading gave NaN");
}

void checkInAnswers(const QString &text) {
    const auto value = coefficients::boxValue(text);
    for (int reaction = 0; reaction < numberedReactions; ++reaction) {
        for (std::size_t box = 0; box < boxCount; ++box) {
            Answer texts = rightAnswers[static_cast<std::size_t>(reaction)];
            const auto expected = coefficients::boxValue(texts[box]);
            texts[box] = text;
            require(coefficients::areRight(reaction, texts) == (value == expected),
                    "one changed box of a smallest answer is judged unlike its value");
        }
        require(!coefficients::areRight(reaction, {text, text, text, text}),
                "four equal boxes balance a reaction");
    }
    for (std::size_t box = 0; box < boxCount; ++box) {
        Answer texts = rightAnswers[generalReaction];
        texts[box] = text;
        const bool accepted = box == 0 || std::find(generalTexts[box].begin(), generalTexts[box].end(),
                                                    withoutOuterSpaces(text)) != generalTexts[box].end();
        require(coefficients::areRight(generalReaction, texts) == accepted, "a general answer is misjudged");
    }
    for (const int reaction : reactionsOutOfRange) {
        require(!coefficients::areRight(reaction, rightAnswers[0]), "an unknown reaction is right");
    }
}

// The rule of reactions 0..3 restated through the box reader: the values are a positive multiple k
// of the smallest balanced coefficients, and k times the largest product the checks form fits 16 bits.
constexpr int int16Max = 32767;

bool isMultipleOfSmallest(int reaction, const Answer &texts) {
    const testkit::Balance &rule = testkit::Balances.at(static_cast<std::size_t>(reaction));
    std::array<int, boxCount> values{};
    for (std::size_t box = 0; box < boxCount; ++box) {
        const auto value = coefficients::boxValue(texts[box]);
        if (!value || *value < 1) {
            return false;
        }
        values[box] = *value;
    }
    const int k = values[0] / rule.smallest[0];
    for (std::size_t box = 0; box < boxCount; ++box) {
        if (values[box] != k * rule.smallest[box]) {
            return false;
        }
    }
    return k * rule.largestProduct <= int16Max;
}

// The four box texts of a whole answer, split from the input at '|'; the last takes the rest.
Answer split(const QString &text) {
    Answer texts;
    qsizetype from = 0;
    for (std::size_t box = 0; box < boxCount; ++box) {
        const qsizetype bar = box + 1 < boxCount ? text.indexOf(u'|', from) : -1;
        texts[box] = text.mid(from, bar < 0 ? -1 : bar - from);
        if (bar < 0) {
            break;
        }
        from = bar + 1;
    }
    return texts;
}

void checkWholeRule(const QString &text) {
    const Answer texts = split(text);
    Answer padded = texts;
    for (QString &box : padded) {
        box = u' ' + box + u' ';
    }
    for (int reaction = 0; reaction < numberedReactions; ++reaction) {
        const bool right = coefficients::areRight(reaction, texts);
        require(right == isMultipleOfSmallest(reaction, texts), "a whole answer is judged unlike its values");
        require(coefficients::areRight(reaction, padded) == right, "outer spaces change a whole answer");
    }
    const bool general = coefficients::areRight(generalReaction, texts);
    Answer otherAlkyne = texts;
    otherAlkyne[0] = QStringLiteral("x") + texts[0];
    require(coefficients::areRight(generalReaction, otherAlkyne) == general,
            "the general alkyne's box is read");
    require(coefficients::areRight(generalReaction, padded) == general,
            "outer spaces change a general answer");
    for (const int reaction : reactionsOutOfRange) {
        require(!coefficients::areRight(reaction, texts), "an unknown reaction is right");
    }
}

void check(const QString &text) {
    checkBoxValue(text);
    checkInAnswers(text);
    checkWholeRule(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto *bytes = reinterpret_cast<const char *>(data);
    check(QString::fromUtf8(bytes, static_cast<qsizetype>(size)));
    QString units(static_cast<qsizetype>(size / sizeof(char16_t)), Qt::Uninitialized);
    std::memcpy(units.data(), bytes, static_cast<std::size_t>(units.size()) * sizeof(char16_t));
    check(units);
    return 0;
}
