#pragma once
// TCursesTerminal: the process's terminal through ncurses. Starting it takes
// over the screen (raw keys, no echo, keypad and mouse reporting, a short
// Escape delay); destroying it gives the screen back. Colours are used when
// the terminal has them and NO_COLOR is not set; otherwise the styles become
// plain attributes (bold, underline, reverse). Box-drawing glyphs are drawn
// with the terminal's line-drawing characters.

#include "console/tui/TerminalIO.h"
#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(ETerminalError, Exception);

struct screen;  // the curses screen

// Standard input and output are a terminal.
bool HaveTerminal();
// Colours are wanted: NO_COLOR is unset or empty.
bool ColoursWanted();

class TCursesTerminal : public ITerminalIO {
 public:
  // Raises ETerminalError when the terminal cannot be started.
  TCursesTerminal();
  ~TCursesTerminal() override;
  TCursesTerminal(const TCursesTerminal&) = delete;
  TCursesTerminal& operator=(const TCursesTerminal&) = delete;

  int Width() const override;
  int Height() const override;
  void Show(const TCellGrid& grid) override;
  TKey Read(int timeoutMs) override;
  void Beep() override;

  bool Colours() const { return colours_; }

 private:
  screen* screen_ = nullptr;
  bool colours_ = false;
};
