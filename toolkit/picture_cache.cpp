#include "toolkit/picture_cache.h"

#include "toolkit/outline_snap.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

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

QImage rasterise(const QString &resource, QSize pixels) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF bounds(QPointF(0, 0), QSizeF(pixels));
    const QByteArray snapped = snapOutlines(documentOf(resource), pixels);
    if (snapped.isEmpty()) {
        rendererFor(resource).render(&painter, bounds);
    } else {
        QSvgRenderer(snapped).render(&painter, bounds);
    }
    return image;
}

QSize pixelSize(QSize logicalSize, qreal devicePixelRatio) {
    return (QSizeF(logicalSize) * devicePixelRatio).toSize();
}

// A rendering kept as runs of one colour along each row. The pictures are mostly flat panels, so this
// holds them in a small part of a pixmap's memory; painting expands only the rows it needs, exactly.
class RunImage {
public:
    explicit RunImage(const QImage &image) : width_(image.width()) {
        rowStart_.reserve(static_cast<std::size_t>(image.height()) + 1);
        for (int y = 0; y < image.height(); ++y) {
            rowStart_.push_back(runs_.size());
            const auto *pixel = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < width_;) {
                int end = x + 1;
                while (end < width_ && pixel[end] == pixel[x]) {
                    ++end;
                }
                runs_.push_back({pixel[x], static_cast<std::uint32_t>(end - x)});
                x = end;
            }
        }
        rowStart_.push_back(runs_.size());
        runs_.shrink_to_fit();
    }

    int height() const { return static_cast<int>(rowStart_.size()) - 1; }

    // Rows first .. first + count - 1 as a premultiplied ARGB image, as they were rendered.
    QImage rows(int first, int count) const {
        QImage band(width_, count, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < count; ++y) {
            auto *pixel = reinterpret_cast<QRgb *>(band.scanLine(y));
            const auto row = static_cast<std::size_t>(first + y);
            for (std::size_t r = rowStart_[row]; r < rowStart_[row + 1]; ++r) {
                pixel = std::fill_n(pixel, runs_[r].length, runs_[r].colour);
            }
        }
        return band;
    }

private:
    struct Run {
        QRgb colour;
        std::uint32_t length;
    };
    int width_;
    std::vector<std::size_t> rowStart_;
    std::vector<Run> runs_;
};

QHash<Key, RunImage> &runRenderings() {
    static QHash<Key, RunImage> cache;
    return cache;
}

} // namespace

void paint(QPainter &painter, const QString &resource, QSize logicalSize, qreal devicePixelRatio,
           const QRect &exposed) {
    const QRect wanted = exposed & QRect(QPoint(0, 0), logicalSize);
    if (wanted.isEmpty()) {
        return;
    }
    const Key key{resource, logicalSize, devicePixelRatio};
    auto found = runRenderings().constFind(key);
    if (found == runRenderings().cend()) {
        found = runRenderings().insert(
            key, RunImage(rasterise(resource, pixelSize(logicalSize, devicePixelRatio))));
        ++renderingsMade;
    }
    const RunImage &picture = *found;
    int first = 0;
    int count = picture.height();
    // With a whole pixel ratio, whole logical rows are whole device rows: only the exposed band is expanded.
    if (const int whole = static_cast<int>(std::lround(devicePixelRatio)); whole == devicePixelRatio) {
        first = std::min(wanted.top() * whole, count);
        count = std::min(wanted.height() * whole, count - first);
    }
    if (count <= 0) {
        return;
    }
    QImage band = picture.rows(first, count);
    band.setDevicePixelRatio(devicePixelRatio);
    painter.drawImage(QPointF(0, first / devicePixelRatio), band);
}

QSize naturalSize(const QString &resource) {
    return rendererFor(resource).defaultSize();
}

QPixmap render(const QString &resource, QSize logicalSize, qreal devicePixelRatio) {
    const Key key{resource, logicalSize, devicePixelRatio};
    if (const auto found = renderings().constFind(key); found != renderings().cend()) {
        return *found;
    }
    QPixmap pixmap = QPixmap::fromImage(rasterise(resource, pixelSize(logicalSize, devicePixelRatio)));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    renderings().insert(key, pixmap);
    ++renderingsMade;
    return pixmap;
}

std::uint64_t renderCount() {
    return renderingsMade;
}

} // namespace pictures
