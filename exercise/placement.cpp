#include "exercise/placement.h"

#include "exercise/facts.h"

namespace placement {

namespace {

// How the blank lies in a reaction picture: raised above the picture's middle by the lift, and its
// left edge a fixed inset left of the picture's right edge. Pictures missing carbon dioxide have the
// blank in the middle; those missing water have it at the right end.
struct Blank {
    float lift;
    float rightInset;
};
constexpr Blank CarbonDioxideBlank{10.0f, 3200.0f};
constexpr Blank WaterBlank{20.0f, 1085.0f};

constexpr Blank blankOf(int reaction) {
    return facts::lackingPosition(reaction) == facts::Water ? WaterBlank : CarbonDioxideBlank;
}

} // namespace

QPointF hangingTile(const QPointF &pointer, const QSizeF &tile) {
    const float width = static_cast<float>(tile.width());
    const float height = static_cast<float>(tile.height());
    const float left = static_cast<float>(pointer.x()) - width / 2;
    const float top = static_cast<float>(pointer.y()) - height - HangAbovePointer;
    return {left, top};
}

bool inEdgeMargin(const QPointF &pointer, const QPointF &origin, const QSizeF &client) {
    const float x = static_cast<float>(pointer.x());
    const float y = static_cast<float>(pointer.y());
    const float left = static_cast<float>(origin.x()) + EdgeMargin;
    const float right = static_cast<float>(origin.x() + client.width()) - EdgeMargin;
    const float top = static_cast<float>(origin.y()) + EdgeMargin;
    const float bottom = static_cast<float>(origin.y() + client.height()) - EdgeMargin;
    return x < left || x > right || y < top || y > bottom;
}

QPointF slot(int reaction, const twips::Rect &picture, const QSizeF &tile) {
    const Blank blank = blankOf(reaction);
    const float height = static_cast<float>(tile.height());
    const float top = picture.top + picture.height / 2 - height / 2 - blank.lift;
    const float left = picture.left + picture.width - blank.rightInset;
    return {left, top};
}

} // namespace placement
