#pragma once
// The contact book behind the main window: the contacts in file order
// (ContactList, which the data file holds) and an index of their names in
// the order the name lists show them. The window asks the book, never its
// list boxes: whether a name is taken, where it stands, and where a change
// puts it.
//
// The order is given as a sort key: bytes that compare as the names are to
// be ordered (on Windows the locale's sort key, which orders as
// CompareString does); names with equal keys keep file order. A name is
// taken when a contact has it without regard to case (SameText).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/database.h"

namespace qc {

class ContactBook {
 public:
  using SortKey = std::function<std::string(std::string_view name)>;

  explicit ContactBook(SortKey sortKey);

  // The list itself: the data file's contents. An import may put a new list
  // in its place; Reindex afterwards.
  std::unique_ptr<TDatabase>& List() { return list_; }
  const TDatabase& Contacts() const { return *list_; }

  // Builds the index anew from the list, after it was loaded or replaced.
  void Reindex();

  int Count() const { return static_cast<int>(order_.size()); }
  // The name at a place of the name list's order.
  std::string_view NameAt(int position) const;
  // Every name in the name list's order.
  std::vector<std::string_view> Names() const;

  // Whether a contact has this name, without regard to case.
  bool IsTaken(std::string_view name) const;
  // The first contact, in file order, named exactly `name`; -1 when none.
  int IndexOf(std::string_view name) const;
  // The sort key of a name: names order as their keys do.
  std::string SortKeyOf(std::string_view name) const { return sortKey_(name); }
  // The place in the name list's order where a new `name` would go (after
  // every equal one), and the place of the contact at `index`.
  int InsertionPlace(std::string_view name) const;
  int PlaceOf(int index) const;

  // The changes. Each says where the name list changes.
  // Appends a contact; returns the place of its name.
  int Add(std::unique_ptr<TRecord> record);
  // Gives the contact at `index` new values; its name moves from one place to another.
  struct Move {
    int from, to;
  };
  Move Change(int index, TRecord values);
  // Removes the contact at `index`; returns the place its name had.
  int Delete(int index);

 private:
  struct Entry {
    std::string key;
    int index;  // in file order
  };
  // The place of the entry (key, index) in order_, found or to be.
  int Place(const std::string& key, int index) const;
  void CountName(std::string_view name, int delta);

  SortKey sortKey_;
  std::unique_ptr<TDatabase> list_ = std::make_unique<TDatabase>();
  std::vector<Entry> order_;                    // by key, then by file index
  std::unordered_map<std::string, int> taken_;  // upper-cased name -> contacts that have it
};

}  // namespace qc
