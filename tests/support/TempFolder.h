#pragma once
// A scratch folder for one test, made fresh and removed with everything in
// it at the end, even where the test took permissions away.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantora::test {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "vantora-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    FPath = pattern;
    // mkdtemp makes it 0700; tests that drop privileges must still get in.
    std::filesystem::permissions(
        FPath, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                   std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                   std::filesystem::perms::others_exec);
  }
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(FPath, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
      if (it->is_directory(ec) && !it->is_symlink(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(FPath, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return FPath; }
  std::string Path(const std::string& name) const { return FPath + "/" + name; }

  // Writes a file and returns its path.
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    return WriteText(name,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  std::string WriteText(const std::string& name, std::string_view text) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), std::streamsize(text.size()));
    return path;
  }

  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string FPath;
};

// The bytes of a file; empty when it cannot be read.
inline std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vantora::test
