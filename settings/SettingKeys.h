#pragma once
// Every key of the settings file scr.ini, in one table: its section and
// name, what it means, the values it may take and the default a reader gets
// when the key is missing or unreadable. The windows read and write keys
// only through these entries, so a key's name and defaults are written here
// and nowhere else.
//
// Two groups of readers pass their own defaults:
//   srScreens  the show, the preview and their music;
//   srConfig   the configuration windows (settings window, user settings
//              dialog, folder chooser).
// For most keys the two agree. Where they differ (the picture and effect
// order, the display interval, the playlist loop) both are kept on purpose:
// a fresh install's show runs the pictures in order with the effects in
// sequence, 15 s apart, while the dialog opened on the same missing file
// offers random order and 13 s, and the settings window presets the loop
// box on. The first save of the dialog writes its values, so the two only
// differ until then, but a user without a settings file sees both.
//
// Min and Max say what the windows write. Readers take any integer that is
// there; each reader says what it does with one outside the range (the
// control clamps the step, an unknown fitting keeps the one before).
//
// Booleans are written "1" and "0" and read as integers (non-zero is true);
// choices are words, compared exactly ("YES" is not "yes").

#include <span>
#include <string>
#include <string_view>

namespace vantora {

class TIniFile;

// Whose default a read passes (see above).
enum TSettingsReader { srScreens, srConfig };

struct TBoolSetting {
  const char* Section;
  const char* Name;
  bool Default;        // the screens', and every reader's where ConfigDefault agrees
  bool ConfigDefault;  // the configuration windows'
};

struct TIntSetting {
  const char* Section;
  const char* Name;
  int Default;        // the screens', and every reader's where ConfigDefault agrees
  int ConfigDefault;  // the configuration windows'
  int Min;
  int Max;
};

struct TTextSetting {
  const char* Section;
  const char* Name;
  const char* Default;  // every reader's
};

// A word from a fixed list; any other text reads as Default.
struct TChoiceSetting {
  const char* Section;
  const char* Name;
  std::span<const std::string_view> Values;
  const char* Default;
};

namespace settings {

inline constexpr const char* kSys = "sys";      // pictures and effects
inline constexpr const char* kSong = "song";    // music playlist
inline constexpr const char* kSaver = "saver";  // starting the show when idle
inline constexpr const char* kPics = "pics";    // which pictures and how they are labelled

inline constexpr std::string_view kYesNo[] = {"yes", "no"};
inline constexpr std::string_view kCaptions[] = {"none", "date", "name", "both"};

// --- [sys] -----------------------------------------------------------------

// true: the folder's pictures in list order; false: a random picture each
// time. Read by the show at every picture and interval tick.
inline constexpr TBoolSetting ListOrder{kSys, "1", true, false};
// true: effect numbers in sequence; false: a random effect each time.
inline constexpr TBoolSetting EffectsInSequence{kSys, "2", true, false};
// Milliseconds from the start of one picture's transition to the start of
// the next. The dialog writes whole seconds × 1000 and shows the value
// ÷ 1000 rounded half to even.
inline constexpr TIntSetting DisplayInterval{kSys, "3", 15000, 13000, 1000, 999999 * 1000};
// 0: the picture at its own size, centred; 1: scaled to fit with its
// proportions kept, centred; 2: stretched to fill the screen.
inline constexpr TIntSetting Fitting{kSys, "4", 0, 0, 0, 2};
// true: transitions run reversed (the new picture shows nearly whole at
// the first frame and is taken away).
inline constexpr TBoolSetting Reverse{kSys, "5", false, false};
// Percentage points each frame of a transition adds.
inline constexpr TIntSetting Step{kSys, "6", 6, 6, 1, 100};
// true: the screen is cleared before each new picture is loaded.
inline constexpr TBoolSetting ClearBefore{kSys, "7", false, false};
// The picture folder, a full path without a trailing separator; empty: the
// folder "pics" beside the program file.
inline constexpr TTextSetting PictureFolder{kSys, "dir", ""};

// --- [song] ----------------------------------------------------------------

// "yes" plays the playlist; any other text plays nothing.
inline constexpr TChoiceSetting MusicOn{kSong, "play", kYesNo, "no"};
// true: after the last entry the playlist starts again with the first.
inline constexpr TBoolSetting LoopPlaylist{kSong, "cyc", false, true};
// Number of playlist entries when the dialog saved it, missing files
// included.
inline constexpr TIntSetting SongCount{kSong, "how", 0, 0, 0, 1 << 30};
// Entry i of the playlist, a full path, is the key "song" i (decimal, no
// leading zeros), i = 0 … SongCount − 1; an entry whose file was missing at
// saving is absent. Missing reads as empty.
std::string SongEntryName(int index);

// --- [saver] ---------------------------------------------------------------

// Minutes without input before the show starts.
inline constexpr TIntSetting SaverWait{kSaver, "wait", 10, 10, 1, 120};
// "yes": the idle watcher starts with the desktop session.
inline constexpr TChoiceSetting Autostart{kSaver, "autostart", kYesNo, "no"};

// --- [pics] ----------------------------------------------------------------

// "yes": the picture list takes in the pictures of subfolders too.
inline constexpr TChoiceSetting Subfolders{kPics, "subfolders", kYesNo, "no"};
// "yes": random order shows every picture once before any comes again.
inline constexpr TChoiceSetting NoRepeat{kPics, "norepeat", kYesNo, "no"};
// The line written under each picture: nothing, its date, its file name or
// both.
inline constexpr TChoiceSetting Caption{kPics, "caption", kCaptions, "none"};
// Pictures whose shorter side has fewer pixels than this are skipped;
// 0 takes every picture.
inline constexpr TIntSetting MinSide{kPics, "minside", 0, 0, 0, 65535};

}  // namespace settings

bool ReadSetting(const TIniFile& ini, const TBoolSetting& key, TSettingsReader reader = srScreens);
int ReadSetting(const TIniFile& ini, const TIntSetting& key, TSettingsReader reader = srScreens);
std::string ReadSetting(const TIniFile& ini, const TTextSetting& key);
// The stored word when it is one of key.Values, else key.Default.
std::string ReadSetting(const TIniFile& ini, const TChoiceSetting& key);
// A yes|no choice as a boolean.
bool ReadYes(const TIniFile& ini, const TChoiceSetting& key);

void WriteSetting(TIniFile& ini, const TBoolSetting& key, bool value);
void WriteSetting(TIniFile& ini, const TIntSetting& key, int value);
void WriteSetting(TIniFile& ini, const TTextSetting& key, const std::string& value);
// value must be one of key.Values (asserted).
void WriteSetting(TIniFile& ini, const TChoiceSetting& key, std::string_view value);
void WriteYes(TIniFile& ini, const TChoiceSetting& key, bool yes);

std::string ReadSongEntry(const TIniFile& ini, int index);
void WriteSongEntry(TIniFile& ini, int index, const std::string& path);
void DeleteSongEntry(TIniFile& ini, int index);

// The settings window's default-settings button: list order and effect
// order off (random), 15 s, own size, forwards, step 8, no clearing, the
// default picture folder (the key stays, empty) and no music. The playlist
// itself and the keys of other sections are left alone.
void WriteDefaultSettings(TIniFile& ini);

}  // namespace vantora
