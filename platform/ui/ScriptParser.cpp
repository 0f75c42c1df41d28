#include "platform/ui/ScriptParser.h"

#include <algorithm>
#include <charconv>

#include "platform/text/Locale.h"
#include "platform/ui/AnswerNames.h"

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

struct RawStatement {
  std::vector<Token> tokens;
  int line = 0;
  std::string source;
};

std::string Trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return "";
  return std::string(s.substr(first, s.find_last_not_of(" \t\r") - first + 1));
}

// Splits the script into statements of tokens.
std::vector<RawStatement> Tokenize(std::string_view script) {
  std::vector<RawStatement> out;
  RawStatement current;
  int line = 1;
  size_t start = 0;
  current.line = 1;
  size_t commentStart = std::string_view::npos;  // of the statement being read
  auto finish = [&](size_t end) {
    end = std::min(end, commentStart);
    commentStart = std::string_view::npos;
    current.source = Trimmed(script.substr(start, end - start));
    if (!current.tokens.empty()) out.push_back(std::move(current));
    current = RawStatement{};
    current.line = line;
  };
  size_t i = 0;
  while (i < script.size()) {
    const char c = script[i];
    if (c == '\n' || c == ';') {
      finish(i);
      if (c == '\n') current.line = ++line;
      start = ++i;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      const size_t lineEnd = script.find('\n', i);
      const size_t commentEnd = lineEnd == std::string_view::npos ? script.size() : lineEnd;
      commentStart = i;
      i = commentEnd;
    } else if (c == '\'' || c == '"') {
      Token token{"", true};
      ++i;
      for (;;) {
        if (i >= script.size() || script[i] == '\n') {
          throw EScriptError("line " + std::to_string(line) + ": unterminated quoted text");
        }
        if (script[i] == c) {
          if (i + 1 < script.size() && script[i + 1] == c) {
            token.text += c;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        token.text += script[i++];
      }
      current.tokens.push_back(std::move(token));
    } else {
      Token token;
      while (i < script.size() &&
             std::string_view(" \t\r\n;'\"").find(script[i]) == std::string_view::npos) {
        token.text += script[i++];
      }
      current.tokens.push_back(std::move(token));
    }
  }
  finish(script.size());
  return out;
}

// Reads one statement's tokens from left to right.
class Reader {
 public:
  explicit Reader(const RawStatement& raw) : raw_(raw) {}

  [[noreturn]] void Fail(const std::string& why) const {
    throw EScriptError("line " + std::to_string(raw_.line) + ": " + why + " in \"" + raw_.source +
                       "\"");
  }
  bool AtEnd() const { return pos_ >= raw_.tokens.size(); }
  // Takes the keyword `word` when it comes next (unquoted, any case).
  bool Accept(std::string_view word) {
    if (AtEnd() || raw_.tokens[pos_].quoted || !SameText(raw_.tokens[pos_].text, word)) {
      return false;
    }
    ++pos_;
    return true;
  }
  void Require(std::string_view word) {
    if (!Accept(word)) Fail("'" + std::string(word) + "' expected");
  }
  const Token& Next(const char* what) {
    if (AtEnd()) Fail(std::string(what) + " expected");
    return raw_.tokens[pos_++];
  }
  // The rest of the statement as one text: a quoted token or bare words.
  std::string Rest(const char* what) {
    if (AtEnd()) Fail(std::string(what) + " expected");
    if (raw_.tokens[pos_].quoted) {
      std::string text = raw_.tokens[pos_++].text;
      End();
      return text;
    }
    std::string text;
    while (!AtEnd()) {
      if (raw_.tokens[pos_].quoted) Fail("mixed quoted and bare text");
      text += (text.empty() ? "" : " ") + raw_.tokens[pos_++].text;
    }
    return text;
  }
  int Number(const char* what) {
    const Token& t = Next(what);
    int value = 0;
    const auto [end, ec] = std::from_chars(t.text.data(), t.text.data() + t.text.size(), value);
    if (t.quoted || ec != std::errc() || end != t.text.data() + t.text.size()) {
      Fail(std::string(what) + " expected, not '" + t.text + "'");
    }
    return value;
  }
  void End() {
    if (!AtEnd()) Fail("unexpected '" + raw_.tokens[pos_].text + "'");
  }

 private:
  const RawStatement& raw_;
  size_t pos_ = 0;
};

bool IsNumber(const Token& t) {
  return !t.quoted && !t.text.empty() &&
         t.text.find_first_not_of("0123456789") == std::string::npos;
}

void ParseExpect(Reader& r, ScriptStatement& s) {
  using S = ScriptStatement;
  if (r.Accept("form")) {
    s.kind = S::ExpectForm;
    if (r.Accept("with")) r.Require("caption");
    s.text = r.Rest("caption");
    s.hasText = true;
    return;
  }
  if (r.Accept("message")) {
    s.kind = S::ExpectMessage;
    r.Accept("box");
    r.Accept("containing");
    if (!r.AtEnd()) {
      s.text = r.Rest("text");
      s.hasText = true;
    }
    return;
  }
  if (r.Accept("folder")) {
    s.kind = S::ExpectFolder;
    r.Accept("browser");
    if (r.Accept("with")) r.Require("caption");
    if (!r.AtEnd()) {
      s.text = r.Rest("caption");
      s.hasText = true;
    }
    return;
  }
  s.kind = S::ExpectState;
  s.control = r.Next("control name").text;
  static const std::pair<const char*, S::State> kStates[] = {
      {"enabled", S::Enabled},     {"disabled", S::Disabled}, {"checked", S::Checked},
      {"unchecked", S::Unchecked}, {"visible", S::Visible},   {"hidden", S::Hidden},
      {"focused", S::Focused},     {"text", S::Text},         {"items", S::Items}};
  for (const auto& [word, state] : kStates) {
    if (!r.Accept(word)) continue;
    s.state = state;
    if (state == S::Text) {
      s.text = r.Rest("text");
      s.hasText = true;
    } else if (state == S::Items) {
      s.number = r.Number("item count");
    }
    r.End();
    return;
  }
  r.Fail("state expected");
}

void ParseSelect(Reader& r, ScriptStatement& s) {
  if (r.Accept("item")) {
    s.kind = ScriptStatement::SelectIndex;
    s.number = r.Number("item number");
    r.Require("of");
    s.control = r.Next("control name").text;
    return;
  }
  s.control = r.Next("control name").text;
  const Token& item = r.Next("item");
  if (IsNumber(item)) {
    s.kind = ScriptStatement::SelectIndex;
    const char* end = item.text.data() + item.text.size();
    const auto [stop, ec] = std::from_chars(item.text.data(), end, s.number);
    if (ec != std::errc() || stop != end) r.Fail("item number too large");
  } else {
    s.kind = ScriptStatement::SelectText;
    s.text = item.text;
    s.hasText = true;
  }
}

ScriptStatement Parse(const RawStatement& raw) {
  using S = ScriptStatement;
  Reader r(raw);
  S s;
  s.line = raw.line;
  s.source = raw.source;
  if (r.Accept("expect")) {
    ParseExpect(r, s);
  } else if (r.Accept("set")) {
    s.kind = S::SetText;
    s.control = r.Next("control name").text;
    r.Require("to");
    s.text = r.Rest("text");
    s.hasText = true;
  } else if (r.Accept("select")) {
    ParseSelect(r, s);
  } else if (r.Accept("check") || r.Accept("click") || r.Accept("focus")) {
    const std::string& verb = raw.tokens[0].text;
    s.kind = SameText(verb, "check") ? S::Check : SameText(verb, "click") ? S::Click : S::Focus;
    s.control = r.Next("control name").text;
  } else if (r.Accept("press")) {
    if (r.Accept("enter"))
      s.kind = S::PressEnter;
    else if (r.Accept("escape"))
      s.kind = S::PressEscape;
    else if (r.Accept("tab"))
      s.kind = S::PressTab;
    else if (r.Accept("shift-tab"))
      s.kind = S::PressShiftTab;
    else
      r.Fail("enter, escape, tab or shift-tab expected");
  } else if (r.Accept("answer")) {
    s.kind = S::Answer;
    const Token& t = r.Next("answer");
    s.number = t.quoted ? -1 : ParseAnswer(t.text);
    if (s.number < 0) r.Fail("unknown answer '" + t.text + "'");
  } else if (r.Accept("close")) {
    s.kind = S::Close;
  } else if (r.Accept("choose")) {
    s.kind = S::Choose;
    s.text = r.Rest("path");
    s.hasText = true;
  } else if (r.Accept("cancel")) {
    s.kind = S::CancelFolder;
  } else {
    r.Fail("unknown statement");
  }
  r.End();
  return s;
}

}  // namespace

std::vector<ScriptStatement> ParseScript(std::string_view script) {
  std::vector<ScriptStatement> out;
  for (const RawStatement& raw : Tokenize(script)) out.push_back(Parse(raw));
  return out;
}
