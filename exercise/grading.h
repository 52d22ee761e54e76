#pragma once

// Grading an attempt: what each reaction earns from the compound that lies on it and the coefficients
// typed into its boxes. Pure: the window applies the verdicts (sends wrong compounds home, empties
// wrong coefficients, shows the grade).

#include "exercise/facts.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace grading {

// What the pupil did on one reaction: the compound of the tile that lies on it (none when the reaction
// is empty) and the texts of its four boxes (for the general alkyne, the first one is not read). The
// key it is judged by is the exercise's own (facts.h).
struct Answer {
    std::optional<facts::Kind> compound;
    std::array<QString, facts::BoxesPerReaction> boxTexts;
};

// An empty reaction earns nothing and is neither right nor wrong: nothing about it changes.
struct Verdict {
    bool compoundRight = false;
    bool compoundWrong = false;
    bool coefficientsRight = false; // judged only for a right compound
    int points = 0;
};

using Answers = std::array<Answer, facts::ReactionCount>;
using Verdicts = std::array<Verdict, facts::ReactionCount>;

Verdicts judge(const Answers &answers);

// The grade out of 100: the sum of the verdicts' points.
int total(const Verdicts &verdicts);

// The grade as the window shows it: its decimal digits followed by "%".
QString caption(int grade);

} // namespace grading
