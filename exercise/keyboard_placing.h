#pragma once

// Placing compounds without a mouse: F6 moves the keyboard focus between the coefficient boxes and
// the tiles; Left and Right walk the tiles; Space or Enter picks a tray tile up; Up and Down move a
// highlighted target over the reactions; Space or Enter drops the tile there, Escape puts it back;
// Delete takes a placed tile off; Tab from a window or menu bar left with the keyboard after a command
// goes on to the boxes. The window's own routines for pressing, dropping, abandoning and double-clicking do
// the work, so the keyboard obeys exactly the rules that the mouse does. A screen reader hears each step: the
// target reaction's picture says where the carried tile hangs, or where a tile taken off went.

#include "exercise/facts.h"
#include "exercise/form1_layout.h"
#include "exercise/tray.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace keyboard {

// What the keyboard needs to know of the tiles' places.
struct Board {
    std::array<std::int16_t, facts::KindCount> columnOfKind{}; // the tray column of each compound kind
    std::vector<int> trayTilesBackToFront;          // the tiles at their tray places, hindmost first
    std::array<int, facts::ReactionCount> placed{}; // the tile on each reaction, or facts::NoTile
};

// The tiles the keyboard reaches, in the order Left and Right walk them: the top tile of each tray
// stack from the leftmost column to the rightmost (an empty stack has none), then the placed tiles
// in reaction order.
std::vector<int> reachableTiles(const Board &board);

// The tile `step` places after `current` in `order`, going round at either end. A current tile that
// is not in the order (it was covered or carried away) counts as lying just before the first tile
// for a step forward and just after the last one for a step back. facts::NoTile for an empty order.
int neighbour(const std::vector<int> &order, int current, int step);

// The reaction `step` places after `target`, going round from the last reaction to the first.
int nextTarget(int target, int step);

} // namespace keyboard

class Picture;
class QLineEdit;

class KeyboardPlacing : public QObject {
    Q_OBJECT

public:
    // The window's side: where the tiles lie, and the routines that the mouse uses too.
    struct Window {
        std::function<keyboard::Board()> board;
        std::function<bool()> dragging;         // a mouse drag is running
        std::function<bool(int tile)> pickUp;   // as a press on the tile does; false for a placed tile
        std::function<void(int reaction)> drop; // as a drop of the picked-up tile on the reaction does
        std::function<void()> putBack;          // as an abandoned drag does
        std::function<void(int tile)> takeOff;  // as a double click on the tile does
    };

    // `ui` holds every tile (the copies created); `menuBar` is the window's menu bar.
    KeyboardPlacing(const form1::Controls &ui, QWidget *menuBar, Window window, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool tileKey(int tile, int key);
    void switchArea();
    void focusTile(int tile);
    void pickUp(int tile);
    void setTarget(int reaction, bool first = false);
    void drop();
    void putBack();
    // Forgets the carried tile, its target and its description, leaving every tile where it lies; the one
    // place where a carry ends, whoever ends it.
    void forgetCarried();
    void takeOff(int tile);
    // Has a screen reader say `what` at a reaction's picture, whose own description comes back with the
    // next thing said, the next key or the carry's end.
    void sayAt(Picture *picture, const QString &what);
    void unsay();
    bool tabFromNowhere(QObject *watched, int key);
    int tileIndex(const QObject *object) const;
    QLineEdit *firstVisibleBox(int reaction) const;

    const form1::Controls &ui_;
    QWidget *menuBar_;
    Window window_;
    int carried_ = facts::NoTile; // picked up and not yet dropped or put back
    int target_ = 0;              // the reaction the carried tile would be dropped on
    QPointer<Picture> highlighted_;
    QPointer<Picture> described_; // the tile whose description tells where it is carried
    QString restingDescription_;  // its own description, given back when the carry ends
    QPointer<Picture> speaker_;   // the picture that says what the keyboard did
    QString speakerDescription_;  // and its own description
};
