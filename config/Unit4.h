#pragma once
// TForm4: the picture folder chooser behind the settings window's
// "图片路径". A tree of folders only, from the file system's root, with the
// user's home folder opened so it is reachable at once. The window is only
// hidden between uses, so the tree keeps its expansion and selection. OK
// stores the selected folder as the picture folder and makes the settings
// window list it; exit stores nothing.

#include <memory>

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QPushButton;
class QTreeView;
namespace Ui {
class TForm4;
}

namespace vantora {

class TForm2;

class TForm4 : public QDialog {
 public:
  explicit TForm4(TForm2* form2, QWidget* parent = nullptr);
  ~TForm4() override;

  void BitBtn1Click();  // 退 出
  void BitBtn2Click();  // 确 定

  QTreeView* ShellTreeView1() const;
  QPushButton* BitBtn1() const;
  QPushButton* BitBtn2() const;
  QFileSystemModel* Model() const { return FModel; }

  // The full path of the selected folder; empty with nothing selected.
  QString SelectedPath() const;
  // Selects the folder at path in the tree, opening its parents (tests,
  // and a caller that wants to point the tree somewhere).
  void SelectPath(const QString& path);

 protected:
  void reject() override;  // Escape and the close box

 private:
  TForm2* FForm2;
  std::unique_ptr<Ui::TForm4> ui;
  QFileSystemModel* FModel;
};

}  // namespace vantora
