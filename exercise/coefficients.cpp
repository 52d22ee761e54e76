#include "coefficients.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace coefficients {
namespace {

using facts::Alkyne;
using facts::CarbonDioxide;
using facts::Oxygen;
using facts::Water;
using BoxTexts = std::array<QString, facts::BoxesPerReaction>;
using Values = std::array<std::int16_t, facts::BoxesPerReaction>;

constexpr std::int16_t omittedCoefficient = 1;
constexpr std::int16_t smallestCoefficient = 1;

constexpr int decimalBase = 10;
constexpr int hexBase = 16;
constexpr int octalBase = 8;
constexpr int lettersFromTen = 10;

// Returned by Reader::peek past the last character; no UTF-16 code unit has this value.
constexpr char32_t endOfText = 0x110000;

// Midpoints between neighbouring doubles have at most 767 significant decimal digits. Keeping 768 digits
// plus one sticky digit standing for all the dropped ones therefore rounds exactly like the whole text.
constexpr std::size_t keptSignificantDigits = 768;
// Far beyond any double, yet small enough that adding digit counts to it cannot overflow 64 bits.
constexpr std::int64_t exponentCap = 1'000'000'000'000;
// Decimal magnitudes (position of the leading digit) outside these bounds are infinite or zero as doubles.
constexpr std::int64_t largestMagnitude = std::numeric_limits<double>::max_exponent10;
constexpr std::int64_t smallestMagnitude = -400;
// Any cap above 16 bits keeps a hexadecimal or octal value that does not fit from fitting.
constexpr std::uint32_t radixValueCap = 1U << 20U;

bool isSkippedBlank(char32_t c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Walks a text code unit by code unit, stepping over blanks, tabs and line feeds wherever they are.
class Reader {
public:
    explicit Reader(QStringView text) : text_(text) { skipBlanks(); }

    char32_t peek() const { return pos_ < text_.size() ? text_[pos_].unicode() : endOfText; }

    void advance() {
        ++pos_;
        skipBlanks();
    }

    bool accept(char16_t c) {
        if (peek() != c) {
            return false;
        }
        advance();
        return true;
    }

    bool acceptEither(char16_t first, char16_t second) { return accept(first) || accept(second); }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isSkippedBlank(text_[pos_].unicode())) {
            ++pos_;
        }
    }

    QStringView text_;
    qsizetype pos_ = 0;
};

// The value of an ASCII digit in the given base, or -1 when c is not one.
int digitValue(char32_t c, int base) {
    int value = -1;
    if (c >= u'0' && c <= u'9') {
        value = static_cast<int>(c - u'0');
    } else if (c >= u'a' && c <= u'z') {
        value = static_cast<int>(c - u'a') + lettersFromTen;
    } else if (c >= u'A' && c <= u'Z') {
        value = static_cast<int>(c - u'A') + lettersFromTen;
    }
    return value < base ? value : -1;
}

double readRadixInteger(Reader &reader, int base) {
    std::uint32_t value = 0;
    for (int digit = 0; (digit = digitValue(reader.peek(), base)) >= 0; reader.advance()) {
        value = std::min(value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit),
                         radixValueCap);
    }
    return static_cast<double>(value);
}

// A decimal number as significant digits (no leading zeros) times a power of ten.
struct Decimal {
    bool negative = false;
    std::string digits;
    std::int64_t exponent = 0;
    bool droppedNonZero = false;

    void addDigit(int digit, bool afterPoint) {
        if (digits.empty() && digit == 0) {
            exponent -= afterPoint ? 1 : 0;
        } else if (digits.size() < keptSignificantDigits) {
            digits.push_back(static_cast<char>('0' + digit));
            exponent -= afterPoint ? 1 : 0;
        } else {
            exponent += afterPoint ? 0 : 1;
            droppedNonZero = droppedNonZero || digit != 0;
        }
    }
};

// Reads the sign and the digits around at most one point; false when there is no digit.
bool readMantissa(Reader &reader, Decimal &number) {
    number.negative = reader.accept(u'-');
    if (!number.negative) {
        reader.accept(u'+');
    }
    bool sawDigit = false;
    bool sawPoint = false;
    for (;; reader.advance()) {
        const int digit = digitValue(reader.peek(), decimalBase);
        if (digit >= 0) {
            sawDigit = true;
            number.addDigit(digit, sawPoint);
        } else if (!sawPoint && reader.peek() == u'.') {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (number.droppedNonZero) {
        number.digits.push_back('1');
        --number.exponent;
    }
    return sawDigit;
}

// Reads an exponent part; one without digits is worth nothing, as if the number had ended before the e.
std::int64_t readExponent(Reader &reader) {
    if (!reader.acceptEither(u'e', u'E')) {
        return 0;
    }
    const bool negative = reader.accept(u'-');
    if (!negative) {
        reader.accept(u'+');
    }
    std::int64_t value = 0;
    for (int digit = 0; (digit = digitValue(reader.peek(), decimalBase)) >= 0; reader.advance()) {
        value = std::min(value * decimalBase + digit, exponentCap);
    }
    return negative ? -value : value;
}

double toDouble(const Decimal &number) {
    const double sign = number.negative ? -1.0 : 1.0;
    if (number.digits.empty()) {
        return 0.0;
    }
    const std::int64_t magnitude = number.exponent + static_cast<std::int64_t>(number.digits.size()) - 1;
    const double outOfRange = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    if (magnitude > largestMagnitude || magnitude < smallestMagnitude) {
        return sign * outOfRange;
    }
    const std::string text = number.digits + 'e' + std::to_string(number.exponent);
    double value = 0.0;
#if defined(__cpp_lib_to_chars)
    const bool inRange = std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc{};
#else
    // A standard library that reads no floating-point numbers with from_chars (libc++ before 20, the
    // browser build's): strtod reads the same digits and exponent, with no decimal point for a locale
    // to change. It reports a subnormal number as out of range too, where from_chars gives it.
    errno = 0;
    value = std::strtod(text.c_str(), nullptr);
    const bool inRange = errno != ERANGE || (value != 0.0 && std::isfinite(value));
#endif
    return sign * (inRange ? value : outOfRange);
}

double roundHalfToEven(double value) {
    constexpr double half = 0.5;
    constexpr double two = 2.0;
    const double below = std::floor(value);
    const double fraction = value - below;
    const bool belowIsOdd = std::fmod(below, two) != 0.0;
    return fraction > half || (fraction == half && belowIsOdd) ? below + 1.0 : below;
}

std::optional<std::int16_t> toInt16(double value) {
    constexpr double lowest = std::numeric_limits<std::int16_t>::min();
    constexpr double highest = std::numeric_limits<std::int16_t>::max();
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = roundHalfToEven(value);
    if (rounded < lowest || rounded > highest) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int16_t> product16(int factor, std::int16_t value) {
    return toInt16(static_cast<double>(factor) * value);
}

QStringView trimSpaces(QStringView text) {
    while (!text.isEmpty() && text.front() == u' ') {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && text.back() == u' ') {
        text.chop(1);
    }
    return text;
}

// One test of a reaction: boxFactor × box == alkyneFactor × alkyne.
struct Equality {
    facts::Position box;
    int boxFactor;
    int alkyneFactor;
};

constexpr std::size_t equalitiesPerReaction = 3;
using Tests = std::array<Equality, equalitiesPerReaction>;

// The tests of the combustion of CνH2ν−2 with ν carbon atoms, 2 CνH2ν−2 + (3ν−1) O2 → 2ν CO2 + (2ν−2) H2O:
// ν CO2 and ν−1 H2O per alkyne, and (3ν−1)/2 O2, kept in lowest terms (an even 3ν−1 is halved) so that
// no product is larger than it must be: each is computed in 16 bits, and one that does not fit fails.
// Ethyne: 2 C2H2 + 5 O2 -> 4 CO2 + 2 H2O; propyne: C3H4 + 4 O2 -> 3 CO2 + 2 H2O.
constexpr Tests testsOf(int carbonAtoms) {
    const int oxygenPerTwoAlkynes = 3 * carbonAtoms - 1;
    const bool halves = oxygenPerTwoAlkynes % 2 == 0;
    const Equality oxygen{Oxygen, halves ? 1 : 2, halves ? oxygenPerTwoAlkynes / 2 : oxygenPerTwoAlkynes};
    return {{{CarbonDioxide, 1, carbonAtoms}, {Water, 1, facts::hydrogenAtoms(carbonAtoms) / 2}, oxygen}};
}

// The numbered reactions, before the general alkyne: ethyne, propyne, butyne, pentyne.
constexpr std::array<Tests, facts::GeneralAlkyne> reactionTests = [] {
    std::array<Tests, facts::GeneralAlkyne> tests{};
    for (std::size_t r = 0; r < tests.size(); ++r) {
        tests.at(r) = testsOf(facts::CarbonAtoms.at(r));
    }
    return tests;
}();

bool isNumberedReaction(int reaction) {
    return reaction >= 0 && reaction < static_cast<int>(reactionTests.size());
}

// Accepted texts of the O2, CO2 and H2O boxes of the general alkyne CνH2ν-2, with ν or a Latin v.
constexpr std::array<std::array<QStringView, 2>, facts::BoxesPerReaction - Oxygen> generalAnswers{{
    {{u"3\u03BD-1", u"3v-1"}},
    {{u"2\u03BD", u"2v"}},
    {{u"2\u03BD-2", u"2v-2"}},
}};

bool isGeneralAnswer(const BoxTexts &boxTexts) {
    for (std::size_t i = 0; i < generalAnswers.size(); ++i) {
        const QStringView text = trimSpaces(boxTexts[Oxygen + i]);
        const auto &accepted = generalAnswers[i];
        if (std::none_of(accepted.begin(), accepted.end(), [text](QStringView a) { return a == text; })) {
            return false;
        }
    }
    return true;
}

} // namespace

double readNumber(QStringView text) {
    Reader reader(text);
    if (reader.accept(u'&')) {
        if (reader.acceptEither(u'H', u'h')) {
            return readRadixInteger(reader, hexBase);
        }
        return reader.acceptEither(u'O', u'o') ? readRadixInteger(reader, octalBase) : 0.0;
    }
    Decimal number;
    if (!readMantissa(reader, number)) {
        return 0.0;
    }
    number.exponent += readExponent(reader);
    return toDouble(number);
}

std::optional<std::int16_t> boxValue(QStringView boxText) {
    const QStringView text = trimSpaces(boxText);
    return text.isEmpty() ? std::optional(omittedCoefficient) : toInt16(readNumber(text));
}

bool balances(int reaction, const Values &values) {
    if (!isNumberedReaction(reaction)) {
        return false;
    }
    bool allFit = true;
    bool allEqual = true;
    for (const Equality &test : reactionTests.at(reaction)) {
        const auto boxSide = product16(test.boxFactor, values[test.box]);
        const auto alkyneSide = product16(test.alkyneFactor, values[Alkyne]);
        allFit = allFit && boxSide && alkyneSide;
        allEqual = allEqual && boxSide == alkyneSide;
    }
    return allFit && allEqual;
}

bool areRight(int reaction, const BoxTexts &boxTexts) {
    if (reaction == facts::GeneralAlkyne) {
        return isGeneralAnswer(boxTexts);
    }
    if (!isNumberedReaction(reaction)) {
        return false;
    }
    Values values{};
    for (std::size_t box = 0; box < boxTexts.size(); ++box) {
        const auto value = boxValue(boxTexts[box]);
        if (!value || *value < smallestCoefficient) {
            return false;
        }
        values[box] = *value;
    }
    return balances(reaction, values);
}

} // namespace coefficients
