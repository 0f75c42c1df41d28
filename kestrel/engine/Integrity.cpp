#include "kestrel/engine/Integrity.h"

#include <map>
#include <optional>

#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

std::string KeyText(const Value& v) {
  return std::visit(
      [](const auto& x) -> std::string {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) return "null";
        if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, double>)
          return std::to_string(x);
        if constexpr (std::is_same_v<T, std::u16string>) return "\"" + ToUtf8(x) + "\"";
        if constexpr (std::is_same_v<T, Blob>) return "blob " + std::to_string(x.size());
        if constexpr (std::is_same_v<T, LinkList>) return "links " + std::to_string(x.size());
        return {};
      },
      v);
}

class Checker {
 public:
  Checker(Database& db, bool repair) : db_(db), schema_(db.GetSchema()), repair_(repair) {}

  std::vector<std::string> Run() {
    for (const auto& [id, record] : db_.Committed().unknownRecords)
      Report("record " + std::to_string(id) + ": unknown class " + record.className, true);
    for (const auto& [id, record] : db_.Committed().records) CheckRecord(id, record);
    CheckUniqueIndexes();
    const bool mended = repair_ && mendable_ && Mend();
    std::vector<std::string> lines;
    for (const auto& [text, mendable] : findings_) {
      const char* outcome = mendable && mended ? " (repaired)" : " (not repaired)";
      lines.push_back(repair_ ? text + outcome : text);
    }
    return lines;
  }

 private:
  void Report(const std::string& text, bool mendable) {
    findings_.emplace_back(text, mendable);
    mendable_ = mendable_ || mendable;
  }

  // Makes the repairs, journaled first; false when the journal refuses them.
  bool Mend() {
    JournalEntry entry = db_.NewJournalEntry();
    for (const auto& [id, record] : db_.Committed().unknownRecords) entry.Write(id, std::nullopt);
    for (const auto& [id, record] : repaired_) entry.Write(id, record);
    if (!db_.WriteAhead(entry)) {
      findings_.emplace_back("the journal cannot be written", false);
      return false;
    }
    if (!db_.Committed().unknownRecords.empty()) db_.Data().unknownRecords.clear();
    for (auto& [id, record] : repaired_) db_.ApplyToBase(id, std::move(record), db_.NextSequence());
    db_.SetModified(true);
    return true;
  }

  // Why a reference to `target` from a field leading to `referenced` is wrong, or empty.
  std::string Problem(RecordID target, const std::string& referenced) const {
    const auto it = db_.Committed().records.find(target);
    if (it == db_.Committed().records.end())
      return "refers to missing record " + std::to_string(target);
    const ClassDef* want = schema_.FindClass(referenced);
    const ClassDef* have = schema_.FindClass(it->second.classId);
    if (want != nullptr && have != nullptr && !schema_.IsDescendant(*have, *want))
      return "refers to record " + std::to_string(target) + " of class " + have->name + ", not " +
             referenced;
    return {};
  }

  void CheckRecord(RecordID id, const Record& record) {
    const ClassDef& cls = *schema_.FindClass(record.classId);
    std::optional<Record> mended;
    for (size_t i = 0; i < cls.allFields.size(); ++i) {
      const FieldDef& field = cls.allFields[i];
      const std::string where =
          "record " + std::to_string(id) + " (" + cls.name + "), field " + field.name + ": ";
      const Value& value = record.values[i];
      if (field.type == type::kReference) {
        const auto* target = std::get_if<int32_t>(&value);
        if (target == nullptr) continue;
        const std::string problem = Problem(*target, field.referencedClass);
        if (problem.empty()) continue;
        Report(where + problem, true);
        if (!mended) mended = record;
        mended->values[i] = Value{};
      } else if (const auto* links = std::get_if<LinkList>(&value)) {
        LinkList kept;
        for (RecordID target : *links) {
          const std::string problem = Problem(target, field.referencedClass);
          if (problem.empty())
            kept.push_back(target);
          else
            Report(where + "link " + problem, true);
        }
        if (kept.size() == links->size()) continue;
        if (!mended) mended = record;
        mended->values[i] = kept.empty() ? Value{} : Value{std::move(kept)};
      }
    }
    if (mended) repaired_.emplace_back(id, std::move(*mended));
  }

  void CheckUniqueIndexes() {
    for (const IndexDef& index : schema_.globalIndexes) {
      if (!index.unique) continue;
      const ClassDef& owner = *schema_.FindClass(index.className);
      std::map<std::string, RecordID> seen;
      for (const auto& [id, record] : db_.Committed().records) {
        const ClassDef& cls = *schema_.FindClass(record.classId);
        if (!schema_.IsDescendant(cls, owner)) continue;
        std::string key;
        for (const std::string& field : index.fields)
          key += KeyText(record.values[static_cast<size_t>(cls.FieldIndex(field))]) + ";";
        const auto [it, fresh] = seen.emplace(key, id);
        if (!fresh)
          Report("index " + index.name + " of " + owner.name + ": records " +
                     std::to_string(it->second) + " and " + std::to_string(id) +
                     " have the same key " + key,
                 false);
      }
    }
  }

  Database& db_;
  const Schema& schema_;
  bool repair_;
  std::vector<std::pair<std::string, bool>> findings_;  // text, whether a repair mends it
  bool mendable_ = false;
  std::vector<std::pair<RecordID, Record>> repaired_;  // records as a repair leaves them
};

}  // namespace

std::vector<std::string> CheckIntegrity(Database& db, bool repair) {
  return Checker(db, repair).Run();
}

}  // namespace kestrel
