#include "kestrel/engine/Condition.h"

#include <unicode/regex.h>

#include "kestrel/engine/Text.h"

namespace kestrel {

struct Condition::Pattern {
  std::unique_ptr<icu::RegexPattern> compiled;
};

namespace {

// Matching steps a regular expression may take on one text (about a second of work); an
// expression that backtracks without end gives up instead of holding the library.
constexpr int32_t kMatchStepLimit = 1000;

bool Holds(int32_t op, int order) {
  switch (op) {
    case 0:
      return order < 0;
    case 1:
      return order <= 0;
    case 2:
      return order == 0;
    case 3:
      return order != 0;
    case 4:
      return order >= 0;
    default:
      return order > 0;
  }
}

// Numbers compare with numbers, texts with texts, bytes with bytes.
int KindOf(const Value& v) {
  return std::holds_alternative<double>(v) ? 1 : static_cast<int>(v.index());
}

}  // namespace

struct BoundCondition::Node {
  Condition::Kind kind = Condition::Kind::kCompare;
  Condition::Target target = Condition::Target::kValue;
  int32_t op = 2;
  FieldPath field;
  FieldPath other;
  Value value;
  std::unique_ptr<icu::RegexMatcher> matcher;
  std::unique_ptr<Node> left;
  std::unique_ptr<Node> right;
  const FieldDef* link = nullptr;
  bool every = false;
  Value scratch;
  Value otherScratch;
};

ConditionPtr Condition::Compare(std::string field, int32_t op, Target target, Value value) {
  auto c = std::make_shared<Condition>();
  c->field = std::move(field);
  c->op = op;
  c->target = target;
  c->value = std::move(value);
  const auto* text = std::get_if<std::u16string>(&c->value);
  if (target != Target::kValue && text == nullptr) {
    c->error = KS_ERR_INVALID_ARGUMENT;
  } else if (target == Target::kPattern) {
    if (op != 2 && op != 3) {
      c->error = KS_ERR_INVALID_ARGUMENT;
    } else {
      UErrorCode status = U_ZERO_ERROR;
      const icu::UnicodeString source(text->data(), static_cast<int32_t>(text->size()));
      auto pattern = std::make_shared<Pattern>();
      pattern->compiled.reset(icu::RegexPattern::compile(source, 0, status));
      if (U_FAILURE(status) || !pattern->compiled)
        c->error = KS_ERR_INVALID_PATTERN;
      else
        c->pattern = std::move(pattern);
    }
  }
  return c;
}

ConditionPtr Condition::Both(Kind kind, ConditionPtr left, ConditionPtr right) {
  auto c = std::make_shared<Condition>();
  c->kind = kind;
  c->left = std::move(left);
  c->right = std::move(right);
  return c;
}

ConditionPtr Condition::Contains(std::string link, ConditionPtr linked, bool every) {
  auto c = std::make_shared<Condition>();
  c->kind = Kind::kContains;
  c->link = std::move(link);
  c->left = std::move(linked);
  c->every = every;
  return c;
}

namespace {

KSStatus BindNode(const Schema& schema, const ClassDef& cls, const Condition& c, bool inVersion,
                  std::unique_ptr<BoundCondition::Node>& out) {
  if (c.error != KS_OK) return c.error;
  auto node = std::make_unique<BoundCondition::Node>();
  node->kind = c.kind;
  switch (c.kind) {
    case Condition::Kind::kAnd:
    case Condition::Kind::kOr:
      if (const KSStatus s = BindNode(schema, cls, *c.left, inVersion, node->left); s != KS_OK)
        return s;
      if (const KSStatus s = BindNode(schema, cls, *c.right, inVersion, node->right); s != KS_OK)
        return s;
      break;
    case Condition::Kind::kContains: {
      const int at = FindFieldIndex(cls, c.link);
      if (at < 0 || cls.allFields[static_cast<size_t>(at)].type != type::kLinks)
        return KS_ERR_NO_SUCH_INDEX;
      node->link = &cls.allFields[static_cast<size_t>(at)];
      node->every = c.every;
      const ClassDef* linked = schema.FindClass(node->link->referencedClass);
      if (linked == nullptr) return KS_ERR_NO_SUCH_INDEX;
      if (c.left)
        if (const KSStatus s = BindNode(schema, *linked, *c.left, inVersion, node->left); s != KS_OK)
          return s;
      break;
    }
    case Condition::Kind::kCompare: {
      node->op = c.op;
      node->target = c.target;
      if (const KSStatus s = FieldPath::Resolve(schema, cls, c.field, inVersion, node->field);
          s != KS_OK)
        return s;
      const Value& read = NullAsRead(node->field.Type());
      if (c.target == Condition::Target::kField) {
        const std::string other = ToUtf8(std::get<std::u16string>(c.value));
        if (const KSStatus s = FieldPath::Resolve(schema, cls, other, inVersion, node->other);
            s != KS_OK)
          return s;
        if (KindOf(read) != KindOf(NullAsRead(node->other.Type()))) return KS_ERR_INVALID_ARGUMENT;
      } else if (c.target == Condition::Target::kPattern) {
        if (node->field.Type() != type::kString) return KS_ERR_INVALID_ARGUMENT;
        UErrorCode status = U_ZERO_ERROR;
        node->matcher.reset(c.pattern->compiled->matcher(status));
        if (U_FAILURE(status)) return KS_ERR_INTERNAL;
        node->matcher->setTimeLimit(kMatchStepLimit, status);
      } else {
        if (KindOf(read) != KindOf(c.value)) return KS_ERR_INVALID_ARGUMENT;
        node->value = c.value;
      }
      break;
    }
  }
  out = std::move(node);
  return KS_OK;
}

bool TestNode(BoundCondition::Node& n, ReadContext& context, RecordID id, const Record& record,
              KSStatus& failure) {
  switch (n.kind) {
    case Condition::Kind::kAnd:
      return TestNode(*n.left, context, id, record, failure) &&
             TestNode(*n.right, context, id, record, failure);
    case Condition::Kind::kOr:
      return TestNode(*n.left, context, id, record, failure) ||
             TestNode(*n.right, context, id, record, failure);
    case Condition::Kind::kContains: {
      for (const RecordID linked : LinkedRecords(context, *n.link, id, record)) {
        const Record* r = context.GetView().Find(linked);
        if (r == nullptr) continue;
        const bool satisfies = !n.left || TestNode(*n.left, context, linked, *r, failure);
        if (satisfies != n.every) return !n.every;
      }
      return n.every;
    }
    case Condition::Kind::kCompare:
      break;
  }
  const Value& value = n.field.Read(context, id, record, n.scratch);
  switch (n.target) {
    case Condition::Target::kValue:
      return Holds(n.op, CompareRead(value, n.value));
    case Condition::Target::kField:
      return Holds(n.op, CompareRead(value, n.other.Read(context, id, record, n.otherScratch)));
    case Condition::Target::kPattern:
      break;
  }
  const std::u16string& text = std::get<std::u16string>(value);
  // An alias of the stored text: nothing is copied.
  const icu::UnicodeString alias(false, text.data(), static_cast<int32_t>(text.size()));
  n.matcher->reset(alias);
  UErrorCode status = U_ZERO_ERROR;
  const bool found = n.matcher->find(0, status);
  if (U_FAILURE(status)) {
    failure = KS_ERR_INVALID_PATTERN;
    return false;
  }
  return found == (n.op == 2);
}

}  // namespace

KSStatus BoundCondition::Bind(const Schema& schema, const ClassDef& cls, const Condition& condition,
                              bool inVersion, std::unique_ptr<BoundCondition>& out) {
  std::unique_ptr<Node> root;
  if (const KSStatus s = BindNode(schema, cls, condition, inVersion, root); s != KS_OK) return s;
  out.reset(new BoundCondition());
  out->root_ = std::move(root);
  return KS_OK;
}

BoundCondition::~BoundCondition() = default;

bool BoundCondition::Test(ReadContext& context, RecordID id, const Record& record) {
  return TestNode(*root_, context, id, record, failure_);
}

}  // namespace kestrel
