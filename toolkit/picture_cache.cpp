#include "toolkit/picture_cache.h"

#include "toolkit/outline_snap.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QResource>
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

QHash<Key, QPixmap> &pixmapRenderings() {
    static QHash<Key, QPixmap> cache;
    return cache;
}

std::uint64_t renderingsMade = 0;

QSize pixelSize(QSize logicalSize, qreal devicePixelRatio) {
    return (QSizeF(logicalSize) * devicePixelRatio).toSize();
}

// The renderings drawn at build time, stored as one stream: a tag, then for each rendering its resource,
// logical size, pixel ratio, pixel size and its premultiplied ARGB pixels, row after row, compressed.
constexpr quint32 StreamTag = 0x50524531; // "PRE1"

struct Stored {
    Key key;
    QSize pixels;
    QByteArray packed; // the compressed pixels
};

// The stored renderings of `data`, whose pixels are left packed. The packed bytes refer into `data`.
QList<Stored> unpackIndex(const QByteArray &data) {
    QList<Stored> stored;
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    in >> tag;
    if (tag != StreamTag) {
        return stored;
    }
    while (!in.atEnd()) {
        Stored entry;
        double ratio = 0;
        quint32 length = 0;
        in >> entry.key.resource >> entry.key.size >> ratio >> entry.pixels >> length;
        const auto at = in.device()->pos();
        if (in.status() != QDataStream::Ok || length > data.size() - at) {
            return {};
        }
        entry.key.ratio = ratio;
        entry.packed = QByteArray::fromRawData(data.constData() + at, length);
        in.skipRawData(static_cast<int>(length));
        stored.push_back(entry);
    }
    return stored;
}

QImage unpackImage(const Stored &entry) {
    const QByteArray bytes = qUncompress(entry.packed);
    QImage image(entry.pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || bytes.size() != image.sizeInBytes()) {
        return {};
    }
    std::copy(bytes.cbegin(), bytes.cend(), reinterpret_cast<char *>(image.bits()));
    return image;
}

// The program's own stored renderings, indexed once. The resource's bytes stay where they are.
const QHash<Key, Stored> &builtInIndex() {
    static const QHash<Key, Stored> index = [] {
        QHash<Key, Stored> byKey;
        const QResource resource(BuiltInResource);
        if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression) {
            return byKey;
        }
        const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                                        static_cast<qsizetype>(resource.size()));
        for (const Stored &entry : unpackIndex(data)) {
            byKey.insert(entry.key, entry);
        }
        return byKey;
    }();
    return index;
}

bool builtInUsed = true;

// The rendering for `key`: the one drawn at build time when the program carries it, else drawn now.
QImage draw(const Key &key, QSize pixels) {
    if (!builtInUsed) {
        return rasterise(key.resource, pixels);
    }
    if (const auto found = builtInIndex().constFind(key);
        found != builtInIndex().cend() && found->pixels == pixels) {
        if (QImage image = unpackImage(*found); !image.isNull()) {
            return image;
        }
    }
    return rasterise(key.resource, pixels);
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

void paint(QPainter &painter, const QString &resource, QSize logicalSize, qreal devicePixelRatio,
           const QRect &exposed) {
    const QRect wanted = exposed & QRect(QPoint(0, 0), logicalSize);
    if (wanted.isEmpty()) {
        return;
    }
    const Key key{resource, logicalSize, devicePixelRatio};
    auto found = runRenderings().constFind(key);
    if (found == runRenderings().cend()) {
        found = runRenderings().insert(key, RunImage(draw(key, pixelSize(logicalSize, devicePixelRatio))));
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
    if (const auto found = pixmapRenderings().constFind(key); found != pixmapRenderings().cend()) {
        return *found;
    }
    QPixmap pixmap = QPixmap::fromImage(draw(key, pixelSize(logicalSize, devicePixelRatio)));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmapRenderings().insert(key, pixmap);
    ++renderingsMade;
    return pixmap;
}

std::uint64_t renderCount() {
    return renderingsMade;
}

QList<Rendering> cached() {
    QList<Rendering> all;
    for (auto it = pixmapRenderings().cbegin(); it != pixmapRenderings().cend(); ++it) {
        QImage image = it->toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(1);
        all.push_back({it.key().resource, it.key().size, it.key().ratio, image});
    }
    for (auto it = runRenderings().cbegin(); it != runRenderings().cend(); ++it) {
        all.push_back({it.key().resource, it.key().size, it.key().ratio, it->rows(0, it->height())});
    }
    return all;
}

QByteArray serialise(const QList<Rendering> &renderings) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << StreamTag;
    for (const Rendering &rendering : renderings) {
        const QImage image = rendering.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QByteArray pixels;
        for (int y = 0; y < image.height(); ++y) {
            pixels.append(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4);
        }
        const QByteArray packed = qCompress(pixels, 9);
        out << rendering.resource << rendering.logicalSize << double(rendering.devicePixelRatio)
            << image.size() << quint32(packed.size());
        out.writeRawData(packed.constData(), static_cast<int>(packed.size()));
    }
    return data;
}

QList<Rendering> deserialise(const QByteArray &data) {
    QList<Rendering> all;
    for (const Stored &entry : unpackIndex(data)) {
        all.push_back({entry.key.resource, entry.key.size, entry.key.ratio, unpackImage(entry)});
    }
    return all;
}

QList<Rendering> builtIn() {
    QList<Rendering> all;
    for (const Stored &entry : builtInIndex()) {
        all.push_back({entry.key.resource, entry.key.size, entry.key.ratio, unpackImage(entry)});
    }
    return all;
}

void setBuiltInUsed(bool used) {
    builtInUsed = used;
}

QIcon icon(const QString &resource) {
    const QString name = QFileInfo(resource).completeBaseName();
    const QDir stored(QStringLiteral(":/prerendered/icons/") + name);
    const QStringList sizes = stored.entryList({QStringLiteral("*.png")}, QDir::Files);
    if (sizes.isEmpty()) {
        return QIcon(resource);
    }
    QIcon icon;
    for (const QString &file : sizes) {
        const int side = QFileInfo(file).completeBaseName().toInt();
        icon.addFile(stored.filePath(file), QSize(side, side));
    }
    return icon;
}

} // namespace pictures
