#include "kestrel/engine/SqliteImport.h"

#include <sqlite3.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <map>
#include <memory>
#include <stdexcept>
#include <unordered_map>

#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

// The source cannot be read.
class SourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
      throw SourceError(sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Steps to the next row: false at the end.
  bool Next() {
    const int status = sqlite3_step(stmt_);
    if (status == SQLITE_ROW) return true;
    if (status == SQLITE_DONE) return false;
    throw SourceError(sqlite3_errmsg(sqlite3_db_handle(stmt_)));
  }
  int Columns() const { return sqlite3_column_count(stmt_); }
  int Type(int col) const { return sqlite3_column_type(stmt_, col); }
  std::string Text(int col) const {
    const auto* text = sqlite3_column_text(stmt_, col);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_column_bytes(stmt_, col)))
                : std::string();
  }
  Blob Bytes(int col) const {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, col));
    return bytes ? Blob(bytes, bytes + sqlite3_column_bytes(stmt_, col)) : Blob();
  }
  int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
  double Real(int col) const { return sqlite3_column_double(stmt_, col); }
  std::string Name(int col) const { return sqlite3_column_name(stmt_, col); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (const char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// A date "YYYY-MM-DD[ HH:MM[:SS[.fff]]]" ('T' may part date and time, a final 'Z' is allowed)
// as seconds since 1970 UTC.
bool ParseStamp(const std::string& text, int64_t& seconds) {
  int year, month, day, hour = 0, minute = 0, second = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3) return false;
  size_t at = static_cast<size_t>(used);
  if (at < text.size() && (text[at] == ' ' || text[at] == 'T')) {
    if (std::sscanf(text.c_str() + at + 1, "%2d:%2d%n", &hour, &minute, &used) != 2) return false;
    at += 1 + static_cast<size_t>(used);
    if (at < text.size() && text[at] == ':') {
      if (std::sscanf(text.c_str() + at + 1, "%2d%n", &second, &used) != 1) return false;
      at += 1 + static_cast<size_t>(used);
      if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9';) ++at;
    }
  }
  if (at < text.size() && text[at] == 'Z') ++at;
  if (at != text.size() || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 60)
    return false;
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  seconds = static_cast<int64_t>(::timegm(&tm));
  return tm.tm_mday == day;  // timegm moves 31 April to 1 May
}

bool Fits32(int64_t n) {
  return n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max();
}

// The column's value in the current row for a field of `fieldType`; false when it does not
// fit the field.
bool Convert(const Statement& row, int col, int32_t fieldType, Value& out) {
  const int kind = row.Type(col);
  out = Value{};
  if (kind == SQLITE_NULL) return true;
  int64_t n = 0;
  const bool integral = kind == SQLITE_INTEGER ||
                        (kind == SQLITE_FLOAT && std::trunc(row.Real(col)) == row.Real(col) &&
                         std::fabs(row.Real(col)) < 1e18);
  if (integral) n = kind == SQLITE_INTEGER ? row.Int(col) : static_cast<int64_t>(row.Real(col));
  switch (fieldType) {
    case type::kBoolean:
      if (kind == SQLITE_TEXT &&
          (SameName(row.Text(col), "true") || SameName(row.Text(col), "false"))) {
        out = int32_t{SameName(row.Text(col), "true") ? 1 : 0};
        return true;
      }
      if (!integral) return false;
      out = int32_t{n != 0 ? 1 : 0};
      return true;
    case type::kInteger:
    case type::kDuration:
    case type::kUnsigned:
    case type::kUnsigned2:
    case type::kEnumerated:
      if (!integral || !Fits32(n) ||
          (n < 0 && fieldType != type::kInteger && fieldType != type::kDuration))
        return false;
      out = static_cast<int32_t>(n);
      break;
    case type::kFloat:
    case type::kCurrency:
      if (kind != SQLITE_INTEGER && kind != SQLITE_FLOAT) return false;
      out = row.Real(col);
      break;
    case type::kDateTime:
      if (kind == SQLITE_TEXT && !ParseStamp(row.Text(col), n)) return false;
      if ((kind != SQLITE_TEXT && !integral) || !Fits32(n)) return false;
      out = static_cast<int32_t>(n);
      break;
    case type::kString:
      if (kind == SQLITE_BLOB) return false;
      out = ToUtf16(row.Text(col));
      break;
    case type::kBlob:
      if (kind != SQLITE_BLOB && kind != SQLITE_TEXT) return false;
      out = row.Bytes(col);
      break;
    default:
      return false;
  }
  out = Normalize(std::move(out), fieldType);
  return true;
}

// What identifies a key value: its kind (integral numbers alike) and its bytes.
std::string KeyText(const Statement& row, int col) {
  switch (row.Type(col)) {
    case SQLITE_INTEGER:
      return "i" + std::to_string(row.Int(col));
    case SQLITE_FLOAT: {
      const double d = row.Real(col);
      return std::trunc(d) == d && std::fabs(d) < 1e18
                 ? "i" + std::to_string(static_cast<int64_t>(d))
                 : "r" + row.Text(col);
    }
    case SQLITE_BLOB: {
      const Blob bytes = row.Bytes(col);
      return "b" + std::string(bytes.begin(), bytes.end());
    }
    default:
      return "t" + row.Text(col);
  }
}

// A count of values of a column, with the first row that had one.
struct Tally {
  size_t count = 0;
  size_t firstRow = 0;
  void Add(size_t row) {
    if (count++ == 0) firstRow = row;
  }
  std::string Text() const {
    return std::to_string(count) + " (first in row " + std::to_string(firstRow) + ")";
  }
};

struct Column {
  std::string name;
  bool primaryKey = false;
  const FieldDef* field = nullptr;  // the field it fills, null: none
  size_t at = 0;                    // the field's position
  int target = -1;                  // a reference: the key it leads to (Importer::keys_)
  Tally misfits;                    // values that do not fit the field
  Tally dangling;                   // references to missing rows
  Tally repeated;                   // a key column: values that identify several rows
};

struct Table {
  std::string name;
  const ClassDef* cls = nullptr;  // null: not imported
  std::vector<Column> columns;
  std::vector<std::string> primaryKey;
  std::vector<std::string> notes;  // table-level report lines, in order
};

// A column that rows are found by (empty: the rowid), with the rows' records by value.
struct Key {
  size_t table = 0;
  std::string column;
  std::unordered_map<std::string, RecordID> records;
};

class Importer {
 public:
  Importer(sqlite3* source, Database& db, ImportReport& report)
      : source_(source), schema_(db.GetSchema()), db_(db), report_(report) {}

  void Run() {
    {
      Statement tables(source_,
                       "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                       "'sqlite\\_%' ESCAPE '\\' ORDER BY name");
      while (tables.Next()) tables_.push_back(Table{tables.Text(0), nullptr, {}, {}, {}});
    }
    for (Table& table : tables_) Describe(table);
    for (size_t t = 0; t < tables_.size(); ++t) LinkReferences(t);
    // The records of each class are listed as they are made and handed to the indexes, as a
    // load does, so that the first use of the new database walks no records.
    Store& store = db_.Data();
    ClassMembers members;
    MembersCollector collector(&members, schema_.classes.size());
    for (const auto& [id, record] : store.records) collector.Add(record.classId, id);
    for (size_t t = 0; t < tables_.size(); ++t)
      if (tables_[t].cls != nullptr) ReadRows(t, store, collector);
    Resolve(store);
    collector.Finish();
    db_.Index().Adopt(std::move(members));
    Report();
  }

 private:
  // A reference to resolve once every table's rows are read.
  struct Pending {
    RecordID id;
    size_t at;
    Column* column;
    std::string key;
    size_t row;
  };

  Table* FindTable(const std::string& name) {
    for (Table& table : tables_)
      if (SameName(table.name, name)) return &table;
    return nullptr;
  }

  static Column* FindColumn(Table& table, const std::string& name) {
    for (Column& column : table.columns)
      if (SameName(column.name, name)) return &column;
    return nullptr;
  }

  // The class, columns and fields of a table.
  void Describe(Table& table) {
    const ClassDef* cls = nullptr;
    for (const ClassDef& c : schema_.classes)
      if (c.name == table.name || (cls == nullptr && SameName(c.name, table.name))) cls = &c;
    if (cls == nullptr) {
      table.notes.push_back("table " + table.name + ": no class of that name; not imported");
      return;
    }
    if (cls->name == "SYSUser" || cls->name == "_DBTransaction") {
      table.notes.push_back("table " + table.name + ": class " + cls->name +
                            " is kept by the server; not imported");
      return;
    }
    if ((cls->flags & (classflag::kVirtual | classflag::kComputed)) != 0) {
      table.notes.push_back("table " + table.name + ": class " + cls->name +
                            " has no records of its own; not imported");
      return;
    }
    table.cls = cls;
    Statement info(source_, "PRAGMA table_info(" + Quoted(table.name) + ")");
    while (info.Next()) {
      Column column;
      column.name = info.Text(1);
      column.primaryKey = info.Int(5) > 0;
      if (column.primaryKey) table.primaryKey.push_back(column.name);
      int at = cls->FieldIndex(column.name);
      for (size_t i = 0; at < 0 && i < cls->allFields.size(); ++i)
        if (SameName(cls->allFields[i].name, column.name)) at = static_cast<int>(i);
      if (at >= 0) {
        column.at = static_cast<size_t>(at);
        column.field = &cls->allFields[column.at];
      }
      table.columns.push_back(std::move(column));
    }
    for (const FieldDef& field : cls->allFields) {
      bool filled = false;
      for (const Column& column : table.columns) filled = filled || column.field == &field;
      if (field.required && !filled)
        table.notes.push_back("table " + table.name + ": no column fills the required field " +
                              field.name);
    }
  }

  // Ties reference fields to the keys their foreign keys lead to, and notes the columns that
  // fill nothing.
  void LinkReferences(size_t index) {
    Table& table = tables_[index];
    if (table.cls == nullptr) return;
    std::map<int64_t, std::vector<std::vector<std::string>>> foreign;  // id: from, table, to
    {
      Statement list(source_, "PRAGMA foreign_key_list(" + Quoted(table.name) + ")");
      while (list.Next())
        foreign[list.Int(0)].push_back({list.Text(3), list.Text(2), list.Text(4)});
    }
    std::map<std::string, std::string> notes;  // by column, in the column's line
    for (const auto& [id, parts] : foreign) {
      if (parts.size() > 1) {
        std::string from;
        for (const auto& part : parts) from += (from.empty() ? "" : ", ") + part[0];
        table.notes.push_back("table " + table.name + ": a foreign key of several columns (" +
                              from + ") leads to " + parts[0][1] + "; not imported");
        continue;
      }
      Column* column = FindColumn(table, parts[0][0]);
      if (column == nullptr || column->field == nullptr ||
          column->field->type != type::kReference || column->target >= 0 ||
          notes.count(column->name))
        continue;
      Table* target = FindTable(parts[0][1]);
      std::string to = parts[0][2];
      const std::string where =
          "column " + column->name + ": the foreign key leads to table " + parts[0][1];
      if (target == nullptr || target->cls == nullptr) {
        notes[column->name] = where + ", which is not imported; references left null";
        continue;
      }
      if (to.empty() && target->primaryKey.size() > 1) {
        notes[column->name] = where +
                              ", whose rows no single column identifies; references "
                              "left null";
        continue;
      }
      if (to.empty() && target->primaryKey.size() == 1) to = target->primaryKey[0];
      const ClassDef* want = schema_.FindClass(column->field->referencedClass);
      if (want != nullptr && !schema_.IsDescendant(*target->cls, *want)) {
        notes[column->name] = "column " + column->name + ": field " + column->field->name +
                              " refers to class " + want->name + ", but table " + target->name +
                              " holds class " + target->cls->name + "; references left null";
        continue;
      }
      column->target = KeyOf(static_cast<size_t>(target - tables_.data()), to);
    }
    for (Column& column : table.columns) {
      std::string note;
      if (notes.count(column.name))
        note = notes[column.name];
      else if (column.field == nullptr && !column.primaryKey)
        note = "column " + column.name + ": no field of that name; not imported";
      else if (column.field != nullptr && column.field->type == type::kLinks)
        note = "column " + column.name + ": field " + column.field->name +
               " is a link field; not imported";
      else if (column.field != nullptr && column.field->type == type::kReference &&
               column.target < 0)
        note = "column " + column.name + ": field " + column.field->name +
               " is a reference, but no foreign key leads from the column; not imported";
      if (!note.empty()) table.notes.push_back("table " + table.name + ", " + note);
      if (!note.empty() && column.field != nullptr) column.field = nullptr;
    }
  }

  int KeyOf(size_t table, const std::string& column) {
    for (size_t k = 0; k < keys_.size(); ++k)
      if (keys_[k].table == table && SameName(keys_[k].column, column)) return static_cast<int>(k);
    keys_.push_back(Key{table, column, {}});
    return static_cast<int>(keys_.size() - 1);
  }

  void ReadRows(size_t index, Store& store, MembersCollector& collector) {
    Table& table = tables_[index];
    const ClassDef& cls = *table.cls;
    bool byRowid = false;
    for (const Key& key : keys_) byRowid = byRowid || (key.table == index && key.column.empty());
    Statement rows(source_, std::string("SELECT ") + (byRowid ? "rowid, " : "") + "* FROM " +
                                Quoted(table.name));
    // Result columns: the table's column, or null (the rowid).
    std::vector<Column*> columns;
    for (int i = 0; i < rows.Columns(); ++i)
      columns.push_back(byRowid && i == 0 ? nullptr : FindColumn(table, rows.Name(i)));
    // The keys that find this table's rows, with their result columns.
    std::vector<std::pair<Key*, int>> keyed;
    for (Key& key : keys_) {
      if (key.table != index) continue;
      int at = 0;
      while (!key.column.empty() && at < rows.Columns() &&
             (columns[static_cast<size_t>(at)] == nullptr ||
              !SameName(columns[static_cast<size_t>(at)]->name, key.column)))
        ++at;
      if (at < rows.Columns()) keyed.emplace_back(&key, at);
    }
    Record defaults{cls.id, {}};
    for (const FieldDef& field : cls.allFields)
      defaults.values.push_back(field.type == type::kLinks ? Value{} : field.defaultValue);
    for (size_t row = 1; rows.Next(); ++row) {
      Record record = defaults;
      const RecordID id = store.NewId();
      for (int i = 0; i < rows.Columns(); ++i) {
        Column* column = columns[static_cast<size_t>(i)];
        if (column == nullptr || column->field == nullptr) continue;
        if (column->target >= 0) {
          if (rows.Type(i) != SQLITE_NULL)
            pending_.push_back({id, column->at, column, KeyText(rows, i), row});
          continue;
        }
        Value& value = record.values[column->at];
        if (!Convert(rows, i, column->field->type, value)) column->misfits.Add(row);
      }
      for (const auto& [key, at] : keyed)
        if (rows.Type(at) != SQLITE_NULL && !key->records.emplace(KeyText(rows, at), id).second)
          if (Column* column = columns[static_cast<size_t>(at)]) column->repeated.Add(row);
      store.records.emplace_hint(store.records.end(), id, std::move(record));
      collector.Add(cls.id, id);
      ++report_.records;
    }
    ++report_.classes;
  }

  void Resolve(Store& store) {
    for (const Pending& p : pending_) {
      const auto& found = keys_[static_cast<size_t>(p.column->target)].records;
      const auto it = found.find(p.key);
      if (it == found.end())
        p.column->dangling.Add(p.row);
      else
        store.records.at(p.id).values[p.at] = it->second;
    }
  }

  void Report() {
    for (const Table& table : tables_) {
      for (const std::string& note : table.notes) report_.lines.push_back(note);
      for (const Column& column : table.columns) {
        const std::string where = "table " + table.name + ", column " + column.name + ": ";
        if (column.misfits.count > 0)
          report_.lines.push_back(where + "values that do not fit field " + column.field->name +
                                  " (type " + std::to_string(column.field->type) +
                                  "), left null: " + column.misfits.Text());
        if (column.dangling.count > 0)
          report_.lines.push_back(where +
                                  "references to no row, left null: " + column.dangling.Text());
        if (column.repeated.count > 0)
          report_.lines.push_back(where +
                                  "values repeated (references lead to the first row that has "
                                  "them): " +
                                  column.repeated.Text());
      }
    }
  }

  sqlite3* source_;
  const Schema& schema_;
  Database& db_;
  ImportReport& report_;
  std::vector<Table> tables_;
  std::vector<Key> keys_;
  std::vector<Pending> pending_;
};

}  // namespace

KSStatus ImportSqlite(const std::string& file, Database& db, ImportReport& report) {
  if (!FileExists(file)) return KS_ERR_FILE_NOT_FOUND;
  // SQLite takes an empty file for an empty database; here it is rather a wrong file.
  if (FileSize(file) == 0) return KS_ERR_IMPORT_SOURCE;
  sqlite3* source = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(source, sqlite3_close);
  if (opened != SQLITE_OK) return KS_ERR_IMPORT_SOURCE;
  ImportReport made;
  Store before = db.Committed();
  try {
    Importer(source, db, made).Run();
  } catch (const SourceError&) {
    db.Data() = std::move(before);
    return KS_ERR_IMPORT_SOURCE;
  } catch (const std::length_error&) {
    db.Data() = std::move(before);
    return KS_ERR_DATABASE_FULL;
  }
  report = std::move(made);
  return KS_OK;
}

KSStatus CreateFromSqlite(const std::string& file, const std::string& name, SchemaPtr schema,
                          const std::string& archive, std::string reportFile, DatabasePtr& db,
                          ImportReport& report) {
  auto made = std::make_shared<Database>(name, std::move(schema), archive);
  if (const KSStatus status = ImportSqlite(file, *made, report); status != KS_OK) return status;
  made->AddUser(u"system", "", true);
  auto count = [](size_t n, const std::string& what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : what.back() == 's' ? "es" : "s");
  };
  std::string text = "imported from " + file + ": " + count(report.records, "record") + " of " +
                     count(report.classes, "class") + "\n";
  for (const std::string& line : report.lines) text += line + "\n";
  if (reportFile.empty()) {
    reportFile = archive;
    if (reportFile.size() > 4 && reportFile.compare(reportFile.size() - 4, 4, ".dmp") == 0)
      reportFile.resize(reportFile.size() - 4);
    reportFile += ".import.txt";
  }
  if (!WriteFileAtomically(reportFile, text)) return KS_ERR_WRITE_FAILED;
  db = std::move(made);
  return KS_OK;
}

}  // namespace kestrel
