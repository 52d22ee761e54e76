#include "toolkit/fonts.h"

#include "toolkit/twips.h"

#include <QStringList>
#ifdef __EMSCRIPTEN__
#include <QDir>
#include <QFontDatabase>
#endif

namespace fonts {

namespace {
constexpr auto DesignFamily = "MS Sans Serif";
// Metric-compatible stand-ins first. Windows keeps "MS Sans Serif" as a bitmap font of a few fixed
// sizes, which would be blurred or stepped at 125 and 150 %: there its TrueType successor, with the
// same design and the Greek letters, stands in, and the design font asks for outlines only.
const QStringList Substitutes{
#ifdef _WIN32
    QStringLiteral("Microsoft Sans Serif"),
#endif
    QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
} // namespace

void installSubstitutes() {
#ifdef __EMSCRIPTEN__
    // A browser lends a page none of the system's fonts: the program carries the design's stand-in.
    const QDir carried(QStringLiteral(":/webfonts"));
    for (const QString &name : carried.entryList(QDir::Files)) {
        QFontDatabase::addApplicationFont(carried.filePath(name));
    }
#endif
    QFont::insertSubstitutions(QString::fromLatin1(DesignFamily), Substitutes);
    QFont::insertSubstitutions(QStringLiteral("Arial"), Substitutes);
}

QFont designFont(double points) {
    QFont font(QString::fromLatin1(DesignFamily));
    font.setPixelSize(twips::pointsToPixels(points));
    font.setBold(true);
    font.setStyleStrategy(QFont::ForceOutline);
    return font;
}

} // namespace fonts
