#pragma once

// Finding the exercise window's controls and driving it with real pointer events sent to its
// window, so that hit-testing and Qt's implicit mouse grab take the path a pupil's hand takes.

#include "toolkit/picture.h"

#include <QLineEdit>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QWidget>

namespace testkit {

QWidget *control(const QWidget &form, const QString &name);
Picture *tile(const QWidget &form, int n);
Picture *reaction(const QWidget &form, int r);
QLineEdit *box(const QWidget &form, int k);
QWidget *client(const QWidget &form);

// A point given in client-area twips, in the window's coordinates (whole pixels).
QPoint windowPoint(const QWidget &form, QPointF clientTwips);
// The centre of a control, in the window's coordinates.
QPoint centreOf(const QWidget &form, const QWidget *control);

void press(const QWidget &form, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void moveTo(const QWidget &form, QPoint at, Qt::MouseButton held = Qt::LeftButton);
void release(const QWidget &form, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void doubleClick(const QWidget &form, QPoint at);
// Presses tile n at its centre, moves the pointer to `to` in a few steps and releases it there.
void dragTile(const QWidget &form, int n, QPoint to, Qt::MouseButton button = Qt::LeftButton);

// Types into a box key by key: focuses it, deletes its text and types the new one.
void typeInto(QLineEdit *box, const QString &text);

} // namespace testkit
