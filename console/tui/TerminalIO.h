#pragma once
// ITerminalIO: the screen and keyboard the terminal front end talks to. The
// curses terminal is the real one; tests put a scripted one in its place, so
// that everything above this seam runs without a terminal.

#include "console/tui/CellGrid.h"
#include "console/tui/Keys.h"

class ITerminalIO {
 public:
  virtual ~ITerminalIO() = default;
  // The size in cells, as it is now.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Shows `grid` (of the terminal's size) and places the cursor.
  virtual void Show(const TCellGrid& grid) = 0;
  // The next key; TKeyCode::None when nothing came within `timeoutMs`.
  virtual TKey Read(int timeoutMs) = 0;
  // Tells the user a key did nothing.
  virtual void Beep() = 0;
};
