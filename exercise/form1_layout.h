#pragma once

// The design of the exercise window: every control with its name, index, geometry in twips,
// look, front-to-back order and tab order, as the window stands before its load handler runs.

#include "exercise/facts.h"
#include "exercise/tray.h"
#include "toolkit/twips.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QWidget;
class Picture;
class Shape;

namespace form1 {

using facts::BoxCount;
using facts::BoxesPerReaction;
using facts::KindCount;
using facts::ReactionCount;
using facts::TileCount;

inline constexpr int Label2Index = 13;

inline constexpr float ClientWidth = 9855;
inline constexpr float ClientHeight = 9270;
inline constexpr twips::Rect ContainerGeometry{60, 780, 9735, 7875};
inline constexpr twips::Rect Label2Geometry{60, 8700, 9735, 525};
inline constexpr twips::Rect DropIconGeometry{0, 0, 480, 480};
// The grade stands at the tray's right end.
inline constexpr float GradeLeft = tray::RightEnd;
inline constexpr float GradeTop = 60;
inline constexpr float TileWidth = 810;
inline constexpr float TileHeight = 585;
inline constexpr float BoxWidth = 615;
inline constexpr float BoxHeight = 435;

// The window's controls, by their design names; element n of a control array at index n.
struct Controls {
    QWidget *client = nullptr;                       // the client area below the menu bar
    std::array<Picture *, TileCount> ImgMolecular{}; // 5..24 exist once the tiles are created
    std::array<Picture *, ReactionCount> ImgSyntactic{};
    std::array<QLineEdit *, BoxCount> tCoefficient{};
    Shape *Container = nullptr;
    QLabel *LGrade = nullptr;
    QLabel *Label2 = nullptr;
    Picture *DropIcon = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuCheck = nullptr;
    QAction *mnuRestart = nullptr;
    QAction *mnuSheet = nullptr;
    QAction *mnuVSeperator = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuExit = nullptr;
};

// Builds the design's controls on the window and fills `ui`.
void setupControls(QMainWindow *window, Controls &ui);

// Creates tile n (5..24) as a copy of tile 0, showing the picture of kind n mod 5; not yet visible.
Picture *copyTile(const Controls &ui, int n);

// Sets the caption of the grade label, which sizes itself to it with its top-left corner kept.
void setGradeCaption(QLabel *grade, const QString &caption);

// Names and describes reaction 0..4's boxes for the compound that lies in its blank (none: nothing lies
// there), so that no box names the compound the blank asks for.
void nameBoxes(const Controls &ui, int reaction, std::optional<facts::Kind> inBlank);

// Has a screen reader say `what` of `control`: the control's description becomes `what` and assistive
// technology is told that its reading moves to the control, which a screen reader follows whatever has the
// keyboard (where Qt has announcements, it is announced besides). The keyboard stays where it is.
void sayAt(QWidget *control, const QString &what);

} // namespace form1

// What a screen reader says of the exercise: compounds by their Greek names rather than formulas, an
// equation as the picture shows it with its blank as a blank, and what each step did. Pure.
namespace spoken {

// The equation of a reaction in words, the blank named by what lies in it (`inBlank`) or as "κενό".
QString equation(int reaction, std::optional<facts::Kind> inBlank);
// The name of box 0..19: its compound's coefficient, for the blank's by the compound that lies there.
QString boxName(int box, std::optional<facts::Kind> inBlank);
// The description of box 0..19: the equation on a reaction's first box, where the keyboard comes after a
// drop, and nothing on the others, so that Tab reads it once.
QString boxDescription(int box, std::optional<facts::Kind> inBlank);

// The keyboard path, told once in the window's description.
QString keyboardPath();
// Where a tile lies and what the keyboard can do with it: in the tray, or on a reaction (0..4).
QString tileInTray();
QString tileOnReaction(int reaction);
// The carried tile's own description, and what is said as it is picked up (`first`) or moved over a
// reaction.
QString carriedTile(int reaction);
QString carrying(facts::Kind kind, int reaction, bool first);
// A placed tile taken off its reaction.
QString takenOff(facts::Kind kind, int reaction);

// What a Check did, after the grade: the compounds it sent home, from which reactions, and the reactions
// whose coefficients it emptied.
struct SentHome {
    facts::Kind kind;
    int reaction;
};
QString checked(const std::vector<SentHome> &sentHome, const std::vector<int> &emptied);

} // namespace spoken
