#pragma once
// TKRFilter: the filter of a table, a tree of filter nodes
// (KRDataSet_CMP_FilterNodes.h) that becomes one Database API condition.
//
// Building: Add(op) appends a field node (the caller sets its name, operator
// and value): on an empty filter it becomes the root; otherwise a new logical
// node with operator `op` becomes the root, with the old root on its left and
// the new field node on its right. So f1, AND f2, OR f3 give
// ((f1 AND f2) OR f3). Other shapes are built with the nodes' own
// operations and SetRoot.
//
// Using: GetAsAPICondition answers the condition of the root (empty for an
// empty filter), owned by the caller. The cursor passes it to
// KSSetFilterCondition; Locate builds a filter of its own and passes its
// condition to KSGotoFirstMatch.
//
// Copying and comparing: Assign copies another filter's tree node by node;
// Equals compares two trees node by node (a table's Filter setter changes
// nothing for an equal filter).
//
// Streaming: the tree is kept as the defined property "Nodes" of the filter
// (under the table's "Filter"), written when the filter has a root; see
// KRDataSet_CMP_FilterStream.h for the format. A stream that cannot be read
// raises EReadError and leaves the filter as it was.

#include <memory>
#include <string>

#include "dataset/KRDataSet_CMP_FilterNodes.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"
#include "platform/vcl/Persistent.h"

// What a filter asks of the table it belongs to. TKRTable answers it; the
// table is also a TComponent, whose loading state tells that it is being
// streamed in.
class TKRFilterTable {
 public:
  // The description of the table's field `fieldName` (a path): a real one,
  // kKRIdentifierField or kKRCountField; null when the table has no such
  // field.
  virtual const KSFieldDescription* FindFieldDescription(const std::string& fieldName) = 0;

 protected:
  ~TKRFilterTable() = default;
};

// The API field type a field node takes from a description: 1 for the
// identifier field, 8 for the count pseudo field, else the description's.
int32_t FilterFieldTypeOf(const KSFieldDescription* description);

class TKRFilter : public TPersistent {
 public:
  // `table` must outlive the filter. A filter without a table (null) keeps
  // the field types its nodes are given and checks no field names.
  explicit TKRFilter(TKRFilterTable* table);
  ~TKRFilter() override;

  std::string_view ClassName() const override { return "TKRFilter"; }
  // The table, when it is a persistent object.
  TPersistent* GetOwner() const override;
  // Copies the tree of another TKRFilter; other sources go to the base.
  void Assign(const TPersistent& source) override;
  void DefineProperties(TFiler& filer) override;

  TKRFilterTable* Table() const { return FTable; }
  // True while the table is being read from a component stream.
  bool IsTableStreamingIn() const;

  TKRFilterNode* Root() const { return FRoot.get(); }
  bool IsEmpty() const { return FRoot == nullptr; }
  TKRFieldFilterNode& Add(TKRLogicalOperator op);
  // Makes `root` (a detached node of this filter, or null) the root; the old
  // tree is destroyed. EKRDatabaseError for a node of another filter.
  void SetRoot(std::unique_ptr<TKRFilterNode>&& root);
  // Destroys `node` (a node of this filter's tree) with its children; its
  // place becomes empty.
  void DeleteNode(TKRFilterNode& node);
  // Destroys the whole tree.
  void Clear() { FRoot.reset(); }
  bool Equals(const TKRFilter& other) const;

  TKRAPICondition GetAsAPICondition() const;

 private:
  friend class TKRFilterNode;

  TKRFilterTable* FTable;
  std::unique_ptr<TKRFilterNode> FRoot;
};
