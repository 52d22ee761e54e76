#include "toolkit/link_click.h"

#include <QMouseEvent>
#include <QWidget>

#include <utility>

LinkClick::LinkClick(QWidget *control, std::function<void()> onClick)
    : QObject(control), control_(control), onClick_(std::move(onClick)) {
    control->installEventFilter(this);
}

bool LinkClick::eventFilter(QObject *watched, QEvent *event) {
    if (watched != control_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            armed_ = true;
        }
        break;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton) {
            break;
        }
        const bool click = armed_ && control_->rect().contains(mouse->position().toPoint());
        armed_ = false;
        if (click) {
            onClick_();
        }
        break;
    }
    default:
        break;
    }
    return false;
}
