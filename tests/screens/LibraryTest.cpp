// The show over a photo library: subfolders, random order without repeats
// across runs, the smallest picture shown and the caption.

#include <QSet>

#include "tests/screens/ShowFixture.h"
#include "tests/support/ScopedEnv.h"

namespace vantora {
namespace {

using test::ExpectedDraws;
using test::Started;

class Library : public test::ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    FState = std::make_unique<test::ScopedEnv>("XDG_STATE_HOME",
                                               FDir.filePath("state").toStdString());
  }
  void TearDown() override {
    ShowFixture::TearDown();
    FState.reset();
  }
  // Pictures of widths 10, 20, … in a tree, each width once.
  void Tree() {
    QDir(Pics()).mkpath("2023/trip");
    QDir(Pics()).mkpath("2024");
    QDir(Pics()).mkpath(".cache");
    WritePicture(Pics("top.jpg"), 10);
    WritePicture(Pics("2023/trip/b.jpg"), 20);
    WritePicture(Pics("2023/A.JPG"), 30);
    WritePicture(Pics("2024/c.jpg"), 40);
    WritePicture(Pics(".cache/hidden.jpg"), 50);
  }
  std::unique_ptr<test::ScopedEnv> FState;
};

TEST_F(Library, SubfoldersShowEveryFolderOfTheTreeInPathOrder) {
  Tree();
  FIni->WriteString("pics", "subfolders", "yes");
  TForm1& form = Make();
  Activate(form);
  EXPECT_EQ(form.Memo1, (QStringList{"2023/A.JPG", "2023/trip/b.jpg", "2024/c.jpg", "top.jpg"}));
  Cycle(form, 5);
  EXPECT_EQ(FStarted,
            (std::vector<Started>{{5, 30}, {6, 20}, {7, 40}, {8, 10}, {9, 30}}));
  // Off, the top folder only, as ever.
  FIni->WriteString("pics", "subfolders", "no");
  Activate(form);
  EXPECT_EQ(form.Memo1, QStringList{"top.jpg"});
}

TEST_F(Library, NoRepeatShowsEveryPictureOnceAndTheNextRunGoesOn) {
  Tree();
  FIni->WriteString("pics", "subfolders", "yes");
  FIni->WriteString("pics", "norepeat", "yes");
  FIni->WriteBool("sys", "1", false);  // random order
  FIni->WriteBool("sys", "2", false);  // random effects
  QList<int> widths;
  {
    TForm1& form = Make();
    Activate(form);
    Cycle(form, 3);
  }
  for (const Started& s : FStarted) widths << s.Width;
  // The next run goes on with the same cycle: the fourth picture is the one
  // not yet shown, then a new cycle of all four.
  SetRandSeed(0);
  FStarted.clear();
  TForm1& again = Make();
  Activate(again);
  Cycle(again, 5);
  for (const Started& s : FStarted) widths << s.Width;
  ASSERT_EQ(widths.size(), 8);
  EXPECT_EQ(QSet<int>(widths.begin(), widths.begin() + 4), (QSet<int>{10, 20, 30, 40}));
  EXPECT_EQ(QSet<int>(widths.begin() + 4, widths.end()), (QSet<int>{10, 20, 30, 40}));
  // The pictures drew nothing from the program-wide generator: the effects
  // of this run are its plain sequence of draws.
  ExpectedDraws draws;
  int effect = draws.Random(150);
  if (effect == 0) effect = draws.Random(150);
  for (const Started& s : FStarted) EXPECT_EQ(s.Style, draws.Random(150));
  EXPECT_TRUE(QFile::exists(FDir.filePath("state/vantora/shuffle-position")));
}

// Each activation lists the folder again (a window of another program came
// and went over the show): the cycle goes on where it was, without a repeat
// or a skipped picture.
TEST_F(Library, AnActivationDuringTheShowGoesOnWithTheSameCycle) {
  Tree();
  WritePicture(Pics("2024/d.jpg"), 60);
  WritePicture(Pics("2024/e.jpg"), 70);
  WritePicture(Pics("2024/f.jpg"), 80);
  FIni->WriteString("pics", "subfolders", "yes");
  FIni->WriteString("pics", "norepeat", "yes");
  FIni->WriteBool("sys", "1", false);  // random order
  TForm1& form = Make();
  Activate(form);
  QList<int> widths;
  for (int round = 0; round < 3; ++round) {
    Cycle(form, 2);
    Activate(form);
  }
  for (const Started& s : FStarted) widths << s.Width;
  ASSERT_EQ(widths.size(), 6);
  EXPECT_EQ(QSet<int>(widths.begin(), widths.end()).size(), 6);
}

TEST_F(Library, PicturesUnderTheSmallestSizeAreSkipped) {
  WritePicture(Pics("a.jpg"), 10, 10);
  WritePicture(Pics("b.jpg"), 40, 30);
  WritePicture(Pics("c.jpg"), 200, 8);  // a long thin strip: short side 8
  WritePicture(Pics("d.jpg"), 60, 30);
  FIni->WriteString("pics", "minside", "30");
  TForm1& form = Make();
  Activate(form);
  for (int i = 0; i < 4; ++i) {
    form.Timer1.Tick();
    ASSERT_TRUE(test::WaitFor([&] { return form.PendingShows() == 0; }));
    form.TransitionView1->Stop();
    if (form.Timer2.Enabled()) form.Timer2.Tick();
  }
  // A skipped picture still used its tick's effect number, as an
  // undecodable one does.
  EXPECT_EQ(FStarted, (std::vector<Started>{{6, 40}, {8, 60}}));
  EXPECT_TRUE(FReports.isEmpty());
}

TEST_F(Library, TheCaptionIsPartOfThePictureTheTransitionStartsWith) {
  Bitmap black(400, 300);
  WriteBitmap(Pics("dark.jpg"), black, 95);
  FIni->WriteString("pics", "caption", "name");
  TForm1& form = Make();
  std::vector<TPixel> brightest;
  form.TransitionView1->OnStart = [&](QObject*, Bitmap& picture, Bitmap&) {
    // The bottom right corner holds white letters; the top left stays black.
    int corner = 0, elsewhere = 0;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) {
        const int g = (picture.Pixel(x, y) >> 8) & 255;
        if (g > 200) ++(x > picture.Width() / 2 && y > picture.Height() * 3 / 4 ? corner : elsewhere);
      }
    brightest = {TPixel(corner), TPixel(elsewhere)};
  };
  Activate(form);
  Cycle(form, 1);
  ASSERT_EQ(brightest.size(), 2u);
  EXPECT_GT(brightest[0], 20u);
  EXPECT_EQ(brightest[1], 0u);
}

}  // namespace
}  // namespace vantora
