// A measuring mode for scripts, switched on by the environment: the open
// dialog at start-up takes what the card discovery preset, and the program
// reports when its main window has first been drawn, then quits. Used by
// scripts/bench-startup and for the screenshot of the real window; the
// program's users never set it.
#pragma once

#include <QElapsedTimer>

class QWidget;

namespace vel {

// VEL_READER_PROBE set (to anything): answer the start-up dialog and report.
bool startupProbeWanted();

// Call before the main window is created: accepts the file dialog that
// start-up shows, and declines whatever else asks.
void armStartupDialogAnswer();

// Call after: when `window` has first been drawn, prints the milliseconds
// since `started` to stdout; with VEL_READER_PROBE_SHOT=FILE.png it also
// saves the screen area of the window to FILE.png. Then quits.
void reportWhenShown(QWidget* window, const QElapsedTimer& started);

}  // namespace vel
