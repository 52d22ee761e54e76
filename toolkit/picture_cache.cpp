#include "toolkit/picture_cache.h"

#include "toolkit/outline_snap.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>
#include <tuple>

namespace pictures {

namespace {

struct Key {
    QString resource;
    QSize size;
    qreal ratio;

    friend bool operator==(const Key &a, const Key &b) {
        return std::tie(a.resource, a.size, a.ratio) == std::tie(b.resource, b.size, b.ratio);
    }
};

[[maybe_unused]] size_t qHash(const Key &key, size_t seed = 0) {
    return qHashMulti(seed, key.resource, key.size.width(), key.size.height(), key.ratio);
}

// One parsed renderer per picture, kept for the program's life.
QSvgRenderer &rendererFor(const QString &resource) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
    auto &renderer = renderers[resource];
    if (!renderer) {
        renderer = std::make_shared<QSvgRenderer>(resource);
    }
    return *renderer;
}

// The document of each picture, read once, for renderings whose outlines are snapped to their pixels.
const QByteArray &documentOf(const QString &resource) {
    static QHash<QString, QByteArray> documents;
    auto found = documents.find(resource);
    if (found == documents.end()) {
        QFile file(resource);
        found = documents.insert(resource, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return *found;
}

QHash<Key, QPixmap> &renderings() {
    static QHash<Key, QPixmap> cache;
    return cache;
}

std::uint64_t renderingsMade = 0;

} // namespace

QSize naturalSize(const QString &resource) {
    return rendererFor(resource).defaultSize();
}

QPixmap render(const QString &resource, QSize logicalSize, qreal devicePixelRatio) {
    const Key key{resource, logicalSize, devicePixelRatio};
    if (const auto found = renderings().constFind(key); found != renderings().cend()) {
        return *found;
    }
    const QSize pixels = (QSizeF(logicalSize) * devicePixelRatio).toSize();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        const QRectF bounds(QPointF(0, 0), QSizeF(pixels));
        const QByteArray snapped = snapOutlines(documentOf(resource), pixels);
        if (snapped.isEmpty()) {
            rendererFor(resource).render(&painter, bounds);
        } else {
            QSvgRenderer(snapped).render(&painter, bounds);
        }
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    renderings().insert(key, pixmap);
    ++renderingsMade;
    return pixmap;
}

std::uint64_t renderCount() {
    return renderingsMade;
}

} // namespace pictures
