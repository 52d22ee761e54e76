#pragma once

#include "toolkit/twips.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

// A picture control: a vector picture from the resources, stretched to the control (or shown
// at its natural size), with a geometry kept in twips. The picture is rendered once per size and
// device pixel ratio and then only blitted, so moving a control never re-renders it.
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

    // The picture's own size in logical pixels.
    static QSize naturalSize(const QString &resource);
    // The picture rendered at a size in logical pixels for a device pixel ratio; cached.
    static QPixmap render(const QString &resource, const QSize &size, qreal devicePixelRatio);

signals:
    void pressed(Qt::MouseButton button);
    void moved();
    void released();
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
};

// The twip geometry of any control of a window: exact for pictures, derived from the pixel
// geometry for the others (whose design positions are whole pixels).
twips::Rect twipGeometry(const QWidget *control);
