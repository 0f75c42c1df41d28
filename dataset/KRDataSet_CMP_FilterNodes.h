#pragma once
// The nodes of a filter's tree (TKRFilter, KRDataSet_CMP_Filter.h): field
// nodes compare one field, index nodes apply a sub-filter to the records
// linked through a link field, logical nodes join two nodes with AND or OR.
//
// Ownership: a node belongs to one filter for its whole life and is owned by
// exactly one place: its parent, the filter (the root), or the caller's
// std::unique_ptr while it is detached. Destroying a node destroys its
// children; Detach takes a node out of its place (the place becomes empty)
// and ReplaceChild puts another node there. A node is only ever placed in
// its own filter's tree, and never below itself (EKRDatabaseError); the
// operations that place a node take it by rvalue reference, so that a
// refused node stays with the caller.
//
// Conditions: GetAsAPICondition answers the node's Database API condition,
// owned by the caller (TKRAPICondition), or an empty one when the node gives
// none. A field or index node the API refuses to turn into a condition (no
// field or index name, a type without values) raises EKRDatabaseError rather
// than being left out, which would widen the filter silently.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "dataset/KRDataSet_CMP_Condition.h"
#include "platform/com/Variant.h"

class TKRFilter;
class TKRFilterTable;

enum TKRFilterNodeKind { krfnkField, krfnkIndex, krfnkLogical };

// How a logical node joins its children.
enum TKRLogicalOperator : uint8_t { krloAnd = 0, krloOr = 1 };

class TKRFilterNode {
 public:
  virtual ~TKRFilterNode() = default;
  TKRFilterNode(const TKRFilterNode&) = delete;
  TKRFilterNode& operator=(const TKRFilterNode&) = delete;

  TKRFilter& Filter() const { return FFilter; }
  // None for the root and for a detached node.
  TKRFilterNode* Parent() const { return FParent; }
  virtual TKRFilterNodeKind Kind() const = 0;

  virtual TKRAPICondition GetAsAPICondition() const = 0;
  // A copy of this node and its children, belonging to `filter`.
  virtual std::unique_ptr<TKRFilterNode> CopyNode(TKRFilter& filter) const = 0;
  // Same class, names, operators, modes, null flags, types and values, and
  // children equal in the same places.
  virtual bool NodesAreEqual(const TKRFilterNode& other) const = 0;

  // Puts `newChild` (null leaves the place empty) where the child `oldChild`
  // is and answers `oldChild`, detached. EKRDatabaseError when `oldChild` is
  // no child of this node or `newChild` may not be placed here.
  std::unique_ptr<TKRFilterNode> ReplaceChild(const TKRFilterNode& oldChild,
                                              std::unique_ptr<TKRFilterNode>&& newChild);
  // Takes this node out of its parent (or, for the root, out of the filter)
  // and hands it to the caller. EKRDatabaseError for a detached node.
  [[nodiscard]] std::unique_ptr<TKRFilterNode> Detach();

 protected:
  explicit TKRFilterNode(TKRFilter& filter) : FFilter(filter) {}

  // The place that owns `child`; EKRDatabaseError when it is not a child.
  virtual std::unique_ptr<TKRFilterNode>& ChildPlace(const TKRFilterNode& child);
  // Puts `child` into `place`, one of this node's places, destroying what
  // was there.
  void SetChild(std::unique_ptr<TKRFilterNode>& place, std::unique_ptr<TKRFilterNode>&& child);
  // Both empty, or both there and equal.
  static bool ChildrenAreEqual(const std::unique_ptr<TKRFilterNode>& a,
                               const std::unique_ptr<TKRFilterNode>& b);
  static std::unique_ptr<TKRFilterNode> CopyChild(const std::unique_ptr<TKRFilterNode>& child,
                                                  TKRFilter& filter);

 private:
  friend class TKRFilter;

  // EKRDatabaseError unless this node belongs to `filter`.
  void CheckBelongsTo(const TKRFilter& filter) const;
  // EKRDatabaseError unless `node` belongs to this node's filter and is
  // neither this node nor one above it.
  void CheckPlaceable(const TKRFilterNode* node) const;

  TKRFilter& FFilter;
  TKRFilterNode* FParent = nullptr;
};

// How a field node keeps a value of an API field type (see below); None for
// the types that keep no value.
enum class TKRFilterValueKind { None, RecordID, Boolean, Integer, Duration, Float, Stamp, Text };
TKRFilterValueKind FilterValueKindOf(int32_t fieldType);

// A comparison of one field with a value, a regular expression or another
// field. The value is kept as the Database API expects it for the node's API
// field type:
//
//   type         stored as                          null value
//   1, 11        record ID                          -1
//   2            API boolean                        (none: any value counts)
//   3, 7, 8, 10  integer                            0
//   4            integer (seconds)                  2147483647
//   5, 15        float                              0.0
//   6            UTC time stamp of the date-time    0
//   9            text                               empty text
//
// Assigning a type's null value leaves the node null; other types keep no
// value (the node stays null). A text is stored as it is for a literal node
// (as its anchored expression when the node ignores case or matches the
// start), as the name of the field compared with for a compare-with-field
// node (empty when the describing table has no such field), and otherwise as
// the regular expression of the pattern entered (ConvertToRegularExpression);
// the text entered is kept for reading back.
class TKRFieldFilterNode : public TKRFilterNode {
 public:
  explicit TKRFieldFilterNode(TKRFilter& filter) : TKRFilterNode(filter) {}

  TKRFilterNodeKind Kind() const override { return krfnkField; }

  const std::string& FieldName() const { return FFieldName; }
  // When different, stores the name and sets the type from the table's
  // description of the field: 1 for the identifier field, 8 for the count
  // pseudo field, else the description's type (a compare-with-field node
  // stays 9). EKRDatabaseError "Unknown field '<name>'" when the table has no
  // such field. The type is kept as it is (set it with SetFieldType) in a
  // filter without a table, while the table is being streamed in, and below
  // an index node, whose sub-filter names fields of the linked class.
  void SetFieldName(const std::string& value);
  TKRAPIConditionOperator Operator() const { return FOperator; }
  // EKRDatabaseError for a value that is no operator.
  void SetOperator(TKRAPIConditionOperator value);
  int32_t FieldType() const { return FFieldType; }
  // When different, stores the type and clears the value; a type other than
  // 9 ends comparing with a field.
  void SetFieldType(int32_t value);
  bool IsNull() const { return FIsNull; }
  // Whether a text is compared as it is (no pattern conversion). Changing it
  // stores the entered text again.
  bool Literal() const { return FLiteral; }
  void SetLiteral(bool value);
  // How a literal text matches: by default the whole value, case and all.
  // IgnoreCase matches it without regard to case, MatchStart at the start of
  // the value only; either makes the node compare with the anchored
  // expression of the text (ConvertToKeyExpression), in which pattern syntax
  // stands for itself. Both leave pattern and field-name nodes alone;
  // changing them stores the entered text again.
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool value);
  bool MatchStart() const { return FMatchStart; }
  void SetMatchStart(bool value);
  // Whether the text names another field to compare with. Setting it makes
  // the node's type 9; changing it stores the entered text again.
  bool CompareWithField() const { return FCompareWithField; }
  void SetCompareWithField(bool value);
  const std::u16string& EnteredText() const { return FEnteredText; }
  const std::u16string& ComparedFieldName() const { return FComparedFieldName; }

  // Null for a null node; else an integer (types 1, 3, 4, 7, 8, 10, 11), a
  // boolean (2), a float (5, 15), a date-time (6), or for 9 the entered text
  // (the compared field's name for a compare-with-field node).
  OleVariant GetFieldValue() const;
  // Empty and null leave the node null; other values are converted for the
  // type as above. A value that does not convert raises (EVariantError) and
  // leaves the node as it was.
  void SetFieldValue(const OleVariant& value);
  // The type's null value; the node becomes null and forgets the entered text.
  void ClearFieldValue();

  // The value as the API takes it (type and value; a text stays valid until
  // the node's value changes).
  KSField GetAPIFieldValue() const;
  // A field for a compare-with-field node, a regular expression for a text
  // node holding a pattern or a literal that ignores case or matches the
  // start, a value otherwise (a null text node finds the nulls).
  TKRAPICompareAgainst CompareAgainst() const;

  // KSMakeNewCondition(field name, operator, value, CompareAgainst()).
  TKRAPICondition GetAsAPICondition() const override;
  std::unique_ptr<TKRFilterNode> CopyNode(TKRFilter& filter) const override;
  bool NodesAreEqual(const TKRFilterNode& other) const override;

 private:
  using TValue = std::variant<std::monostate, int32_t, double, std::u16string>;

  void StoreText(const std::u16string& text);
  // True when a text is stored as a regular expression.
  bool StoresExpression() const;
  // Stores the entered text again after a flag changed.
  void RestoreText();
  // Sets one of the flags that decide how a text is stored.
  void SetTextFlag(bool& flag, bool value);
  // False when the describing table has no field named `name`.
  bool CheckValueFieldName(const std::u16string& name) const;
  // The table that describes this node's fields, none where SetFieldName
  // keeps the type.
  TKRFilterTable* DescribingTable() const;

  std::string FFieldName;
  TKRAPIConditionOperator FOperator = krapicoEqual;
  int32_t FFieldType = 0;
  bool FIsNull = true;
  bool FLiteral = false;
  bool FIgnoreCase = false;
  bool FMatchStart = false;
  bool FCompareWithField = false;
  TValue FValue;
  std::u16string FEnteredText;
  std::u16string FComparedFieldName;
};

// The records whose link field `IndexName` leads to linked records that
// satisfy the sub-filter: some of them (mode 0) or all of them (mode 1, which
// a record without linked records satisfies too).
class TKRIndexFilterNode : public TKRFilterNode {
 public:
  explicit TKRIndexFilterNode(TKRFilter& filter) : TKRFilterNode(filter) {}

  TKRFilterNodeKind Kind() const override { return krfnkIndex; }

  const std::string& IndexName() const { return FIndexName; }
  void SetIndexName(const std::string& value) { FIndexName = value; }
  uint8_t Mode() const { return FMode; }
  void SetMode(uint8_t value) { FMode = value; }
  TKRFilterNode* SubFilter() const { return FSubFilter.get(); }
  // Puts `node` (detached, or null) below this node; the old sub-filter is
  // destroyed.
  void SetSubFilter(std::unique_ptr<TKRFilterNode>&& node);

  // Empty without a sub-filter; else KSMakeContainsFieldAsCondition(index
  // name, the sub-filter's condition, mode = 1).
  TKRAPICondition GetAsAPICondition() const override;
  std::unique_ptr<TKRFilterNode> CopyNode(TKRFilter& filter) const override;
  bool NodesAreEqual(const TKRFilterNode& other) const override;

 protected:
  std::unique_ptr<TKRFilterNode>& ChildPlace(const TKRFilterNode& child) override;

 private:
  std::string FIndexName;
  uint8_t FMode = 0;
  std::unique_ptr<TKRFilterNode> FSubFilter;
};

// Two nodes joined by AND or OR.
class TKRLogicalFilterNode : public TKRFilterNode {
 public:
  explicit TKRLogicalFilterNode(TKRFilter& filter, TKRLogicalOperator op = krloAnd);

  TKRFilterNodeKind Kind() const override { return krfnkLogical; }

  TKRLogicalOperator Operator() const { return FOperator; }
  // EKRDatabaseError for a value that is neither AND nor OR.
  void SetOperator(TKRLogicalOperator value);
  TKRFilterNode* Left() const { return FLeft.get(); }
  TKRFilterNode* Right() const { return FRight.get(); }
  // Put `node` (detached, or null) on that side; the old child is destroyed.
  void SetLeft(std::unique_ptr<TKRFilterNode>&& node) { SetChild(FLeft, std::move(node)); }
  void SetRight(std::unique_ptr<TKRFilterNode>&& node) { SetChild(FRight, std::move(node)); }

  // With both children KSMakeANDConditions / KSMakeORConditions of their
  // conditions (a child that gives none leaves the other's); empty otherwise.
  TKRAPICondition GetAsAPICondition() const override;
  std::unique_ptr<TKRFilterNode> CopyNode(TKRFilter& filter) const override;
  bool NodesAreEqual(const TKRFilterNode& other) const override;

 protected:
  std::unique_ptr<TKRFilterNode>& ChildPlace(const TKRFilterNode& child) override;

 private:
  TKRLogicalOperator FOperator;
  std::unique_ptr<TKRFilterNode> FLeft;
  std::unique_ptr<TKRFilterNode> FRight;
};
