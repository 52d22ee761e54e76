#pragma once

// Finding the exercise window's controls and driving it with real pointer events sent to its
// window, so that hit-testing and Qt's implicit mouse grab take the path a pupil's hand takes.

#include "answers.h"
#include "toolkit/picture.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>

namespace testkit {

// Shows a window and waits until it is the active one, with the keyboard. Where the platform lets a
// program activate its windows, it does so; under Wayland, where only the compositor may, it waits for
// the compositor to activate the new window, as it does any window that opens.
bool showActive(QWidget &window);
// Whether a program can activate its own windows (not under Wayland).
bool canActivateWindows();

// How the window system reads a cursor shown over `window`: the pixel ratio its pixmap must carry and
// what its hot spot is counted in, per logical pixel. X11 (and the headless platform) take the image
// pixel for pixel, the hot spot in device pixels; Wayland takes the pixmap's ratio as the buffer's scale
// and the hot spot in surface units, of which the output has TEST_OUTPUT_SCALE (set by the Wayland
// runner) device pixels.
struct CursorUnits {
    qreal pixmapRatio;
    qreal hotSpotPerLogicalPixel;
};
CursorUnits cursorUnits(const QWidget &window);

// The window's design as the tests expect it, written out apart from the program's own constants.
inline constexpr int TileCount = 25;
inline constexpr int KindCount = 5;
inline constexpr int ReactionCount = 5;
inline constexpr int BoxCount = 20;
inline constexpr int UnusedBox = 16;
inline constexpr int TwipsPerPixel = 15;
inline constexpr float TileWidth = 810;
inline constexpr float TileHeight = 585;
inline constexpr float TrayTop = 97.5f;
inline constexpr float TrayLine = 780;
inline constexpr std::array<float, KindCount> TrayLefts{785, 2320, 3855, 5390, 6925};
// Where a tile placed on each reaction lies: the top-left corner, in client twips.
inline constexpr std::array<QPointF, ReactionCount> Slots{
    {{6475, 1272.5}, {8590, 2822.5}, {6475, 4392.5}, {8590, 5942.5}, {6475, 7512.5}}};

// Stands in for the desktop's web browser and PDF viewer: records every address handed to it while it
// listens, and nothing is opened. Elsewhere it is Qt's handler of the schemes it listens to; on Windows
// it takes the shell's place, and also records the show commands and any call that did not name the
// verb "open" and the desktop window as owner.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    ~UrlRecorder() override { stopListening(); }

    void listen(const QStringList &schemes);
    void stopListening();
    void clear() {
        urls.clear();
        showCommands.clear();
        strayCalls = 0;
    }

    QList<QUrl> urls;
    QList<int> showCommands; // Windows only
    int strayCalls = 0;      // Windows only

public slots:
    void open(const QUrl &url) { urls << url; }

private:
    QStringList schemes_;
};

// Hands every modal window that appears while it watches to `onModal`, then closes it if it is still
// open, and remembers its class.
class ModalWatcher : public QObject {
public:
    explicit ModalWatcher(std::function<void(QWidget *)> onModal = {});
    QStringList seen;

private:
    std::function<void(QWidget *)> onModal_;
    QTimer timer_;
};

// What the pupil has done so far: where the tiles lie, the coefficient boxes and the grade.
struct Snapshot {
    std::array<twips::Rect, TileCount> tiles;
    std::array<bool, BoxCount> shown;
    std::array<QString, BoxCount> texts;
    bool gradeShown = false;
    QString gradeText;
};
Snapshot snapshot(const QWidget &form);
// Every way in which the tiles and boxes of `actual` differ from `expected`; empty when they agree.
QStringList mismatches(const Snapshot &expected, const Snapshot &actual);

// The coefficient boxes of a reaction: four, or three for the general alkyne.
QList<int> boxesOf(int reaction);
// The first broken rule of the exercise's layout, or an empty text: 25 visible tiles of the design
// size, each at its kind's tray place or alone in a reaction's slot (`inTransit`, the tile being
// carried, may lie anywhere), a reaction's boxes shown exactly while it holds a tile, box 16 never.
QString brokenRule(const QWidget &form, const Picture *inTransit);

QWidget *control(const QWidget &form, const QString &name);
Picture *tile(const QWidget &form, int n);
Picture *reaction(const QWidget &form, int r);
QLineEdit *box(const QWidget &form, int k);
QWidget *client(const QWidget &form);
// Chooses a menu command by its action's name.
void trigger(const QWidget &form, const char *action);
// Place among its siblings: a control with a higher depth lies in front.
qsizetype depth(const QWidget *control);

// A point given in client-area twips, in the window's coordinates (whole pixels).
QPoint windowPoint(const QWidget &form, QPointF clientTwips);
// The tile that a press at a point of the window would hit (the top one of a stack), or nullptr.
Picture *tileUnder(const QWidget &form, QPoint windowPosition);
// The centre of a control, in the window's coordinates.
QPoint centreOf(const QWidget &form, const QWidget *control);
// The tray tile of a kind that lies on top of its stack, found the way a pupil finds it: by pointing.
int topTileOfKind(const QWidget &form, int kind);

void press(const QWidget &form, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void moveTo(const QWidget &form, QPoint at, Qt::MouseButton held = Qt::LeftButton);
void release(const QWidget &form, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void doubleClick(const QWidget &form, QPoint at);
// Presses tile n at its centre, moves the pointer to `to` in a few steps and releases it there.
void dragTile(const QWidget &form, int n, QPoint to, Qt::MouseButton button = Qt::LeftButton);

// Types into a box key by key: focuses it, deletes its text and types the new one.
void typeInto(QLineEdit *box, const QString &text);

} // namespace testkit
