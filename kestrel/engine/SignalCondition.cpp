#include "kestrel/engine/SignalCondition.h"

#include "kestrel/engine/FieldPath.h"
#include "kestrel/engine/Text.h"

namespace kestrel {

// A parsed condition: the terms of the grammar, with argument references left open.
struct SignalCondition::Term {
  enum class Kind { kAnd, kOr, kCompare, kIn, kMatches, kContains };
  enum class Operand { kValue, kNull, kArgument, kField };

  Kind kind = Kind::kCompare;
  std::string path;  // kCompare, kIn, kMatches: the field; kContains: the link
  int32_t op = 2;    // kCompare; kMatches: 2 matches, 3 does not
  Operand operand = Operand::kValue;
  Value value;                        // kValue
  size_t argument = 0;                // kArgument, and kIn
  std::string field;                  // kField
  bool every = false;                 // kContains
  std::unique_ptr<Term> left, right;  // kAnd, kOr; kContains: left (none: any record)
};

namespace {

using Term = SignalCondition::Term;
constexpr int kMaxDepth = 64;

bool IsPathChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '[' || c == ']';
}

bool SameWord(const std::string& word, const char* keyword) {
  size_t i = 0;
  for (; i < word.size() && keyword[i] != '\0'; ++i) {
    char c = word[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != keyword[i]) return false;
  }
  return i == word.size() && keyword[i] == '\0';
}

class SignalParser {
 public:
  SignalParser(const std::string& text, const std::vector<SignalArgDef>& arguments)
      : text_(text), arguments_(arguments) {}

  std::unique_ptr<Term> Parse() {
    Skip();
    if (pos_ == text_.size()) return nullptr;
    std::unique_ptr<Term> root = Or(0);
    Skip();
    if (pos_ != text_.size()) Fail("unexpected text");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw SignalConditionError(pos_ + 1, reason);
  }

  void Skip() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  bool Peek(char c) {
    Skip();
    return pos_ < text_.size() && text_[pos_] == c;
  }

  void Expect(char c) {
    if (!Peek(c)) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  // A path, keyword or argument name; "Count()" keeps its parentheses. Empty when none follows.
  std::string Word() {
    Skip();
    const size_t start = pos_;
    while (pos_ < text_.size() && IsPathChar(text_[pos_])) {
      ++pos_;
      if (text_.compare(pos_, 2, "()") == 0 && pos_ >= 5 &&
          text_.compare(pos_ - 5, 5, "Count") == 0)
        pos_ += 2;
    }
    return text_.substr(start, pos_ - start);
  }

  // Takes the keyword when it comes next.
  bool Keyword(const char* keyword) {
    const size_t start = pos_;
    if (SameWord(Word(), keyword)) return true;
    pos_ = start;
    return false;
  }

  int ArgumentIndex(const std::string& name) const {
    for (size_t i = 0; i < arguments_.size(); ++i)
      if (arguments_[i].name == name) return static_cast<int>(i);
    return -1;
  }

  std::unique_ptr<Term> Both(Term::Kind kind, std::unique_ptr<Term> left,
                             std::unique_ptr<Term> right) {
    auto t = std::make_unique<Term>();
    t->kind = kind;
    t->left = std::move(left);
    t->right = std::move(right);
    return t;
  }

  std::unique_ptr<Term> Or(int depth) {
    std::unique_ptr<Term> left = And(depth);
    while (Keyword("or")) left = Both(Term::Kind::kOr, std::move(left), And(depth));
    return left;
  }

  std::unique_ptr<Term> And(int depth) {
    std::unique_ptr<Term> left = Primary(depth);
    while (Keyword("and")) left = Both(Term::Kind::kAnd, std::move(left), Primary(depth));
    return left;
  }

  std::unique_ptr<Term> Primary(int depth) {
    if (depth >= kMaxDepth) Fail("the condition nests too deeply");
    if (Peek('(')) {
      ++pos_;
      std::unique_ptr<Term> inner = Or(depth + 1);
      Expect(')');
      return inner;
    }
    const bool any = Keyword("any");
    if (any || Keyword("every")) {
      auto t = std::make_unique<Term>();
      t->kind = Term::Kind::kContains;
      t->every = !any;
      t->path = Word();
      if (t->path.empty()) Fail("a link field expected");
      Expect('(');
      if (!Peek(')')) t->left = Or(depth + 1);
      Expect(')');
      return t;
    }
    auto t = std::make_unique<Term>();
    t->path = Word();
    if (t->path.empty()) Fail("a field expected");
    if (Keyword("in")) {
      t->kind = Term::Kind::kIn;
      const int arg = ArgumentIndex(Word());
      if (arg < 0 || !arguments_[size_t(arg)].isArray) Fail("an array argument expected");
      t->argument = size_t(arg);
      return t;
    }
    const bool negated = Keyword("not");
    if (negated || Keyword("matches")) {
      if (negated && !Keyword("matches")) Fail("'matches' expected");
      t->kind = Term::Kind::kMatches;
      t->op = negated ? 3 : 2;
      Operand(*t);
      const bool textArgument =
          t->operand == Term::Operand::kArgument && arguments_[t->argument].type == type::kString;
      if (!textArgument && !std::holds_alternative<std::u16string>(t->value))
        Fail("a text or text argument expected");
      return t;
    }
    t->op = Operator();
    Operand(*t);
    return t;
  }

  int32_t Operator() {
    Skip();
    static const char* const kOps[] = {"<=", "<>", ">=", "<", "=", ">"};
    static const int32_t kCodes[] = {1, 3, 4, 0, 2, 5};
    for (size_t i = 0; i < 6; ++i) {
      const std::string op = kOps[i];
      if (text_.compare(pos_, op.size(), op) == 0) {
        pos_ += op.size();
        return kCodes[i];
      }
    }
    Fail("a comparison operator expected");
  }

  void Operand(Term& t) {
    Skip();
    if (pos_ == text_.size()) Fail("a value expected");
    const char c = text_[pos_];
    if (c == '\'' || c == '"') {
      t.value = ToUtf16(Quoted(c));
      return;
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      t.value = Number();
      return;
    }
    const std::string word = Word();
    if (word.empty()) Fail("a value expected");
    if (SameWord(word, "null")) {
      t.operand = Term::Operand::kNull;
    } else if (SameWord(word, "true") || SameWord(word, "false")) {
      t.value = int32_t{SameWord(word, "true") ? 1 : 0};
    } else if (const int arg = ArgumentIndex(word); arg >= 0) {
      if (arguments_[size_t(arg)].isArray) Fail("an array argument cannot be compared");
      t.operand = Term::Operand::kArgument;
      t.argument = size_t(arg);
    } else {
      t.operand = Term::Operand::kField;
      t.field = word;
    }
  }

  std::string Quoted(char quote) {
    std::string out;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      if (text_[pos_] != quote) {
        out += text_[pos_];
      } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
        out += quote;
        ++pos_;
      } else {
        ++pos_;
        return out;
      }
    }
    Fail("the text is not closed");
  }

  Value Number() {
    const size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    bool fraction = false;
    while (pos_ < text_.size() &&
           ((text_[pos_] >= '0' && text_[pos_] <= '9') || text_[pos_] == '.')) {
      fraction = fraction || text_[pos_] == '.';
      ++pos_;
    }
    const std::string digits = text_.substr(start, pos_ - start);
    try {
      size_t used = 0;
      if (fraction) {
        const double d = std::stod(digits, &used);
        if (used == digits.size()) return d;
      } else {
        const long long n = std::stoll(digits, &used);
        if (used == digits.size() && n >= INT32_MIN && n <= INT32_MAX)
          return static_cast<int32_t>(n);
      }
    } catch (const std::exception&) {
    }
    pos_ = start;
    Fail("not a number");
  }

  const std::string& text_;
  const std::vector<SignalArgDef>& arguments_;
  size_t pos_ = 0;
};

// What a term comes to for some argument values: a condition, every record, or no record.
struct Built {
  enum class Holds { kSome, kAll, kNone };
  Holds holds = Holds::kAll;
  ConditionPtr condition;
};

class Builder {
 public:
  Builder(const Schema& schema, const std::vector<SignalArgument>& arguments, bool inVersion)
      : schema_(schema), arguments_(arguments), inVersion_(inVersion) {}

  // Throws the status of a path that does not resolve.
  Built Build(const Term& t, const ClassDef& cls) const {
    switch (t.kind) {
      case Term::Kind::kAnd:
      case Term::Kind::kOr:
        return Combine(t.kind == Term::Kind::kAnd, Build(*t.left, cls), Build(*t.right, cls));
      case Term::Kind::kContains:
        return Contains(t, cls);
      case Term::Kind::kIn: {
        Built result{Built::Holds::kNone, nullptr};
        for (const Value& element : arguments_[t.argument].elements)
          result = Combine(false, result,
                           Some(Condition::Compare(t.path, 2, Condition::Target::kValue, element)));
        return result;
      }
      case Term::Kind::kMatches:
      case Term::Kind::kCompare:
        break;
    }
    Condition::Target target =
        t.kind == Term::Kind::kMatches ? Condition::Target::kPattern : Condition::Target::kValue;
    Value value = t.value;
    if (t.operand == Term::Operand::kField) {
      target = Condition::Target::kField;
      value = ToUtf16(t.field);
    } else if (t.operand == Term::Operand::kArgument && !arguments_[t.argument].absent) {
      value = arguments_[t.argument].single;
    } else if (t.operand != Term::Operand::kValue) {
      value = NullAsRead(TypeOf(cls, t.path));
    }
    return Some(Condition::Compare(t.path, t.op, target, std::move(value)));
  }

 private:
  static Built Some(ConditionPtr c) { return Built{Built::Holds::kSome, std::move(c)}; }

  static Built Combine(bool both, Built a, Built b) {
    const Built::Holds absorbing = both ? Built::Holds::kNone : Built::Holds::kAll;
    if (a.holds == absorbing || b.holds == absorbing) return Built{absorbing, nullptr};
    if (a.holds != Built::Holds::kSome) return b;
    if (b.holds != Built::Holds::kSome) return a;
    return Some(Condition::Both(both ? Condition::Kind::kAnd : Condition::Kind::kOr,
                                std::move(a.condition), std::move(b.condition)));
  }

  Built Contains(const Term& t, const ClassDef& cls) const {
    const IndexDef* link = schema_.FindIndex(cls, t.path);
    const ClassDef* target = link ? schema_.LinkTarget(*link) : nullptr;
    if (target == nullptr) throw KSStatus{KS_ERR_NO_SUCH_INDEX};
    const Built inner = t.left ? Build(*t.left, *target) : Built{};
    switch (inner.holds) {
      case Built::Holds::kSome:
        return Some(Condition::Contains(t.path, inner.condition, t.every));
      case Built::Holds::kAll:
        return t.every ? Built{} : Some(Condition::Contains(t.path, nullptr, false));
      case Built::Holds::kNone:
        break;
    }
    // No linked record can satisfy it: "every" then holds for the records without links.
    if (!t.every) return Built{Built::Holds::kNone, nullptr};
    return Some(Condition::Compare(t.path + ".Count()", 2, Condition::Target::kValue, int32_t{0}));
  }

  int32_t TypeOf(const ClassDef& cls, const std::string& path) const {
    FieldPath field;
    const KSStatus status = FieldPath::Resolve(schema_, cls, path, inVersion_, field);
    if (status != KS_OK) throw status;
    return field.Type();
  }

  const Schema& schema_;
  const std::vector<SignalArgument>& arguments_;
  bool inVersion_;
};

}  // namespace

std::shared_ptr<const SignalCondition> SignalCondition::Parse(
    const std::string& text, const std::vector<SignalArgDef>& arguments) {
  std::shared_ptr<SignalCondition> parsed(new SignalCondition);
  parsed->root_ = SignalParser(text, arguments).Parse();
  return parsed;
}

SignalCondition::~SignalCondition() = default;

KSStatus SignalCondition::Instantiate(const Schema& schema, const ClassDef& cls,
                                      const std::vector<SignalArgument>& arguments, bool inVersion,
                                      ConditionPtr& condition, bool& never) const {
  condition = nullptr;
  never = false;
  if (!root_) return KS_OK;
  try {
    Built built = Builder(schema, arguments, inVersion).Build(*root_, cls);
    never = built.holds == Built::Holds::kNone;
    condition = std::move(built.condition);
    return KS_OK;
  } catch (const KSStatus status) {
    return status;
  }
}

}  // namespace kestrel
