// Prints the right answers as the desktop suite knows them (answers.h) as JSON, for the browser suite:
// the compound kind each reaction asks for, the texts of a right answer in each reaction's boxes (the
// general alkyne's first box, never shown, empty) and the points of a right compound and of right
// coefficients.

#include "answers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main() {
    QJsonArray kinds;
    QJsonArray texts;
    for (int r = 0; r < facts::ReactionCount; ++r) {
        kinds.append(testkit::RightKind.at(r));
        QJsonArray boxes;
        for (const QString &text : testkit::RightTexts.at(r)) {
            boxes.append(text);
        }
        texts.append(boxes);
    }
    const QJsonObject answers{{QStringLiteral("rightKind"), kinds},
                              {QStringLiteral("rightTexts"), texts},
                              {QStringLiteral("pointsForCompound"), facts::PointsForCompound},
                              {QStringLiteral("pointsForCoefficients"), facts::PointsForCoefficients}};
    const QByteArray json = QJsonDocument(answers).toJson();
    return std::fwrite(json.constData(), 1, json.size(), stdout) == std::size_t(json.size()) ? 0 : 1;
}
