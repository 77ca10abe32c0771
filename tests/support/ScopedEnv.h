#pragma once
// Sets (or unsets) an environment variable for the life of the object and
// restores what was there before.

#include <stdlib.h>

#include <optional>
#include <string>

namespace vantora::test {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = ::getenv(name)) FOld = old;
    Set(value);
  }
  ~ScopedEnv() { Set(FOld); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value)
      ::setenv(FName.c_str(), value->c_str(), 1);
    else
      ::unsetenv(FName.c_str());
  }

  std::string FName;
  std::optional<std::string> FOld;
};

}  // namespace vantora::test
