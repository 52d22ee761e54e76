#include "toolkit/picture_cache.h"

#include "toolkit/recording.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QResource>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
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

// The recording of each picture, read once from the resources and kept for the program's life.
const Recording &recordingOf(const QString &resource) {
    static QHash<QString, Recording> recordings;
    auto found = recordings.find(resource);
    if (found == recordings.end()) {
        QFile file(recordingResource(resource));
        std::optional<Recording> read;
        if (file.open(QIODevice::ReadOnly)) {
            read = fromBytes(file.readAll());
        }
        found = recordings.insert(resource, read.value_or(Recording()));
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

// A rendering kept as runs of one colour along each row. The pictures are mostly flat panels, so this
// holds them in a small part of a pixmap's memory; painting expands only the rows it needs, exactly.
class RunImage {
public:
    struct Run {
        QRgb colour;
        std::uint32_t length;
    };

    explicit RunImage(const QImage &image) : width_(image.width()) {
        rowStart_.reserve(static_cast<std::size_t>(image.height()) + 1);
        for (int y = 0; y < image.height(); ++y) {
            rowStart_.push_back(static_cast<std::uint32_t>(runs_.size()));
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
        rowStart_.push_back(static_cast<std::uint32_t>(runs_.size()));
        runs_.shrink_to_fit();
    }

    // Rows as stored: row y is runs[rowStart[y]] .. runs[rowStart[y + 1] - 1]. None unless every row's
    // runs fill exactly `width` pixels.
    static std::optional<RunImage> fromRuns(int width, std::vector<std::uint32_t> rowStart,
                                            std::vector<Run> runs) {
        if (width <= 0 || rowStart.size() < 2 || rowStart.front() != 0 || rowStart.back() != runs.size()) {
            return std::nullopt;
        }
        for (std::size_t y = 0; y + 1 < rowStart.size(); ++y) {
            if (rowStart[y] > rowStart[y + 1]) {
                return std::nullopt;
            }
            std::uint64_t filled = 0;
            for (std::size_t r = rowStart[y]; r < rowStart[y + 1]; ++r) {
                filled += runs[r].length;
            }
            if (filled != static_cast<std::uint64_t>(width)) {
                return std::nullopt;
            }
        }
        RunImage image;
        image.width_ = width;
        image.rowStart_ = std::move(rowStart);
        image.runs_ = std::move(runs);
        return image;
    }

    int width() const { return width_; }
    int height() const { return static_cast<int>(rowStart_.size()) - 1; }
    const std::vector<std::uint32_t> &rowStarts() const { return rowStart_; }
    const std::vector<Run> &runs() const { return runs_; }

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

    QImage image() const { return rows(0, height()); }

private:
    RunImage() = default;

    int width_ = 0;
    std::vector<std::uint32_t> rowStart_;
    std::vector<Run> runs_;
};
static_assert(sizeof(RunImage::Run) == 2 * sizeof(std::uint32_t));

// The renderings drawn at build time, stored as one stream, already in the form the cache keeps them:
// a tag, then for each rendering its resource, logical size, pixel ratio, width, height and number of
// runs, then as little-endian 32-bit words its height + 1 row starts and each run's colour and length.
// Nothing is decompressed or scanned when the program takes one.
constexpr quint32 StreamTag = 0x50524532; // "PRE2"

struct Stored {
    Key key;
    qint32 width = 0;
    qint32 height = 0;
    quint32 runCount = 0;
    const char *words = nullptr; // into the stream
};

// The stored renderings of `data`, their runs left where they lie; none when `data` is not such a stream.
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
        in >> entry.key.resource >> entry.key.size >> ratio >> entry.width >> entry.height >> entry.runCount;
        const qint64 at = in.device()->pos();
        const qint64 length = 4 * (qint64(entry.height) + 1) + 8 * qint64(entry.runCount);
        if (in.status() != QDataStream::Ok || entry.width <= 0 || entry.height <= 0 ||
            length > data.size() - at) {
            return {};
        }
        entry.key.ratio = ratio;
        entry.words = data.constData() + at;
        in.skipRawData(static_cast<int>(length));
        stored.push_back(entry);
    }
    return stored;
}

std::optional<RunImage> unpackRuns(const Stored &entry) {
    std::vector<std::uint32_t> rowStart(static_cast<std::size_t>(entry.height) + 1);
    std::vector<RunImage::Run> runs(entry.runCount);
    qFromLittleEndian<quint32>(entry.words, static_cast<qsizetype>(rowStart.size()), rowStart.data());
    qFromLittleEndian<quint32>(entry.words + 4 * rowStart.size(), 2 * static_cast<qsizetype>(runs.size()),
                               reinterpret_cast<quint32 *>(runs.data()));
    return RunImage::fromRuns(entry.width, std::move(rowStart), std::move(runs));
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

// The rendering for `key` drawn at build time, when the program carries it.
std::optional<RunImage> storedRendering(const Key &key, QSize pixels) {
    if (!builtInUsed) {
        return std::nullopt;
    }
    const auto found = builtInIndex().constFind(key);
    if (found == builtInIndex().cend() || QSize(found->width, found->height) != pixels) {
        return std::nullopt;
    }
    return unpackRuns(*found);
}

QHash<Key, RunImage> &runRenderings() {
    static QHash<Key, RunImage> cache;
    return cache;
}

} // namespace

QString recordingResource(const QString &resource) {
    return QStringLiteral(":/recorded/") + QFileInfo(resource).completeBaseName() + QStringLiteral(".rec");
}

QImage rasterise(const QString &resource, QSize pixels) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    play(painter, recordingOf(resource), QRectF(QPointF(0, 0), QSizeF(pixels)), true);
    return image;
}

void draw(QPainter &painter, const QString &resource, const QRectF &target) {
    play(painter, recordingOf(resource), target, false);
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
        const QSize pixels = pixelSize(logicalSize, devicePixelRatio);
        std::optional<RunImage> stored = storedRendering(key, pixels);
        found =
            runRenderings().insert(key, stored ? std::move(*stored) : RunImage(rasterise(resource, pixels)));
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
    return recordingOf(resource).naturalSize;
}

QPixmap render(const QString &resource, QSize logicalSize, qreal devicePixelRatio) {
    const Key key{resource, logicalSize, devicePixelRatio};
    if (const auto found = pixmapRenderings().constFind(key); found != pixmapRenderings().cend()) {
        return *found;
    }
    const QSize pixels = pixelSize(logicalSize, devicePixelRatio);
    const std::optional<RunImage> stored = storedRendering(key, pixels);
    QPixmap pixmap = QPixmap::fromImage(stored ? stored->image() : rasterise(resource, pixels));
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
        all.push_back({it.key().resource, it.key().size, it.key().ratio, it->image()});
    }
    return all;
}

QByteArray serialise(const QList<Rendering> &renderings) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << StreamTag;
    for (const Rendering &rendering : renderings) {
        const RunImage runs(rendering.image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        const auto rowWords = static_cast<qsizetype>(runs.rowStarts().size());
        const auto runWords = 2 * static_cast<qsizetype>(runs.runs().size());
        out << rendering.resource << rendering.logicalSize << double(rendering.devicePixelRatio)
            << qint32(runs.width()) << qint32(runs.height()) << quint32(runs.runs().size());
        QByteArray words(4 * (rowWords + runWords), Qt::Uninitialized);
        qToLittleEndian<quint32>(runs.rowStarts().data(), rowWords, words.data());
        qToLittleEndian<quint32>(runs.runs().data(), runWords, words.data() + 4 * rowWords);
        out.writeRawData(words.constData(), static_cast<int>(words.size()));
    }
    return data;
}

QList<Rendering> deserialise(const QByteArray &data) {
    QList<Rendering> all;
    for (const Stored &entry : unpackIndex(data)) {
        const std::optional<RunImage> runs = unpackRuns(entry);
        if (!runs) {
            return {};
        }
        all.push_back({entry.key.resource, entry.key.size, entry.key.ratio, runs->image()});
    }
    return all;
}

QList<Rendering> builtIn() {
    QList<Rendering> all;
    for (const Stored &entry : builtInIndex()) {
        const std::optional<RunImage> runs = unpackRuns(entry);
        all.push_back({entry.key.resource, entry.key.size, entry.key.ratio, runs ? runs->image() : QImage()});
    }
    return all;
}

void setBuiltInUsed(bool used) {
    builtInUsed = used;
}

} // namespace pictures
