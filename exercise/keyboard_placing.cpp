#include "exercise/keyboard_placing.h"

#include "exercise/placement.h"
#include "toolkit/picture.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>

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

} // namespace

KeyboardPlacing::KeyboardPlacing(const form1::Controls &ui, QWidget *menuBar, Window window, QObject *parent)
    : QObject(parent), ui_(ui), menuBar_(menuBar), window_(std::move(window)) {
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
        // What a picture said for the last key goes with the next one.
        unsay();
        if (key == Qt::Key_F6 && watched == ui_.client->window()) {
            switchArea();
            return true;
        }
        if ((watched == menuBar_ || watched == ui_.client->window()) && tabFromNowhere(watched, key)) {
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
            // Home again, and read again where it lies.
            Picture *home = ui_.ImgMolecular.at(tile);
            form1::sayAt(home, home->accessibleDescription());
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
    restingDescription_ = described_->accessibleDescription();
    carried_ = tile;
    setTarget(0, true);
}

void KeyboardPlacing::setTarget(int reaction, bool first) {
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
    tile->setAccessibleDescription(spoken::carriedTile(reaction));
    sayAt(picture, spoken::carrying(facts::kindOfTile(carried_), reaction, first));
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
        described_->setAccessibleDescription(restingDescription_);
        described_.clear();
    }
    unsay();
    carried_ = facts::NoTile;
}

void KeyboardPlacing::takeOff(int tile) {
    const keyboard::Board before = window_.board();
    const auto holder = std::find(before.placed.begin(), before.placed.end(), tile);
    window_.takeOff(tile);
    const keyboard::Board after = window_.board();
    // The focus follows the tile home: onto the top of its stack.
    for (int reachable : keyboard::reachableTiles(after)) {
        if (facts::kindOfTile(reachable) == facts::kindOfTile(tile)) {
            focusTile(reachable);
            break;
        }
    }
    if (holder != before.placed.end() &&
        std::find(after.placed.begin(), after.placed.end(), tile) == after.placed.end()) {
        const int reaction = static_cast<int>(holder - before.placed.begin());
        sayAt(ui_.ImgSyntactic.at(reaction), spoken::takenOff(facts::kindOfTile(tile), reaction));
    }
}

void KeyboardPlacing::sayAt(Picture *picture, const QString &what) {
    unsay();
    speaker_ = picture;
    speakerDescription_ = picture->accessibleDescription();
    form1::sayAt(picture, what);
}

void KeyboardPlacing::unsay() {
    if (speaker_) {
        speaker_->setAccessibleDescription(speakerDescription_);
        speaker_.clear();
    }
}

bool KeyboardPlacing::tabFromNowhere(QObject *watched, int key) {
    // The keyboard is left with the window itself when a Check hides the box that had it and no box is
    // shown, or with a menu bar that gives it back only to a control that is shown: Tab goes on to the
    // boxes, or to the tiles when no box is shown.
    if (key != Qt::Key_Tab && key != Qt::Key_Backtab) {
        return false;
    }
    if (watched == menuBar_) {
        const auto *bar = qobject_cast<QMenuBar *>(menuBar_);
        if (bar == nullptr || !bar->hasFocus() || bar->activeAction() != nullptr) {
            return false;
        }
    } else if (QApplication::focusWidget() != watched) {
        return false;
    }
    if (QLineEdit *box = firstVisibleBox(-1)) {
        box->setFocus(Qt::TabFocusReason);
    } else if (const std::vector<int> order = keyboard::reachableTiles(window_.board()); !order.empty()) {
        focusTile(order.front());
    } else {
        return false;
    }
    return true;
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
