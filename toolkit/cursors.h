#pragma once

#include <QCursor>
#include <QString>

// Mouse pointers drawn from the program's pictures at the screen's device pixel ratio; their hot spots
// scale with them.
namespace cursors {

// The pointing hand shown over whatever can be pressed or dragged: tiles and links.
QCursor hand();

// The pointer shown while something is dragged: the drag icon `resource`, held by its middle.
QCursor dragIcon(const QString &resource);

} // namespace cursors
