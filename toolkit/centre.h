#pragma once

class QWidget;

// Moves a top-level window so that it stands in the middle of the screen it is on.
void centreOnScreen(QWidget *window);
