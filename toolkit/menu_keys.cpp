#include "toolkit/menu_keys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>

#include <algorithm>

namespace {

// The menu bar opened by F10 (Alt opens it as Qt's menu bar does): it has the keyboard, with a command
// shown chosen, until Escape, Enter (which then runs the command) or F10 again closes it, or the focus
// goes elsewhere. Left and Right are the menu bar's own.
class MenuKeys : public QObject {
public:
    explicit MenuKeys(QMenuBar *bar) : QObject(bar), bar_(bar) {
        auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), bar->window());
        f10->setObjectName(QStringLiteral("menuKey"));
        connect(f10, &QShortcut::activated, this, [this] {
            if (open_) {
                close();
            } else if (bar_->hasFocus()) {
                // Opened by Alt: closed as Escape closes it, with the focus back where Alt found it.
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(bar_, &escape);
            } else {
                open();
            }
        });
        bar->installEventFilter(this);
        bar->window()->installEventFilter(this); // after the menu bar's own filter there, so seen first
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != bar_) {
            return isResentAlt(event);
        }
        if (!open_) {
            return false;
        }
        if (event->type() == QEvent::FocusOut) {
            open_ = false; // a click elsewhere; the menu bar clears its choice itself
            return false;
        }
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            // Closed first, so that the command may move the keyboard where it wants.
            if (QPointer<QAction> command = bar_->activeAction()) {
                close();
                command->trigger();
            }
            return true;
        default:
            return false;
        }
    }

private:
    // With a screen reader on Linux, Qt's accessibility bridge holds every key until the reader has
    // answered and then sends the control a copy, made without the key's time. The menu bar has acted
    // on the real Alt already: the copy of its press would arm it again, and the copy of its release
    // close the menu that Alt tapped has just opened, whenever the reader answers after the release.
    static bool isResentAlt(const QEvent *event) {
        if (event->type() != QEvent::ShortcutOverride || event->spontaneous()) {
            return false;
        }
        const auto *key = static_cast<const QKeyEvent *>(event);
        return (key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta) && key->timestamp() == 0;
    }

    void open() {
        const QList<QAction *> commands = bar_->actions();
        const auto first = std::find_if(commands.begin(), commands.end(), [](const QAction *command) {
            return command->isVisible() && command->isEnabled();
        });
        if (first == commands.end()) {
            return;
        }
        returnTo_ = QApplication::focusWidget();
        open_ = true;
        bar_->setFocus(Qt::MenuBarFocusReason);
        bar_->setActiveAction(*first);
    }

    void close() {
        open_ = false;
        bar_->setActiveAction(nullptr);
        QWidget *next = returnTo_ != nullptr && returnTo_->isVisible() ? returnTo_.data() : bar_->window();
        next->setFocus(Qt::MenuBarFocusReason);
    }

    QMenuBar *bar_;
    QPointer<QWidget> returnTo_;
    bool open_ = false;
};

} // namespace

void enableMenuKeys(QMenuBar *bar) {
    new MenuKeys(bar);
}
