// Properties of the transition control: defaults, setters and their side
// effects.

#include <gtest/gtest.h>

#include "tests/transition/TransitionTestKit.h"

namespace vantora {
namespace {

using testkit::SolidPicture;

TEST(TransitionViewProperties, StartWithTheirDocumentedDefaults) {
  TTransitionView v;
  EXPECT_TRUE(v.AutoSize());
  EXPECT_EQ(v.BgMode(), bmTiled);
  EXPECT_TRUE(v.BgPicture().Empty());
  EXPECT_FALSE(v.Center());
  EXPECT_EQ(v.Delay(), 40);
  EXPECT_FALSE(v.Manual());
  EXPECT_TRUE(v.OverDraw());
  EXPECT_TRUE(v.Picture().Empty());
  EXPECT_FALSE(v.Reverse());
  EXPECT_FALSE(v.Stretch());
  EXPECT_FALSE(v.StretchFine());
  EXPECT_EQ(v.Step(), 4);
  EXPECT_EQ(v.Style(), 51);
  EXPECT_EQ(v.StyleName(), "Appear and Contract to middle");
  EXPECT_TRUE(v.Threaded());
  EXPECT_EQ(v.ThreadPriority(), tpNormal);
  EXPECT_EQ(v.Progress(), 0);
  EXPECT_FALSE(v.Busy());
  EXPECT_EQ(v.Color(), clWindow);
  EXPECT_EQ(v.width(), 100);
  EXPECT_EQ(v.height(), 100);
  EXPECT_TRUE(v.Screen().Empty());
  EXPECT_TRUE(v.hasMouseTracking());
}

TEST(TransitionViewProperties, StyleIgnoresValuesPastTheTable) {
  struct Case {
    int Set;
    int Expected;
  };
  const Case cases[] = {{151, 51}, {255, 51}, {0, 0}, {150, 150}, {1, 1}, {-1, 51}};
  for (const Case& c : cases) {
    TTransitionView v;
    v.SetStyle(c.Set);
    EXPECT_EQ(v.Style(), c.Expected) << "Style := " << c.Set;
  }
}

TEST(TransitionViewProperties, StyleNameFindsCustomAndTableNamesInAnyCase) {
  std::string name118 = NameOf(118);
  for (char& ch : name118) ch = char(std::tolower(static_cast<unsigned char>(ch)));
  struct Case {
    std::string Set;
    int Expected;
  };
  const Case cases[] = {{"custom", 0},  {"CUSTOM", 0},          {name118, 118},
                        {NameOf(7), 7}, {"no such effect", 51}, {"", 51}};
  for (const Case& c : cases) {
    TTransitionView v;
    v.SetStyleName(c.Set);
    EXPECT_EQ(v.Style(), c.Expected) << "StyleName := \"" << c.Set << "\"";
  }
  TTransitionView v;
  v.SetStyle(0);
  EXPECT_EQ(v.StyleName(), "Custom");
}

TEST(TransitionViewProperties, StepIsClampedToOneToHundred) {
  const std::pair<int, int> cases[] = {{0, 1},     {250, 100}, {1, 1},
                                       {100, 100}, {101, 100}, {37, 37}};
  for (const auto& [set, expected] : cases) {
    TTransitionView v;
    v.SetStep(set);
    EXPECT_EQ(v.Step(), expected) << "Step := " << set;
  }
}

TEST(TransitionViewProperties, PictureChangeRaisesOnChangeAndSizesTheControl) {
  TTransitionView v;
  int changes = 0;
  v.OnChange = [&](QObject* sender) {
    EXPECT_EQ(sender, &v);
    ++changes;
  };
  v.SetPicture(SolidPicture(120, 80, Rgb(1, 2, 3)));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(v.width(), 120);
  EXPECT_EQ(v.height(), 80);
  v.SetPicture(nullptr);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(v.Picture().Empty());
}

TEST(TransitionViewProperties, AutoSizeFollowsAlign) {
  struct Case {
    TAlign Align;
    int Width;
    int Height;
  };
  // The control starts at 100 x 100; the picture is 160 x 90.
  const Case cases[] = {{alNone, 160, 90},  {alTop, 100, 90},    {alBottom, 100, 90},
                        {alLeft, 160, 100}, {alRight, 160, 100}, {alClient, 100, 100}};
  for (const Case& c : cases) {
    TTransitionView v;
    v.SetAlign(c.Align);
    v.SetPicture(SolidPicture(160, 90, 0));
    EXPECT_EQ(v.width(), c.Width) << "Align " << c.Align;
    EXPECT_EQ(v.height(), c.Height) << "Align " << c.Align;
  }
}

TEST(TransitionViewProperties, SwitchingAutoSizeOnSizesToThePicture) {
  TTransitionView v;
  v.SetAutoSize(false);
  v.SetPicture(SolidPicture(64, 48, 0));
  EXPECT_EQ(v.width(), 100);
  v.SetAutoSize(true);
  EXPECT_EQ(v.width(), 64);
  EXPECT_EQ(v.height(), 48);
}

TEST(TransitionViewProperties, ManualSetterWhileIdleResetsProgressToTheStart) {
  TTransitionView v;
  v.SetReverse(true);
  v.SetManual(true);
  EXPECT_EQ(v.Progress(), 100);
  v.SetReverse(false);
  v.SetManual(false);
  EXPECT_EQ(v.Progress(), 0);
}

}  // namespace
}  // namespace vantora
