#pragma once
// The options of the section "pics": which pictures of the library the show
// takes and what it writes on them.
//
//   subfolders=yes|no     the whole tree under the picture folder (no)
//   norepeat=yes|no       in random order, every picture once before any
//                         comes again, resumed by the next run (no)
//   caption=none|date|name|both   the date taken and/or the file name in a
//                         corner of each picture (none)
//   minside=PIXELS        skip pictures whose shorter side is under this (0,
//                         no picture skipped)
//
// A missing key, or a value that is none of these, means the default: a
// settings file written by hand never stops the show. The keys themselves
// are entries of the settings table (SettingKeys.h).

#include <string>

#include "settings/IniFile.h"

namespace vantora {

enum class TCaption { None, Date, Name, Both };

struct TPicsSettings {
  bool Subfolders = false;
  bool NoRepeat = false;
  TCaption Caption = TCaption::None;
  int MinSide = 0;

  static constexpr int MaxMinSide = 65535;
  friend bool operator==(const TPicsSettings&, const TPicsSettings&) = default;
};

TPicsSettings ReadPicsSettings(const TIniFile& ini);
void WritePicsSettings(TIniFile& ini, const TPicsSettings& settings);

}  // namespace vantora
