#pragma once
// TPersistent: the base of everything that can be copied with Assign and
// kept in the component stream.
//
// - Assign(source) copies `source` into this object. The base hands the
//   work to source.AssignTo(*this); when neither class knows the other it
//   raises EConvertError "Cannot assign a <source class> to a <class>".
//   A class that can copy from some sources overrides Assign and passes the
//   others on to its base.
// - The component stream keeps two kinds of properties: published ones,
//   which a class lists in GetPublishedProperties (values the writer stores
//   when they differ from their defaults), and defined ones, which a class's
//   own code writes and reads in DefineProperties (see Filer.h).

#include <string>
#include <string_view>

class TFiler;
class TPublishedProperties;

class TPersistent {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  virtual ~TPersistent() = default;

  // The class's own name ("TComponent", "TIntegerField", ...).
  virtual std::string_view ClassName() const { return "TPersistent"; }

  virtual void Assign(const TPersistent& source);

  // The object this one belongs to (the collection of an item, the
  // component of a nested property); none by default.
  virtual TPersistent* GetOwner() const { return nullptr; }
  // How messages name this object: the class name by default, a
  // component's name, "<collection path>[index]" for a collection item.
  virtual std::string GetNamePath() const;

  // Adds this object's published properties (base classes' first: an
  // override calls its base before adding its own).
  virtual void GetPublishedProperties(TPublishedProperties& properties);
  // Declares the properties this object streams itself (see TFiler); an
  // override calls its base first.
  virtual void DefineProperties(TFiler& filer);

 protected:
  // Copies this object into `dest`; the base raises the assign error.
  virtual void AssignTo(TPersistent& dest) const;
  [[noreturn]] void AssignError(const TPersistent& source) const;
};
