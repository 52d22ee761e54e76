#pragma once

#include "toolkit/twips.h"

#include <QAccessible>
#include <QString>
#include <QWidget>

// A picture control: a vector picture from the resources, stretched to the control (or shown
// at its natural size), with a geometry kept in twips. The picture is rendered once per size and
// device pixel ratio and then only blitted, so moving a control never re-renders it.
//
// While it holds the keyboard focus it shows a focus frame, and while it is highlighted a
// highlight frame; both are drawn over the blitted picture.
class Picture : public QWidget {
    Q_OBJECT

public:
    enum class Fit { Stretch, NaturalSize };

    Picture(const QString &resource, QWidget *parent, Fit fit = Fit::Stretch);

    const QString &resource() const { return resource_; }

    // Left, Top, Width and Height exactly as last written; the widget's pixel geometry follows.
    const twips::Rect &twipGeometry() const { return geometry_; }
    void setTwipGeometry(const twips::Rect &geometry);
    void moveTwips(float left, float top);

    // A highlight frame that marks the picture, for example as the target of a move. Assistive
    // technology reads a highlighted picture as selected.
    void setHighlighted(bool on);
    bool isHighlighted() const { return highlighted_; }

    // How assistive technology presents the picture: a graphic unless set otherwise. A picture
    // presented as a button is reported as able to take the keyboard focus (which the program
    // gives it itself: pictures never join the Tab chain).
    void setAccessibleRole(QAccessible::Role role);
    QAccessible::Role accessibleRole() const { return role_; }

signals:
    void pressed(Qt::MouseButton button);
    void moved();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString resource_;
    Fit fit_;
    twips::Rect geometry_;
    bool highlighted_ = false;
    QAccessible::Role role_ = QAccessible::Graphic;
};

// The twip geometry of any control of a window: exact for pictures, derived from the pixel
// geometry for the others (whose design positions are whole pixels).
twips::Rect twipGeometry(const QWidget *control);
