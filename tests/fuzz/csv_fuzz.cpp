// The CSV dialect and the image list file: the input read as a table with a header line and as
// an image list (the photos it names are not read).
#include "csv/csv_file.h"
#include "csv/record_file.h"
#include "fuzz_support.h"
#include "model/record.h"
#include "model/value_list.h"
#include "support/logger.h"
#include "support/user_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  const std::string_view text = fuzz::Text(data, size);
  RecordedMessages messages;
  TVTL2dValueList table;
  TCSVFile csv(table);
  (void)csv.LoadFromText(text, "fuzz.csv", messages);
  for (int r = 0; r < table.Count(); ++r)
    fuzz::Require(table.Row(r).Count() == table.ColumnCount());

  TLogger log;
  TVTLRecordList list;
  TCSVVTLRecordFile list_file;
  (void)list_file.LoadRecordListFromText(list, text, nullptr, log, messages);
  // Every record has the same property names.
  for (int i = 1; i < list.Count(); ++i)
    fuzz::Require(list.Item(i).Details.Count() == list.Item(0).Details.Count());
  return 0;
}
