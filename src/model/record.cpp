#include "model/record.h"

#include <stdexcept>
#include <utility>

#include "model/file_naming.h"
#include "model/photo_format.h"
#include "support/logger.h"
#include "support/text.h"

namespace vistrel {

TVTLRecord::TVTLRecord(std::string directory, std::string file_name,
                       const TMetadataReader& read_metadata, TLogger& log)
    : directory_(std::move(directory)), file_name_(std::move(file_name)) {
  log.Log("entered TVtlRecord.Create");
  log.Log("| set filepath/-name");
  log.Log("| details created");
  log.Log("| metadata created");
  log.Log("| reading metadata...");
  if (read_metadata)
    read_metadata(IncludeTrailingPathDelimiter(directory_) + file_name_, Metadata, PhotoData,
                  Captions);
  log.Log("| done.");
}

bool TVTLRecord::HasDetail(const std::string& name) const {
  for (const std::string& absent : AbsentDetails)
    if (SameTextIgnoreCase(absent, name)) return false;
  return true;
}

void TVTLRecord::SetHasDetail(const std::string& name, bool has) {
  std::erase_if(AbsentDetails,
                [&](const std::string& absent) { return SameTextIgnoreCase(absent, name); });
  if (!has) AbsentDetails.push_back(name);
}

int TVTLRecord::Width() const { return ParseInt32Or(Metadata.ValueOf("Width"), 0); }

int TVTLRecord::Height() const { return ParseInt32Or(Metadata.ValueOf("Height"), 0); }

TVTLRecord& TVTLRecordList::Item(int index) {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return *records_[index];
}

const TVTLRecord& TVTLRecordList::Item(int index) const {
  return const_cast<TVTLRecordList*>(this)->Item(index);
}

uint64_t TVTLRecordList::KeyHash(const std::string& directory, const std::string& file_name) {
  // The length keeps folder and name apart whatever bytes they hold.
  const std::string folder = UpperCase(directory);
  return std::hash<std::string>{}(std::to_string(folder.size()) + ":" + folder +
                                  UpperCase(file_name));
}

bool TVTLRecordList::SameKey(const TVTLRecord& record, const std::string& directory,
                             const std::string& file_name) {
  return SameTextIgnoreCase(record.Directory(), directory) &&
         SameTextIgnoreCase(record.FileName(), file_name);
}

bool TVTLRecordList::Contains(const TVTLRecord& record) const {
  return Contains(record.Directory(), record.FileName());
}

void TVTLRecordList::BuildIndex() const {
  if (indexed_) return;
  by_key_.reserve(records_.size());
  for (const auto& record : records_)
    by_key_.emplace(KeyHash(record->Directory(), record->FileName()), record.get());
  indexed_ = true;
}

bool TVTLRecordList::Contains(const std::string& directory, const std::string& file_name) const {
  return Find(directory, file_name) != nullptr;
}

const TVTLRecord* TVTLRecordList::Find(const std::string& directory,
                                       const std::string& file_name) const {
  BuildIndex();
  const auto [first, last] = by_key_.equal_range(KeyHash(directory, file_name));
  for (auto it = first; it != last; ++it)
    if (SameKey(*it->second, directory, file_name)) return it->second;
  return nullptr;
}

TVTLRecord* TVTLRecordList::Find(const std::string& directory, const std::string& file_name) {
  // The index points to the records this list owns, which are not const.
  return const_cast<TVTLRecord*>(std::as_const(*this).Find(directory, file_name));
}

int TVTLRecordList::Add(std::unique_ptr<TVTLRecord> record) {
  TVTLValueList& details = record->Details;
  if (records_.empty()) {
    // The first record brings the names (normally none yet); the list shares them from now on.
    property_names_ = details.ShareNames();
  } else if (details.Count() == 0) {
    details.UseSharedNames(property_names_);
  } else {
    // A record that has properties of its own keeps them and gains the list's after them.
    const TVTLValueList& first = records_.front()->Details;
    for (int i = 0; i < first.Count(); ++i) details.AddName(first.Name(i));
  }
  ShareMetadataNames(*record);
  if (indexed_) by_key_.emplace(KeyHash(record->Directory(), record->FileName()), record.get());
  records_.push_back(std::move(record));
  return Count() - 1;
}

void TVTLRecordList::ShareMetadataNames(TVTLRecord& record) {
  // Photos of one camera have the same metadata names: they keep them once.
  for (TVTLValueList* data : {&record.Metadata, &record.PhotoData, &record.Captions}) {
    std::string names_key;
    for (const std::string& name : data->Names()) {
      names_key += name;
      names_key.push_back('\0');
    }
    auto [names, inserted] = metadata_names_.try_emplace(std::move(names_key));
    if (inserted)
      names->second = data->NamesStorage();
    else
      data->ShareEqualNames(names->second);
  }
}

void TVTLRecordList::SetMetadata(TVTLRecord& record, TVTLValueList metadata,
                                 TVTLValueList photo_data, TVTLValueList captions) {
  record.Metadata = std::move(metadata);
  record.PhotoData = std::move(photo_data);
  record.Captions = std::move(captions);
  ShareMetadataNames(record);
}

void TVTLRecordList::AddProperty(const std::string& name) {
  if (records_.empty()) return;
  // The shared names gain the name once; every record an empty value (and the name too, when
  // its names are its own).
  property_names_->push_back(name);
  for (auto& record : records_) record->Details.AddName(name);
}

int TVTLRecordList::PropertyIndex(const std::string& name) const {
  if (!property_names_) return -1;
  for (size_t i = 0; i < property_names_->size(); ++i)
    if (SameTextIgnoreCase((*property_names_)[i], name)) return static_cast<int>(i);
  return -1;
}

bool TVTLRecordList::RenameProperty(const std::string& name, const std::string& new_name) {
  const int index = PropertyIndex(name);
  const int taken = PropertyIndex(new_name);
  if (index < 0 || new_name.empty() || (taken >= 0 && taken != index)) return false;
  // Records on the shared names follow the list's names; a record with names of its own is
  // renamed by itself.
  for (auto& record : records_) {
    if (!record->HasDetail(name)) {
      record->SetHasDetail(name, true);
      record->SetHasDetail(new_name, false);
    }
    TVTLValueList& details = record->Details;
    if (!details.OwnsNames()) continue;
    const int own = details.IndexOf(name);
    if (own >= 0) details.RenameEntry(own, new_name);
  }
  (*property_names_)[static_cast<size_t>(index)] = new_name;
  return true;
}

bool TVTLRecordList::MovePropertyValues(const std::vector<TVTLRecord*>& records,
                                        const std::string& name, const std::string& new_name,
                                        const TVTLRecord*& blocking) {
  blocking = nullptr;
  const int taken = PropertyIndex(new_name);
  if (new_name.empty() || taken == PropertyIndex(name)) return false;
  for (const TVTLRecord* record : records) {
    if (taken >= 0 && !record->Details.ValueOf(new_name).empty() &&
        !record->Details.ValueOf(name).empty()) {
      blocking = record;
      return false;
    }
  }
  if (taken < 0) {
    AddProperty(new_name);
    for (auto& record : records_) record->SetHasDetail(new_name, false);
  }
  for (TVTLRecord* record : records) {
    record->SetHasDetail(new_name, true);
    std::string value = record->Details.ValueOf(name);
    if (value.empty()) continue;
    record->Details.SetValueOf(new_name, std::move(value));
    record->Details.SetValueOf(name, "");
  }
  (void)RemovePropertyFrom(records, name);
  return true;
}

bool TVTLRecordList::RemoveProperty(const std::string& name) {
  const int index = PropertyIndex(name);
  if (index < 0) return false;
  // Every record drops its value first; the shared name goes last, so that the records on it
  // still see the entry they drop.
  for (auto& record : records_) {
    TVTLValueList& details = record->Details;
    const int own = details.OwnsNames() ? details.IndexOf(name) : index;
    if (own >= 0) details.RemoveEntry(own);
  }
  property_names_->erase(property_names_->begin() + index);
  for (auto& record : records_) record->SetHasDetail(name, true);
  return true;
}

bool TVTLRecordList::RemovePropertyFrom(const std::vector<TVTLRecord*>& records,
                                        const std::string& name) {
  if (PropertyIndex(name) < 0) return false;
  for (TVTLRecord* record : records) {
    record->Details.SetValueOf(name, "");
    record->SetHasDetail(name, false);
  }
  for (const auto& record : records_)
    if (record->HasDetail(name) || !record->Details.ValueOf(name).empty()) return true;
  return RemoveProperty(name);
}

bool TVTLRecordList::Reorder(const std::vector<int>& order) {
  if (!IsPermutation(order, Count())) return false;
  std::vector<std::unique_ptr<TVTLRecord>> reordered;
  reordered.reserve(records_.size());
  for (int index : order) reordered.push_back(std::move(records_[static_cast<size_t>(index)]));
  records_ = std::move(reordered);
  return true;
}

void TVTLRecordList::InsertAt(int index, std::unique_ptr<TVTLRecord> record) {
  if (index < 0 || index > Count()) ThrowListIndexError(index);
  // The list's property names are the ones its records share; a list emptied meanwhile has
  // taken another record's names since, and goes back to these.
  if (records_.empty()) {
    TVTLValueList& details = record->Details;
    property_names_ = details.OwnsNames() ? details.ShareNames() : details.NamesStorage();
  }
  if (indexed_) by_key_.emplace(KeyHash(record->Directory(), record->FileName()), record.get());
  records_.insert(records_.begin() + index, std::move(record));
}

TPropertyState TVTLRecordList::SaveProperties() const {
  TPropertyState state;
  if (property_names_) state.names = *property_names_;
  state.records.reserve(records_.size());
  for (const auto& record : records_) {
    const TVTLValueList& details = record->Details;
    TPropertyState::TRecordProperties saved{
        record.get(), details.OwnsNames(), {}, {}, record->AbsentDetails};
    if (saved.own_names) saved.names = details.Names();
    saved.values.reserve(static_cast<size_t>(details.Count()));
    for (int i = 0; i < details.Count(); ++i) saved.values.push_back(details.Value(i));
    state.records.push_back(std::move(saved));
  }
  return state;
}

void TVTLRecordList::RestoreProperties(const TPropertyState& state) {
  if (records_.empty()) return;
  // The names are changed in place: every record on them, also one held outside the list for
  // an undo, has them as they were.
  *property_names_ = state.names;
  std::unordered_map<const TVTLRecord*, const TPropertyState::TRecordProperties*> saved;
  for (const auto& properties : state.records) saved.emplace(properties.record, &properties);
  for (auto& record : records_) {
    const auto found = saved.find(record.get());
    if (found == saved.end()) continue;
    const TPropertyState::TRecordProperties& properties = *found->second;
    TVTLValueList details = properties.own_names ? TVTLValueList() : TVTLValueList(property_names_);
    if (properties.own_names)
      for (const std::string& name : properties.names) details.AddName(name);
    for (size_t i = 0; i < properties.values.size() && static_cast<int>(i) < details.Count(); ++i)
      if (!properties.values[i].empty())
        (void)details.SetValue(static_cast<int>(i), properties.values[i]);
    record->Details = std::move(details);
    record->AbsentDetails = properties.absent;
  }
}

std::unique_ptr<TVTLRecord> TVTLRecordList::RemoveAt(int index) {
  const TVTLRecord& record = Item(index);
  if (indexed_) {
    // Records of one name share a hash: the entry of this record is the one that points to it.
    const auto [first, last] = by_key_.equal_range(KeyHash(record.Directory(), record.FileName()));
    for (auto it = first; it != last; ++it) {
      if (it->second == &record) {
        by_key_.erase(it);
        break;
      }
    }
  }
  std::unique_ptr<TVTLRecord> taken = std::move(records_[static_cast<size_t>(index)]);
  records_.erase(records_.begin() + index);
  return taken;
}

int TVTLRecordList::Remove(const TVTLRecord& record, std::unique_ptr<TVTLRecord>& taken) {
  if (!Contains(record)) return -1;
  for (int i = 0; i < Count(); ++i) {
    if (!SameKey(*records_[static_cast<size_t>(i)], record.Directory(), record.FileName()))
      continue;
    taken = RemoveAt(i);
    return i;
  }
  return -1;
}

bool IsPermutation(const std::vector<int>& order, int count) {
  if (static_cast<int>(order.size()) != count) return false;
  std::vector<bool> seen(order.size(), false);
  for (int index : order) {
    if (index < 0 || index >= count || seen[static_cast<size_t>(index)]) return false;
    seen[static_cast<size_t>(index)] = true;
  }
  return true;
}

TRecordView ViewOf(TVTLRecordList& list) {
  TRecordView view;
  view.reserve(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) view.push_back(&list.Item(i));
  return view;
}

int AddImageFile(TVTLRecordList& list, const std::string& file_name, const std::string& folder_path,
                 const TMetadataReader& read_metadata, TLogger& log) {
  log.Log("AddRecordToList: " + file_name + "," + folder_path);
  // A file already listed is dropped by its name alone, without opening it; any other file
  // only when its first bytes are no photo's.
  log.Log("| Check if already contained...");
  if (list.Contains(folder_path, file_name) || !IsPhotoFile(folder_path + file_name)) {
    log.Log("| AddRecordToList successfully done.");
    return -1;
  }
  log.Log("| Not yet contained!");
  log.Log("| Extension valid!");
  auto record = std::make_unique<TVTLRecord>(folder_path, file_name, read_metadata, log);
  log.Log("| Created Record");
  const int index = list.Add(std::move(record));
  log.Log("| Added to Record list Mem");
  log.Log("| AddRecordToList successfully done.");
  return index;
}

}  // namespace vistrel
