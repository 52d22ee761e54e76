#pragma once

#include "exercise/facts.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

// Checking the coefficients a pupil types into the four boxes of an alkyne combustion equation.
namespace coefficients {

// The number a box text begins with, as a double. Blanks, tabs and line feeds are skipped anywhere;
// "&H" and "&O" start a hexadecimal or octal integer. A text that does not begin with a number gives 0,
// a number too large for a double gives an infinity. The result is never NaN.
double readNumber(QStringView text);

// The value of one coefficient box of reactions 0..3: nullopt when the reading fails (does not fit 16 bits).
std::optional<std::int16_t> boxValue(QStringView boxText);

// Whether the four coefficients (alkyne, O2, CO2, H2O) pass every test of a numbered reaction (0..3), each
// product being computed in 16 bits. Values below 1 are not rejected here.
bool balances(int reaction, const std::array<std::int16_t, facts::BoxesPerReaction> &values);

// Whether the four box texts (positions 0 alkyne, 1 O2, 2 CO2, 3 H2O) are a right answer for reaction 0..4.
// For the general alkyne position 0 is ignored. A reaction number outside 0..4 is never right.
bool areRight(int reaction, const std::array<QString, facts::BoxesPerReaction> &boxTexts);

} // namespace coefficients
