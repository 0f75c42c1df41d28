#include "dataset/KRDataSet_CMP_Filter.h"

#include "dataset/KRDataSet_CMP_FilterStream.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Filer.h"

TKRFilter::TKRFilter(TKRFilterTable* table) : FTable(table) {}

TKRFilter::~TKRFilter() = default;

TPersistent* TKRFilter::GetOwner() const { return dynamic_cast<TPersistent*>(FTable); }

void TKRFilter::Assign(const TPersistent& source) {
  if (const auto* other = dynamic_cast<const TKRFilter*>(&source)) {
    if (other != this) SetRoot(other->IsEmpty() ? nullptr : other->FRoot->CopyNode(*this));
    return;
  }
  TPersistent::Assign(source);
}

void TKRFilter::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  filer.DefineProperty(
      "Nodes", [this](TReader& reader) { ReadFilterNodes(reader, *this); },
      [this](TWriter& writer) { WriteFilterNodes(writer, *this); }, !IsEmpty());
}

bool TKRFilter::IsTableStreamingIn() const {
  const auto* component = dynamic_cast<const TComponent*>(FTable);
  return component != nullptr && component->ComponentState().Contains(csLoading);
}

TKRFieldFilterNode& TKRFilter::Add(TKRLogicalOperator op) {
  auto field = std::make_unique<TKRFieldFilterNode>(*this);
  TKRFieldFilterNode& added = *field;
  if (IsEmpty()) {
    FRoot = std::move(field);
    return added;
  }
  auto logical = std::make_unique<TKRLogicalFilterNode>(*this, op);
  logical->SetLeft(std::move(FRoot));
  logical->SetRight(std::move(field));
  FRoot = std::move(logical);
  return added;
}

void TKRFilter::SetRoot(std::unique_ptr<TKRFilterNode>&& root) {
  if (root != nullptr) root->CheckBelongsTo(*this);
  FRoot = std::move(root);
}

void TKRFilter::DeleteNode(TKRFilterNode& node) {
  const std::unique_ptr<TKRFilterNode> removed = node.Detach();
}

bool TKRFilter::Equals(const TKRFilter& other) const {
  if (IsEmpty() || other.IsEmpty()) return IsEmpty() == other.IsEmpty();
  return FRoot->NodesAreEqual(*other.FRoot);
}

TKRAPICondition TKRFilter::GetAsAPICondition() const {
  return IsEmpty() ? TKRAPICondition() : FRoot->GetAsAPICondition();
}
