#include "toolkit/manual_drag.h"

#include "toolkit/twips.h"

#include <QApplication>
#include <QMouseEvent>

ManualDrag::ManualDrag(QWidget *area) : QObject(area), area_(area) {}

void ManualDrag::begin(QWidget *source, const QCursor &icon) {
    stop();
    source_ = source;
    pointer_ = area_->mapFromGlobal(QCursor::pos());
    source->installEventFilter(this);
    area_->window()->installEventFilter(this);
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

bool ManualDrag::stop() {
    if (source_.isNull()) {
        return false;
    }
    source_->removeEventFilter(this);
    area_->window()->removeEventFilter(this);
    source_.clear();
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
    if (watched == source_) {
        switch (event->type()) {
        case QEvent::MouseMove:
            track(static_cast<QMouseEvent *>(event)->globalPosition());
            if (QWidget *surface = surfaceAt(pointer_)) {
                emit dragOver(surface, twips::fromPixels(pointer_));
            }
            break;
        case QEvent::MouseButtonRelease:
            // The source's own release handler ends the drag; it drops where this release is.
            track(static_cast<QMouseEvent *>(event)->globalPosition());
            break;
        default:
            break;
        }
    } else if (event->type() == QEvent::WindowDeactivate && stop()) {
        emit abandoned();
    }
    return false;
}
