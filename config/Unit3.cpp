#include "config/Unit3.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QWindow>

#include "config/FormSupport.h"
#include "platform/Autostart.h"
#include "platform/BlankingConflict.h"
#include "platform/DaemonControl.h"
#include "platform/ErrorReport.h"
#include "platform/ProgramWindow.h"
#include "platform/RegularFile.h"
#include "settings/IniFile.h"
#include "settings/PicsSettings.h"
#include "settings/SettingKeys.h"
#include "ui_Unit3.h"

namespace vantora {

namespace {

QList<QRadioButton*> RadioItems(const QGroupBox* group) {
  return group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
}

// The saved entry ("song" i) a list entry was loaded from or saved as.
constexpr int kSavedSlot = Qt::UserRole;

// The file dialog's list with its dates written in the program's locale:
// the list writes them in the session's locale, which may be another.
class TDatesInProgramLocale : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    constexpr int kDateColumn = 3;
    if (role == Qt::DisplayRole && index.column() == kDateColumn)
      if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel()))
        return QLocale().toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
    return QIdentityProxyModel::data(index, role);
  }
};

}  // namespace

int RadioItemIndex(const QGroupBox* group) {
  const auto items = RadioItems(group);
  for (int i = 0; i < items.size(); ++i)
    if (items[i]->isChecked()) return i;
  return -1;
}

void SetRadioItemIndex(QGroupBox* group, int index) {
  const auto items = RadioItems(group);
  if (index >= 0 && index < items.size()) items[index]->setChecked(true);
}

const QStringList TForm3::OpenDialog1Filters{QStringLiteral("Music files(*.mid *.wav *.mp3)"),
                                             QStringLiteral("All files(*.*)")};
// What each entry takes. The captions stay as written, but the music entry
// also takes the other formats the player plays, and "*.*" would need a dot
// here, where many files have no extension.
const QList<QStringList> TForm3::OpenDialog1Patterns{
    {QStringLiteral("*.mid"), QStringLiteral("*.wav"), QStringLiteral("*.mp3"),
     QStringLiteral("*.ogg"), QStringLiteral("*.flac"), QStringLiteral("*.m4a"),
     QStringLiteral("*.opus")},
    {QStringLiteral("*")}};

TForm3::TForm3(TIniFile& ini, std::unique_ptr<TMediaPlayerBase> player, QWidget* parent)
    : QDialog(parent),
      MediaPlayer1(player ? std::move(player) : std::make_unique<TMediaPlayer>()),
      FIni(ini),
      ui(std::make_unique<Ui::TForm3>()) {
  ui->setupUi(this);
  UseToolWindowFrame(this);
  setFixedSize(430, 301);
  UseCaptionFont(this);
  UseStandardGlyphs(ui->BitBtn1, ui->BitBtn2);

  OpenDialog1 = [this] { return RunOpenDialog(); };
  SaverSession.SetAutostart = [](bool on, std::string& error) {
    return SetAutostart(on, DaemonCommand(QCoreApplication::applicationFilePath().toStdString()),
                        error);
  };
  SaverSession.DaemonRunning = [] { return DaemonRunning(); };
  SaverSession.StartDaemon = [] { return StartDaemon(); };
  SaverSession.StopDaemon = [] { return StopDaemon(); };
  // The desktop's blanking is looked up once per activation, not at every
  // step of the spin edit.
  SaverSession.BlankingConflict = [this](int idleSeconds) {
    if (!FDesktopBlanking) FDesktopBlanking = DesktopBlanking();
    return QString::fromStdString(BlankingConflictText(*FDesktopBlanking, idleSeconds));
  };
  connect(ui->SpinEdit3, &QSpinBox::valueChanged, this, [this] { ShowSaverState(); });
  Timer2.OnTimer = [this] { RunHandler([this] { Timer2Timer(); }); };
  Timer1.OnTimer = [this] { RunHandler([this] { Timer1Timer(); }); };

  connect(ui->SpinEdit1, &QSpinBox::valueChanged, this, [this] { SpinEdit1Change(); });
  connect(ui->SpinEdit2, &QSpinBox::valueChanged, this, [this] { SpinEdit2Change(); });
  OnClick(ui->Button1, this, &TForm3::Button1Click);
  OnClick(ui->Button2, this, &TForm3::Button2Click);
  OnClick(ui->Button3, this, &TForm3::Button3Click);
  OnClick(ui->Button4, this, &TForm3::Button4Click);
  OnClick(ui->BitBtn1, this, &TForm3::BitBtn1Click);
  OnClick(ui->BitBtn2, this, &TForm3::BitBtn2Click);
  ui->ListBox1->installEventFilter(this);
  ui->ListBox1->viewport()->installEventFilter(this);

  // The user went to another of the program's windows: coming back is an
  // activation that re-reads the settings. A dialog box of the dialog's own
  // (the file dialog, a message box) or another program is not.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
    if (isVisible() && focus != windowHandle() && IsProgramWindow(focus)) FActivationDue = true;
  });
}

TForm3::~TForm3() = default;

QTabWidget* TForm3::PageControl1() const { return ui->PageControl1; }
QGroupBox* TForm3::RadioGroup1() const { return ui->RadioGroup1; }
QGroupBox* TForm3::RadioGroup2() const { return ui->RadioGroup2; }
QGroupBox* TForm3::RadioGroup3() const { return ui->RadioGroup3; }
QCheckBox* TForm3::CheckBox1() const { return ui->CheckBox1; }
QCheckBox* TForm3::CheckBox2() const { return ui->CheckBox2; }
QCheckBox* TForm3::CheckBox3() const { return ui->CheckBox3; }
QSpinBox* TForm3::SpinEdit1() const { return ui->SpinEdit1; }
QSpinBox* TForm3::SpinEdit2() const { return ui->SpinEdit2; }
QSpinBox* TForm3::SpinEdit3() const { return ui->SpinEdit3; }
QCheckBox* TForm3::CheckBox4() const { return ui->CheckBox4; }
QLabel* TForm3::Label6() const { return ui->Label6; }
QCheckBox* TForm3::CheckBox5() const { return ui->CheckBox5; }
QCheckBox* TForm3::CheckBox6() const { return ui->CheckBox6; }
QComboBox* TForm3::ComboBox1() const { return ui->ComboBox1; }
QSpinBox* TForm3::SpinEdit4() const { return ui->SpinEdit4; }
QListWidget* TForm3::ListBox1() const { return ui->ListBox1; }
QPushButton* TForm3::BitBtn1() const { return ui->BitBtn1; }
QPushButton* TForm3::BitBtn2() const { return ui->BitBtn2; }

QPushButton* TForm3::Button(int n) const {
  QPushButton* const buttons[] = {ui->Button1, ui->Button2, ui->Button3, ui->Button4};
  return buttons[n - 1];
}

bool TForm3::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && FActivationDue) {
    FActivationDue = false;
    RunHandler([this] { FormActivate(); });
  }
  return QDialog::event(e);
}

void TForm3::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // The opening, from the settings window, is an activation (also on
  // desktops that never say so).
  FActivationDue = false;
  RunHandler([this] { FormActivate(); });
}

bool TForm3::eventFilter(QObject* watched, QEvent* e) {
  if (watched == ui->ListBox1 && e->type() == QEvent::KeyPress) {
    // Before the key moves the selection.
    RunHandler([this] { ListBox1KeyDown(); });
  } else if (watched == ui->ListBox1->viewport() && e->type() == QEvent::MouseButtonPress) {
    // After the press has selected its entry.
    QMetaObject::invokeMethod(
        this, [this] { RunHandler([this] { ListBox1MouseDown(); }); }, Qt::QueuedConnection);
  }
  return QDialog::eventFilter(watched, e);
}

void TForm3::reject() {
  RunHandler([this] { BitBtn1Click(); });
}

void TForm3::CloseForm() {
  FormClose();
  hide();
}

void TForm3::FormActivate() {
  ListCursor = 0;
  FDesktopBlanking.reset();
  TIniFile& ini = FIni;
  SetRadioItemIndex(ui->RadioGroup1, ReadSetting(ini, settings::ListOrder, srConfig) ? 1 : 0);
  SetRadioItemIndex(ui->RadioGroup2, ReadSetting(ini, settings::EffectsInSequence, srConfig) ? 1 : 0);
  ui->SpinEdit1->setValue(RoundHalfEven(ReadSetting(ini, settings::DisplayInterval, srConfig) / 1000.0));
  SpinEdit1Change();
  SetRadioItemIndex(ui->RadioGroup3, ReadSetting(ini, settings::Fitting, srConfig));
  ui->CheckBox2->setChecked(ReadSetting(ini, settings::Reverse, srConfig));
  ui->SpinEdit2->setValue(ReadSetting(ini, settings::Step, srConfig));
  SpinEdit2Change();
  ui->CheckBox3->setChecked(ReadSetting(ini, settings::ClearBefore, srConfig));
  ui->SpinEdit3->setValue(std::clamp(ReadSetting(ini, settings::SaverWait, srConfig),
                                     settings::SaverWait.Min, settings::SaverWait.Max));
  ui->CheckBox4->setChecked(ReadYes(ini, settings::Autostart));
  ShowSaverState();
  const TPicsSettings pics = ReadPicsSettings(ini);
  ui->CheckBox5->setChecked(pics.Subfolders);
  ui->CheckBox6->setChecked(pics.NoRepeat);
  ui->ComboBox1->setCurrentIndex(int(pics.Caption));
  ui->SpinEdit4->setValue(pics.MinSide);
}

void TForm3::ShowSaverState() {
  QString text = SaverSession.DaemonRunning && SaverSession.DaemonRunning()
                     ? QStringLiteral("屏幕保护守护进程正在运行：会话空闲时自动开始放映。")
                     : QStringLiteral("屏幕保护守护进程未运行。勾选“登录时启动”并按“确 定”即可启动。");
  if (SaverSession.BlankingConflict)
    if (const QString conflict = SaverSession.BlankingConflict(ui->SpinEdit3->value() * 60);
        !conflict.isEmpty())
      text += QStringLiteral("\n\n") + conflict;
  ui->Label6->setText(text);
}

// Start when I log in: on, the autostart entry is written and a daemon
// started when none runs, so the choice takes effect without logging out;
// switched off, the entry goes and the running daemon ends. Left off, the
// session is not touched: a daemon the user runs another way (a systemd
// unit) keeps running. A failure is reported like a failing write, and
// the dialog stays open with the edits.
void TForm3::ApplySaverSettings(bool wasOn) {
  const bool on = ui->CheckBox4->isChecked();
  if (!on && !wasOn) return;
  std::string error;
  if (SaverSession.SetAutostart && !SaverSession.SetAutostart(on, error))
    throw std::runtime_error(("无法更改登录时启动：" + QString::fromStdString(error)).toStdString());
  if (!on) {
    if (SaverSession.StopDaemon) SaverSession.StopDaemon();
  } else if (SaverSession.DaemonRunning && !SaverSession.DaemonRunning() &&
             SaverSession.StartDaemon && !SaverSession.StartDaemon()) {
    throw std::runtime_error("无法启动屏幕保护守护进程。");
  }
}

void TForm3::SpinEdit1Change() {
  if (ui->SpinEdit1->value() < 1) ui->SpinEdit1->setValue(1);
}

void TForm3::SpinEdit2Change() {
  if (ui->SpinEdit2->value() < 1) ui->SpinEdit2->setValue(1);
  if (ui->SpinEdit2->value() > 100) ui->SpinEdit2->setValue(100);
}

void TForm3::AddEntry(const QString& path) {
  auto* item = new QListWidgetItem(path);
  if (HorizontalExtent > 0) item->setSizeHint(QSize(HorizontalExtent, 13));
  ui->ListBox1->addItem(item);
}

void TForm3::ApplyExtent() {
  // The list scrolls sideways over the extent: every row is that wide.
  for (int i = 0; i < ui->ListBox1->count(); ++i)
    ui->ListBox1->item(i)->setSizeHint(HorizontalExtent > 0 ? QSize(HorizontalExtent, 13)
                                                            : QSize());
  ui->ListBox1->doItemsLayout();
}

void TForm3::Button1Click() {
  const QString path = OpenDialog1 ? OpenDialog1() : QString();
  if (!path.isEmpty()) {
    AddEntry(path);
    Memo1 << path;
  }
  const QFontMetrics metrics(ui->ListBox1->font());
  int widest = 0;
  for (int i = 0; i < ui->ListBox1->count(); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(ui->ListBox1->item(i)->text()));
  HorizontalExtent = 2 * widest;
  ApplyExtent();
}

void TForm3::Button2Click() {
  PlayIndex = SelIndex;
  if (SelIndex < 0 || SelIndex >= ui->ListBox1->count()) return;
  const QString path = ui->ListBox1->item(SelIndex)->text();
  if (!IsRegularFile(path)) return;
  MediaPlayer1->SetFileName(path);
  MediaPlayer1->Open();
  MediaPlayer1->Play();
}

void TForm3::Button3Click() {
  ui->ListBox1->clear();
  Memo1.clear();
}

void TForm3::Button4Click() {
  if (SelIndex < 0 || SelIndex >= ui->ListBox1->count()) return;
  delete ui->ListBox1->takeItem(SelIndex);
  if (SelIndex < Memo1.size()) Memo1.removeAt(SelIndex);
  if (PlayIndex == SelIndex) MediaPlayer1->Close();
  ui->Button2->setEnabled(false);
  if (SelIndex < PlayIndex) --PlayIndex;
  // The remembered position stays, so delete pressed again removes the
  // entry that moved into it; after the last entry it moves up to the new
  // last one (none in an empty list), and the highlight shows that entry,
  // the one delete and play now act on.
  const int count = ui->ListBox1->count();
  if (SelIndex >= count) SelIndex = count - 1;
  ui->ListBox1->setCurrentRow(SelIndex);
}

void TForm3::ListBox1MouseDown() {
  SelIndex = ui->ListBox1->currentRow();
  if (ui->ListBox1->count() > 0 && SelIndex >= 0) ui->Button2->setEnabled(true);
}

void TForm3::ListBox1KeyDown() { ListBox1MouseDown(); }

QString TForm3::RunOpenDialog() {
  UseFolderIconTheme();
  QFileDialog dialog(this);
  UseToolWindowFrame(&dialog);  // a close box only, like the dialog it opens from
  // Qt's own dialog, whose filters and texts are ours to set (a desktop's
  // dialog would take the captions' patterns and its own language).
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setProxyModel(new TDatesInProgramLocale(&dialog));
  dialog.setNameFilters(OpenDialog1Filters);
  // The dialog takes its patterns from the captions; the list it shows is
  // given the entry's own patterns instead, each time an entry is chosen.
  auto* files = dialog.findChild<QFileSystemModel*>();
  const auto usePatterns = [files](const QString& filter) {
    const auto entry = OpenDialog1Filters.indexOf(filter);
    if (files && entry >= 0) files->setNameFilters(OpenDialog1Patterns.at(entry));
  };
  connect(&dialog, &QFileDialog::filterSelected, &dialog, usePatterns);
  usePatterns(dialog.selectedNameFilter());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

void TForm3::BitBtn2Click() {
  EraseCursor = 0;
  ListCursor = 0;
  TIniFile& ini = FIni;
  const int count = ui->ListBox1->count();
  WriteSetting(ini, settings::LoopPlaylist, ui->CheckBox1->isChecked());
  WriteSetting(ini, settings::SongCount, count);
  WriteYes(ini, settings::MusicOn, count > 0);
  if (const int order = RadioItemIndex(ui->RadioGroup1); order >= 0)
    WriteSetting(ini, settings::ListOrder, order == 1);
  if (const int order = RadioItemIndex(ui->RadioGroup2); order >= 0)
    WriteSetting(ini, settings::EffectsInSequence, order == 1);
  WriteSetting(ini, settings::DisplayInterval, ui->SpinEdit1->value() * 1000);
  if (const int fitting = RadioItemIndex(ui->RadioGroup3); fitting >= 0)
    WriteSetting(ini, settings::Fitting, fitting);
  WriteSetting(ini, settings::Reverse, ui->CheckBox2->isChecked());
  WriteSetting(ini, settings::Step, ui->SpinEdit2->value());
  WriteSetting(ini, settings::ClearBefore, ui->CheckBox3->isChecked());
  const bool autostartWasOn = ReadYes(ini, settings::Autostart);
  WriteSetting(ini, settings::SaverWait, ui->SpinEdit3->value());
  WriteYes(ini, settings::Autostart, ui->CheckBox4->isChecked());
  ApplySaverSettings(autostartWasOn);
  WritePicsSettings(ini, {ui->CheckBox5->isChecked(), ui->CheckBox6->isChecked(),
                          TCaption(std::clamp(ui->ComboBox1->currentIndex(), 0, 3)),
                          ui->SpinEdit4->value()});
  // From now on entry i is saved as "song" i.
  for (int i = 0; i < count; ++i) ui->ListBox1->item(i)->setData(kSavedSlot, i);
  // The saver starts only when every setting was written: after a write
  // that failed (its error reported) the dialog stays open with the edits.
  Timer2.SetEnabled(true);
  CloseForm();
}

void TForm3::BitBtn1Click() { CloseForm(); }

void TForm3::FormClose() {
  if (MediaPlayer1->Mode() == mpPlaying) {
    MediaPlayer1->Stop();
    MediaPlayer1->Close();
  }
}

void TForm3::Timer2Timer() {
  if (EraseCursor < Memo1.size()) {
    DeleteSongEntry(FIni, EraseCursor);
    ++EraseCursor;
  } else {
    Timer2.SetEnabled(false);
    Timer1.SetEnabled(true);
  }
}

void TForm3::Timer1Timer() {
  if (ListCursor >= Memo1.size()) {
    Timer1.SetEnabled(false);
    // The dialog is already hidden; one the user has opened again since is
    // left open.
    if (!isVisible()) FormClose();
    return;
  }
  const QString& path = Memo1[ListCursor];
  if (IsRegularFile(path)) WriteSongEntry(FIni, ListCursor, path.toStdString());
  ++ListCursor;
}

namespace {

// One past the highest "song" i key in the file: the saved entries cannot
// reach further, whatever "how" says.
int SavedEntriesEnd(const TIniFile& ini) {
  long long end = 0;
  for (const std::string& key : ini.ReadSection(settings::kSong)) {
    if (key.size() < 5 || !key.starts_with("song") || key.size() > 14) continue;
    const std::string digits = key.substr(4);
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    if (digits.size() > 1 && digits[0] == '0') continue;  // "song" i has no leading zeros
    end = std::max(end, std::min<long long>(std::stoll(digits) + 1, INT_MAX));
  }
  return int(end);
}

}  // namespace

bool TForm3::LoadNextEntry() {
  int count = ReadSetting(FIni, settings::SongCount, srConfig);
  // A count that runs past the keys in the file (a corrupt or hand-made
  // "how") stops at the last saved entry rather than tick on for nothing.
  if (ListCursor < count) count = std::min(count, SavedEntriesEnd(FIni));
  if (ListCursor < count) {
    const QString path = QString::fromStdString(ReadSongEntry(FIni, ListCursor));
    if (IsRegularFile(path)) PlaceSavedEntry(ListCursor, path);
    ++ListCursor;
    return true;
  }
  Memo1.clear();
  for (int i = 0; i < ui->ListBox1->count(); ++i) Memo1 << ui->ListBox1->item(i)->text();
  return false;
}

void TForm3::PlaceSavedEntry(int slot, const QString& path) {
  // Saved entry i replaces list position i. When an earlier saved entry
  // was missing and the list is too short, it is appended instead and
  // remembers its slot, so the next loading finds it again rather than
  // adding it a second time.
  QListWidget* list = ui->ListBox1;
  QListWidgetItem* item = nullptr;
  for (int i = 0; i < list->count() && !item; ++i)
    if (list->item(i)->data(kSavedSlot) == QVariant(slot)) item = list->item(i);
  if (!item && slot < list->count()) item = list->item(slot);
  if (!item) {
    AddEntry(path);
    item = list->item(list->count() - 1);
  }
  item->setText(path);
  item->setData(kSavedSlot, slot);
}

void TForm3::FinishSaving() {
  while (Timer2.Enabled()) Timer2Timer();
  while (Timer1.Enabled()) Timer1Timer();
}

void TForm3::StopMusic() {
  if (MediaPlayer1->Mode() != mpPlaying) return;
  MediaPlayer1->SetFileName(QString());
  MediaPlayer1->Stop();
  MediaPlayer1->Close();
}

}  // namespace vantora
