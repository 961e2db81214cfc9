#include "model/record.h"

#include <stdexcept>
#include <utility>

#include "model/file_naming.h"
#include "support/logger.h"
#include "support/text.h"

namespace vistrel {

TVTLRecord::TVTLRecord(std::string directory, std::string file_name,
                       const TMetadataReader& read_metadata, TLogger& log) {
  log.Log("entered TVtlRecord.Create");
  Directory = std::move(directory);
  FileName = std::move(file_name);
  log.Log("| set filepath/-name");
  log.Log("| details created");
  log.Log("| metadata created");
  log.Log("| reading metadata...");
  if (read_metadata) read_metadata(IncludeTrailingPathDelimiter(Directory) + FileName, Metadata);
  log.Log("| done.");
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

std::string TVTLRecordList::Key(const std::string& directory, const std::string& file_name) {
  // The length prefix keeps folder and name apart whatever bytes they hold.
  std::string folder = UpperCase(directory);
  return std::to_string(folder.size()) + ":" + folder + UpperCase(file_name);
}

bool TVTLRecordList::Contains(const TVTLRecord& record) const {
  return Contains(record.Directory, record.FileName);
}

bool TVTLRecordList::Contains(const std::string& directory, const std::string& file_name) const {
  return key_counts_.count(Key(directory, file_name)) > 0;
}

int TVTLRecordList::Add(std::unique_ptr<TVTLRecord> record) {
  if (!records_.empty()) {
    const TVTLValueList& first = records_.front()->Details;
    for (int i = 0; i < first.Count(); ++i) record->Details.AddName(first.Name(i));
  }
  ++key_counts_[Key(record->Directory, record->FileName)];
  records_.push_back(std::move(record));
  return Count() - 1;
}

void TVTLRecordList::AddProperty(const std::string& name) {
  for (auto& record : records_) record->Details.AddName(name);
}

int TVTLRecordList::Remove(const TVTLRecord& record, std::unique_ptr<TVTLRecord>& taken) {
  const std::string key = Key(record.Directory, record.FileName);
  auto count = key_counts_.find(key);
  if (count == key_counts_.end()) return -1;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (Key(records_[i]->Directory, records_[i]->FileName) != key) continue;
    taken = std::move(records_[i]);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
    if (--count->second == 0) key_counts_.erase(count);
    return static_cast<int>(i);
  }
  return -1;
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
  // Both tests need only the names, so a file that is dropped is never opened.
  log.Log("| Check if already contained...");
  if (list.Contains(folder_path, file_name) || !IsJpegFileName(file_name)) {
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
