#include "toolkit/stored_icon.h"

#include "toolkit/picture_cache.h"

#include <QDir>
#include <QFileInfo>
#include <QIconEngine>
#include <QImageReader>
#include <QMap>
#include <QPainter>
#include <QPixmap>

namespace {

class StoredIconEngine : public QIconEngine {
public:
    explicit StoredIconEngine(QMap<int, QString> files) : files_(std::move(files)) {}

    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override {
        const int side = bestSide(size);
        QPixmap &found = decoded_[side];
        if (found.isNull()) {
            // The format named and not guessed, so that no image plugin is consulted.
            QImageReader reader(files_.value(side), "png");
            reader.setAutoDetectImageFormat(false);
            found = QPixmap::fromImage(reader.read());
        }
        if (found.isNull() || (found.width() <= size.width() && found.height() <= size.height())) {
            return found;
        }
        return found.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override {
        const int side = bestSide(size);
        return QSize(side, side).scaled(size.boundedTo(QSize(side, side)), Qt::KeepAspectRatio);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap shown = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        shown.setDevicePixelRatio(ratio);
        const QSizeF logical = QSizeF(shown.size()) / ratio;
        painter->drawPixmap(
            QRectF(QPointF(rect.center()) - QPointF(logical.width(), logical.height()) / 2, logical), shown,
            QRectF(shown.rect()));
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : files_.keys()) {
            sizes.push_back(QSize(side, side));
        }
        return sizes;
    }

    QString key() const override { return QStringLiteral("StoredIconEngine"); }
    QIconEngine *clone() const override { return new StoredIconEngine(*this); }

private:
    // The smallest stored side that fills `size`, else the largest.
    int bestSide(const QSize &size) const {
        const int wanted = std::min(size.width(), size.height());
        const auto found = files_.lowerBound(wanted);
        return found != files_.cend() ? found.key() : files_.lastKey();
    }

    QMap<int, QString> files_;
    QMap<int, QPixmap> decoded_;
};

} // namespace

QIcon storedIcon(const QString &resource) {
    const QDir stored(QStringLiteral(":/prerendered/icons/") + QFileInfo(resource).completeBaseName());
    QMap<int, QString> files;
    for (const QString &file : stored.entryList({QStringLiteral("*.png")}, QDir::Files)) {
        bool ok = false;
        const int side = QFileInfo(file).completeBaseName().toInt(&ok);
        if (ok && side > 0) {
            files.insert(side, stored.filePath(file));
        }
    }
    if (files.isEmpty()) {
        // Without the stored sizes (the build's own tools link none) the icon is drawn from the picture.
        QIcon drawn;
        for (const int side : {16, 32, 64, 128}) {
            drawn.addPixmap(QPixmap::fromImage(pictures::rasterise(resource, QSize(side, side))));
        }
        return drawn;
    }
    return QIcon(new StoredIconEngine(std::move(files)));
}
