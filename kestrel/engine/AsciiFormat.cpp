#include "kestrel/engine/AsciiFormat.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "kestrel/engine/Password.h"
#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

constexpr const char* kHeader = "KESTREL-TEXT 1";

std::string Escape(const std::string& s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool Unescape(const std::string& s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i == s.size()) return false;
    switch (s[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

std::string ValueText(const Value& v) {
  return std::visit(
      [](const auto& x) -> std::string {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return "\\N";
        } else if constexpr (std::is_same_v<T, int32_t>) {
          return std::to_string(x);
        } else if constexpr (std::is_same_v<T, double>) {
          char buffer[64];
          std::snprintf(buffer, sizeof buffer, "%a", x);
          return buffer;
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return Escape(ToUtf8(x));
        } else if constexpr (std::is_same_v<T, Blob>) {
          static const char* digits = "0123456789abcdef";
          std::string s;
          for (uint8_t b : x) {
            s += digits[b >> 4];
            s += digits[b & 15];
          }
          return s;
        } else {
          std::string s;
          for (size_t i = 0; i < x.size(); ++i) s += (i ? "," : "") + std::to_string(x[i]);
          return s;
        }
      },
      v);
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return parts;
    start = tab + 1;
  }
}

bool ParseInt(const std::string& s, int32_t& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || n < INT32_MIN || n > INT32_MAX) return false;
  out = static_cast<int32_t>(n);
  return true;
}

class Parser {
 public:
  Parser(const Schema& schema, ClassMembers* members)
      : schema_(schema), members_(members, schema.classes.size()) {}

  Store Run(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    bool ended = false;
    while (std::getline(in, line)) {
      ++lineNo_;
      if (ended) Fail("text after END");
      if (lineNo_ == 1) {
        if (line != kHeader) Fail("not a database text file");
        continue;
      }
      const auto parts = SplitTabs(line);
      const std::string& tag = parts[0];
      if (tag == "SCHEMA") {
        if (parts.size() != 3 || Text(parts[1]) != schema_.name ||
            Text(parts[2]) != schema_.version)
          Fail("the text belongs to another schema");
        sawSchema_ = true;
      } else if (tag == "NEXT") {
        if (parts.size() != 2 || !ParseInt(parts[1], store_.nextId) || store_.nextId < 1 ||
            store_.nextId > kMaxRecordId + 1)
          Fail("bad next record ID");
      } else if (tag == "R") {
        if (parts.size() < 3) Fail("incomplete record");
        const RecordID id = Id(parts[1]);
        const auto added = store_.records.emplace(id, ParseRecord(parts, 2));
        if (!added.second) Fail("record ID repeated");
        members_.Add(added.first->second.classId, id);
        idLines_.emplace_back(id, lineNo_);
      } else if (tag == "T") {
        ParseTransaction(parts);
      } else if (tag == "C" || tag == "X") {
        if (parts.size() < (tag == "C" ? 4u : 3u)) Fail("incomplete change");
        PersistentTransaction& t = Transaction(parts[1]);
        const RecordID id = Id(parts[2]);
        std::optional<Record> change;
        if (tag == "C")
          change = ParseRecord(parts, 3);
        else if (parts.size() != 3)
          Fail("unexpected text after a deletion");
        t.delta[id] = std::move(change);
        idLines_.emplace_back(id, lineNo_);
      } else if (tag == "END" && parts.size() == 1) {
        ended = true;
      } else {
        Fail("unknown line");
      }
    }
    if (lineNo_ == 0) Fail("the file is empty");
    if (!sawSchema_) Fail("the SCHEMA line is missing");
    if (!ended) Fail("the END line is missing");
    // Every ID must lie below NEXT, or the dump made of the text would not load again.
    for (const auto& [id, line] : idLines_)
      if (id >= store_.nextId) {
        lineNo_ = line;
        Fail("record ID " + std::to_string(id) + " is not below NEXT");
      }
    CheckPasswords();
    members_.Finish();
    return std::move(store_);
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw AsciiFormatError(lineNo_, reason);
  }

  RecordID Id(const std::string& s) const {
    int32_t id = 0;
    if (!ParseInt(s, id) || id < 1) Fail("bad record ID " + s);
    return id;
  }

  Record ParseRecord(const std::vector<std::string>& parts, size_t classAt) const {
    const ClassDef* cls = schema_.FindClass(parts[classAt]);
    if (cls == nullptr) Fail("unknown class " + parts[classAt]);
    Record record{cls->id, std::vector<Value>(cls->allFields.size())};
    for (size_t i = classAt + 1; i < parts.size(); ++i) {
      const size_t eq = parts[i].find('=');
      if (eq == std::string::npos) Fail("a field lacks '='");
      const std::string name = parts[i].substr(0, eq);
      const int at = cls->FieldIndex(name);
      if (at < 0) Fail("unknown field " + name + " of " + cls->name);
      const FieldDef& field = cls->allFields[static_cast<size_t>(at)];
      if (field.IsComputedLink()) Fail("field " + name + " is not stored");
      record.values[static_cast<size_t>(at)] = ParseValue(parts[i].substr(eq + 1), field.type);
    }
    return record;
  }

  Value ParseValue(const std::string& text, int32_t fieldType) const {
    if (text == "\\N") return {};
    switch (AlternativeOf(fieldType)) {
      case 1: {
        int32_t n = 0;
        if (!ParseInt(text, n)) Fail("bad integer " + text);
        return n;
      }
      case 2: {
        char* end = nullptr;
        const double d = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0') Fail("bad number " + text);
        return d;
      }
      case 3:
        return ToUtf16(Text(text));
      case 4: {
        Blob blob;
        auto digit = [](char c) {
          return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        };
        if (text.size() % 2 != 0) Fail("bad blob");
        for (size_t i = 0; i < text.size(); i += 2) {
          const int hi = digit(text[i]), lo = digit(text[i + 1]);
          if (hi < 0 || lo < 0) Fail("bad blob");
          blob.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
        return blob;
      }
      default: {
        LinkList ids;
        for (const std::string& part : SplitComma(text)) ids.push_back(Id(part));
        return ids;
      }
    }
  }

  static std::vector<std::string> SplitComma(const std::string& s) {
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, ',')) parts.push_back(part);
    return parts;
  }

  void ParseTransaction(const std::vector<std::string>& parts) {
    if (parts.size() != 5 && parts.size() != 8) Fail("a transaction line has five or eight fields");
    PersistentTransaction t;
    t.name = Text(parts[1]);
    t.parent = Text(parts[2]);
    if (t.name.empty() || store_.FindTransaction(t.name) != nullptr) Fail("bad transaction name");
    if (!t.parent.empty() && store_.FindTransaction(t.parent) == nullptr)
      Fail("unknown parent transaction " + t.parent);
    if (!ParseInt(parts[3], t.flags)) Fail("bad transaction flags");
    t.description = ToUtf16(Text(parts[4]));
    if (parts.size() == 8) {
      t.owner = ToUtf16(Text(parts[5]));
      int32_t isVersion = 0;
      if (!ParseInt(parts[6], t.startDate) || !ParseInt(parts[7], isVersion) || isVersion < 0 ||
          isVersion > 1)
        Fail("bad transaction start date or version flag");
      t.isVersion = isVersion == 1;
    }
    store_.transactions.push_back(std::move(t));
  }

  void CheckPasswords() {
    const ClassDef* users = schema_.FindClass("SYSUser");
    const int at = users ? users->FieldIndex("password") : -1;
    for (const auto& [id, record] : store_.records) {
      if (at < 0 || record.classId != users->id) continue;
      const auto* hash = std::get_if<std::u16string>(&record.values[static_cast<size_t>(at)]);
      if (hash != nullptr && !HashIterationsAcceptable(ToUtf8(*hash)))
        Fail("the password hash of record " + std::to_string(id) + " asks for too many iterations");
    }
  }

  // An escaped text of the line.
  std::string Text(const std::string& escaped) const {
    std::string plain;
    if (!Unescape(escaped, plain)) Fail("bad escape in " + escaped);
    return plain;
  }

  PersistentTransaction& Transaction(const std::string& escapedName) {
    const std::string name = Text(escapedName);
    for (PersistentTransaction& t : store_.transactions)
      if (t.name == name) return t;
    Fail("unknown transaction " + name);
  }

  const Schema& schema_;
  Store store_;
  MembersCollector members_;
  size_t lineNo_ = 0;
  bool sawSchema_ = false;
  std::vector<std::pair<RecordID, size_t>> idLines_;  // ID of each R, C and X line, its line
};

void WriteFields(std::string& out, const Schema& schema, const Record& record) {
  const ClassDef& cls = *schema.FindClass(record.classId);
  out += cls.name;
  for (size_t i = 0; i < cls.allFields.size(); ++i)
    if (!IsNull(record.values[i]))
      out += "\t" + cls.allFields[i].name + "=" + ValueText(record.values[i]);
  out += "\n";
}

}  // namespace

std::string WriteAscii(const Schema& schema, const Store& store) {
  std::string out = std::string(kHeader) + "\nSCHEMA\t" + Escape(schema.name) + "\t" +
                    Escape(schema.version) + "\nNEXT\t" + std::to_string(store.nextId) + "\n";
  for (const auto& [id, record] : store.records) {
    out += "R\t" + std::to_string(id) + "\t";
    WriteFields(out, schema, record);
  }
  for (const PersistentTransaction& t : store.transactions)
    out += "T\t" + Escape(t.name) + "\t" + Escape(t.parent) + "\t" + std::to_string(t.flags) +
           "\t" + Escape(ToUtf8(t.description)) + "\t" + Escape(ToUtf8(t.owner)) + "\t" +
           std::to_string(t.startDate) + "\t" + (t.isVersion ? "1" : "0") + "\n";
  for (const PersistentTransaction& t : store.transactions)
    for (const auto& [id, change] : t.delta) {
      if (change) {
        out += "C\t" + Escape(t.name) + "\t" + std::to_string(id) + "\t";
        WriteFields(out, schema, *change);
      } else {
        out += "X\t" + Escape(t.name) + "\t" + std::to_string(id) + "\n";
      }
    }
  return out + "END\n";
}

Store ReadAscii(const std::string& text, const Schema& schema, ClassMembers* members) {
  return Parser(schema, members).Run(text);
}

}  // namespace kestrel
