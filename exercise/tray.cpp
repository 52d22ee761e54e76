#include "exercise/tray.h"

#include <algorithm>

namespace tray {

namespace {
using facts::KindCount;
// A column entry not drawn yet; no column has this number.
constexpr std::int16_t Untaken = -1;
} // namespace

QPointF place(int column, const twips::Rect &panel, float tileWidth, float tileHeight, float clientTop) {
    const float gap = (RightEnd - panel.left - static_cast<float>(KindCount) * tileWidth) / (KindCount + 1);
    const float left = (tileWidth + gap) * static_cast<float>(column) + (panel.left + gap);
    const float top = (panel.top + clientTop) / 2 - tileHeight / 2;
    return {left, top};
}

std::array<std::int16_t, KindCount> shuffleColumns(const std::function<double()> &random) {
    std::array<std::int16_t, KindCount> columns;
    columns.fill(Untaken);
    for (auto &column : columns) {
        std::int16_t drawn = 0;
        do {
            drawn = static_cast<std::int16_t>(static_cast<int>(KindCount * random()));
        } while (std::find(columns.begin(), columns.end(), drawn) != columns.end());
        column = drawn;
    }
    return columns;
}

} // namespace tray
