#include "exercise/grading.h"

#include "exercise/coefficients.h"

#include <numeric>

namespace grading {

Verdicts judge(const Answers &answers) {
    Verdicts verdicts{};
    for (int r = 0; r < facts::ReactionCount; ++r) {
        const Answer &answer = answers.at(r);
        Verdict &verdict = verdicts.at(r);
        if (!answer.compound) {
            continue;
        }
        verdict.compoundRight = *answer.compound == facts::LackingCompound.at(r);
        verdict.compoundWrong = !verdict.compoundRight;
        if (verdict.compoundRight) {
            verdict.coefficientsRight = coefficients::areRight(r, answer.boxTexts);
            verdict.points =
                facts::PointsForCompound + (verdict.coefficientsRight ? facts::PointsForCoefficients : 0);
        }
    }
    return verdicts;
}

int total(const Verdicts &verdicts) {
    return std::accumulate(verdicts.begin(), verdicts.end(), 0,
                           [](int sum, const Verdict &verdict) { return sum + verdict.points; });
}

QString caption(int grade) {
    return QString::number(grade) + QLatin1Char('%');
}

} // namespace grading
