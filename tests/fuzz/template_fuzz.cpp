// Template reading and expansion: the input is a template, read and run over three images with
// properties, metadata, variant files and two templates' pages, both passes, into a page folder
// that keeps nothing. Whatever the template holds, the passes end within their limits.
#include <memory>

#include "fuzz_support.h"
#include "model/gallery_properties.h"
#include "model/record.h"
#include "csv/skin.h"
#include "support/logger.h"
#include "template/parser.h"

namespace vistrel::fuzz {
namespace {

// The images and settings every input is run over, made once.
struct TWorld {
  TWorld() {
    for (const char* column : {"FILENAME", "NAME", "NEWFILENAME"}) patterns.AddColumn(column);
    auto add_pattern = [&](const char* name, const char* new_name) {
      TVTLValueList& row = patterns.AppendRow();
      row.SetValue(0, "t.tpl");
      row.SetValue(1, name);
      row.SetValue(2, new_name);
    };
    add_pattern("seite", "");
    add_pattern("index", "index.html");
    properties.OutputDirectory = "/nonexistent-vistrel-gallery/";
    properties.HTMLPatterns = &patterns;
    for (const auto& [name, value] :
         {std::pair{"TITEL", "Urlaub <2024>"}, {"SPALTEN", "3"}, {"FARBE", "#102030"}}) {
      properties.RequiredValues.push_back({name, value});
    }
    for (const char* variant : {"THUMB", "BIG"})
      properties.ImageVariants.push_back({variant, "", {}});
    auto page_names = std::make_shared<TNamesList>(TNamesList{"seite", "index"});
    auto variant_names = std::make_shared<TNamesList>(TNamesList{"THUMB", "BIG"});
    const char* names[] = {"a.jpg", "hoch.JPG", "c d.jpeg"};
    for (int i = 0; i < 3; ++i) {
      auto metadata = [i](const std::string&, TVTLValueList& list, TVTLValueList& photo,
                          TVTLValueList& captions) {
        list.AddName("EquipMake");
        list.SetValueOf("EquipMake", "Canon \"<&>\"");
        list.AddName("Width");
        list.SetValueOf("Width", i == 1 ? "300" : "400");
        list.AddName("Height");
        list.SetValueOf("Height", i == 1 ? "400" : "300");
        for (const auto& [name, value] : {std::pair{"APERTURE", "f/5,6"},
                                          {"GPS", "47.376887,8.541694"},
                                          {"CAMERA", "Canon <EOS>"}}) {
          photo.AddName(name);
          photo.SetValueOf(name, value);
        }
        captions.AddName("TITLE");
        captions.SetValueOf("TITLE", "Möwe <am> \"Hafen\"");
      };
      records.Add(std::make_unique<TVTLRecord>("/fotos/", names[i], metadata, log));
    }
    records.AddProperty("Titel");
    records.AddProperty("Ort");
    records.Item(0).Details.SetValue(0, "Am <See>");
    records.Item(2).Details.SetValue(1, "Bern");
    for (int i = 0; i < records.Count(); ++i) {
      records.Item(i).PageFiles = std::make_unique<TVTLValueList>(page_names);
      records.Item(i).VariantFiles = std::make_unique<TVTLValueList>(variant_names);
      records.Item(i).VariantFiles->SetValue(0, properties.OutputDirectory + "th_" + names[i]);
    }
  }
  TLogger log;
  TVTLRecordList records;
  THTMLPatternValueList patterns;
  TVTLGalleryProperties properties;
  TDiscardingPageFolder folder;
};

}  // namespace
}  // namespace vistrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  static fuzz::TWorld world;
  TParserContext context;
  context.records = ViewOf(world.records);
  context.properties = &world.properties;
  context.output = &world.folder;
  context.max_page_size = 1 << 20;  // the limit works alike, and a fuzzer stays fast
  TVTLParser parser(std::move(context));
  parser.RefreshVariables();
  try {
    if (!parser.ReadTemplateText(fuzz::Text(data, size), "t.tpl", {})) return 0;
    for (int pattern = 0; pattern < 2; ++pattern)
      if (parser.PlanPages(pattern, {})) (void)parser.WritePages(pattern, {});
  } catch (const EParserError&) {
    // a conditional block without its end: the run's error, not a fault
  } catch (const EOutputError&) {
  }
  return 0;
}
