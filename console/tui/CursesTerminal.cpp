#include "console/tui/CursesTerminal.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/text/Utf.h"

namespace {

constexpr int kStyleCount = int(TCellStyle::ButtonKeyFocused) + 1;

struct StyleLook {
  short foreground;
  short background;
  attr_t colourAttr;  // added to the colour pair
  attr_t plainAttr;   // without colours
};

// Indexed by TCellStyle.
constexpr StyleLook kLooks[kStyleCount] = {
    {-1, -1, A_NORMAL, A_NORMAL},                             // Normal
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},           // Window
    {COLOR_BLUE, COLOR_WHITE, A_BOLD, A_BOLD},                // Frame
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_UNDERLINE},         // Field
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_UNDERLINE | A_BOLD},  // FieldFocused
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},           // Button
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},             // ButtonFocused
    {COLOR_BLACK, COLOR_WHITE, A_DIM, A_DIM},                 // Disabled
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_REVERSE},           // Highlight
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_UNDERLINE},        // HighlightDim
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_BOLD | A_UNDERLINE},  // Header
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_REVERSE},          // Status
    {COLOR_WHITE, COLOR_BLACK, A_BOLD, A_BOLD},               // Key
    {COLOR_YELLOW, -1, A_BOLD, A_BOLD},                       // Mark
    {COLOR_RED, COLOR_WHITE, A_UNDERLINE, A_UNDERLINE},       // ButtonKey
    {COLOR_YELLOW, COLOR_BLUE, A_BOLD | A_UNDERLINE, A_REVERSE | A_UNDERLINE},  // ButtonKeyFocused
};

attr_t Attribute(TCellStyle style, bool colours) {
  const StyleLook& look = kLooks[int(style)];
  if (!colours) return look.plainAttr;
  return COLOR_PAIR(int(style) + 1) | look.colourAttr;
}

// The terminal's line-drawing character for a box glyph; 0 for others.
chtype LineDrawing(const std::string& glyph) {
  if (glyph == "─") return ACS_HLINE;
  if (glyph == "│") return ACS_VLINE;
  if (glyph == "┌") return ACS_ULCORNER;
  if (glyph == "┐") return ACS_URCORNER;
  if (glyph == "└") return ACS_LLCORNER;
  if (glyph == "┘") return ACS_LRCORNER;
  return 0;
}

std::string Utf8Of(wint_t c) {
  std::u16string wide;
  if (c >= 0x10000) {
    const uint32_t v = uint32_t(c) - 0x10000;
    wide = {char16_t(0xD800 + (v >> 10)), char16_t(0xDC00 + (v & 0x3FF))};
  } else {
    wide = {char16_t(c)};
  }
  return Utf16ToUtf8(wide);
}

TKey MouseKey() {
  MEVENT event;
  if (getmouse(&event) != OK) return TKey{};
  if (event.bstate & BUTTON1_DOUBLE_CLICKED) {
    return TKey::Click(event.x, event.y, TMouseButton::LeftDouble);
  }
  if (event.bstate & (BUTTON1_CLICKED | BUTTON1_PRESSED)) return TKey::Click(event.x, event.y);
  if (event.bstate & (BUTTON3_CLICKED | BUTTON3_PRESSED)) {
    return TKey::Click(event.x, event.y, TMouseButton::Right);
  }
  return TKey{};
}

TKey FunctionKey(int code) {
  switch (code) {
    case KEY_UP:
      return TKey::Named(TKeyCode::Up);
    case KEY_DOWN:
      return TKey::Named(TKeyCode::Down);
    case KEY_LEFT:
      return TKey::Named(TKeyCode::Left);
    case KEY_RIGHT:
      return TKey::Named(TKeyCode::Right);
    case KEY_HOME:
      return TKey::Named(TKeyCode::Home);
    case KEY_END:
      return TKey::Named(TKeyCode::End);
    case KEY_PPAGE:
      return TKey::Named(TKeyCode::PageUp);
    case KEY_NPAGE:
      return TKey::Named(TKeyCode::PageDown);
    case KEY_DC:
      return TKey::Named(TKeyCode::Delete);
    case KEY_BACKSPACE:
      return TKey::Named(TKeyCode::Backspace);
    case KEY_ENTER:
      return TKey::Named(TKeyCode::Enter);
    case KEY_BTAB:
      return TKey::Named(TKeyCode::BackTab);
    case KEY_RESIZE:
      return TKey::Named(TKeyCode::Resize);
    case KEY_MOUSE:
      return MouseKey();
    default:
      break;
  }
  // Shifted function keys come as F13 .. F24.
  if (code >= KEY_F(1) && code <= KEY_F(24)) {
    const int n = code - KEY_F0;
    return n > 12 ? TKey::F(n - 12, true) : TKey::F(n);
  }
  return TKey{};
}

TKey CharacterKey(wint_t c) {
  switch (c) {
    case 27:
      return TKey::Named(TKeyCode::Escape);
    case '\t':
      return TKey::Named(TKeyCode::Tab);
    case '\n':
    case '\r':
      return TKey::Named(TKeyCode::Enter);
    case 8:
    case 127:
      return TKey::Named(TKeyCode::Backspace);
    default:
      break;
  }
  if (c >= 1 && c <= 26) return TKey::Ctrl(char('a' + c - 1));
  if (c < 32) return TKey{};
  return TKey::Char(Utf8Of(c));
}

}  // namespace

bool HaveTerminal() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

bool ColoursWanted() {
  const char* noColour = std::getenv("NO_COLOR");
  return !noColour || !*noColour;
}

TCursesTerminal::TCursesTerminal() {
  if (!HaveTerminal()) throw ETerminalError("standard input and output are not a terminal");
  std::setlocale(LC_ALL, "");
  if (!getenv("ESCDELAY")) set_escdelay(25);
  // Unlike initscr, newterm reports a terminal it cannot drive instead of
  // ending the process.
  screen_ = newterm(nullptr, stdout, stdin);
  if (!screen_) throw ETerminalError("the terminal cannot be started (is TERM set?)");
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON3_CLICKED | BUTTON3_PRESSED, nullptr);
  colours_ = ColoursWanted() && has_colors() && start_color() == OK;
  if (colours_) {
    use_default_colors();
    for (int i = 0; i < kStyleCount; ++i) {
      init_pair(short(i + 1), kLooks[i].foreground, kLooks[i].background);
    }
  }
}

TCursesTerminal::~TCursesTerminal() {
  endwin();
  delscreen(screen_);
}

int TCursesTerminal::Width() const { return COLS; }
int TCursesTerminal::Height() const { return LINES; }

void TCursesTerminal::Show(const TCellGrid& grid) {
  for (int y = 0; y < std::min(grid.Height(), LINES); ++y) {
    for (int x = 0; x < std::min(grid.Width(), COLS); ++x) {
      const TCell& cell = grid.At(x, y);
      const attr_t attr = Attribute(cell.style, colours_);
      if (const chtype line = LineDrawing(cell.glyph)) {
        mvaddch(y, x, line | attr);
      } else {
        attrset(attr);
        mvaddstr(y, x, cell.glyph.c_str());
      }
    }
  }
  attrset(A_NORMAL);
  if (auto cursor = grid.Cursor()) {
    curs_set(1);
    move(cursor->y, cursor->x);
  } else {
    curs_set(0);
  }
  refresh();
}

TKey TCursesTerminal::Read(int timeoutMs) {
  timeout(timeoutMs);
  wint_t c = 0;
  const int kind = get_wch(&c);
  if (kind == ERR) return TKey{};
  return kind == KEY_CODE_YES ? FunctionKey(int(c)) : CharacterKey(c);
}

void TCursesTerminal::Beep() { beep(); }
