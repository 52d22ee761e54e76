#include "toolkit/cursors.h"

#include "toolkit/picture_cache.h"

#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <qpa/qplatformscreen.h>

#include <algorithm>
#include <cmath>

#include <utility>

namespace cursors {

namespace {
const QString HandResource = QStringLiteral(":/pictures/hand_cursor.svg");
constexpr QSize CursorSize(32, 32);
constexpr QPoint HandHotSpot(12, 1);
constexpr QPoint DragIconHotSpot(16, 16);

// A cursor drawn at the screen's device pixel ratio, so that it keeps its size to the eye beside a
// window that Qt scales, and handed over as the window system reads it (see placement()).
// Each is made once per picture and ratio (a picture always comes with the same hot spot): making a
// cursor from a pixmap derives its bitmap and mask, which every tile's setCursor() would otherwise repeat.
QCursor scaledCursor(const QString &resource, QPoint hotSpot) {
    static QHash<std::pair<QString, qreal>, QCursor> made;
    const qreal ratio = qGuiApp->devicePixelRatio();
    auto found = made.find({resource, ratio});
    if (found == made.end()) {
        const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        const QScreen *screen = QGuiApplication::primaryScreen();
        const qreal outputScale = wayland && screen != nullptr ? screen->handle()->devicePixelRatio() : 1.0;
        const Placement placed = placement(hotSpot, ratio, wayland, outputScale);
        QPixmap image = pictures::render(resource, CursorSize, placed.drawRatio);
        image.setDevicePixelRatio(placed.pixmapRatio);
        found = made.insert({resource, ratio}, QCursor(image, placed.hotSpot.x(), placed.hotSpot.y()));
    }
    return *found;
}
} // namespace

Placement placement(QPoint logicalHotSpot, qreal ratio, bool wayland, qreal outputScale) {
    if (!wayland) {
        return {ratio, ratio, (QPointF(logicalHotSpot) * ratio).toPoint()};
    }
    const qreal bufferScale = std::max<qreal>(1.0, std::floor(outputScale));
    return {ratio * bufferScale / outputScale, bufferScale,
            (QPointF(logicalHotSpot) * ratio / outputScale).toPoint()};
}

QCursor hand() {
    return scaledCursor(HandResource, HandHotSpot);
}

QCursor dragIcon(const QString &resource) {
    return scaledCursor(resource, DragIconHotSpot);
}

} // namespace cursors
