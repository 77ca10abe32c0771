// The key table: what each reader gets from a missing file, how choices
// read, and what the default-settings button leaves in the file.

#include <gtest/gtest.h>

#include <string>

#include "settings/IniFile.h"
#include "settings/SettingKeys.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
using test::FileText;
using test::TempFolder;

namespace {

TEST(SettingKeys, AMissingFileGivesEachReaderItsOwnDefaults) {
  TempFolder folder;
  const TIniFile ini(folder.Path("scr.ini"));
  // The show: list order, effects in sequence, 15 s, own size, step 6.
  EXPECT_TRUE(ReadSetting(ini, settings::ListOrder));
  EXPECT_TRUE(ReadSetting(ini, settings::EffectsInSequence));
  EXPECT_EQ(ReadSetting(ini, settings::DisplayInterval), 15000);
  EXPECT_EQ(ReadSetting(ini, settings::Fitting), 0);
  EXPECT_EQ(ReadSetting(ini, settings::Step), 6);
  EXPECT_FALSE(ReadSetting(ini, settings::LoopPlaylist));
  EXPECT_FALSE(ReadYes(ini, settings::MusicOn));
  // The configuration windows: random order, 13 s, the loop box on.
  EXPECT_FALSE(ReadSetting(ini, settings::ListOrder, srConfig));
  EXPECT_FALSE(ReadSetting(ini, settings::EffectsInSequence, srConfig));
  EXPECT_EQ(ReadSetting(ini, settings::DisplayInterval, srConfig), 13000);
  EXPECT_EQ(ReadSetting(ini, settings::Step, srConfig), 6);
  EXPECT_TRUE(ReadSetting(ini, settings::LoopPlaylist, srConfig));
  // The keys of the idle watcher and the picture options.
  EXPECT_EQ(ReadSetting(ini, settings::SaverWait), 10);
  EXPECT_FALSE(ReadYes(ini, settings::Autostart));
  EXPECT_FALSE(ReadYes(ini, settings::Subfolders));
  EXPECT_FALSE(ReadYes(ini, settings::NoRepeat));
  EXPECT_EQ(ReadSetting(ini, settings::Caption), "none");
  EXPECT_EQ(ReadSetting(ini, settings::MinSide), 0);
}

TEST(SettingKeys, AChoiceReadsOnlyItsOwnWordsExactly) {
  TempFolder folder;
  const std::string path = folder.WriteText(
      "scr.ini", "[song]\nplay=YES\n[pics]\ncaption=both\nsubfolders=yes\nnorepeat=1\n");
  const TIniFile ini(path);
  EXPECT_FALSE(ReadYes(ini, settings::MusicOn));  // capitals are another word
  EXPECT_EQ(ReadSetting(ini, settings::Caption), "both");
  EXPECT_TRUE(ReadYes(ini, settings::Subfolders));
  EXPECT_FALSE(ReadYes(ini, settings::NoRepeat));  // "1" is no word of the list
}

TEST(SettingKeys, WritesLandUnderTheirSectionAndNameAndReadBack) {
  TempFolder folder;
  TIniFile ini(folder.Path("scr.ini"));
  WriteSetting(ini, settings::DisplayInterval, 7000);
  WriteYes(ini, settings::MusicOn, true);
  WriteSongEntry(ini, 12, "/music/a.mp3");
  WriteSetting(ini, settings::Caption, "date");
  EXPECT_EQ(FileText(ini.FileName()),
            "[sys]\r\n3=7000\r\n[song]\r\nplay=yes\r\nsong12=/music/a.mp3\r\n"
            "[pics]\r\ncaption=date\r\n");
  EXPECT_EQ(ReadSetting(ini, settings::DisplayInterval, srConfig), 7000);
  EXPECT_EQ(ReadSongEntry(ini, 12), "/music/a.mp3");
  DeleteSongEntry(ini, 12);
  EXPECT_EQ(ReadSongEntry(ini, 12), "");
}

TEST(SettingKeys, DefaultSettingsLeaveThePlaylistAndOtherSectionsAlone) {
  TempFolder folder;
  const std::string path = folder.WriteText(
      "scr.ini", "[sys]\ndir=/photos\n6=40\n[song]\nplay=yes\ncyc=1\nhow=1\nsong0=/a.mp3\n"
                 "[saver]\nwait=3\n");
  TIniFile ini(path);
  WriteDefaultSettings(ini);
  EXPECT_EQ(FileText(path),
            "[sys]\ndir=\n6=8\n1=0\n2=0\n3=15000\n4=0\n5=0\n7=0\n"
            "[song]\nplay=no\ncyc=1\nhow=1\nsong0=/a.mp3\n[saver]\nwait=3\n");
}

}  // namespace
