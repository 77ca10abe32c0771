#pragma once
// TForm4: the picture folder chooser behind the settings window's
// "图片路径". A tree of folders only, from the file system's root, with the
// icon theme's folder icons. Each opening selects the current picture
// folder (or the home folder when that does not exist) and scrolls it into
// view; between openings the window is only hidden, so the tree keeps its
// expansion. OK stores the selected folder as the picture folder and tells
// the settings window; exit stores nothing.

#include <functional>
#include <memory>

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QModelIndex;
class QPushButton;
class QTreeView;
namespace Ui {
class TForm4;
}

namespace vantora {

class TIniFile;

class TForm4 : public QDialog {
 public:
  // ini: the settings file the configuration windows share.
  explicit TForm4(TIniFile& ini, QWidget* parent = nullptr);
  ~TForm4() override;

  void BitBtn1Click();  // 退 出
  void BitBtn2Click();  // 确 定

  QTreeView* ShellTreeView1() const;
  QPushButton* BitBtn1() const;
  QPushButton* BitBtn2() const;

  // The full path of the selected folder; empty with nothing selected.
  QString SelectedPath() const;
  // Selects the folder at path in the tree, opening its parents and
  // scrolling it into view (again as its parents are listed, which the
  // model does in the background); a path that names no folder selects
  // the home folder instead.
  void SelectPath(const QString& path);

  // Raised after OK has stored the folder and hidden the chooser.
  std::function<void()> OnFolderStored;

 protected:
  void reject() override;  // Escape and the close box
  void showEvent(QShowEvent* event) override;

 private:
  void KeepSelectionInView();
  void Relist(const QModelIndex& folder);
  // Opens the parents of index, as the program (not the user) does.
  void ExpandParents(const QModelIndex& index);

  TIniFile& FIni;
  std::unique_ptr<Ui::TForm4> ui;
  QFileSystemModel* FModel;
  QString FScrollDue;  // the folder kept in view while its parents are listed
  bool FExpandingParents = false;  // the program, not the user, opens branches
};

}  // namespace vantora
