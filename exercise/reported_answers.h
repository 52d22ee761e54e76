#pragma once

// What a learning platform records of a Check for the teacher: one answer for each reaction that holds a
// compound, named after the reaction, with the equation as the pupil completed it and whether it was all
// right. Pure.

#include "exercise/grading.h"
#include "toolkit/report.h"

#include <vector>

namespace reported_answers {

// The longest response a platform records (SCORM 1.2's CMIFeedback).
inline constexpr int LongestResponse = 255;

// The name of reaction 0..4's answer: "combustion_" and its alkyne's formula in ASCII ("combustion_C2H2",
// ..., "combustion_CvH2v-2").
QString id(int reaction);

// A box text as a response carries it: at most facts::BoxTextLength characters, printable ASCII kept, ν
// written v (as the boxes read it), every other character '?'.
QString plain(const QString &boxText);

// The answers of the reactions that hold a compound, in reaction order. A response reads as the equation
// with each box's text in brackets and the compound placed in the blank ("[2] C2H2 + [5] O2 -> [4] CO2 +
// [2] H2O"); an answer is right when both its compound and its coefficients are.
std::vector<ReportedAnswer> compose(const grading::Answers &answers, const grading::Verdicts &verdicts);

} // namespace reported_answers
