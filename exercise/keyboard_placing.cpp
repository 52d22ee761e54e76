#include "exercise/keyboard_placing.h"

#include "exercise/placement.h"
#include "toolkit/picture.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace keyboard {

std::vector<int> reachableTiles(const Board &board) {
    std::array<int, facts::KindCount> topOfColumn;
    topOfColumn.fill(facts::NoTile);
    for (int tile : board.trayTilesBackToFront) {
        topOfColumn.at(board.columnOfKind.at(static_cast<std::size_t>(tile % facts::KindCount))) = tile;
    }
    std::vector<int> order;
    for (int tile : topOfColumn) {
        if (tile != facts::NoTile) {
            order.push_back(tile);
        }
    }
    for (int tile : board.placed) {
        if (tile != facts::NoTile) {
            order.push_back(tile);
        }
    }
    return order;
}

int neighbour(const std::vector<int> &order, int current, int step) {
    if (order.empty()) {
        return facts::NoTile;
    }
    const int count = static_cast<int>(order.size());
    const auto found = std::find(order.begin(), order.end(), current);
    if (found == order.end()) {
        return step > 0 ? order.at(static_cast<std::size_t>((step - 1) % count))
                        : order.at(static_cast<std::size_t>(count - 1 - (-step - 1) % count));
    }
    const int at = static_cast<int>(found - order.begin());
    return order.at(static_cast<std::size_t>(((at + step) % count + count) % count));
}

int nextTarget(int target, int step) {
    return ((target + step) % facts::ReactionCount + facts::ReactionCount) % facts::ReactionCount;
}

} // namespace keyboard

namespace {

// A carried tile hangs this far above the slot it would drop into, so that it shows as lifted.
constexpr float Lift = 240.0f;

const QString CarriedDescription = QStringLiteral("σηκωμένο, πάνω από: %1");

void announce(QObject *object, QAccessible::Event what) {
    QAccessibleEvent event(object, what);
    QAccessible::updateAccessibility(&event);
}

} // namespace

KeyboardPlacing::KeyboardPlacing(const form1::Controls &ui, QWidget *menuBar, Window window, QObject *parent)
    : QObject(parent), ui_(ui), window_(std::move(window)) {
    for (Picture *tile : ui_.ImgMolecular) {
        tile->installEventFilter(this);
    }
    menuBar->installEventFilter(this);
    ui_.client->window()->installEventFilter(this);
}

int KeyboardPlacing::tileIndex(const QObject *object) const {
    const auto found = std::find(ui_.ImgMolecular.begin(), ui_.ImgMolecular.end(), object);
    return found == ui_.ImgMolecular.end() ? facts::NoTile
                                           : static_cast<int>(found - ui_.ImgMolecular.begin());
}

bool KeyboardPlacing::eventFilter(QObject *watched, QEvent *event) {
    const int tile = tileIndex(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *press = static_cast<QKeyEvent *>(event);
        const int key = press->key();
        if (window_.dragging()) {
            return false;
        }
        if (press->isAutoRepeat() && tile != facts::NoTile && key != Qt::Key_Left && key != Qt::Key_Right &&
            key != Qt::Key_Up && key != Qt::Key_Down) {
            return true; // a held Space must not pick a tile up and drop it at once
        }
        if (key == Qt::Key_F6 && watched == ui_.client->window()) {
            switchArea();
            return true;
        }
        return tile != facts::NoTile && tileKey(tile, key);
    }
    case QEvent::FocusOut:
        if (tile != facts::NoTile && tile == carried_) {
            // Leaving the carried tile in any way the pupil can (Tab, a click on a box, the menu, another
            // window) puts it back. Focus taken away by the program itself, as when the window closes
            // or the tiles are hidden for a restart, only forgets it.
            if (static_cast<QFocusEvent *>(event)->reason() == Qt::OtherFocusReason) {
                forgetCarried();
            } else {
                putBack();
            }
        }
        return false;
    case QEvent::Hide:
        if (tile != facts::NoTile && tile == carried_) {
            // The program hides the tiles to restart; the restart sends every tile home.
            forgetCarried();
        }
        return false;
    case QEvent::MouseButtonPress:
        // The mouse takes over: a press on a tile or on the menu first puts the carried tile back.
        if (carried_ != facts::NoTile && watched != ui_.client->window()) {
            putBack();
        }
        return false;
    default:
        return false;
    }
}

bool KeyboardPlacing::tileKey(int tile, int key) {
    const bool drops = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (carried_ == tile) {
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            setTarget(keyboard::nextTarget(target_, key == Qt::Key_Down ? 1 : -1));
        } else if (drops) {
            drop();
        } else if (key == Qt::Key_Escape) {
            putBack();
        } else {
            // Tab and F6 leave the tile (and so put it back); other keys do nothing while it is carried.
            return key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_F6;
        }
        return true;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int next = keyboard::neighbour(keyboard::reachableTiles(window_.board()), tile,
                                             key == Qt::Key_Right ? 1 : -1);
        if (next != facts::NoTile) {
            focusTile(next);
        }
        return true;
    }
    if (drops) {
        pickUp(tile);
        return true;
    }
    if (key == Qt::Key_Delete) {
        takeOff(tile);
        return true;
    }
    return false;
}

void KeyboardPlacing::switchArea() {
    const bool inTray = tileIndex(QApplication::focusWidget()) != facts::NoTile;
    if (inTray) {
        if (QLineEdit *box = firstVisibleBox(-1)) {
            box->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
    const std::vector<int> order = keyboard::reachableTiles(window_.board());
    if (!order.empty()) {
        focusTile(order.front());
    }
}

void KeyboardPlacing::focusTile(int tile) {
    ui_.ImgMolecular.at(tile)->setFocus(Qt::ShortcutFocusReason);
}

void KeyboardPlacing::pickUp(int tile) {
    if (!window_.pickUp(tile)) {
        return;
    }
    described_ = ui_.ImgMolecular.at(tile);
    carried_ = tile;
    setTarget(0);
}

void KeyboardPlacing::setTarget(int reaction) {
    target_ = reaction;
    Picture *picture = ui_.ImgSyntactic.at(reaction);
    if (highlighted_ != picture) {
        if (highlighted_) {
            highlighted_->setHighlighted(false);
        }
        highlighted_ = picture;
        picture->setHighlighted(true);
    }
    Picture *tile = ui_.ImgMolecular.at(carried_);
    const twips::Rect &size = tile->twipGeometry();
    const QPointF slot = placement::slot(reaction, picture->twipGeometry(), {size.width, size.height});
    tile->moveTwips(static_cast<float>(slot.x()), static_cast<float>(slot.y()) - Lift);
    tile->setAccessibleDescription(CarriedDescription.arg(picture->accessibleName()));
    announce(picture, QAccessible::Selection);
}

void KeyboardPlacing::drop() {
    const int reaction = target_;
    forgetCarried();
    window_.drop(reaction);
    if (QLineEdit *box = firstVisibleBox(reaction)) {
        box->setFocus(Qt::ShortcutFocusReason);
    }
}

void KeyboardPlacing::putBack() {
    forgetCarried();
    window_.putBack();
}

void KeyboardPlacing::forgetCarried() {
    if (highlighted_) {
        highlighted_->setHighlighted(false);
        highlighted_.clear();
    }
    if (described_) {
        described_->setAccessibleDescription(QString());
        described_.clear();
    }
    carried_ = facts::NoTile;
}

void KeyboardPlacing::takeOff(int tile) {
    window_.takeOff(tile);
    // The focus follows the tile home: onto the top of its stack.
    for (int reachable : keyboard::reachableTiles(window_.board())) {
        if (facts::kindOfTile(reachable) == facts::kindOfTile(tile)) {
            focusTile(reachable);
            return;
        }
    }
}

QLineEdit *KeyboardPlacing::firstVisibleBox(int reaction) const {
    for (int k = 0; k < facts::BoxCount; ++k) {
        QLineEdit *box = ui_.tCoefficient.at(k);
        if ((reaction < 0 || facts::reactionOfBox(k) == reaction) && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}
