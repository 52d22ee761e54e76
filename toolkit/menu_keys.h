#pragma once

class QMenuBar;

// F10 opens the menu bar for the keyboard at its first command, as on Windows and GNOME, and a second
// F10 closes it again, giving the keyboard back to the control that had it. In between the menu bar is
// the one Alt opens: Left and Right choose a command, Enter runs it, Escape closes the menu bar. F10
// also serves where Alt never reaches the program (a browser keeps it for itself).
void enableMenuKeys(QMenuBar *bar);
