// The show as the screen-saver host runs it: the same road of pictures, but
// the host keeps the screen, the cursor and the input.

#include <QKeyEvent>
#include <QMouseEvent>

#include "screens/HostScreen.h"
#include "tests/screens/ShowFixture.h"

using namespace vantora;
using namespace vantora::test;

namespace {

class HostScreen : public ShowFixture {};

TEST_F(HostScreen, RunsTheShowButLeavesScreenCursorAndInputToTheHost) {
  WritePicture(Pics("a.jpg"), 40);
  THostScreen& form = Make<THostScreen>();
  form.resize(320, 240);
  form.show();
  ASSERT_TRUE(test::WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));  // activation ran
  EXPECT_EQ(CursorCounter(), 0);
  EXPECT_FALSE(form.windowState() & Qt::WindowFullScreen);
  EXPECT_EQ(form.size(), QSize(320, 240));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowTransparentForInput);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowDoesNotAcceptFocus);
  Cycle(form, 1);
  EXPECT_EQ(FStarted, (std::vector<Started>{{5, 40}}));

  // Keys and sustained mouse movement that would end a show end nothing.
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(&form, &key);
  for (int i = 0; i < 3; ++i) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(form.TransitionView1, &move);
    if (form.Guard.Timer3.Enabled()) form.Guard.Timer3.Tick();
  }
  QKeyEvent key2(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &key2);
  RunEventsFor(20);
  EXPECT_TRUE(form.isVisible());
}

TEST_F(HostScreen, DecodesLargePicturesForTheHostsWindowNotTheScreen) {
  // 4 times the window and a little more: decoded at a quarter, which
  // still covers the window, and fitted to the window's height.
  WritePicture(Pics("big.jpg"), 4 * 320 + 40, 4 * 240 + 40);
  FIni->WriteInteger("sys", "4", 1);
  THostScreen& form = Make<THostScreen>();
  form.resize(320, 240);
  Activate(form);
  Cycle(form, 1);
  ASSERT_EQ(FStarted.size(), 1u);
  EXPECT_EQ(FStarted[0].Width, MulDiv(4 * 320 + 40, 240, 4 * 240 + 40));
  EXPECT_EQ(form.TransitionView1->Picture().Height(), 240);
}

}  // namespace
