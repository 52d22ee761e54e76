#pragma once

#include <QColor>
#include <QWidget>

// An opaque rectangle with a border, drawn inside its bounds. It takes no mouse events, so
// whatever lies under it receives them.
class Shape : public QWidget {
    Q_OBJECT

public:
    Shape(const QColor &fill, const QColor &border, int borderWidth, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor fill_;
    QColor border_;
    int borderWidth_;
};
