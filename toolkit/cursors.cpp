#include "toolkit/cursors.h"

#include "toolkit/picture_cache.h"

#include <QGuiApplication>
#include <QHash>

#include <utility>

namespace cursors {

namespace {
const QString HandResource = QStringLiteral(":/pictures/hand_cursor.svg");
constexpr QSize CursorSize(32, 32);
constexpr QPoint HandHotSpot(12, 1);
constexpr QPoint DragIconHotSpot(16, 16);

// A cursor drawn at the screen's device pixel ratio, so that it keeps its size to the eye beside a
// window that Qt scales. The X11 platform shows the cursor's image pixel for pixel and takes its hot
// spot in those device pixels, so the hot spot scales with the image.
// Each is made once per picture and ratio (a picture always comes with the same hot spot): making a
// cursor from a pixmap derives its bitmap and mask, which every tile's setCursor() would otherwise repeat.
QCursor scaledCursor(const QString &resource, QPoint hotSpot) {
    static QHash<std::pair<QString, qreal>, QCursor> made;
    const qreal ratio = qGuiApp->devicePixelRatio();
    auto found = made.find({resource, ratio});
    if (found == made.end()) {
        const QPoint scaledHotSpot = (QPointF(hotSpot) * ratio).toPoint();
        found = made.insert({resource, ratio}, QCursor(pictures::render(resource, CursorSize, ratio),
                                                       scaledHotSpot.x(), scaledHotSpot.y()));
    }
    return *found;
}
} // namespace

QCursor hand() {
    return scaledCursor(HandResource, HandHotSpot);
}

QCursor dragIcon(const QString &resource) {
    return scaledCursor(resource, DragIconHotSpot);
}

} // namespace cursors
