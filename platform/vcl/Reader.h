#pragma once
// TReader: reads what TWriter writes (see Filer.h and Writer.h).
//
// Validation: every value code is checked (codes above vaDouble, a value of
// the wrong kind for what is asked, a length that is negative or runs past
// the end of the stream) and every byte count must be present; any failure
// raises EReadError with what was wrong, e.g. "Invalid stream format",
// "Invalid property value", "Stream read error". Errors inside a property
// are prefixed with "Error reading <object>.<property>: ".
//
// Reading components: ReadRootComponent reads the signature and the tree
// into an existing root. Each child is created through the class registry
// (EClassNotFound for a class that is not registered) with the root as its
// owner, named, given its parent (SetParentComponent), marked csLoading and,
// while its properties are read, csReading. Component references are
// resolved once everything is read, against the root and its components
// (EReadError for a name that names none). Then Loaded is called on every
// component read, the root first. After an error the components already
// created stay with the root, their loading state is cleared and none of
// them is given Loaded.
//
// Values: ReadInteger takes vaInt8, vaInt16 and vaInt32; ReadInt64 also
// vaInt64; ReadFloat any float or integer code; ReadString and
// ReadWideString any of the string codes (converting between UTF-8 and
// UTF-16); ReadIdent vaIdent and the bare codes vaNil, vaFalse, vaTrue and
// vaNull (as "nil", "False", "True", "Null").

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/Filer.h"

class TCollection;
class TPersistent;

class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream) : TFiler(stream) {}

  void ReadSignature();
  void ReadRootComponent(TComponent& root);
  // Reads one property (its name, then its value) of `instance`.
  void ReadProperty(TPersistent& instance);
  void ReadCollection(TCollection& collection);

  TValueType ReadValue();
  TValueType NextValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void CheckValue(TValueType expected);
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  bool ReadBoolean();
  int32_t ReadInteger();
  int64_t ReadInt64();
  double ReadFloat();
  int64_t ReadCurrency();
  double ReadDate();
  std::string ReadString();
  std::u16string ReadWideString();
  std::string ReadIdent();
  // The bits of the named elements of a vaSet; an unknown name is an error.
  uint64_t ReadSet(std::span<const std::string_view> names);
  // Reads a component reference and hands the component to `set` once the
  // stream is read (at once for vaNil).
  void ReadComponentReference(std::function<void(TComponent*)> set);
  // A short string without a tag.
  std::string ReadStr();
  [[noreturn]] void PropValueError();

  void DefineProperty(std::string_view name, const ReadProc& readData, const WriteProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(std::string_view name, const StreamProc& readData,
                            const StreamProc& writeData, bool hasData) override;

 private:
  struct Fixup {
    std::string name;
    std::function<void(TComponent*)> set;
  };

  template <class T>
  T ReadRaw();
  int64_t ReadLength(int64_t unitSize);
  TFilerFlags ReadPrefix();
  void ReadComponentData(TComponent& component);
  void ReadComponent(TComponent* parent);
  TComponent* FindReferenced(const std::string& name) const;
  void ResolveFixups();

  std::string propName_;
  bool propHandled_ = false;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
};
