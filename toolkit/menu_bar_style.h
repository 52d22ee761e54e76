#pragma once

#include <QProxyStyle>

// The menu bar's look with its selected command always shown. Some styles (Fusion among them) highlight
// a menu bar item only while its drop-down menu is open; an item that runs a command has none, so the
// command chosen with Alt and the arrows, which Enter would run, was not shown at all. This style draws
// the selected item as the open one, pressed and highlighted, whatever opened it.
class MenuBarStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
