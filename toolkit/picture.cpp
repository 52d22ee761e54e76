#include "toolkit/picture.h"

#include "toolkit/picture_cache.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

const QColor FocusColour(0x10, 0x40, 0xE0);
const QColor FocusHalo(0xFF, 0xFF, 0xFF);
const QColor HighlightColour(0xE0, 0x60, 0x00);
constexpr int FocusPixels = 4;
constexpr int HighlightPixels = 4;

// What assistive technology reads of a picture: its role, and its focus and highlight as states.
class AccessiblePicture : public QAccessibleWidget {
public:
    explicit AccessiblePicture(Picture *picture) : QAccessibleWidget(picture, picture->accessibleRole()) {}

    QAccessible::Role role() const override { return picture()->accessibleRole(); }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (picture()->accessibleRole() == QAccessible::Button) {
            state.focusable = true;
        }
        state.selected = picture()->isHighlighted();
        return state;
    }

private:
    Picture *picture() const { return static_cast<Picture *>(widget()); }
};

QAccessibleInterface *accessiblePicture(const QString &className, QObject *object) {
    if (className == QLatin1String("Picture") && object->isWidgetType()) {
        return new AccessiblePicture(static_cast<Picture *>(object));
    }
    return nullptr;
}

} // namespace

Picture::Picture(const QString &resource, QWidget *parent, Fit fit)
    : QWidget(parent), resource_(resource), fit_(fit) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessiblePicture);
        return true;
    }();
    Q_UNUSED(factoryInstalled)
    setAttribute(Qt::WA_NoSystemBackground);
}

void Picture::setHighlighted(bool on) {
    if (highlighted_ == on) {
        return;
    }
    highlighted_ = on;
    update();
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void Picture::setAccessibleRole(QAccessible::Role role) {
    role_ = role;
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
    if (highlighted_) {
        painter.setPen(QPen(HighlightColour, HighlightPixels));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(HighlightPixels / 2.0, HighlightPixels / 2.0,
                                                 -HighlightPixels / 2.0, -HighlightPixels / 2.0));
    }
    if (hasFocus()) {
        // A dark frame inside a light one, so that it shows on any picture.
        const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(FocusHalo, 1));
        painter.drawRect(outer);
        painter.setPen(QPen(FocusColour, FocusPixels));
        const qreal inset = 1 + FocusPixels / 2.0;
        painter.drawRect(outer.adjusted(inset, inset, -inset, -inset));
    }
}

void Picture::mousePressEvent(QMouseEvent *event) {
    emit pressed(event->button());
}

void Picture::mouseMoveEvent(QMouseEvent *) {
    emit moved();
}

void Picture::mouseReleaseEvent(QMouseEvent *event) {
    // Taken here, as the press was: a release on a picture never reaches the control behind it.
    event->accept();
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
