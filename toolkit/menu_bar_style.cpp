#include "toolkit/menu_bar_style.h"

#include <QStyleOptionMenuItem>

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const {
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuBarItem && item != nullptr && (item->state & State_Selected) &&
        (item->state & State_Enabled)) {
        QStyleOptionMenuItem selected = *item;
        selected.state |= State_Sunken;
        QProxyStyle::drawControl(element, &selected, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
