#include "ui/runtime_controls.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "model/color.h"
#include "model/value_list.h"
#include "ui/fake_dialogs.h"
#include "ui/find_child.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// A row of a skin's required values: VARIABLENAME, DESCRIPTION, TYPE, DEFAULTVALUE.
std::unique_ptr<TVTLValueList> RequiredValueRow(const std::string& type,
                                                const std::string& default_value) {
  auto row = std::make_unique<TVTLValueList>();
  const std::pair<const char*, std::string> cells[] = {{"VARIABLENAME", "WERT"},
                                                       {"DESCRIPTION", "Beschreibung"},
                                                       {"TYPE", type},
                                                       {"DEFAULTVALUE", default_value}};
  for (const auto& [name, value] : cells) {
    row->AddName(name);
    row->SetValueOf(name, value);
  }
  return row;
}

TEST(RuntimeControlsTest, EachTypeOfValueGetsItsControlWithTheDefaultAsARunTakesIt) {
  enum Kind { kNone, kText, kColour, kNumber, kThrows };
  const struct {
    const char* type;
    const char* default_value;
    Kind kind;
    const char* value;
  } cases[] = {
      {"TEXT", "Meine Bilder", kText, "Meine Bilder"},
      {"text", " mit Blanks ", kText, " mit Blanks "},
      {"Color", "#00ff80", kColour, "#00FF80"},
      {"COLOR", "  x102030", kColour, "#102030"},
      {"COLOR", "blau", kThrows, ""},
      {"number", "99999999", kNumber, "16777215"},  // limited to the range
      {"NUMBER", "-3", kNumber, "0"},
      {"NUMBER", " 42 ", kNumber, "42"},
      {"NUMBER", "zwei", kThrows, ""},
      {"DATE", "heute", kNone, ""},
      {"", "", kNone, ""},
  };
  FakeDialogs dialogs;
  QWidget parent;
  for (const auto& c : cases) {
    const std::unique_ptr<TVTLValueList> row = RequiredValueRow(c.type, c.default_value);
    const std::string name = std::string(c.type) + " " + c.default_value;
    if (c.kind == kThrows) {
      EXPECT_THROW(MakeValueControl(*row, &parent, dialogs), EConvertError) << name;
      continue;
    }
    const std::unique_ptr<TVTLRuntimeControl> control = MakeValueControl(*row, &parent, dialogs);
    if (c.kind == kNone) {
      EXPECT_EQ(control, nullptr) << name;
      continue;
    }
    ASSERT_NE(control, nullptr) << name;
    EXPECT_EQ(control->GetValue(), c.value) << name;
    EXPECT_EQ(control->LabelText(), "Beschreibung:") << name;
    EXPECT_EQ(dynamic_cast<TPanLabeledEdit*>(control.get()) != nullptr, c.kind == kText) << name;
    EXPECT_EQ(dynamic_cast<TPanColorSelector*>(control.get()) != nullptr, c.kind == kColour)
        << name;
    auto* number = dynamic_cast<TPanLabeledSpinEdit*>(control.get());
    ASSERT_EQ(number != nullptr, c.kind == kNumber) << name;
    if (number) {
      EXPECT_EQ(number->SpinBox().Maximum(), 16777215) << name;
    }
  }
  EXPECT_TRUE(parent.findChildren<QLineEdit*>().isEmpty());  // every panel went with its control
}

TEST(RuntimeControlsTest, ColourControlShowsAndHandsOutColourText) {
  FakeDialogs dialogs;
  QWidget parent;
  TPanColorSelector control(&parent, 250, 260);
  control.SetColorDialog(&dialogs);
  control.SetColorText("#00ff80");
  EXPECT_EQ(control.GetValue(), "#00FF80");
  control.SetValue("  x102030");
  EXPECT_EQ(control.GetValue(), "#102030");
  control.SetColorText("#00ff8");
  EXPECT_EQ(control.GetValue(), "#00FF08");
  EXPECT_THROW(control.SetColorText("#00ff"), EConvertError);
  // Black is written in white: the swatch's text colour is the complement.
  control.SetColor(0x000000);
  const QLabel& swatch = Child<QLabel>(*control.Widget(), "Swatch");
  const QImage picture = swatch.pixmap().toImage();
  EXPECT_EQ(picture.size(), swatch.size());
  bool white_text = false;
  for (int y = 0; y < picture.height() && !white_text; ++y)
    for (int x = 0; x < picture.width() && !white_text; ++x)
      white_text = picture.pixelColor(x, y) == Qt::white;
  EXPECT_TRUE(white_text);
  // Cancelling the colour dialog changes nothing; choosing sets the colour.
  control.ChooseColor();
  EXPECT_EQ(control.GetValue(), "#000000");
  dialogs.colors = {QColor(255, 0, 0)};
  QPushButton& change = Child<QPushButton>(*control.Widget(), "ChangeButton");
  change.click();
  EXPECT_EQ(control.GetValue(), "#FF0000");
  EXPECT_EQ(control.Color(), 0x0000FFu);
  // The dialog opens at the colour the control has, not at white or the last one chosen.
  control.SetColorText("#336699");
  control.ChooseColor();
  EXPECT_EQ(dialogs.colors_shown,
            (std::vector<QColor>{QColor(0, 0, 0), QColor(0, 0, 0), QColor(0x33, 0x66, 0x99)}));
  // Laid out: the caption, the swatch and then the button, side by side in the input width.
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  EXPECT_GE(swatch.x(), 250);
  EXPECT_GE(change.x(), swatch.geometry().right());
  EXPECT_LE(change.geometry().right(), 250 + 260);
}

TEST(RuntimeControlsTest, NumberBoxNeverChangesAValueBehindTheUsersBack) {
  QWidget parent;
  TPanLabeledSpinEdit control(&parent, 100, 50);
  TSpinEdit& box = control.SpinBox();
  EXPECT_EQ(control.GetValue(), "0");
  control.SetValue("0");
  box.SetRange(1, 16384);
  EXPECT_EQ(control.GetValue(), "0");  // shown as it is, marked as outside the range
  EXPECT_FALSE(box.InRange());
  EXPECT_EQ(box.toolTip(), "Erlaubt sind Werte von 1 bis 16.384.");
  box.stepBy(1);
  EXPECT_EQ(control.GetValue(), "1");  // stepped into the range
  EXPECT_TRUE(box.InRange());
  // A number typed below the minimum stays when the user leaves the box: it is not turned into
  // another number unseen.
  box.selectAll();
  QTest::keyClicks(&box, "0");
  emit box.editingFinished();
  EXPECT_EQ(control.GetValue(), "0");
  EXPECT_FALSE(box.InRange());
  // A number above the maximum stays as typed, marked; it never loses a digit unseen.
  for (const char* typed : {"20000", "99999"}) {
    box.selectAll();
    QTest::keyClicks(&box, typed);
    emit box.editingFinished();
    EXPECT_EQ(box.text(), typed);
    EXPECT_FALSE(box.InRange()) << typed;
    EXPECT_EQ(box.palette().color(QPalette::Text), QColor(192, 0, 0)) << typed;
  }
  // A minus sign cannot be typed.
  box.selectAll();
  QTest::keyClicks(&box, "-5");
  EXPECT_EQ(box.text(), "5");
  control.SetValue("20000");  // a skin's default is shown as it is
  EXPECT_EQ(control.GetValue(), "20000");
  EXPECT_FALSE(box.InRange());
  box.stepBy(-1);
  EXPECT_EQ(control.GetValue(), "16384");
  // Text that is no whole number is refused and changes nothing.
  for (const char* text : {"", "1.5", "zwei", "12a", "99999999999"})
    EXPECT_THROW(control.SetValue(text), EConvertError) << text;
  EXPECT_EQ(control.GetValue(), "16384");

  TPanLabeledSpinEdit unlimited(&parent, 100, 50);
  unlimited.SetValue("-40");
  unlimited.SpinBox().stepBy(-1);
  EXPECT_EQ(unlimited.GetValue(), "-41");
  EXPECT_TRUE(unlimited.SpinBox().InRange());
}

TEST(RuntimeControlsTest, DestroyingAControlRemovesItsPanel) {
  QWidget parent;
  {
    TPanLabeledEdit control(&parent, 250, 260);
    control.SetValue("Wert");
    EXPECT_EQ(control.GetValue(), "Wert");
    EXPECT_EQ(parent.findChildren<QLineEdit*>().size(), 1);
  }
  EXPECT_TRUE(parent.findChildren<QLineEdit*>().isEmpty());
}

// A caption longer than the label width widens the label, so nothing of it is cut off; a
// short one keeps the label width, so the inputs of a column of controls line up.
TEST(RuntimeControlsTest, ALongCaptionWidensTheLabel) {
  QWidget parent;
  TPanLabeledEdit control(&parent, 100, 50);
  const QLabel& label = Child<QLabel>(*control.Widget(), "Lbl");
  const QString long_text = "Eine sehr lange Beschreibung des Wertes, den der Skin braucht:";
  control.SetLabelText(long_text);
  EXPECT_GE(label.width(), label.fontMetrics().horizontalAdvance(long_text));
  EXPECT_GE(control.Widget()->sizeHint().width(), label.width() + 50);
  control.SetLabelText("Kurz:");
  EXPECT_EQ(label.width(), 100);
}

}  // namespace
}  // namespace vistrel
