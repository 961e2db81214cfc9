// Name/value lists and tables: the containers through which all data of a gallery travels.
//
// TVTLValueList is an ordered list of name/value pairs of byte strings. Its names either belong
// to it or are a names list shared with other value lists: the rows of a table share the
// table's column list. Names may repeat; lookup by name ignores letter case and takes the first
// match. TVTL2dValueList is a table: it owns its column list and its rows, and accepts only rows
// built on that very column list.
//
// A list on shared names has an entry for every name of the shared list; its values are kept
// only up to the last one that was set, so the rows of a large image list cost nothing for
// their empty properties.
//
// Ownership: a shared names list lives as long as the last value list or table that uses it
// (it is held by shared_ptr). A table owns its rows. Not thread-safe; one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

using TNamesList = std::vector<std::string>;

// The error of an index outside a list (std::out_of_range with the list-index message).
[[noreturn]] void ThrowListIndexError(int index);

class TVTLValueList {
 public:
  // A value list with names of its own (OwnsNames() is true).
  TVTLValueList();
  // A value list on a shared names list: an empty value for every name the list holds, now and
  // when the names list grows.
  explicit TVTLValueList(std::shared_ptr<TNamesList> shared_names);

  TVTLValueList(const TVTLValueList&) = delete;
  TVTLValueList& operator=(const TVTLValueList&) = delete;
  // A list moved from may only be assigned to or destroyed.
  TVTLValueList(TVTLValueList&&) = default;
  TVTLValueList& operator=(TVTLValueList&&) = default;

  int Count() const { return static_cast<int>(owns_names_ ? values_.size() : names_->size()); }
  // Entry at a 0-based index; an index outside 0..Count()-1 throws std::out_of_range.
  const std::string& Name(int index) const;
  const std::string& Value(int index) const;

  // Value of the first entry whose name equals `name` ignoring letter case; empty when none.
  std::string ValueOf(std::string_view name) const;
  // Index of that first entry, or -1.
  int IndexOf(std::string_view name) const;

  // Appends an empty value, and the name when the names are this list's own. On shared names
  // the table appends the name itself (TVTL2dValueList::AddColumn), and the list has the new
  // entry with it.
  void AddName(std::string name);
  // Removes the entry at `index`: its value, and its name when the names are this list's own.
  // On shared names the owner of the names removes the name itself, after every list on them
  // has removed its value. An index outside the list throws std::out_of_range.
  void RemoveEntry(int index);
  // Renames the entry at `index` when the names are this list's own; shared names are renamed
  // by their owner. An index outside the list throws std::out_of_range.
  void RenameEntry(int index, std::string name);
  // Sets the value of the first entry named `name` (ignoring case); false when there is none.
  bool SetValueOf(std::string_view name, std::string value);
  // Sets the value at `index`; an index outside the list throws std::out_of_range.
  bool SetValue(int index, std::string value);

  // Hands this list's own names over to be shared (the list then no longer owns them) and
  // returns them; a list on shared names returns its shared list.
  std::shared_ptr<TNamesList> ShareNames();
  // A list without entries takes `shared_names` as its names, with an empty value for each.
  void UseSharedNames(std::shared_ptr<TNamesList> shared_names);
  // Takes `equal_names`, a names list equal to this list's own, in place of its own, so that
  // lists with the same names keep them once; the names stay this list's own (a name added
  // later goes into a copy). False (and no change) when they differ.
  bool ShareEqualNames(std::shared_ptr<TNamesList> equal_names);
  // The names list itself, for ShareEqualNames() of other lists.
  const std::shared_ptr<TNamesList>& NamesStorage() const { return names_; }

  bool OwnsNames() const { return owns_names_; }
  const TNamesList& Names() const { return *names_; }
  // The names list object itself, for the identity test of TVTL2dValueList::AddRow.
  const TNamesList* NamesList() const { return names_.get(); }

 private:
  void CheckIndex(int index) const;
  const std::string& StoredValue(size_t index) const;
  void Store(size_t index, std::string value);

  std::shared_ptr<TNamesList> names_;
  std::vector<std::string> values_;
  bool owns_names_;
};

class TVTL2dValueList {
 public:
  TVTL2dValueList();
  virtual ~TVTL2dValueList();

  TVTL2dValueList(const TVTL2dValueList&) = delete;
  TVTL2dValueList& operator=(const TVTL2dValueList&) = delete;

  int Count() const { return static_cast<int>(rows_.size()); }
  // Row at a 0-based index; outside 0..Count()-1 throws std::out_of_range.
  TVTLValueList& Row(int index);
  const TVTLValueList& Row(int index) const;

  int ColumnCount() const { return static_cast<int>(columns_->size()); }
  const std::string& ColumnName(int index) const;
  // The column list that rows must be built on.
  const std::shared_ptr<TNamesList>& Columns() const { return columns_; }

  // Appends a column and gives every existing row an empty cell for it.
  void AddColumn(std::string name);
  // Appends `row` when it was built on this table's own column list (the same object, not
  // equal names) and returns its index; otherwise returns -1 and leaves `row` with the caller.
  int AddRow(std::unique_ptr<TVTLValueList>&& row);
  // Builds an empty row on the columns, appends it and returns it.
  TVTLValueList& AppendRow();

 private:
  std::shared_ptr<TNamesList> columns_;
  std::vector<std::unique_ptr<TVTLValueList>> rows_;
};

}  // namespace vistrel
