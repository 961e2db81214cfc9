#include "template/template_harness.h"

#include <sys/stat.h>

#include "model/file_naming.h"

namespace vistrel::testing {

TemplateHarness::TemplateHarness() {
  skin_dir = dir / "skin/";
  out_dir = dir / "out/";
  ::mkdir(skin_dir.c_str(), 0755);
  ::mkdir(out_dir.c_str(), 0755);
  for (const char* column : {"FILENAME", "NAME", "NEWFILENAME"}) patterns.AddColumn(column);
  properties.OutputDirectory = out_dir;
  properties.HTMLPatterns = &patterns;
}

TVTLRecord& TemplateHarness::AddImage(const std::string& name, int width, int height) {
  auto reader = [width, height](const std::string&, TVTLValueList& metadata, TVTLValueList&,
                                TVTLValueList&) {
    metadata.AddName("DateTime");
    metadata.SetValueOf("DateTime", "2024:01:01 12:00:00");
    metadata.AddName("Width");
    metadata.SetValueOf("Width", std::to_string(width));
    metadata.AddName("Height");
    metadata.SetValueOf("Height", std::to_string(height));
  };
  records.Add(std::make_unique<TVTLRecord>("/photos/", name, reader, log_));
  return records.Item(records.Count() - 1);
}

void TemplateHarness::AddImages(int count) {
  for (int i = 1; i <= count; ++i) AddImage("img" + std::to_string(i) + ".jpg");
}

void TemplateHarness::SetValue(const std::string& name, const std::string& value) {
  properties.RequiredValues.push_back({name, value});
}

void TemplateHarness::AddVariant(const std::string& name) {
  properties.ImageVariants.push_back({name, name + "_%old%", {}});
}

void TemplateHarness::AddTemplate(const std::string& file, const std::string& name,
                                  const std::string& new_file_name, const std::string& contents) {
  TVTLValueList& row = patterns.AppendRow();
  row.SetValue(0, file);
  row.SetValue(1, name);
  row.SetValue(2, new_file_name);
  WriteFile(skin_dir + file, contents);
}

bool TemplateHarness::Run() {
  auto page_names = std::make_shared<TNamesList>();
  for (int j = 0; j < patterns.Count(); ++j) page_names->push_back(patterns.Row(j).Value(1));
  auto variant_names = std::make_shared<TNamesList>();
  for (const TImageVariant& variant : properties.ImageVariants)
    variant_names->push_back(variant.name);
  for (int i = 0; i < records.Count(); ++i) {
    TVTLRecord& image = records.Item(i);
    image.PageFiles = std::make_unique<TVTLValueList>(page_names);
    image.VariantFiles = std::make_unique<TVTLValueList>(variant_names);
    image.VariantSizes = sizes;
    const std::string base = RemoveFileExt(image.FileName());
    for (int l = 0; l < static_cast<int>(variant_names->size()); ++l)
      image.VariantFiles->SetValue(l, out_dir + (*variant_names)[l] + "_" + base + ".jpg");
  }
  TOutputFolder output(SystemDisk(), out_dir);
  TReportCallback report = [this](int step, int, int, int, int, const std::string& message) {
    reports.push_back(std::to_string(step) + "|" + message);
  };
  parsers.clear();
  for (int j = 0; j < patterns.Count(); ++j) {
    TParserContext context;
    context.records = ViewOf(records);
    context.properties = &properties;
    context.output = &output;
    context.disk = &SystemDisk();
    context.messages = &messages;
    context.max_page_size = max_page_size;
    auto parser = std::make_unique<TVTLParser>(std::move(context));
    parser->RefreshVariables();
    if (!parser->ReadTemplate(skin_dir + patterns.Row(j).Value(0), report)) return false;
    if (!parser->PlanPages(j, report)) return false;
    parsers.push_back(std::move(parser));
  }
  for (int j = 0; j < patterns.Count(); ++j)
    if (!parsers[j]->WritePages(j, report)) return false;
  return true;
}

std::string TemplateHarness::Page(const std::string& relative) const {
  std::string text = ReadFile(out_dir + relative);
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result.push_back(text[i]);
  }
  return result;
}

std::string TemplateHarness::PageOf(int index, int template_index) const {
  const std::string path = records.Item(index).PageFiles->Value(template_index);
  return path.substr(out_dir.size());
}

std::string PageText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "\n" + line;
  return text;
}

}  // namespace vistrel::testing
