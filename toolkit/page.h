#pragma once

class QWidget;

// The page around the program in the browser edition (built for WebAssembly only). The page shows the
// main window and nothing else: it has no frame of its own there, and it is scaled, keeping its
// proportions, to fill the browser's viewport.
namespace page {

// Shows the main window fitted to the viewport, and fits it again whenever the viewport changes (a
// phone turned, a window resized). The browser's Qt would show it maximized otherwise.
void showFitted(QWidget *mainWindow);

// Tells the page that the program has ended (the Exit command, or the main window closed otherwise):
// a page cannot close its own tab, so it says so and offers to start again.
void announceEnd();

} // namespace page
