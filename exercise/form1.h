#pragma once

#include "exercise/attempt.h"
#include "exercise/form1_layout.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <optional>
#include <random>

class KeyboardPlacing;
class ManualDrag;
namespace keyboard {
struct Board;
}
class QAction;

// The exercise window: the tray of compound tiles, the five reactions, their coefficient boxes,
// the grade and the menu. Its handlers are named after the control and the event they answer.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    // The tray is dealt from a generator seeded once, from the system's random source or from
    // `seed`: two windows made with one seed deal alike.
    explicit Form1(QWidget *parent = nullptr);
    explicit Form1(std::uint32_t seed, QWidget *parent = nullptr);
    // Stops the drag layer first, so that no drag report reaches a window partly destroyed.
    ~Form1() override;

    // Empty and hide, or show, the coefficient boxes of reaction 0..4. Only the window's own handlers
    // call them; they are public as the routines through which the boxes of a reaction are shown and
    // hidden, the interface of the coefficient boxes.
    void HideCoefficients(std::int16_t reaction);
    void ShowCoefficients(std::int16_t reaction);

    // The attempt as the window shows it: the tray's order, the tiles on the reactions, what each box holds
    // and the grade. The window reports it to whoever keeps pupils' work after each change the pupil makes,
    // and at its start resumes an attempt kept from the pupil's last visit.
    attempt::Attempt CurrentAttempt() const;
    // Shows `kept` as a pupil would have left it: the tray dealt in its order, each tile placed through the
    // routines a drop takes, the boxes' texts and the grade.
    void ResumeAttempt(const attempt::Attempt &kept);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One reaction of the exercise: what the right compound is worth and which kind it is, as the
    // exercise's key has them (facts.h, from which grading reads them too), and the tile that lies on
    // the reaction (facts::NoTile when none).
    struct ReactionSlot {
        std::int16_t Points;
        std::int16_t CorrectKind;
        std::int16_t Tile;
    };

    // Start and stop.
    void Form_Load();
    void Form_Unload();
    void CreateTiles();
    void ReturnTileToTray(std::int16_t tile);
    // Empties the reactions and their boxes, deals the tiles into the tray's columns and hides the grade.
    void DealTray();
    // Tells whoever keeps pupils' work the attempt, when it has changed since it was last told.
    void ReportAttempt();

    // Menu commands.
    void mnuHelp_Click();
    void mnuCheck_Click();
    void mnuRestart_Click();
    void mnuSheet_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // Tiles.
    void ImgMolecular_MouseDown(int index, Qt::MouseButton button);
    void ImgMolecular_MouseMove(int index);
    void ImgMolecular_DblClick(int index);
    // Takes a tray tile in hand, for a drag or for the keyboard; false for a placed tile.
    bool PickUpTile(int index);

    // Drag-over and drop on every surface. x and y are the pointer's offset inside the surface;
    // where a drop lands matters, not where in the surface.
    void Form_DragOver(float x, float y);
    void Form_DragDrop();
    void ImgMolecular_DragOver(int index, float x, float y);
    void ImgMolecular_DragDrop(int index);
    void ImgSyntactic_DragOver(int index, float x, float y);
    void ImgSyntactic_DragDrop(int index);
    void tCoefficient_DragOver(int index, float x, float y);
    void tCoefficient_DragDrop(int index);
    void Label2_DragOver(int index);
    void Label2_DragDrop(int index);

    // Shared routines.
    void FollowPointer(const QWidget *surface, float x, float y);
    void PlaceOnReaction(std::int16_t reaction);
    void EmptyCoefficients(std::int16_t reaction);
    // Gives the keyboard to the first visible box after box `from`, boxes skipFirst..skipEnd-1
    // passed over, or to the window when there is none.
    void FocusNextVisibleBox(int from, int skipFirst, int skipEnd);

    // Runs a menu command: a drag still running ends first, as an abandoned drag ends.
    void connectCommand(QAction *item, void (Form1::*command)());
    // Hands the drag layer's reports to the handlers of the surface they concern.
    void routeDrag(QWidget *surface, QPointF pointer, bool drop);
    void connectTile(int index);
    Picture *tile(int index) const { return ui_.ImgMolecular.at(index); }
    QLineEdit *box(int index) const { return ui_.tCoefficient.at(index); }
    // The tray line: tiles below it lie on a reaction (or are on their way there).
    float trayLine() const;
    bool liesBelowTrayLine(int tileIndex) const;
    void bringToFront(Picture *control);
    // Where the tiles lie, for the keyboard path, which places them through the handlers above.
    keyboard::Board KeyboardBoard() const;
    void connectKeyboard();

    form1::Controls ui_;
    ManualDrag *drag_ = nullptr;
    KeyboardPlacing *keyboardPlacing_ = nullptr;
    std::mt19937 random_;

    std::array<ReactionSlot, facts::ReactionCount> Reactions{};
    std::array<std::int16_t, facts::KindCount> TrayColumn{};
    std::int16_t DraggedTile = 0;
    std::optional<int> lastGrade_; // the grade the last Check showed
    bool quiet_ = false;           // while the window sets itself up, nothing is reported
    QString reported_;             // the attempt as last reported
};
