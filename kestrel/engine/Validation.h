// The checks of a commit. `merged` is the committing transaction's view (its changes over its
// parent's current view: what the parent will show after the commit), `parent` that parent's
// current view, `changes` the transaction's layer. Findings, in record order:
// - errors: required fields without a value (KS_ERR_REQUIRED_FIELD), references and stored
//   links to missing records (KS_ERR_DANGLING_REFERENCE) or to records of a class other than
//   the field's (KS_ERR_WRONG_CLASS), a key that another record has in a unique global index
//   (KS_ERR_DUPLICATE_KEY; keys with a null field are not compared), deleted records that
//   another record still refers to (KS_ERR_DELETE_REFERENCED), changes of records that are
//   protected in the parent by now and stay protected (KS_ERR_ACCESS_DENIED);
// - warnings: enumerated values outside their value list (KS_WARN_NOT_IN_VALUE_LIST), texts
//   longer than the field's length (KS_WARN_TEXT_TOO_LONG).
// `progress(done)` is called after each record, for progress reports.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "kestrel/engine/Transaction.h"

namespace kestrel {

std::vector<Finding> Validate(const View& merged, const View& parent, const Delta& changes,
                              const std::function<void(size_t)>& progress);

// The keys of unique global indexes as a view shows them: the committed keys from the
// database's index, corrected by the records of the view's layers (gathered per index on first
// need). Valid while the view is.
class UniqueKeys {
 public:
  explicit UniqueKeys(const View& view) : view_(view) {}
  // Whether another record that the view shows has the record's key in `index` (a unique index
  // of the record's class or an ancestor). Keys with a null field are never compared.
  bool Clashes(RecordID id, const ClassDef& cls, const IndexDef& index, const Record& record);

 private:
  const std::multimap<IndexKey, RecordID>& LayerKeys(const IndexDef& index);

  const View& view_;
  std::map<const IndexDef*, std::multimap<IndexKey, RecordID>> layerKeys_;
};

}  // namespace kestrel
