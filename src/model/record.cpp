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
  if (index < 0 || index >= Count())
    throw std::out_of_range("Listenindex überschreitet das Maximum (" + std::to_string(index) +
                            ")");
  return *records_[index];
}

const TVTLRecord& TVTLRecordList::Item(int index) const {
  return const_cast<TVTLRecordList*>(this)->Item(index);
}

std::string TVTLRecordList::Key(const TVTLRecord& record) {
  // The length prefix keeps folder and name apart whatever bytes they hold.
  std::string folder = UpperCase(record.Directory);
  return std::to_string(folder.size()) + ":" + folder + UpperCase(record.FileName);
}

bool TVTLRecordList::Contains(const TVTLRecord& record) const {
  return key_counts_.count(Key(record)) > 0;
}

int TVTLRecordList::Add(std::unique_ptr<TVTLRecord> record) {
  if (!records_.empty()) {
    const TVTLValueList& first = records_.front()->Details;
    for (int i = 0; i < first.Count(); ++i) record->Details.AddName(first.Name(i));
  }
  ++key_counts_[Key(*record)];
  records_.push_back(std::move(record));
  return Count() - 1;
}

void TVTLRecordList::AddProperty(const std::string& name) {
  for (auto& record : records_) record->Details.AddName(name);
}

int TVTLRecordList::Remove(const TVTLRecord& record, std::unique_ptr<TVTLRecord>& taken) {
  const std::string key = Key(record);
  auto count = key_counts_.find(key);
  if (count == key_counts_.end()) return -1;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (Key(*records_[i]) != key) continue;
    taken = std::move(records_[i]);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
    if (--count->second == 0) key_counts_.erase(count);
    return static_cast<int>(i);
  }
  return -1;
}

}  // namespace vistrel
