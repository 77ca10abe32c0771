// The folder chooser: OK stores the folder and makes the settings window
// list it; exit stores nothing; the tree keeps its state between openings.

#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeView>

#include "tests/config/ConfigFixture.h"
#include "tests/support/QtApp.h"

namespace vantora::test {
namespace {

using FolderChooser = ConfigFixture;

TEST_F(FolderChooser, OkStoresTheFolderAndTheSettingsWindowListsIt) {
  FillFolder(Pics(), 3);
  FillFolder(Path("holiday"), 25);
  ActivateAndList();
  int pos = 0;
  Form2->ScrollBar1Scroll(scLineDown, pos);

  Form2->SpeedButton1Click();
  EXPECT_TRUE(Form4->isVisible());
  Form4->SelectPath(Path("holiday"));
  Form4->BitBtn2Click();
  WaitForListing();

  EXPECT_FALSE(Form4->isVisible());
  EXPECT_EQ(Ini().ReadString("sys", "dir", "<absent>"), Path("holiday").toStdString());
  EXPECT_EQ(Form2->Edit1, Path("holiday"));
  EXPECT_EQ(Form2->Memo1.size(), 25);
  // The settings window's activation work ran again for the new folder.
  EXPECT_TRUE(Form2->Edit2.isEmpty());
  EXPECT_EQ(Form2->ThumbPage, 0);
  EXPECT_EQ(Form2->ScrollBar1()->maximum(), 2);
  EXPECT_EQ(Grid(), Page(0, 25));
}

TEST_F(FolderChooser, OkWithNothingSelectedStoresAnEmptyFolder) {
  FillFolder(Pics(), 2);
  Ini().WriteString("sys", "dir", Path("elsewhere").toStdString());
  Form2->SpeedButton1Click();
  Form4->ShellTreeView1()->selectionModel()->clearSelection();
  Form4->BitBtn2Click();
  WaitForListing();
  EXPECT_EQ(Ini().ReadString("sys", "dir", "<absent>"), "");
  EXPECT_TRUE(Form2->Edit1.isEmpty());
  EXPECT_EQ(Grid(), Page(0, 2));  // back to "pics"
}

TEST_F(FolderChooser, ExitStoresNothingAndLeavesTheGrid) {
  FillFolder(Pics(), 14);
  FillFolder(Path("holiday"), 3);
  ActivateAndList();
  int pos = 0;
  Form2->ScrollBar1Scroll(scLineDown, pos);
  const std::string before = Ini().ReadString("sys", "dir", "<absent>");

  Form2->SpeedButton1Click();
  Form4->SelectPath(Path("holiday"));
  Form4->BitBtn1Click();

  EXPECT_FALSE(Form4->isVisible());
  EXPECT_EQ(Ini().ReadString("sys", "dir", "<absent>"), before);
  EXPECT_EQ(Form2->ThumbPage, 1);
  EXPECT_EQ(Grid(), Page(12, 14));
  EXPECT_TRUE(Form2->Edit2.isEmpty());
}

QFileSystemModel* Model(TForm4& form) {
  return static_cast<QFileSystemModel*>(form.ShellTreeView1()->model());
}

TEST_F(FolderChooser, TheTreeShowsFoldersFromTheRootWithHomeSelected) {
  QFileSystemModel* model = Model(*Form4);
  EXPECT_EQ(model->rootPath(), QStringLiteral("/"));
  EXPECT_TRUE(model->filter().testFlag(QDir::AllDirs));
  EXPECT_FALSE(model->filter().testFlag(QDir::Files));
  EXPECT_EQ(Form4->SelectedPath(), QDir::homePath());
  const QModelIndex home = model->index(QDir::homePath());
  for (QModelIndex i = home.parent(); i.isValid(); i = i.parent())
    EXPECT_TRUE(Form4->ShellTreeView1()->isExpanded(i)) << model->filePath(i).toStdString();
}

TEST_F(FolderChooser, EachOpeningSelectsTheCurrentPictureFolderOrHome) {
  const struct {
    const char* Name;
    QString Dir;  // "sys" "dir"
    QString Selected;
  } cases[] = {
      {"the default folder", QString(), Pics()},
      {"a configured folder", Path("holiday"), Path("holiday")},
      {"a folder that has gone", Path("gone"), QDir::homePath()},
  };
  QDir().mkpath(Path("holiday"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Ini().WriteString("sys", "dir", c.Dir.toStdString());
    Form2->Edit2 = kActivationMarker;
    ActivateAndList();
    Form4->SelectPath(Path("elsewhere"));  // left there by the last opening
    Form2->SpeedButton1Click();
    EXPECT_EQ(Form4->SelectedPath(), c.Selected);
    Form4->BitBtn1Click();
  }
}

// Runs the event loop until the tree's model has been quiet for a while (it
// lists folders on a thread of its own and sorts them later), at most 10 s.
void LetTheTreeSettle(QFileSystemModel* model) {
  QElapsedTimer quiet;
  quiet.start();
  const auto restart = [&quiet] { quiet.restart(); };
  const QMetaObject::Connection connections[] = {
      QObject::connect(model, &QAbstractItemModel::rowsInserted, restart),
      QObject::connect(model, &QAbstractItemModel::layoutChanged, restart),
      QObject::connect(model, &QAbstractItemModel::dataChanged, restart),
      QObject::connect(model, &QFileSystemModel::directoryLoaded, restart),
  };
  WaitFor([&] { return quiet.elapsed() > 300; });
  for (const auto& c : connections) QObject::disconnect(c);
}

TEST_F(FolderChooser, OpensWithADeepFolderSelectedAndInView) {
  // Six levels of 25 folders each; the picture folder is the 13th of each.
  QString folder = Path("deep");
  for (int level = 1; level <= 6; ++level) {
    for (int i = 1; i <= 25; ++i)
      QDir().mkpath(folder + QStringLiteral("/level%1-%2").arg(level).arg(i, 2, 10, QChar(u'0')));
    folder += QStringLiteral("/level%1-13").arg(level);
  }
  Ini().WriteString("sys", "dir", folder.toStdString());
  ActivateAndList();
  Form2->SpeedButton1Click();
  LetTheTreeSettle(Model(*Form4));

  QTreeView* tree = Form4->ShellTreeView1();
  EXPECT_EQ(Form4->SelectedPath(), folder);
  const QRect row = tree->visualRect(Model(*Form4)->index(folder));
  EXPECT_TRUE(tree->viewport()->rect().contains(row))
      << "row " << row.y() << ".." << row.bottom() << " of " << tree->viewport()->height();
  Form4->BitBtn1Click();
}

// The model lists a folder once; a folder made after its parent was listed
// shows up when the user opens the parent again.
TEST_F(FolderChooser, AFolderMadeLaterShowsWhenItsParentIsOpenedAgain) {
  QDir().mkpath(Path("albums/2023"));
  Form2->SpeedButton1Click();
  Form4->SelectPath(Path("albums/2023"));
  QFileSystemModel* model = Model(*Form4);
  LetTheTreeSettle(model);
  const QModelIndex albums = model->index(Path("albums"));
  ASSERT_EQ(model->rowCount(albums), 1);

  QDir().mkpath(Path("albums/2024"));
  QTreeView* tree = Form4->ShellTreeView1();
  tree->collapse(albums);
  tree->expand(albums);
  // Looked for among the branch's rows only: asking the model for the
  // path itself would make it add the folder.
  const auto shown = [&] {
    QStringList names;
    for (int row = 0; row < model->rowCount(albums); ++row)
      names << model->index(row, 0, albums).data().toString();
    names.sort();
    return names;
  };
  QElapsedTimer waited;
  waited.start();
  while (shown().size() < 2 && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  LetTheTreeSettle(model);
  EXPECT_EQ(shown(), QStringList({"2023", "2024"}));
  EXPECT_EQ(Form4->SelectedPath(), Path("albums/2023"));
  Form4->BitBtn1Click();
}

TEST_F(FolderChooser, LayoutHasItsCaptionsAndPlaces) {
  EXPECT_EQ(Form4->size(), QSize(282, 257));
  EXPECT_EQ(Form4->windowTitle(), QStringLiteral("请选择你的图片路径："));
  EXPECT_EQ(Form4->ShellTreeView1()->geometry(), QRect(8, 8, 265, 177));
  EXPECT_EQ(Form4->BitBtn1()->geometry(), QRect(40, 216, 75, 25));
  EXPECT_EQ(Form4->BitBtn1()->text(), QStringLiteral("退 出"));
  EXPECT_EQ(Form4->BitBtn2()->geometry(), QRect(168, 216, 75, 25));
  EXPECT_EQ(Form4->BitBtn2()->text(), QStringLiteral("确 定"));
  EXPECT_TRUE(Form4->BitBtn2()->isDefault());
  EXPECT_EQ(Form4->ShellTreeView1()->font().pixelSize(), 13);
}

TEST_F(FolderChooser, AboutBoxLayout) {
  EXPECT_EQ(Form5->size(), QSize(400, 300));
  EXPECT_EQ(Form5->windowTitle(), QStringLiteral("关于..."));
  EXPECT_EQ(Form5->SpeedButton1()->geometry(), QRect(312, 262, 73, 25));
  EXPECT_EQ(Form5->SpeedButton1()->text(), QStringLiteral("确   定"));
  Form5->SpeedButton1()->ensurePolished();
  EXPECT_EQ(Form5->SpeedButton1()->palette().color(QPalette::ButtonText), QColor(128, 0, 255));
  EXPECT_EQ(Form5->Image1()->Image().size(), QSize(400, 300));
}

}  // namespace
}  // namespace vantora::test
