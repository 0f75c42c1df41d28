#pragma once
// Text as the terminal shows it: one code point per character cell (the
// metrics model of the forms). Invalid UTF-8 shows as U+FFFD.

#include <string>
#include <string_view>
#include <vector>

// The code points of `text`, each as its UTF-8 bytes.
std::vector<std::string> Glyphs(std::string_view text);
// Number of cells `text` takes.
int GlyphCount(std::string_view text);
// The first `count` code points of `text` (all of it when shorter).
std::string GlyphPrefix(std::string_view text, int count);
// `text` cut or padded with blanks to exactly `width` cells.
std::string FitText(std::string_view text, int width);
// `text` broken into rows of at most `width` cells: at its line breaks (CR,
// LF, CR LF) and at blanks; a word longer than a row is split.
std::vector<std::string> WrapText(std::string_view text, int width);
