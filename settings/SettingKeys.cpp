#include "settings/SettingKeys.h"

#include <algorithm>
#include <cassert>

#include "settings/IniFile.h"

namespace vantora {

namespace settings {

std::string SongEntryName(int index) { return "song" + std::to_string(index); }

}  // namespace settings

bool ReadSetting(const TIniFile& ini, const TBoolSetting& key, TSettingsReader reader) {
  return ini.ReadBool(key.Section, key.Name, reader == srConfig ? key.ConfigDefault : key.Default);
}

int ReadSetting(const TIniFile& ini, const TIntSetting& key, TSettingsReader reader) {
  return ini.ReadInteger(key.Section, key.Name,
                         reader == srConfig ? key.ConfigDefault : key.Default);
}

std::string ReadSetting(const TIniFile& ini, const TTextSetting& key) {
  return ini.ReadString(key.Section, key.Name, key.Default);
}

std::string ReadSetting(const TIniFile& ini, const TChoiceSetting& key) {
  std::string value = ini.ReadString(key.Section, key.Name, key.Default);
  if (std::find(key.Values.begin(), key.Values.end(), value) == key.Values.end())
    return key.Default;
  return value;
}

bool ReadYes(const TIniFile& ini, const TChoiceSetting& key) { return ReadSetting(ini, key) == "yes"; }

void WriteSetting(TIniFile& ini, const TBoolSetting& key, bool value) {
  ini.WriteBool(key.Section, key.Name, value);
}

void WriteSetting(TIniFile& ini, const TIntSetting& key, int value) {
  ini.WriteInteger(key.Section, key.Name, value);
}

void WriteSetting(TIniFile& ini, const TTextSetting& key, const std::string& value) {
  ini.WriteString(key.Section, key.Name, value);
}

void WriteSetting(TIniFile& ini, const TChoiceSetting& key, std::string_view value) {
  assert(std::find(key.Values.begin(), key.Values.end(), value) != key.Values.end());
  ini.WriteString(key.Section, key.Name, std::string(value));
}

void WriteYes(TIniFile& ini, const TChoiceSetting& key, bool yes) {
  WriteSetting(ini, key, yes ? "yes" : "no");
}

std::string ReadSongEntry(const TIniFile& ini, int index) {
  return ini.ReadString(settings::kSong, settings::SongEntryName(index), "");
}

void WriteSongEntry(TIniFile& ini, int index, const std::string& path) {
  ini.WriteString(settings::kSong, settings::SongEntryName(index), path);
}

void DeleteSongEntry(TIniFile& ini, int index) {
  ini.DeleteKey(settings::kSong, settings::SongEntryName(index));
}

void WriteDefaultSettings(TIniFile& ini) {
  using namespace settings;
  // Random picture and effect order, as the dialog offers on a missing file;
  // the interval of the show's own default.
  WriteSetting(ini, ListOrder, false);
  WriteSetting(ini, EffectsInSequence, false);
  WriteSetting(ini, DisplayInterval, DisplayInterval.Default);
  WriteSetting(ini, Fitting, 0);
  WriteSetting(ini, Reverse, false);
  // The button writes step 8, not the 6 a missing key reads as: files the
  // button wrote hold 8, and users who pressed it know that speed.
  WriteSetting(ini, Step, 8);
  WriteSetting(ini, ClearBefore, false);
  // The key stays, with an empty value: the default folder.
  WriteSetting(ini, PictureFolder, "");
  WriteYes(ini, MusicOn, false);
}

}  // namespace vantora
