#include "toolkit/shape.h"

#include <QPaintEvent>
#include <QPainter>

Shape::Shape(const QColor &fill, const QColor &border, int borderWidth, QWidget *parent)
    : QWidget(parent), fill_(fill), border_(border), borderWidth_(borderWidth) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Shape::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect inner = rect().adjusted(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    painter.fillRect(event->rect(), border_);
    painter.fillRect(inner.intersected(event->rect()), fill_);
}
