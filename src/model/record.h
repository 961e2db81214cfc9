// Image records and the image list: the program's document.
//
// A TVTLRecord is one photo of the gallery: its folder and file name, the user's free
// properties (Details), the metadata read from the file when the record is created (with the
// same data made ready for display, PhotoData, and the photo's own captions, Captions), and two
// lists that a generation run fills: the files written for each image variant (VariantFiles)
// and the page on which the image stands in each template (PageFiles). The record owns them all.
//
// TVTLRecordList keeps the records in gallery order and owns them. Its operations keep every
// record's property names equal (same names, same order), and the records of a list share one
// list of those names: a record holds only its values, so a list file with long property names
// costs memory in proportion to its size. Records whose metadata have the same entry names (the
// photos of one camera) share those names as well. Contains() is a hash lookup on the
// case-folded folder and file name, so adding thousands of images stays linear; the hash index
// is made on the first Contains(), so reading a list file, which has no duplicate test, costs
// no index.
//
// The metadata reader is handed in by the creator (the imaging module provides the real one),
// which keeps this module free of image libraries. Not thread-safe; one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/value_list.h"

namespace vistrel {

class TLogger;

// Fills `metadata` with the entries of the file at `path`, `photo_data` with its display-ready
// data and `captions` with its own captions (ReadPhotoMetadata in production).
using TMetadataReader = std::function<void(const std::string& path, TVTLValueList& metadata,
                                           TVTLValueList& photo_data, TVTLValueList& captions)>;

class TVTLRecord {
 public:
  // Stores the folder and name as given and reads the file's metadata. Trace lines go to `log`.
  TVTLRecord(std::string directory, std::string file_name, const TMetadataReader& read_metadata,
             TLogger& log);
  TVTLRecord(const TVTLRecord&) = delete;
  TVTLRecord& operator=(const TVTLRecord&) = delete;

  // The folder and the file name as given when the record was made. They are the record's key
  // in its list's index, so they never change.
  const std::string& Directory() const { return directory_; }
  const std::string& FileName() const { return file_name_; }
  // Directory directly followed by FileName; no separator is inserted.
  std::string FullPath() const { return directory_ + file_name_; }
  // The metadata entries "Width" and "Height" as whole numbers; 0 when missing or not a number.
  int Width() const;
  int Height() const;
  // Whether the image has its list's property `name` (ignoring case): every image has each
  // property of the list, unless it was taken from the image alone (AbsentDetails).
  bool HasDetail(const std::string& name) const;
  // Gives the image the property `name` again, or takes it away (its value stays as it is).
  void SetHasDetail(const std::string& name, bool has);

  TVTLValueList Metadata;
  TVTLValueList PhotoData;  // aperture, exposure, ... as a gallery shows them (photo_data.h)
  TVTLValueList Captions;   // title, description, ... as the photo has them (photo_captions.h)
  TVTLValueList Details;
  // The properties of the list that this image does not have, as the list names them. Details
  // holds an empty value for each, since the list is a table; a list file does not keep them.
  std::vector<std::string> AbsentDetails;
  std::unique_ptr<TVTLValueList> VariantFiles;  // during a run only
  // During a run: the size in pixels of each variant's copy (width, height), by variant.
  std::vector<std::pair<uint32_t, uint32_t>> VariantSizes;
  std::string OriginalFile;  // during a run: the copy of the photo itself, when one was made
  std::unique_ptr<TVTLValueList> PageFiles;  // from a run until the next one

 private:
  std::string directory_;
  std::string file_name_;
};

// The properties of a list at one moment (TVTLRecordList::SaveProperties).
struct TPropertyState {
  struct TRecordProperties {
    const TVTLRecord* record;
    bool own_names;                   // the record's property names are its own ...
    std::vector<std::string> names;   // ... and these
    std::vector<std::string> values;  // one for each of its property names
    std::vector<std::string> absent;  // AbsentDetails
  };
  std::vector<std::string> names;  // the list's property names
  std::vector<TRecordProperties> records;
};

class TVTLRecordList {
 public:
  TVTLRecordList() = default;
  TVTLRecordList(const TVTLRecordList&) = delete;
  TVTLRecordList& operator=(const TVTLRecordList&) = delete;

  int Count() const { return static_cast<int>(records_.size()); }
  // Record at a 0-based index; outside 0..Count()-1 throws std::out_of_range.
  TVTLRecord& Item(int index);
  const TVTLRecord& Item(int index) const;

  // True when a record has the same Directory and FileName, each compared ignoring case.
  bool Contains(const TVTLRecord& record) const;
  bool Contains(const std::string& directory, const std::string& file_name) const;
  // The first record with that Directory and FileName (ignoring case); nullptr when none.
  TVTLRecord* Find(const std::string& directory, const std::string& file_name);
  const TVTLRecord* Find(const std::string& directory, const std::string& file_name) const;
  // Appends the record (no duplicate test) and returns its index. A record added to a list
  // that already holds one gets the first record's property names, with empty values.
  int Add(std::unique_ptr<TVTLRecord> record);
  // Puts the metadata read for `record` (a record of this list made without a reader) into it:
  // its Metadata, PhotoData and Captions are replaced, and their names are kept once for all
  // records with the same names, as for records added with their metadata.
  void SetMetadata(TVTLRecord& record, TVTLValueList metadata, TVTLValueList photo_data,
                   TVTLValueList captions);
  // Gives every record the property `name` with an empty value.
  void AddProperty(const std::string& name);
  // The index of the property `name` (ignoring case) among the list's property names, or -1.
  int PropertyIndex(const std::string& name) const;
  // Renames the property `name` (ignoring case) of every record, keeping its values. False, and
  // no change, when there is no such property, `new_name` is empty, or another property is
  // called `new_name` already (a change of letter case only is a rename).
  [[nodiscard]] bool RenameProperty(const std::string& name, const std::string& new_name);
  // Renames the property `name` for `records` (records of this list) alone: their values move
  // to the property `new_name`, which they then have and no longer `name` (RemovePropertyFrom).
  // A `new_name` the list has not yet is made for them alone: the other records do not have
  // it. False, and no change, when `new_name` is empty or is `name` itself (ignoring case), or
  // when one of `records` has a value under both names: `blocking` then points to that record
  // (else null). A value is never overwritten.
  [[nodiscard]] bool MovePropertyValues(const std::vector<TVTLRecord*>& records,
                                        const std::string& name, const std::string& new_name,
                                        const TVTLRecord*& blocking);
  // Takes the property `name` (ignoring case) with its values out of every record; false when
  // there is none.
  [[nodiscard]] bool RemoveProperty(const std::string& name);
  // Takes the property `name` (ignoring case) from `records` alone: their values are emptied
  // and they no longer have it; the other records keep it. Once no record has it nor a value
  // for it, it leaves the list. False when there is no such property.
  [[nodiscard]] bool RemovePropertyFrom(const std::vector<TVTLRecord*>& records,
                                        const std::string& name);
  // Puts the records into the order `order`: the record at index order[i] becomes record i.
  // False, and no change, unless IsPermutation(order, Count()).
  [[nodiscard]] bool Reorder(const std::vector<int>& order);
  // Takes the record at a 0-based index out of the list and hands it over; outside
  // 0..Count()-1 throws std::out_of_range. A list may hold two records of one name (a list
  // file is read without a duplicate test): this takes exactly the one at `index`.
  std::unique_ptr<TVTLRecord> RemoveAt(int index);
  // Puts `record`, taken out of this list with RemoveAt(), back at `index` (0..Count()), as it
  // was: its properties are not matched again. Outside 0..Count() throws std::out_of_range.
  void InsertAt(int index, std::unique_ptr<TVTLRecord> record);
  // The property names of the list and every record's property values and absent properties,
  // and the same put back into the records that are in the list; records not in the list keep
  // theirs. For undoing a change of properties.
  TPropertyState SaveProperties() const;
  void RestoreProperties(const TPropertyState& state);
  // Takes the first record with the same Directory and FileName (ignoring case) out of the
  // list into `taken` and returns its former index; -1 and no change when there is none.
  int Remove(const TVTLRecord& record, std::unique_ptr<TVTLRecord>& taken);

 private:
  // A hash of the folder and file name, each folded to capitals.
  static uint64_t KeyHash(const std::string& directory, const std::string& file_name);
  static bool SameKey(const TVTLRecord& record, const std::string& directory,
                      const std::string& file_name);

  // Makes by_key_ when it is first needed: a list file is read without a duplicate test, and a
  // list read whole does not pay for an index it may never use.
  void BuildIndex() const;
  // Lets the record's metadata lists share their names with earlier records of the same names.
  void ShareMetadataNames(TVTLRecord& record);

  std::vector<std::unique_ptr<TVTLRecord>> records_;
  mutable std::unordered_multimap<uint64_t, const TVTLRecord*> by_key_;
  mutable bool indexed_ = false;                // by_key_ holds every record
  std::shared_ptr<TNamesList> property_names_;  // shared by the records' Details
  // The metadata names lists of the records, one per distinct list (joined by NUL).
  std::unordered_map<std::string, std::shared_ptr<TNamesList>> metadata_names_;
};

// True when `order` holds every index 0..count-1 exactly once.
bool IsPermutation(const std::vector<int>& order, int count);

// The images a run shows, in gallery order: records of an image list, which must outlive the
// view. A run leaves out the images it could not process.
using TRecordView = std::vector<TVTLRecord*>;
// Every record of `list`, in list order.
TRecordView ViewOf(TVTLRecordList& list);

// Adds the image `file_name` in `folder_path` (with its trailing "/") to `list` the way every
// way of adding images does: a file already in the list (folder and name ignoring case) or one
// that is no photo (photo_format.h) is dropped silently. Returns the index of the new record,
// or -1.
int AddImageFile(TVTLRecordList& list, const std::string& file_name, const std::string& folder_path,
                 const TMetadataReader& read_metadata, TLogger& log);

}  // namespace vistrel
