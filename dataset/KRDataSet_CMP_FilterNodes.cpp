#include "dataset/KRDataSet_CMP_FilterNodes.h"

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Filter.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "platform/text/Utf.h"

// TKRFilterNode

std::unique_ptr<TKRFilterNode> TKRFilterNode::ReplaceChild(const TKRFilterNode& oldChild,
                                                           std::unique_ptr<TKRFilterNode>&& newChild) {
  std::unique_ptr<TKRFilterNode>& place = ChildPlace(oldChild);
  CheckPlaceable(newChild.get());
  std::unique_ptr<TKRFilterNode> old = std::move(place);
  old->FParent = nullptr;
  place = std::move(newChild);
  if (place != nullptr) place->FParent = this;
  return old;
}

std::unique_ptr<TKRFilterNode> TKRFilterNode::Detach() {
  if (FParent != nullptr) {
    std::unique_ptr<TKRFilterNode> self = std::move(FParent->ChildPlace(*this));
    FParent = nullptr;
    return self;
  }
  if (FFilter.FRoot.get() == this) return std::move(FFilter.FRoot);
  throw EKRDatabaseError("The filter node is not part of the filter");
}

std::unique_ptr<TKRFilterNode>& TKRFilterNode::ChildPlace(const TKRFilterNode&) {
  throw EKRDatabaseError("The filter node is not a child of this node");
}

void TKRFilterNode::SetChild(std::unique_ptr<TKRFilterNode>& place,
                             std::unique_ptr<TKRFilterNode>&& child) {
  CheckPlaceable(child.get());
  place = std::move(child);
  if (place != nullptr) place->FParent = this;
}

void TKRFilterNode::CheckBelongsTo(const TKRFilter& filter) const {
  if (&FFilter != &filter) throw EKRDatabaseError("The filter node belongs to another filter");
}

void TKRFilterNode::CheckPlaceable(const TKRFilterNode* node) const {
  if (node == nullptr) return;
  node->CheckBelongsTo(FFilter);
  for (const TKRFilterNode* above = this; above != nullptr; above = above->FParent) {
    if (above == node) throw EKRDatabaseError("A filter node cannot be placed below itself");
  }
}

bool TKRFilterNode::ChildrenAreEqual(const std::unique_ptr<TKRFilterNode>& a,
                                     const std::unique_ptr<TKRFilterNode>& b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->NodesAreEqual(*b);
}

std::unique_ptr<TKRFilterNode> TKRFilterNode::CopyChild(
    const std::unique_ptr<TKRFilterNode>& child, TKRFilter& filter) {
  return child != nullptr ? child->CopyNode(filter) : nullptr;
}

// TKRIndexFilterNode

void TKRIndexFilterNode::SetSubFilter(std::unique_ptr<TKRFilterNode>&& node) {
  SetChild(FSubFilter, std::move(node));
}

TKRAPICondition TKRIndexFilterNode::GetAsAPICondition() const {
  if (FSubFilter == nullptr) return {};
  TKRAPICondition sub = FSubFilter->GetAsAPICondition();
  const std::u16string indexName = Utf8ToUtf16(FIndexName);
  TKRAPICondition made(KRAPI().KSMakeContainsFieldAsCondition(
      indexName.c_str(), sub.Get(), ConvertToAPIBoolean(FMode == 1)));
  if (made.IsEmpty()) {
    throw EKRDatabaseError("The filter condition on the index '" + FIndexName +
                           "' cannot be made");
  }
  (void)sub.Detach();  // taken over by the new condition
  return made;
}

std::unique_ptr<TKRFilterNode> TKRIndexFilterNode::CopyNode(TKRFilter& filter) const {
  auto copy = std::make_unique<TKRIndexFilterNode>(filter);
  copy->FIndexName = FIndexName;
  copy->FMode = FMode;
  copy->SetSubFilter(CopyChild(FSubFilter, filter));
  return copy;
}

bool TKRIndexFilterNode::NodesAreEqual(const TKRFilterNode& other) const {
  const auto* index = dynamic_cast<const TKRIndexFilterNode*>(&other);
  return index != nullptr && index->FIndexName == FIndexName && index->FMode == FMode &&
         ChildrenAreEqual(FSubFilter, index->FSubFilter);
}

std::unique_ptr<TKRFilterNode>& TKRIndexFilterNode::ChildPlace(const TKRFilterNode& child) {
  if (FSubFilter.get() == &child) return FSubFilter;
  return TKRFilterNode::ChildPlace(child);
}

// TKRLogicalFilterNode

TKRLogicalFilterNode::TKRLogicalFilterNode(TKRFilter& filter, TKRLogicalOperator op)
    : TKRFilterNode(filter), FOperator(krloAnd) {
  SetOperator(op);
}

void TKRLogicalFilterNode::SetOperator(TKRLogicalOperator value) {
  if (value != krloAnd && value != krloOr) {
    throw EKRDatabaseError("Invalid logical operator " + std::to_string(int(value)));
  }
  FOperator = value;
}

TKRAPICondition TKRLogicalFilterNode::GetAsAPICondition() const {
  if (FLeft == nullptr || FRight == nullptr) return {};
  TKRAPICondition left = FLeft->GetAsAPICondition();
  TKRAPICondition right = FRight->GetAsAPICondition();
  if (left.IsEmpty() && right.IsEmpty()) return {};
  const TKRAPITable& api = KRAPI();
  TKRAPICondition made(FOperator == krloAnd ? api.KSMakeANDConditions(left.Get(), right.Get())
                                            : api.KSMakeORConditions(left.Get(), right.Get()));
  if (made.IsEmpty()) throw EKRDatabaseError("The filter's conditions cannot be joined");
  // Both were taken over by the new condition.
  (void)left.Detach();
  (void)right.Detach();
  return made;
}

std::unique_ptr<TKRFilterNode> TKRLogicalFilterNode::CopyNode(TKRFilter& filter) const {
  auto copy = std::make_unique<TKRLogicalFilterNode>(filter, FOperator);
  copy->SetLeft(CopyChild(FLeft, filter));
  copy->SetRight(CopyChild(FRight, filter));
  return copy;
}

bool TKRLogicalFilterNode::NodesAreEqual(const TKRFilterNode& other) const {
  const auto* logical = dynamic_cast<const TKRLogicalFilterNode*>(&other);
  return logical != nullptr && logical->FOperator == FOperator &&
         ChildrenAreEqual(FLeft, logical->FLeft) && ChildrenAreEqual(FRight, logical->FRight);
}

std::unique_ptr<TKRFilterNode>& TKRLogicalFilterNode::ChildPlace(const TKRFilterNode& child) {
  if (FLeft.get() == &child) return FLeft;
  if (FRight.get() == &child) return FRight;
  return TKRFilterNode::ChildPlace(child);
}
