#include "toolkit/fonts.h"

#include "toolkit/twips.h"

#include <QStringList>

namespace fonts {

namespace {
constexpr auto DesignFamily = "MS Sans Serif";
const QStringList Substitutes{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                              QStringLiteral("DejaVu Sans")};
} // namespace

void installSubstitutes() {
    QFont::insertSubstitutions(QString::fromLatin1(DesignFamily), Substitutes);
    QFont::insertSubstitutions(QStringLiteral("Arial"), Substitutes);
}

QFont designFont(double points) {
    QFont font(QString::fromLatin1(DesignFamily));
    font.setPixelSize(twips::pointsToPixels(points));
    font.setBold(true);
    return font;
}

} // namespace fonts
