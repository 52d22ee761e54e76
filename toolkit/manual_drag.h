#pragma once

#include <QCursor>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>

// A drag that the program begins and ends itself, on one area (the window's client area).
//
// While the mouse button that began it is held, every move of the pointer is reported as a
// drag-over to the surface under the pointer: the child control of the area that lies there
// (hidden controls and controls transparent for mouse events are passed over), or the area
// itself where no control lies. The release, or end() called by the program, delivers one drop
// to the surface under the pointer. Positions are reported in the area's twips.
//
// Qt's implicit mouse grab sends the moves and the release to the control that was pressed, even
// outside the window, which is how the drag sees them. When the pointer lies outside the area
// at the end, or the window loses the mouse during the drag, there is no surface to drop on and
// the drag is abandoned instead.
class ManualDrag : public QObject {
    Q_OBJECT

public:
    explicit ManualDrag(QWidget *area);

    // Begins a drag of `source`, showing `icon` as the mouse pointer. `source` must be the
    // control that holds the mouse (the one just pressed).
    void begin(QWidget *source, const QCursor &icon);
    // Ends the running drag with a drop at the pointer; does nothing when no drag runs.
    void end();

    QWidget *source() const { return source_; }

signals:
    void dragOver(QWidget *surface, QPointF pointer);
    void dropped(QWidget *surface, QPointF pointer);
    void abandoned();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The surface under a point of the area, or nullptr outside the area.
    QWidget *surfaceAt(const QPointF &point) const;
    void track(const QPointF &globalPosition);
    // Stops watching the source and restores the pointer; returns whether a drag was running.
    bool stop();

    QWidget *area_;
    QPointer<QWidget> source_;
    QPointF pointer_; // last known pointer position, in the area's pixels
};
