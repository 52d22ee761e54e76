#include "exercise/attempt.h"

#include <QByteArrayView>
#include <QList>

namespace attempt {

namespace {

using facts::BoxCount;
using facts::KindCount;
using facts::ReactionCount;

const QString Mark = QStringLiteral("alkyne-attempt-1");
constexpr QChar Separator = u'/';
constexpr QChar Escape = u'~';
constexpr int EscapeDigits = 4;
const QString NoTileText = QStringLiteral("--");
const QString NoGrade = QStringLiteral("-");
constexpr QChar GradeShown = u's';
constexpr QChar GradeHidden = u'h';
constexpr int SealDigits = 4;

// The seal that ends the text: the CRC-16 of all before it, in upper-case hexadecimal.
QString seal(const QString &body) {
    const QByteArray bytes = body.toLatin1();
    return QStringLiteral("%1")
        .arg(qChecksum(QByteArrayView(bytes)), SealDigits, 16, QLatin1Char('0'))
        .toUpper();
}

bool keptAsIs(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
           (unit >= u'0' && unit <= u'9') || unit == u'-' || unit == u'.' || unit == u'+';
}

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') {
        return c.unicode() - u'0';
    }
    if (c >= u'A' && c <= u'F') {
        return c.unicode() - u'A' + 10;
    }
    return -1;
}

QString escaped(const QString &text) {
    QString out;
    for (const QChar c : text) {
        if (keptAsIs(c.unicode())) {
            out += c;
        } else {
            out += Escape + QStringLiteral("%1")
                                .arg(static_cast<uint>(c.unicode()), EscapeDigits, 16, QLatin1Char('0'))
                                .toUpper();
        }
    }
    return out;
}

std::optional<QString> unescaped(QStringView field) {
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (keptAsIs(c.unicode())) {
            out += c;
            continue;
        }
        if (c != Escape || i + EscapeDigits >= field.size()) {
            return std::nullopt;
        }
        int unit = 0;
        for (int d = 1; d <= EscapeDigits; ++d) {
            const int digit = hexDigit(field.at(i + d));
            if (digit < 0) {
                return std::nullopt;
            }
            unit = unit * 16 + digit;
        }
        out += QChar(static_cast<char16_t>(unit));
        i += EscapeDigits;
    }
    return out;
}

// A number written by QString::number: decimal digits, no sign, no leading zero, at most `digits`.
std::optional<int> plainNumber(QStringView field, int digits) {
    if (field.isEmpty() || field.size() > digits || (field.size() > 1 && field.front() == u'0')) {
        return std::nullopt;
    }
    int value = 0;
    for (const QChar c : field) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

bool holdsToTheRules(const Attempt &attempt) {
    std::array<bool, KindCount> columnTaken{};
    for (const std::int16_t column : attempt.trayColumns) {
        if (column < 0 || column >= KindCount || columnTaken.at(column)) {
            return false;
        }
        columnTaken.at(column) = true;
    }
    std::array<bool, facts::TileCount> tilePlaced{};
    for (int r = 0; r < ReactionCount; ++r) {
        const std::int16_t tile = attempt.placed.at(r);
        if (tile != facts::NoTile) {
            if (tile < 0 || tile >= facts::TileCount || tilePlaced.at(tile)) {
                return false;
            }
            tilePlaced.at(tile) = true;
        }
        for (int position = 0; position < facts::BoxesPerReaction; ++position) {
            const int k = facts::boxIndex(r, position);
            const QString &text = attempt.boxTexts.at(k);
            const bool kept = tile != facts::NoTile && k != facts::UnusedBox;
            if (text.size() > facts::BoxTextLength || (!kept && !text.isEmpty())) {
                return false;
            }
        }
    }
    if (attempt.lastGrade ? !isReachableGrade(*attempt.lastGrade) : attempt.gradeShown) {
        return false;
    }
    return true;
}

} // namespace

bool isReachableGrade(int grade) {
    constexpr int Compound = facts::PointsForCompound;
    constexpr int Whole = facts::PointsForCompound + facts::PointsForCoefficients;
    for (int whole = 0; whole <= ReactionCount; ++whole) {
        for (int compoundOnly = 0; whole + compoundOnly <= ReactionCount; ++compoundOnly) {
            if (whole * Whole + compoundOnly * Compound == grade) {
                return true;
            }
        }
    }
    return false;
}

QString toText(const Attempt &attempt) {
    QString text = Mark + Separator;
    for (const std::int16_t column : attempt.trayColumns) {
        text += QString::number(column);
    }
    text += Separator;
    for (const std::int16_t tile : attempt.placed) {
        text += tile == facts::NoTile ? NoTileText : QStringLiteral("%1").arg(tile, 2, 10, QLatin1Char('0'));
    }
    text += Separator;
    if (attempt.lastGrade) {
        text += (attempt.gradeShown ? GradeShown : GradeHidden) + QString::number(*attempt.lastGrade);
    } else {
        text += NoGrade;
    }
    for (int k = 0; k < BoxCount; ++k) {
        if (k != facts::UnusedBox) {
            text += Separator + escaped(attempt.boxTexts.at(k));
        }
    }
    text += Separator;
    return text + seal(text);
}

std::optional<Attempt> fromText(QStringView text) {
    if (text.size() > MaxTextLength) {
        return std::nullopt;
    }
    // Anything cut short or changed on the way back breaks the seal.
    const qsizetype sealed = text.size() - SealDigits;
    if (sealed < 1 || text.at(sealed - 1) != Separator) {
        return std::nullopt;
    }
    const QString body = text.first(sealed).toString();
    if (text.sliced(sealed) != seal(body)) {
        return std::nullopt;
    }
    const QList<QStringView> fields = text.first(sealed - 1).split(Separator);
    constexpr qsizetype Header = 4; // the mark, the tray, the tiles, the grade
    if (fields.size() != Header + BoxCount - 1 || fields.at(0) != Mark) {
        return std::nullopt;
    }
    Attempt attempt;
    const QStringView tray = fields.at(1);
    if (tray.size() != KindCount) {
        return std::nullopt;
    }
    for (int kind = 0; kind < KindCount; ++kind) {
        const auto column = plainNumber(tray.sliced(kind, 1), 1);
        if (!column) {
            return std::nullopt;
        }
        attempt.trayColumns.at(kind) = static_cast<std::int16_t>(*column);
    }
    const QStringView tiles = fields.at(2);
    if (tiles.size() != 2 * ReactionCount) {
        return std::nullopt;
    }
    for (int r = 0; r < ReactionCount; ++r) {
        const QStringView tile = tiles.sliced(2 * r, 2);
        if (tile == NoTileText) {
            attempt.placed.at(r) = facts::NoTile;
            continue;
        }
        // Two digits, a leading zero included.
        const auto tens = plainNumber(tile.sliced(0, 1), 1);
        const auto units = plainNumber(tile.sliced(1, 1), 1);
        if (!tens || !units) {
            return std::nullopt;
        }
        attempt.placed.at(r) = static_cast<std::int16_t>(*tens * 10 + *units);
    }
    const QStringView grade = fields.at(3);
    if (grade != NoGrade) {
        if (grade.isEmpty() || (grade.front() != GradeShown && grade.front() != GradeHidden)) {
            return std::nullopt;
        }
        attempt.lastGrade = plainNumber(grade.sliced(1), 3);
        if (!attempt.lastGrade) {
            return std::nullopt;
        }
        attempt.gradeShown = grade.front() == GradeShown;
    }
    qsizetype field = Header;
    for (int k = 0; k < BoxCount; ++k) {
        if (k == facts::UnusedBox) {
            continue;
        }
        auto boxText = unescaped(fields.at(field++));
        if (!boxText) {
            return std::nullopt;
        }
        attempt.boxTexts.at(k) = std::move(*boxText);
    }
    // Only the one way of writing each attempt is this program's.
    if (!holdsToTheRules(attempt) || toText(attempt) != text) {
        return std::nullopt;
    }
    return attempt;
}

} // namespace attempt
