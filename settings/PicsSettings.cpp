#include "settings/PicsSettings.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "settings/SettingKeys.h"

namespace vantora {

namespace {

TCaption ReadCaption(const TIniFile& ini) {
  const std::string value = ReadSetting(ini, settings::Caption);
  for (std::size_t i = 0; i < std::size(settings::kCaptions); ++i)
    if (value == settings::kCaptions[i]) return TCaption(i);
  return TCaption::None;
}

int ReadMinSide(const TIniFile& ini) {
  // A value outside the range skips nothing.
  const int pixels = ReadSetting(ini, settings::MinSide);
  return pixels >= settings::MinSide.Min && pixels <= settings::MinSide.Max
             ? pixels
             : settings::MinSide.Default;
}

}  // namespace

TPicsSettings ReadPicsSettings(const TIniFile& ini) {
  TPicsSettings s;
  s.Subfolders = ReadYes(ini, settings::Subfolders);
  s.NoRepeat = ReadYes(ini, settings::NoRepeat);
  s.Caption = ReadCaption(ini);
  s.MinSide = ReadMinSide(ini);
  return s;
}

void WritePicsSettings(TIniFile& ini, const TPicsSettings& s) {
  WriteYes(ini, settings::Subfolders, s.Subfolders);
  WriteYes(ini, settings::NoRepeat, s.NoRepeat);
  WriteSetting(ini, settings::Caption, settings::kCaptions[int(s.Caption)]);
  WriteSetting(ini, settings::MinSide, std::clamp(s.MinSide, 0, TPicsSettings::MaxMinSide));
}

}  // namespace vantora
