#include "config/Unit4.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <memory>

#include "config/FormSupport.h"
#include "config/Unit2.h"
#include "platform/ErrorReport.h"
#include "ui_Unit4.h"

namespace vantora {

TForm4::TForm4(TForm2* form2, QWidget* parent)
    : QDialog(parent),
      FForm2(form2),
      ui(std::make_unique<Ui::TForm4>()),
      FModel(new QFileSystemModel(this)) {
  ui->setupUi(this);
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(282, 257);
  UseCaptionFont(this);
  ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));

  // Folders only, read once when a branch is opened (no watching of the
  // disk for later changes), the name column alone.
  FModel->setOption(QFileSystemModel::DontWatchForChanges);
  FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FModel->setReadOnly(true);
  FModel->setRootPath(QStringLiteral("/"));
  QTreeView* tree = ui->ShellTreeView1;
  tree->setModel(FModel);
  for (int column = 1; column < FModel->columnCount(); ++column) tree->hideColumn(column);
  // The window's background colour, not the form's.
  tree->setBackgroundRole(QPalette::Base);

  // The home folder opened and in view, so the usual picture folders are
  // one click away.
  const QModelIndex home = FModel->index(QDir::homePath());
  for (QModelIndex i = home; i.isValid(); i = i.parent()) tree->expand(i);
  tree->scrollTo(home, QAbstractItemView::PositionAtTop);
  // The model lists folders in the background; once the home folder's
  // parent is listed, bring the home folder into view (once).
  auto scrolled = std::make_shared<bool>(false);
  connect(FModel, &QFileSystemModel::directoryLoaded, this, [this, scrolled](const QString& path) {
    const QString home = QDir::homePath();
    if (*scrolled || path != QFileInfo(home).path()) return;
    *scrolled = true;
    ui->ShellTreeView1->scrollTo(FModel->index(home), QAbstractItemView::PositionAtTop);
  });

  connect(ui->BitBtn1, &QPushButton::clicked, this,
          [this] { RunHandler([this] { BitBtn1Click(); }); });
  connect(ui->BitBtn2, &QPushButton::clicked, this,
          [this] { RunHandler([this] { BitBtn2Click(); }); });
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
  const QModelIndex index = FModel->index(path);
  if (!index.isValid()) return;
  for (QModelIndex i = index.parent(); i.isValid(); i = i.parent()) ui->ShellTreeView1->expand(i);
  ui->ShellTreeView1->setCurrentIndex(index);
  ui->ShellTreeView1->scrollTo(index);
}

void TForm4::reject() {
  RunHandler([this] { BitBtn1Click(); });
}

void TForm4::BitBtn1Click() { hide(); }

void TForm4::BitBtn2Click() {
  FForm2->Edit2 = kActivationMarker;
  TIniFile& ini = FForm2->IniFile();
  ini.WriteString("sys", "dir", SelectedPath().toStdString());
  FForm2->Edit1 = QString::fromStdString(ini.ReadString("sys", "dir", ""));
  FForm2->ApplyFilePath(FForm2->Edit1);
  FForm2->Memo1 = FForm2->FileListBox1Items;
  hide();
  // The settings window takes over again and, with its marker set, redoes
  // its activation work for the new folder.
  FForm2->activateWindow();
  FForm2->FormActivate();
}

}  // namespace vantora
