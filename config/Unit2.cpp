#include "config/Unit2.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include "config/Artwork.h"
#include "config/FormSupport.h"
#include "config/Image.h"
#include "config/Thumbnails.h"
#include "config/Unit3.h"
#include "config/Unit4.h"
#include "config/Unit5.h"
#include "platform/DevicePixels.h"
#include "platform/ErrorReport.h"
#include "platform/FileList.h"
#include "platform/PictureMasks.h"
#include "platform/ProgramWindow.h"
#include "platform/RegularFile.h"
#include "settings/SettingKeys.h"
#include "settings/PicsSettings.h"
#include "ui_Unit2.h"

namespace vantora {

namespace {

constexpr int kCellWidth = 105;
constexpr int kCellHeight = 81;

}  // namespace

TForm2::TForm2(std::string programFolder, QWidget* parent)
    : QWidget(parent),
      FProgramFolder(std::move(programFolder)),
      ui(std::make_unique<Ui::TForm2>()),
      FIniFile(SettingsFileFor(FProgramFolder)),
      // Thumbnails are decoded for the cell's device pixels, so they are
      // sharp on a scaled screen.
      FPool(std::make_unique<TThumbnailPool>(2, DevicePixels(kCellWidth, devicePixelRatioF()),
                                             DevicePixels(kCellHeight, devicePixelRatioF()),
                                             devicePixelRatioF())),
      FLister(this) {
  ui->setupUi(this);
  // Borderless, sized to its content, and (as a tool window) without a
  // task-bar button of its own.
  setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
  setFixedSize(545, 452);
  UseCaptionFont(this);
  ui->Image13->SetPicture(ToQImage(DecodeArtwork(SettingsBackgroundJpeg(), "settings background")));
  for (int k = 1; k <= 12; ++k) Image(k)->hide();

  Beep = [] { QApplication::beep(); };
  FLister.OnBatch = [this](const QStringList& batch) { NamesFound(batch); };
  Timer1.OnTimer = [this] { RunHandler([this] { Timer1Timer(); }); };

  OnClick(ui->SpeedButton5, this, &TForm2::SpeedButton5Click);
  OnClick(ui->SpeedButton1, this, &TForm2::SpeedButton1Click);
  OnClick(ui->SpeedButton2, this, &TForm2::SpeedButton2Click);
  OnClick(ui->SpeedButton6, this, &TForm2::SpeedButton6Click);
  OnClick(ui->SpeedButton3, this, &TForm2::SpeedButton3Click);
  OnClick(ui->SpeedButton4, this, &TForm2::SpeedButton4Click);
  connect(ui->ScrollBar1, &QScrollBar::actionTriggered, this, &TForm2::ScrollAction);
  connect(ui->ScrollBar1, &QScrollBar::sliderReleased, this, [this] {
    int pos = ui->ScrollBar1->value();
    RunHandler([&] { ScrollBar1Scroll(scPosition, pos); });
  });
  ui->ScrollBar1->installEventFilter(this);
  ui->Image13->installEventFilter(this);
  ui->Bevel1->installEventFilter(this);
  for (int k = 1; k <= 12; ++k) Image(k)->installEventFilter(this);
}

TForm2::~TForm2() {
  // Stop the decoders before the cells they report to go away.
  FPool.reset();
}

TImage* TForm2::Image(int k) const {
  TImage* const cells[] = {ui->Image1, ui->Image2,  ui->Image3,  ui->Image4,
                           ui->Image5, ui->Image6,  ui->Image7,  ui->Image8,
                           ui->Image9, ui->Image10, ui->Image11, ui->Image12};
  return cells[k - 1];
}

TImage* TForm2::Image13() const { return ui->Image13; }
QScrollBar* TForm2::ScrollBar1() const { return ui->ScrollBar1; }

QToolButton* TForm2::SpeedButton(int n) const {
  QToolButton* const buttons[] = {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3,
                                  ui->SpeedButton4, ui->SpeedButton5, ui->SpeedButton6};
  return buttons[n - 1];
}

bool TForm2::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) RunHandler([this] { FormActivate(); });
  return QWidget::event(e);
}

void TForm2::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // Some desktops never activate a window; the marker keeps the work to
  // one run per arming either way.
  RunHandler([this] { FormActivate(); });
}

void TForm2::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (e->isAccepted() && OnClose) OnClose();
}

bool TForm2::eventFilter(QObject* watched, QEvent* e) {
  // The wheel over the bar, and over the grid (its cells, the background
  // and the frame around them), pages like the bar's arrow buttons, so the
  // grid follows the bar.
  if (e->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(e);
    auto* widget = static_cast<QWidget*>(watched);
    const QPoint at = widget->mapTo(this, wheel->position().toPoint());
    if (watched == ui->ScrollBar1 || ui->Bevel1->geometry().contains(at)) {
      Wheel(wheel);
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

void TForm2::wheelEvent(QWheelEvent* e) {
  if (ui->Bevel1->geometry().contains(e->position().toPoint()))
    Wheel(e);
  else
    QWidget::wheelEvent(e);
}

void TForm2::Wheel(QWheelEvent* e) {
  // One line step per notch (120 units), like the bar's arrow buttons, so
  // the grid follows the bar; a fine-grained wheel or touchpad adds up.
  e->accept();
  FWheelDelta += e->angleDelta().y();
  while (FWheelDelta >= 120 || FWheelDelta <= -120) {
    const bool down = FWheelDelta < 0;
    FWheelDelta += down ? 120 : -120;
    ui->ScrollBar1->triggerAction(down ? QAbstractSlider::SliderSingleStepAdd
                                       : QAbstractSlider::SliderSingleStepSub);
  }
}

void TForm2::FormActivate() {
  if (Edit2.isEmpty()) return;
  const QSize screen = ScreenSize();
  CentreWindow(this, screen);
  if (Form3) CentreWindow(Form3, screen);
  if (Form4) CentreWindow(Form4, screen);
  if (Form5) CentreWindow(Form5, screen);
  FIniFile = TIniFile(SettingsFileFor(FProgramFolder));
  ReadFolderAndFill();
  Edit2.clear();
}

void TForm2::ReadFolderAndFill() {
  // A settings file that is refused (absurdly large) gives the defaults;
  // the user is told why the settings do not show.
  if (const std::string problem = IniFile().Problem(); !problem.empty())
    ReportError(QString::fromStdString(problem));
  Edit1 = QString::fromStdString(ReadSetting(IniFile(), settings::PictureFolder));
  FSubfolders = ReadPicsSettings(IniFile()).Subfolders;
  ApplyFilePath(Edit1.isEmpty() ? QString::fromStdString(DefaultPictureFolderFor(FProgramFolder))
                                : Edit1);
  Memo1 = FileListBox1Items;
  StopDialogMusic();
  ThumbPage = 0;
  ThumbEnd = 12;
  ScrollBar1()->setMaximum(RoundHalfEven(Memo1.size() / 12.0));
  ScrollBar1()->setValue(0);
  FillGrid();
}

void TForm2::ApplyFilePath(const QString& folder) {
  if (folder.isEmpty()) return;
  // Names are compared exactly: on this system "Pics" and "pics" are two
  // different folders, and treating them as one would keep a stale list.
  if (folder == FileListBox1 && FSubfolders == FListedSubfolders) return;
  FileListBox1 = folder;
  FListedSubfolders = FSubfolders;
  FileListBox1Items.clear();
  // Listed on a thread of its own; the names join the list as they come.
  FLister.Start(folder, kPreviewMask, FSubfolders);
}

void TForm2::NamesFound(const QStringList& batch) {
  // The picture list is a copy of the file list made at every activation,
  // so it follows the listing the copy was taken from.
  const bool followed = Memo1.size() == FileListBox1Items.size();
  FileListBox1Items += batch;
  if (!followed) return;
  const qsizetype before = Memo1.size();
  Memo1 += batch;
  ScrollBar1()->setMaximum(RoundHalfEven(Memo1.size() / 12.0));
  // Only the page in view is filled again, and only when names were added
  // to it.
  if (before < ThumbEnd) FillGrid();
}

QString TForm2::PicturePath(int i) const {
  const QString name = i >= 0 && i < Memo1.size() ? Memo1[i] : QString();
  if (!Edit1.isEmpty()) return Edit1 + u'/' + name;
  return QString::fromStdString(DefaultPictureFolderFor(FProgramFolder)) + u'/' + name;
}

void TForm2::StopDialogMusic() {
  if (Form3) Form3->StopMusic();
}

void TForm2::FillGrid() {
  std::vector<std::pair<int, QString>> jobs;
  for (int k = 1; k <= 12; ++k) {
    TImage* cell = Image(k);
    const QString path = PicturePath(ThumbEnd - 13 + k);
    cell->Clear();
    if (IsRegularFile(path)) {
      cell->FileName = path;
      cell->show();
      jobs.emplace_back(k, path);
    } else {
      cell->FileName.clear();
      cell->hide();
    }
  }
  FPending = int(jobs.size());
  // Results are handed to the window thread; those of an earlier page are
  // dropped there by their batch number.
  FBatch = FPool->Start(std::move(jobs), [this](unsigned batch, int k, TThumbnail thumb) {
    QMetaObject::invokeMethod(
        this, [this, batch, k, thumb = std::move(thumb)] { ApplyThumbnail(batch, k, thumb); },
        Qt::QueuedConnection);
  });
}

void TForm2::ApplyThumbnail(unsigned batch, int k, const TThumbnail& thumb) {
  if (batch != FBatch) return;
  --FPending;
  if (!thumb.Image.isNull())
    Image(k)->SetThumbnail(thumb.Image, thumb.PictureWidth, thumb.PictureHeight);
}

void TForm2::ScrollAction(int action) {
  TScrollCode code;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; break;
    default: code = scTrack; break;
  }
  // The bar's page size is 0, for the fixed-size thumb, so Qt moves it by
  // nothing on a page step; a page step moves it by 1, like a line step.
  QScrollBar* bar = ScrollBar1();
  if (code == scPageDown || code == scPageUp)
    bar->setSliderPosition(
        std::clamp(bar->value() + (code == scPageDown ? 1 : -1), bar->minimum(), bar->maximum()));
  int pos = bar->sliderPosition();
  RunHandler([&] { ScrollBar1Scroll(code, pos); });
}

void TForm2::ScrollBar1Scroll(TScrollCode scrollCode, int& scrollPos) {
  switch (scrollCode) {
    case scPosition:
      ThumbPage = scrollPos;
      ThumbEnd = 12 * scrollPos + 12;
      FillGrid();
      break;
    case scLineDown:
    case scPageDown:
      if (ThumbPage < ScrollBar1()->maximum()) {
        ThumbEnd += 12;
        FillGrid();
        ++ThumbPage;
      }
      break;
    case scLineUp:
    case scPageUp:
      if (ThumbPage > 0) {
        ThumbEnd -= 12;
        --ThumbPage;
        FillGrid();
      }
      break;
    default: break;  // tracking, top, bottom and end of scroll leave the grid alone
  }
}

void TForm2::SpeedButton5Click() {
  if (ResetPreviewGuard) ResetPreviewGuard();
  if (Form6) ShowAndRaise(Form6);
}

void TForm2::SpeedButton1Click() {
  if (!Form4) return;
  Form4->OnFolderStored = [this] { FolderStored(); };
  Form4->SelectPath(
      Edit1.isEmpty() ? QString::fromStdString(DefaultPictureFolderFor(FProgramFolder)) : Edit1);
  ShowAndRaise(Form4);
}

void TForm2::FolderStored() {
  // The next activation runs the whole activation work again.
  Edit2 = kActivationMarker;
  Edit1 = QString::fromStdString(ReadSetting(IniFile(), settings::PictureFolder));
  ApplyFilePath(Edit1);
  Memo1 = FileListBox1Items;
  // The settings window takes over again; with its marker set, it redoes
  // its activation work for the new folder.
  activateWindow();
  FormActivate();
}

void TForm2::SpeedButton2Click() {
  if (!Form3) return;
  // An OK's entry keys still being written (a long playlist) are written
  // first; the loader then starts from where the saver ends.
  RunHandler([this] { Form3->FinishSaving(); });
  Form3->CheckBox1()->setChecked(ReadSetting(IniFile(), settings::LoopPlaylist, srConfig));
  Timer1.SetEnabled(true);
}

void TForm2::Timer1Timer() {
  if (!Form3) {
    Timer1.SetEnabled(false);
    return;
  }
  if (Form3->LoadNextEntry()) return;
  Timer1.SetEnabled(false);
  ShowAndRaise(Form3);
}

void TForm2::SpeedButton6Click() {
  WriteDefaultSettings(IniFile());
  FIniFile = TIniFile(SettingsFileFor(FProgramFolder));
  ReadFolderAndFill();
}

void TForm2::SpeedButton3Click() {
  if (Beep) Beep();
  if (Form5) ShowAndRaise(Form5);
}

void TForm2::SpeedButton4Click() { close(); }

}  // namespace vantora
