#pragma once

#include <QDialog>

#include <memory>

// Shows a modal window: the window it belongs to takes no input until it is closed, and each showing
// is a fresh window. On the desktop the call returns once the window is closed, and the window is gone
// by then. The browser cannot wait inside a call (that would need Asyncify, which makes the program
// two thirds larger): there the call returns at once, and the window deletes itself when it is closed.
void runModal(std::unique_ptr<QDialog> dialog);
