#include "config/Unit4.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

#include "config/FormSupport.h"
#include "settings/IniFile.h"
#include "settings/SettingKeys.h"
#include "ui_Unit4.h"

namespace vantora {

TForm4::TForm4(TIniFile& ini, QWidget* parent)
    : QDialog(parent),
      FIni(ini),
      ui(std::make_unique<Ui::TForm4>()),
      FModel(new QFileSystemModel(this)) {
  ui->setupUi(this);
  UseToolWindowFrame(this);
  setFixedSize(282, 257);
  UseCaptionFont(this);
  UseStandardGlyphs(ui->BitBtn1, ui->BitBtn2);

  // Folders only, read when the user opens a branch (no watching of the
  // disk for later changes), the name column alone, with the folder icons
  // of the icon theme.
  UseFolderIconTheme();
  FModel->setOption(QFileSystemModel::DontWatchForChanges);
  FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FModel->setReadOnly(true);
  FModel->setRootPath(QStringLiteral("/"));
  QTreeView* tree = ui->ShellTreeView1;
  tree->setModel(FModel);
  for (int column = 1; column < FModel->columnCount(); ++column) tree->hideColumn(column);
  // The window's background colour, not the form's.
  tree->setBackgroundRole(QPalette::Base);
  SelectPath(QDir::homePath());

  // The model lists folders in the background and sorts each listing a
  // moment later; every listing or sorting of one of the selected folder's
  // parents moves it: bring it into view again each time, until the user
  // picks another folder.
  connect(FModel, &QFileSystemModel::directoryLoaded, this, &TForm4::KeepSelectionInView);
  connect(FModel, &QFileSystemModel::rowsInserted, this, &TForm4::KeepSelectionInView);
  connect(FModel, &QFileSystemModel::layoutChanged, this, &TForm4::KeepSelectionInView);
  // The model lists a folder once; a branch the user opens again is listed
  // again, so a folder made since shows up.
  connect(tree, &QTreeView::expanded, this, [this](const QModelIndex& folder) {
    if (!FExpandingParents) Relist(folder);
  });
  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!FScrollDue.isEmpty() && current != FModel->index(FScrollDue)) FScrollDue.clear();
          });

  OnClick(ui->BitBtn1, this, &TForm4::BitBtn1Click);
  OnClick(ui->BitBtn2, this, &TForm4::BitBtn2Click);
}

TForm4::~TForm4() = default;

QTreeView* TForm4::ShellTreeView1() const { return ui->ShellTreeView1; }
QPushButton* TForm4::BitBtn1() const { return ui->BitBtn1; }
QPushButton* TForm4::BitBtn2() const { return ui->BitBtn2; }

QString TForm4::SelectedPath() const {
  const QModelIndexList selected = ui->ShellTreeView1->selectionModel()->selectedRows();
  if (selected.isEmpty()) return QString();
  // Absolute and without a trailing separator, except the root "/" itself.
  return QDir::cleanPath(FModel->filePath(selected.first()));
}

void TForm4::SelectPath(const QString& path) {
  const QString folder = QFileInfo(path).isDir()
                             ? QDir::cleanPath(QFileInfo(path).absoluteFilePath())
                             : QDir::homePath();
  const QModelIndex index = FModel->index(folder);
  if (!index.isValid()) return;
  QTreeView* tree = ui->ShellTreeView1;
  ExpandParents(index);
  FScrollDue = folder;
  tree->setCurrentIndex(index);
  tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TForm4::KeepSelectionInView() {
  // Once the view has laid out what just changed; a branch listed anew can
  // come back closed, so its parents are opened again.
  QTimer::singleShot(0, this, [this] {
    if (FScrollDue.isEmpty()) return;
    const QModelIndex index = FModel->index(FScrollDue);
    ExpandParents(index);
    ui->ShellTreeView1->scrollTo(index, QAbstractItemView::PositionAtCenter);
  });
}

void TForm4::ExpandParents(const QModelIndex& index) {
  FExpandingParents = true;
  for (QModelIndex i = index.parent(); i.isValid(); i = i.parent()) ui->ShellTreeView1->expand(i);
  FExpandingParents = false;
}

void TForm4::Relist(const QModelIndex& folder) {
  // The model has no call to list one folder again; changing its root path
  // marks the folders it leaves as not listed. Moving the root to the
  // folder and back marks the folder, and fetching lists it afresh (new
  // folders are added; the branch's other state stays).
  const QString root = FModel->rootPath();
  FModel->setRootPath(FModel->filePath(folder));
  FModel->setRootPath(root);
  if (FModel->canFetchMore(folder)) FModel->fetchMore(folder);
}

void TForm4::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  KeepSelectionInView();  // a hidden view has no size to scroll in
}

void TForm4::reject() {
  RunHandler([this] { BitBtn1Click(); });
}

void TForm4::BitBtn1Click() { hide(); }

void TForm4::BitBtn2Click() {
  WriteSetting(FIni, settings::PictureFolder, SelectedPath().toStdString());
  hide();
  if (OnFolderStored) OnFolderStored();
}

}  // namespace vantora
