#include "toolkit/manual_drag.h"

#include "toolkit/twips.h"

#include <QApplication>
#include <QMouseEvent>

ManualDrag::ManualDrag(QWidget *area) : QObject(area), area_(area) {}

ManualDrag::~ManualDrag() {
    stop();
}

void ManualDrag::begin(QWidget *source, Qt::MouseButton button, const QCursor &icon) {
    stop();
    source_ = source;
    button_ = button;
    running_ = true;
    pointer_ = area_->mapFromGlobal(QCursor::pos());
    // Every input event reaches its window before any control; watching the windows sees each
    // pointer event once, wherever the grab has gone.
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(icon);
}

void ManualDrag::end() {
    if (!stop()) {
        return;
    }
    if (QWidget *surface = surfaceAt(pointer_)) {
        emit dropped(surface, twips::fromPixels(pointer_));
    } else {
        emit abandoned();
    }
}

void ManualDrag::abandon() {
    if (stop()) {
        emit abandoned();
    }
}

bool ManualDrag::stop() {
    if (!running_) {
        return false;
    }
    running_ = false;
    qApp->removeEventFilter(this);
    source_.clear();
    button_ = Qt::NoButton;
    QApplication::restoreOverrideCursor();
    return true;
}

QWidget *ManualDrag::surfaceAt(const QPointF &point) const {
    if (!area_->rect().contains(point.toPoint())) {
        return nullptr;
    }
    QWidget *surface = area_->childAt(point.toPoint());
    if (surface == nullptr) {
        return area_;
    }
    while (surface->parentWidget() != area_) {
        surface = surface->parentWidget();
    }
    return surface;
}

void ManualDrag::track(const QPointF &globalPosition) {
    pointer_ = area_->mapFromGlobal(globalPosition);
}

bool ManualDrag::eventFilter(QObject *watched, QEvent *event) {
    if (watched == area_->window() && event->type() == QEvent::WindowDeactivate) {
        abandon();
        return false;
    }
    if (!watched->isWindowType()) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        if (move->buttons() == Qt::NoButton) {
            abandon(); // the release went where no window of the program saw it
            break;
        }
        track(move->globalPosition());
        if (QWidget *surface = surfaceAt(pointer_)) {
            emit dragOver(surface, twips::fromPixels(pointer_));
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *release = static_cast<QMouseEvent *>(event);
        if (release->button() == button_ || release->buttons() == Qt::NoButton) {
            track(release->globalPosition());
            end();
        }
        break;
    }
    default:
        break;
    }
    return false;
}
