#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/RunModes.h"

using namespace vantora;

TEST(RunModes, SwitchTable) {
  struct Case {
    std::vector<std::string> Arguments;
    TRunMode Mode;
  };
  const Case cases[] = {
      {{}, rmConfiguration},
      {{"/s"}, rmShow},
      {{"/S"}, rmShow},
      {{"/S1234"}, rmShow},
      {{"/Sabc"}, rmShow},
      {{"/S", "1234"}, rmShow},
      {{"/s:5678", "/c"}, rmShow},  // only the first argument counts
      {{"/c"}, rmConfiguration},
      {{"/C"}, rmConfiguration},
      {{"/c:1234"}, rmConfiguration},
      {{"/p", "1234"}, rmNone},
      {{"/p 1234"}, rmNone},
      {{"/P"}, rmNone},
      {{"/A"}, rmNone},
      {{"/a", "1234"}, rmNone},
      {{"-s"}, rmNone},
      {{"s"}, rmNone},
      {{"S"}, rmNone},
      {{"c"}, rmNone},
      {{""}, rmNone},
      {{"", "/S"}, rmNone},
      {{"/"}, rmNone},
      {{" /S"}, rmNone},
      {{"\\S"}, rmNone},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const auto& a : c.Arguments) shown += "[" + a + "]";
    EXPECT_EQ(RunModeOf(c.Arguments), c.Mode) << shown;
  }
}

TEST(RunModes, SwitchIsTheFirstTwoCharactersUpperCased) {
  const std::pair<std::string, std::string> cases[] = {
      {"/s", "/S"}, {"/Sabc", "/S"}, {"/c:1234", "/C"}, {"/", "/"},
      {"", ""},     {"ab", "AB"},    {"-s", "-S"},      {"/\xC3\xA9", "/\xC3"},
  };
  for (const auto& [argument, expected] : cases)
    EXPECT_EQ(RunSwitch(argument), expected) << argument;
}
