// libFuzzer harness of the settings file: the input is the file. Reads
// never fail; a write of a plain value reads back as written and leaves
// every other key as it was; a deleted key reads as the default. A broken
// promise aborts, which libFuzzer reports with the input.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "settings/IniFile.h"
#include "settings/SettingKeys.h"

namespace {

using TKey = std::pair<std::string, std::string>;

// The keys the program uses, and a few spellings that must match them.
const std::vector<TKey> kKeys = {{"sys", "1"},    {"sys", "3"},     {"sys", "dir"},
                                 {"SYS", "Dir"},  {"song", "play"}, {"song", "song0"},
                                 {"song", "how"}, {"song", "cyc"},  {"other", "1"}};

const std::string& Folder() {
  // On a memory file system when there is one: every write syncs the file.
  static const std::string folder = [] {
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const auto f = base / ("vantora-ini-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(f);
    return f.string();
  }();
  return folder;
}

std::vector<std::string> ReadAll(const vantora::TIniFile& ini) {
  std::vector<std::string> values;
  for (const auto& [section, key] : kKeys) values.push_back(ini.ReadString(section, key, "<none>"));
  return values;
}

bool SameKey(const TKey& a, const TKey& b) {
  auto trimmedLower = [](std::string s) {
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    while (!s.empty() && s.back() == ' ') s.pop_back();
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  return trimmedLower(a.first) == trimmedLower(b.first) &&
         trimmedLower(a.second) == trimmedLower(b.second);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = Folder() + "/scr.ini";
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  vantora::TIniFile ini(path);
  vantora::ReadSetting(ini, vantora::settings::DisplayInterval);
  vantora::ReadSetting(ini, vantora::settings::ListOrder);
  const std::vector<std::string> before = ReadAll(ini);

  const TKey& target = kKeys[size ? data[0] % kKeys.size() : 0];
  const std::string value = "v" + std::to_string(size);
  try {
    ini.WriteString(target.first, target.second, value);
  } catch (const vantora::EIniFileException&) {
    std::abort();  // the folder is writable: a write must go through
  }
  const std::vector<std::string> after = ReadAll(ini);
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    const bool written = SameKey(kKeys[i], target);
    if (written ? after[i] != value : after[i] != before[i]) std::abort();
  }

  ini.DeleteKey(target.first, target.second);
  if (ini.ReadString(target.first, target.second, "<none>") != "<none>") std::abort();
  return 0;
}
