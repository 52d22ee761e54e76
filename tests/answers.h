#pragma once

// The right answers as the tests know them, shared by the suites and the fuzz target: the compound each
// reaction asks for, from the exercise's facts, and the coefficients that balance each equation, written
// out here apart from the program's rules, so that a fault in those rules shows. Qt Core only.

#include "exercise/facts.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>

namespace testkit {

// The compound kind each reaction's blank asks for: carbon dioxide (1) on reactions 0, 2 and 4, water
// (3) on 1 and 3.
inline constexpr std::array<int, facts::ReactionCount> RightKind = [] {
    std::array<int, facts::ReactionCount> kinds{};
    for (std::size_t r = 0; r < kinds.size(); ++r) {
        kinds.at(r) = static_cast<int>(facts::LackingCompound.at(r));
    }
    return kinds;
}();

// The smallest balanced coefficients of ethyne, propyne, butyne and pentyne (alkyne, O2, CO2, H2O), and
// the largest product the checks form from them: a multiple k of the smallest is right while k times
// that product fits 16 bits.
struct Balance {
    std::array<int, facts::BoxesPerReaction> smallest;
    int largestProduct;
};
inline constexpr std::array<Balance, facts::GeneralAlkyne> Balances{
    {{{2, 5, 4, 2}, 10}, {{1, 4, 3, 2}, 4}, {{2, 11, 8, 6}, 22}, {{1, 7, 5, 4}, 7}}};

// The general alkyne's accepted texts by box, with ν or a Latin v. Its first box stands over the
// coefficient its picture prints: never shown, never read.
inline const std::array<QStringList, facts::BoxesPerReaction> GeneralAnswers{
    {{},
     {QStringLiteral("3ν-1"), QStringLiteral("3v-1")},
     {QStringLiteral("2ν"), QStringLiteral("2v")},
     {QStringLiteral("2ν-2"), QStringLiteral("2v-2")}}};

// A right answer of each reaction as its four boxes read: the smallest balanced coefficients, and the
// general alkyne's with ν, its first box empty.
using BoxTexts = std::array<QString, facts::BoxesPerReaction>;
inline const std::array<BoxTexts, facts::ReactionCount> RightTexts = [] {
    std::array<BoxTexts, facts::ReactionCount> texts;
    for (std::size_t r = 0; r < Balances.size(); ++r) {
        for (std::size_t box = 0; box < texts.at(r).size(); ++box) {
            texts.at(r).at(box) = QString::number(Balances.at(r).smallest.at(box));
        }
    }
    for (std::size_t box = facts::Oxygen; box < GeneralAnswers.size(); ++box) {
        texts.at(facts::GeneralAlkyne).at(box) = GeneralAnswers.at(box).first();
    }
    return texts;
}();

// A text without the spaces at either end, as the general alkyne's boxes are compared.
inline QString withoutOuterSpaces(QString text) {
    while (text.startsWith(u' ')) {
        text.remove(0, 1);
    }
    while (text.endsWith(u' ')) {
        text.chop(1);
    }
    return text;
}

} // namespace testkit
