#include "settings/PicsSettings.h"

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

namespace vantora {
namespace {

TEST(PicsSettings, MissingOrBadValuesMeanTheDefaults) {
  test::TempFolder folder;
  TIniFile ini(folder.Path() + "/scr.ini");
  EXPECT_EQ(ReadPicsSettings(ini), TPicsSettings{});  // no file at all

  struct Case {
    const char* key;
    const char* value;
    TPicsSettings expected;
  };
  const Case cases[] = {
      {"subfolders", "yes", {.Subfolders = true}},
      {"subfolders", "YES", {}},  // words compare exactly, as every choice does
      {"subfolders", "1", {}},  // yes or no only
      {"norepeat", "yes", {.NoRepeat = true}},
      {"norepeat", "maybe", {}},
      {"caption", "date", {.Caption = TCaption::Date}},
      {"caption", "both", {.Caption = TCaption::Both}},
      {"caption", "name", {.Caption = TCaption::Name}},
      {"caption", "time", {}},
      {"minside", "200", {.MinSide = 200}},
      {"minside", "-5", {}},
      {"minside", "12px", {}},
      {"minside", "0x40", {.MinSide = 64}},
      {"minside", "99999999999", {}},
  };
  for (const Case& c : cases) {
    test::TempFolder each;
    TIniFile file(each.Path() + "/scr.ini");
    file.WriteString("pics", c.key, c.value);
    EXPECT_EQ(ReadPicsSettings(file), c.expected) << c.key << "=" << c.value;
  }
}

TEST(PicsSettings, WrittenValuesReadBackInTheirOwnSection) {
  test::TempFolder folder;
  TIniFile ini(folder.Path() + "/scr.ini");
  ini.WriteString("sys", "1", "0");
  const TPicsSettings s{true, true, TCaption::Both, 640};
  WritePicsSettings(ini, s);
  EXPECT_EQ(ReadPicsSettings(ini), s);
  EXPECT_EQ(ini.ReadString("pics", "caption", ""), "both");
  EXPECT_EQ(ini.ReadString("pics", "subfolders", ""), "yes");
  EXPECT_EQ(ini.ReadString("sys", "1", ""), "0");
}

}  // namespace
}  // namespace vantora
