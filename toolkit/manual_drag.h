#pragma once

#include <QCursor>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>

// A drag that the program begins and ends itself, on one area (the window's client area).
//
// While it runs, every move of the pointer is reported as a drag-over to the surface under the
// pointer: the child control of the area that lies there (hidden controls and controls transparent
// for mouse events are passed over), or the area itself where no control lies. Positions are
// reported in the area's twips.
//
// The drag watches the pointer wherever it goes, not only the control that was pressed: Qt's
// implicit mouse grab is lost when that control is hidden or a popup opens, and a press that is
// not the first button down goes to the control that holds the grab. So the drag ends when the
// button that began it, or the last held button, is released anywhere, with one drop on the
// surface under the pointer. When the pointer lies outside the area at the end, the window loses
// the mouse, a move arrives with no button held, or the program calls abandon(), there is no
// surface to drop on and the drag is abandoned instead.
class ManualDrag : public QObject {
    Q_OBJECT

public:
    explicit ManualDrag(QWidget *area);
    // Stops a running drag without reporting anything: the pointer is restored.
    ~ManualDrag() override;

    // Begins a drag of `source` by a press of `button`, showing `icon` as the mouse pointer. A drag
    // that was running stops without a report.
    void begin(QWidget *source, Qt::MouseButton button, const QCursor &icon);
    // Ends the running drag with a drop at the pointer; does nothing when no drag runs.
    void end();
    // Ends the running drag as abandoned; does nothing when no drag runs.
    void abandon();

    bool isRunning() const { return running_; }
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
    // Stops watching the pointer and restores it; returns whether a drag was running.
    bool stop();

    QWidget *area_;
    QPointer<QWidget> source_;
    Qt::MouseButton button_ = Qt::NoButton;
    bool running_ = false;
    QPointF pointer_; // last known pointer position, in the area's pixels
};
