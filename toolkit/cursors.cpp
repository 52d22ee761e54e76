#include "toolkit/cursors.h"

#include "toolkit/picture_cache.h"

namespace cursors {

namespace {
const QString HandResource = QStringLiteral(":/pictures/hand_cursor.svg");
constexpr QSize CursorSize(32, 32);
constexpr QPoint HandHotSpot(12, 1);
constexpr QPoint DragIconHotSpot(16, 16);
} // namespace

QCursor hand() {
    return QCursor(pictures::render(HandResource, CursorSize, 1), HandHotSpot.x(), HandHotSpot.y());
}

QCursor dragIcon(const QString &resource) {
    return QCursor(pictures::render(resource, CursorSize, 1), DragIconHotSpot.x(), DragIconHotSpot.y());
}

} // namespace cursors
