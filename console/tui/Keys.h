#pragma once
// TKey: one thing the user did at the terminal, independent of the terminal
// library: a named key (with Shift where it matters), a typed character, a
// mouse button at a cell, a resize, or nothing (a timeout, so that posted
// messages can be pumped while waiting).

#include <string>
#include <string_view>

enum class TKeyCode {
  None,  // no input within the wait
  Char,  // Text holds the typed code point
  Enter,
  Escape,
  Tab,
  BackTab,
  Backspace,
  Delete,
  Up,
  Down,
  Left,
  Right,
  Home,
  End,
  PageUp,
  PageDown,
  Function,  // F1 .. F12 in Number, with Shift
  Control,   // Ctrl + the letter in Text ("s" for Ctrl-S)
  Mouse,
  Resize,
};

enum class TMouseButton { Left, LeftDouble, Right };

struct TKey {
  TKeyCode Code = TKeyCode::None;
  std::string Text;  // Char: the code point; Control: the lower-case letter
  int Number = 0;    // Function: 1 .. 12
  bool Shift = false;
  TMouseButton Button = TMouseButton::Left;
  int X = 0;  // Mouse: the cell
  int Y = 0;

  static TKey Named(TKeyCode code) {
    TKey key;
    key.Code = code;
    return key;
  }
  static TKey Char(std::string text) {
    TKey key = Named(TKeyCode::Char);
    key.Text = std::move(text);
    return key;
  }
  static TKey Ctrl(char letter) {
    TKey key = Named(TKeyCode::Control);
    key.Text = std::string(1, letter);
    return key;
  }
  static TKey F(int number, bool shift = false) {
    TKey key = Named(TKeyCode::Function);
    key.Number = number;
    key.Shift = shift;
    return key;
  }
  static TKey Click(int x, int y, TMouseButton button = TMouseButton::Left) {
    TKey key = Named(TKeyCode::Mouse);
    key.Button = button;
    key.X = x;
    key.Y = y;
    return key;
  }
  bool Is(TKeyCode code) const { return Code == code; }
  bool IsChar(std::string_view text) const { return Code == TKeyCode::Char && Text == text; }
};
