#pragma once
// TCollection and TCollectionItem: an ordered list of items of one kind that
// the collection owns, kept in the component stream as one property.
//
// - The collection makes its items with the factory it was given (Add,
//   Insert, and the reader); AddItem takes an item made elsewhere, such as
//   a subclass made with arguments.
// - Every item gets an ID, unique within its collection and never reused.
// - A change (an item added, deleted or moved, the list cleared, an item's
//   Changed) calls Update(item), or Update(nullptr) when it may affect all
//   items; between BeginUpdate and the matching EndUpdate the calls are held
//   back and EndUpdate makes one Update(nullptr).
// - Assign from another collection replaces the items with copies made by
//   the factory and each item's Assign.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/ListError.h"
#include "platform/vcl/Persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  TCollectionItem() = default;

  std::string_view ClassName() const override { return "TCollectionItem"; }
  TPersistent* GetOwner() const override;
  std::string GetNamePath() const override;

  TCollection* Collection() const { return collection_; }
  // Position in the collection (-1 outside one); SetIndex moves it there.
  int Index() const;
  void SetIndex(int index);
  int ID() const { return id_; }
  // What lists show for the item: the class name unless a class says better.
  std::string DisplayName() const { return GetDisplayName(); }

 protected:
  virtual std::string GetDisplayName() const { return std::string(ClassName()); }
  // Reports a change of this item (allItems: one that may affect the others).
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
 public:
  using ItemFactory = std::function<std::unique_ptr<TCollectionItem>()>;

  TCollection(TPersistent* owner, ItemFactory factory);
  ~TCollection() override;

  std::string_view ClassName() const override { return "TCollection"; }
  TPersistent* GetOwner() const override { return owner_; }
  void Assign(const TPersistent& source) override;

  int Count() const { return static_cast<int>(items_.size()); }
  // EListError outside 0..Count-1.
  TCollectionItem& Items(int index) const;
  template <class T>
  T& ItemAs(int index) const {
    return dynamic_cast<T&>(Items(index));
  }
  TCollectionItem& Add();
  TCollectionItem& Insert(int index);
  TCollectionItem& AddItem(std::unique_ptr<TCollectionItem> item);
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(int id) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

 protected:
  // Called after a change (see above); nothing by default.
  virtual void Update(TCollectionItem* item);
  void Changed(TCollectionItem* item = nullptr);

 private:
  friend class TCollectionItem;

  TCollectionItem& InsertItem(int index, std::unique_ptr<TCollectionItem> item);
  void MoveItem(int from, int to);

  TPersistent* owner_;
  ItemFactory factory_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};
