// Feeds arbitrary texts to the reader of a kept attempt, as a learning platform might hand them back, and
// aborts when an invariant breaks: an accepted text is one the writer writes (so it reads back to the same
// attempt) and an attempt the window can show. Each input is read as it comes and also with its seal made
// right, so that what lies behind the seal is reached; and the input also builds an attempt that holds to
// the rules, whose text must fit what a platform keeps and read back to it.
#include "exercise/attempt.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using attempt::Attempt;

void require(bool condition, const char *invariant) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", invariant);
        std::abort();
    }
}

// What the window can show, written out apart from the reader.
void checkShowable(const Attempt &a) {
    std::array<std::int16_t, facts::KindCount> columns = a.trayColumns;
    std::sort(columns.begin(), columns.end());
    for (int c = 0; c < facts::KindCount; ++c) {
        require(columns.at(c) == c, "the tray's columns are not a shuffle");
    }
    for (int r = 0; r < facts::ReactionCount; ++r) {
        const std::int16_t tile = a.placed.at(r);
        require(tile == facts::NoTile || (tile >= 0 && tile < facts::TileCount), "a tile out of range");
        for (int other = r + 1; other < facts::ReactionCount; ++other) {
            require(tile == facts::NoTile || a.placed.at(other) != tile, "a tile on two reactions");
        }
        for (int position = 0; position < facts::BoxesPerReaction; ++position) {
            const int k = facts::boxIndex(r, position);
            const QString &text = a.boxTexts.at(k);
            require(text.size() <= facts::BoxTextLength, "a box text longer than a box takes");
            require(text.isEmpty() || (tile != facts::NoTile && k != facts::UnusedBox),
                    "a text in a box that is not shown");
        }
    }
    require(!a.gradeShown || a.lastGrade.has_value(), "a grade shown that no Check gave");
    if (a.lastGrade) {
        require(*a.lastGrade >= 0 && *a.lastGrade <= 100 && *a.lastGrade % facts::PointsForCompound == 0,
                "a grade out of range");
    }
}

void checkText(const QString &text) {
    const auto read = attempt::fromText(text);
    if (!read) {
        return;
    }
    checkShowable(*read);
    require(attempt::toText(*read) == text, "an accepted text is not the one written for its attempt");
    require(attempt::fromText(attempt::toText(*read)) == read, "an accepted attempt reads back otherwise");
}

// The text with its seal made right for what comes before it (CRC-16, ISO 3309, in upper-case hexadecimal).
QString resealed(const QString &text) {
    const qsizetype slash = text.lastIndexOf(u'/');
    if (slash < 0) {
        return text;
    }
    const QString body = text.left(slash + 1);
    return body + QStringLiteral("%1").arg(qChecksum(body.toLatin1()), 4, 16, QLatin1Char('0')).toUpper();
}

// An attempt that holds to the rules, built from the input's bytes: a shuffle, tiles on some reactions, box
// texts cut from the input, a grade a Check can give.
Attempt built(const std::uint8_t *data, std::size_t size) {
    std::size_t at = 0;
    const auto next = [&]() -> unsigned { return at < size ? data[at++] : 0U; };
    Attempt a;
    std::array<std::int16_t, facts::KindCount> columns{0, 1, 2, 3, 4};
    for (int i = facts::KindCount - 1; i > 0; --i) {
        std::swap(columns.at(i), columns.at(next() % (i + 1)));
    }
    a.trayColumns = columns;
    std::array<bool, facts::TileCount> used{};
    for (std::int16_t &placed : a.placed) {
        const unsigned tile = next() % (facts::TileCount + 1);
        placed = tile == facts::TileCount || used.at(tile) ? facts::NoTile : static_cast<std::int16_t>(tile);
        if (placed != facts::NoTile) {
            used.at(tile) = true;
        }
    }
    for (int k = 0; k < facts::BoxCount; ++k) {
        if (k == facts::UnusedBox || a.placed.at(facts::reactionOfBox(k)) == facts::NoTile) {
            continue;
        }
        const std::size_t units = std::min<std::size_t>(next() % (facts::BoxTextLength + 1), (size - at) / 2);
        QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
        std::memcpy(text.data(), data + at, units * sizeof(char16_t));
        at += units * sizeof(char16_t);
        a.boxTexts.at(k) = text;
    }
    const unsigned grade = next();
    if (grade % 3 != 0) {
        a.lastGrade = static_cast<int>(grade % 21) * facts::PointsForCompound;
        if (!attempt::isReachableGrade(*a.lastGrade)) {
            a.lastGrade = facts::PointsForCompound + facts::PointsForCoefficients;
        }
        a.gradeShown = grade % 3 == 1;
    }
    return a;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkText(text);
    checkText(resealed(text));

    const Attempt a = built(data, size);
    const QString written = attempt::toText(a);
    require(written.size() <= attempt::MaxTextLength, "an attempt's text is longer than a platform keeps");
    require(std::all_of(written.begin(), written.end(), [](QChar c) { return c > u' ' && c <= u'~'; }),
            "an attempt's text is not printable ASCII without blanks");
    require(attempt::fromText(written) == a, "an attempt does not read back as written");
    return 0;
}
