#include "exercise/reported_answers.h"

namespace reported_answers {

namespace {

QString ascii(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString alkyneFormula(int reaction) {
    if (reaction == facts::GeneralAlkyne) {
        return ascii(facts::GeneralAlkyneFormula);
    }
    const int carbon = facts::CarbonAtoms.at(reaction);
    return QStringLiteral("C%1H%2").arg(carbon).arg(facts::hydrogenAtoms(carbon));
}

QString formula(facts::Kind kind) {
    return ascii(facts::Formula.at(static_cast<std::size_t>(kind)));
}

} // namespace

QString id(int reaction) {
    return QStringLiteral("combustion_") + alkyneFormula(reaction);
}

QString plain(const QString &boxText) {
    QString out = boxText.left(facts::BoxTextLength);
    for (QChar &c : out) {
        if (c == u'ν') {
            c = u'v';
        } else if (c < u' ' || c > u'~') {
            c = u'?';
        }
    }
    return out;
}

std::vector<ReportedAnswer> compose(const grading::Answers &answers, const grading::Verdicts &verdicts) {
    std::vector<ReportedAnswer> reported;
    for (int r = 0; r < facts::ReactionCount; ++r) {
        const grading::Answer &answer = answers.at(r);
        if (!answer.compound) {
            continue;
        }
        const auto box = [&](facts::Position position) {
            return QStringLiteral("[%1]").arg(plain(answer.boxTexts.at(position)));
        };
        const auto product = [&](facts::Kind kind, facts::Position position) {
            return box(position) + u' ' +
                   formula(position == facts::lackingPosition(r) ? *answer.compound : kind);
        };
        const QString alkyne = (r == facts::GeneralAlkyne ? QString::number(facts::GeneralAlkyneCoefficient)
                                                          : box(facts::Alkyne)) +
                               u' ' + alkyneFormula(r);
        const QString response =
            QStringLiteral("%1 + %2 O2 -> %3 + %4")
                .arg(alkyne, box(facts::Oxygen), product(facts::Kind::CarbonDioxide, facts::CarbonDioxide),
                     product(facts::Kind::Water, facts::Water));
        const grading::Verdict &verdict = verdicts.at(r);
        reported.push_back(
            {id(r), response.left(LongestResponse), verdict.compoundRight && verdict.coefficientsRight});
    }
    return reported;
}

} // namespace reported_answers
