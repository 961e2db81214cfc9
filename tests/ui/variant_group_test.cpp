#include "ui/variant_group.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QTest>
#include <memory>
#include <string>

#include "model/color.h"
#include "model/value_list.h"
#include "ui/find_child.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// A row of a skin's image variants: NAME, DESCRIPTION, DEFAULTMAXWIDTH, DEFAULTMAXHEIGHT,
// NEWNAME.
std::unique_ptr<TVTLValueList> VariantRow(const std::string& width, const std::string& height) {
  auto row = std::make_unique<TVTLValueList>();
  const std::pair<const char*, std::string> cells[] = {{"NAME", "THUMB"},
                                                       {"DESCRIPTION", "Vorschaubilder"},
                                                       {"DEFAULTMAXWIDTH", width},
                                                       {"DEFAULTMAXHEIGHT", height},
                                                       {"NEWNAME", "th_%old%"}};
  for (const auto& [name, value] : cells) {
    row->AddName(name);
    row->SetValueOf(name, value);
  }
  return row;
}

TEST(VariantGroupTest, StartsWithTheSkinsSizeAndQuality80AndHandsOverWhatIsTyped) {
  QWidget parent;
  TVariantGroup group(*VariantRow(" 160 ", "120"), &parent);
  EXPECT_EQ(group.Name(), "THUMB");
  EXPECT_EQ(group.title(), "Vorschaubilder ");
  TVariantSetting setting = group.Setting();
  EXPECT_EQ(setting.max_width, "160");
  EXPECT_EQ(setting.max_height, "120");
  EXPECT_EQ(setting.quality, "80");
  group.MaxWidth().SetValue("1024");
  group.MaxHeight().SpinBox().stepBy(1);
  group.Quality().SetValue("95");
  setting = group.Setting();
  EXPECT_EQ(setting.max_width, "1024");
  EXPECT_EQ(setting.max_height, "121");
  EXPECT_EQ(setting.quality, "95");
  // The parts are found by their names.
  EXPECT_EQ(&Child<QWidget>(group, "maxWidth"), group.MaxWidth().Widget());
  EXPECT_EQ(&Child<QWidget>(group, "quality"), group.Quality().Widget());
}

// The boxes take only what a run takes; what a skin gives outside that is shown, marked.
TEST(VariantGroupTest, BoxesHaveTheRangesOfARunAndShowADefaultOutsideThemAsItIs) {
  QWidget parent;
  TVariantGroup group(*VariantRow("0", "20000"), &parent);
  const struct {
    TPanLabeledSpinEdit& control;
    int minimum, maximum;
    const char* label;
    bool in_range;
  } cases[] = {{group.MaxWidth(), 1, 16384, "Maximale Breite: ", false},
               {group.MaxHeight(), 1, 16384, "Maximale Höhe: ", false},
               {group.Quality(), 0, 100, "JPG-Qualität (0-100): ", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.control.SpinBox().Minimum(), c.minimum) << c.label;
    EXPECT_EQ(c.control.SpinBox().Maximum(), c.maximum) << c.label;
    EXPECT_EQ(c.control.LabelText(), c.label);
    EXPECT_EQ(c.control.SpinBox().InRange(), c.in_range) << c.label;
  }
  EXPECT_EQ(group.Setting().max_width, "0");
  EXPECT_EQ(group.Setting().max_height, "20000");
  group.MaxHeight().SpinBox().stepBy(1);  // onto the nearest end of the range
  EXPECT_EQ(group.Setting().max_height, "16384");
}

TEST(VariantGroupTest, ADefaultSizeThatIsNoWholeNumberIsRefused) {
  QWidget parent;
  for (const auto& [width, height] : std::vector<std::pair<std::string, std::string>>{
           {"1.5", "120"}, {"160", "hoch"}, {"", "120"}})
    EXPECT_THROW(TVariantGroup(*VariantRow(width, height), &parent), EConvertError)
        << width << " x " << height;
  EXPECT_TRUE(parent.findChildren<QWidget*>().isEmpty());
}

TEST(VariantGroupTest, TheThreeControlsStandSideBySideInTheirColumns) {
  QWidget parent;
  auto* layout = new QHBoxLayout(&parent);
  auto* group = new TVariantGroup(*VariantRow("160", "120"), &parent);
  layout->addWidget(group);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  const QWidget* width = group->MaxWidth().Widget();
  const QWidget* height = group->MaxHeight().Widget();
  const QWidget* quality = group->Quality().Widget();
  EXPECT_EQ(height->y(), width->y());
  EXPECT_EQ(quality->y(), width->y());
  EXPECT_GE(height->x() - width->x(), 170);
  EXPECT_GE(quality->x() - height->x(), 170);
  EXPECT_GT(height->x(), width->geometry().right());
  EXPECT_GT(quality->x(), height->geometry().right());
  EXPECT_LE(quality->geometry().right(), group->contentsRect().right());
  for (const QWidget* control : {width, height, quality}) {
    const QLabel& label = Child<QLabel>(*control, "Lbl");
    EXPECT_GE(label.width(), label.fontMetrics().horizontalAdvance(label.text()))
        << label.text().toStdString();
  }
}

}  // namespace
}  // namespace vistrel
