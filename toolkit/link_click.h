#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Makes a control act as a link: a press and a release of the left button on it are a click, as
// long as the release comes inside the control. The second press of a double click arrives as a
// double-click event instead of a press, so a double click opens the link once.
class LinkClick : public QObject {
public:
    // Watches `control` (and is owned by it) and calls `onClick` for each click.
    LinkClick(QWidget *control, std::function<void()> onClick);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *control_;
    std::function<void()> onClick_;
    bool armed_ = false;
};
