#pragma once

// An attempt as the window shows it, and the text it is kept in between a pupil's visits (a learning
// platform keeps it and hands it back). Pure.
//
// The text is plain ASCII, at most MaxTextLength characters: a mark with the format's version, then
// fields separated by '/': the tray column of each compound kind ("31042"), the tile on each reaction
// (two digits, or "--" for none), the grade ("-" before any Check, else "s" shown or "h" hidden, then
// the last grade shown), and the text of each box in box order, the never-shown box left out. Box texts
// keep letters, digits, '-', '.' and '+' as they are; any other UTF-16 code unit is written "~XXXX",
// in upper-case hexadecimal. A seal ends it: the CRC-16 (ISO 3309) of all before it, as four upper-case
// hexadecimal digits.

#include "exercise/facts.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

namespace attempt {

// What a learning platform keeps for a SCO at most (SCORM 1.2's cmi.suspend_data).
inline constexpr int MaxTextLength = 4096;

struct Attempt {
    // The tray column of each compound kind: a shuffle of 0..KindCount-1.
    std::array<std::int16_t, facts::KindCount> trayColumns{};
    // The tile on each reaction, or facts::NoTile; no tile on two reactions.
    std::array<std::int16_t, facts::ReactionCount> placed{};
    // What each box holds, as typed, by box index; empty on a reaction without a tile, and in the
    // never-shown box. At most facts::BoxTextLength code units each.
    std::array<QString, facts::BoxCount> boxTexts;
    // The last grade a Check showed (none before the first), and whether it is shown now.
    std::optional<int> lastGrade;
    bool gradeShown = false;

    bool operator==(const Attempt &) const = default;
};

// The text of an attempt that holds to the rules above.
QString toText(const Attempt &attempt);

// The attempt that `toText` wrote into `text`; nothing for any other text (empty, cut short, of another
// version, altered, or breaking a rule above), so that an attempt read back is one the window can show.
std::optional<Attempt> fromText(QStringView text);

// Whether a grade is one a Check can give: each reaction earns nothing, its compound's points, or those
// and its coefficients' points.
bool isReachableGrade(int grade);

} // namespace attempt
