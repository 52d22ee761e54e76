#pragma once

// The design of the exercise window: every control with its name, index, geometry in twips,
// look, front-to-back order and tab order, as the window stands before its load handler runs.

#include "exercise/facts.h"
#include "exercise/tray.h"
#include "toolkit/twips.h"

#include <QString>

#include <array>

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

} // namespace form1
