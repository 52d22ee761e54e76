#include "toolkit/picture.h"

#include "toolkit/picture_cache.h"

#include <QPaintEvent>
#include <QPainter>

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

void Picture::paintEvent(QPaintEvent *event) {
    const QSize size = fit_ == Fit::Stretch ? this->size() : pictures::naturalSize(resource_);
    if (size.isEmpty()) {
        return;
    }
    QPainter painter(this);
    pictures::paint(painter, resource_, size, devicePixelRatioF(), event->rect());
}

void Picture::mousePressEvent(QMouseEvent *) {
    emit pressed();
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
