// The settings window's preview button with the real preview window: a
// guard left open or armed by the last preview is idle again when the
// preview shows.

#include "screens/Unit6.h"
#include "tests/config/ConfigFixture.h"

namespace vantora::test {
namespace {

using PreviewButton = ConfigFixture;

TEST_F(PreviewButton, ShowsThePreviewWithItsGuardIdle) {
  Tform6 preview(Folder(), std::make_unique<StubPlayer>());
  Form2->Form6 = &preview;
  Form2->ResetPreviewGuard = [&] { preview.ResetGuard(); };

  // The last preview was left with its guard open and both timers running.
  preview.Guard.MouseEvent();
  preview.Guard.Timer3Timer();
  ASSERT_TRUE(preview.Guard.IsOpen());
  ASSERT_TRUE(preview.Guard.Timer5.Enabled());

  Form2->SpeedButton5Click();
  EXPECT_TRUE(preview.isVisible());
  EXPECT_EQ(preview.Guard.Edit2, kGuardMarker);
  EXPECT_FALSE(preview.Guard.Timer3.Enabled());
  EXPECT_FALSE(preview.Guard.Timer5.Enabled());
  preview.close();
}

}  // namespace
}  // namespace vantora::test
