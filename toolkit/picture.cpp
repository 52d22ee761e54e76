#include "toolkit/picture.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <memory>

namespace {

// One parsed renderer per picture, kept for the program's life.
QSvgRenderer &rendererFor(const QString &resource) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
    auto &renderer = renderers[resource];
    if (!renderer) {
        renderer = std::make_shared<QSvgRenderer>(resource);
    }
    return *renderer;
}

QString cacheKey(const QString &resource, const QSize &pixels) {
    return QStringLiteral("picture:%1:%2x%3").arg(resource).arg(pixels.width()).arg(pixels.height());
}

} // namespace

Picture::Picture(const QString &resource, QWidget *parent, Fit fit)
    : QWidget(parent), resource_(resource), fit_(fit) {
    setAttribute(Qt::WA_NoSystemBackground);
}

void Picture::setTwipGeometry(const twips::Rect &geometry) {
    geometry_ = geometry;
    setGeometry(twips::toPixels(geometry));
}

void Picture::moveTwips(float left, float top) {
    geometry_.left = left;
    geometry_.top = top;
    move(twips::toPixels(left), twips::toPixels(top));
}

QSize Picture::naturalSize(const QString &resource) {
    return rendererFor(resource).defaultSize();
}

QPixmap Picture::render(const QString &resource, const QSize &size, qreal devicePixelRatio) {
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    const QString key = cacheKey(resource, pixels);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        rendererFor(resource).render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void Picture::paintEvent(QPaintEvent *) {
    const QSize size = fit_ == Fit::Stretch ? this->size() : naturalSize(resource_);
    if (size.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, render(resource_, size, devicePixelRatioF()));
}

void Picture::mousePressEvent(QMouseEvent *event) {
    emit pressed(event->button());
}

void Picture::mouseMoveEvent(QMouseEvent *) {
    emit moved();
}

void Picture::mouseReleaseEvent(QMouseEvent *) {
    emit released();
}

void Picture::mouseDoubleClickEvent(QMouseEvent *) {
    emit doubleClicked();
}

twips::Rect twipGeometry(const QWidget *control) {
    if (const auto *picture = qobject_cast<const Picture *>(control)) {
        return picture->twipGeometry();
    }
    return twips::fromPixels(control->geometry());
}
