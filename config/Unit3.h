#pragma once
// TForm3: the user settings dialog behind the settings window's "用户设置".
//
// Three tabs edit the picture order and fitting, the effect order, reversal,
// speed and display time, the clearing of the previous picture, and the
// music playlist with its loop switch; a fourth, the screen saver's, sets
// how long the session must be idle before the daemon starts the show and
// whether the daemon starts when the user logs in. OK writes every setting at once; the
// playlist's entry keys follow one per tick of two 1 ms timers, Timer2
// deleting the old keys and Timer1 writing the new ones, so the windows
// stay responsive. The dialog re-reads the first two tabs from the
// settings file when it opens and when the user comes back to it from
// another of the program's windows (the settings window), not after its own
// file dialog, a message box, or a visit to another program. The dialog is
// only shown and hidden, so the playlist and the remembered positions
// survive between openings.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "platform/BlankingConflict.h"
#include "platform/MediaPlayer.h"
#include "platform/Timer.h"

class QCheckBox;
class QGroupBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
namespace Ui {
class TForm3;
}

namespace vantora {

class TIniFile;

// The selected item of a radio group (its radio buttons in layout order),
// -1 when none is; selecting an index outside the items does nothing.
int RadioItemIndex(const QGroupBox* group);
void SetRadioItemIndex(QGroupBox* group, int index);

class TForm3 : public QDialog {
 public:
  // ini: the settings file the configuration windows share. player:
  // MediaPlayer1 (a TMediaPlayer when null).
  explicit TForm3(TIniFile& ini, std::unique_ptr<TMediaPlayerBase> player = nullptr,
                  QWidget* parent = nullptr);
  ~TForm3() override;

  // Handlers, public so the settings window and tests can drive them.
  void FormActivate();
  void SpinEdit1Change();
  void SpinEdit2Change();
  void Button1Click();  // 插  入
  void Button2Click();  // 播  放
  void Button3Click();  // 清  空
  void Button4Click();  // 删  除
  void ListBox1MouseDown();
  void ListBox1KeyDown();
  void BitBtn2Click();  // 确 定
  void BitBtn1Click();  // 退 出
  void FormClose();
  void Timer2Timer();
  void Timer1Timer();

  // The settings window's loader, one saved entry per call: returns true
  // while entries are being read, false once the list is complete (then
  // Memo1 holds a copy of it).
  bool LoadNextEntry();
  // Stops a playing entry and forgets its file (settings window).
  void StopMusic();
  // Writes the entry keys an OK still has to write, at once: the loader
  // and the saver share ListCursor, so an opening waits for the saver.
  void FinishSaving();

  // Controls of the layout.
  QTabWidget* PageControl1() const;
  QGroupBox* RadioGroup1() const;
  QGroupBox* RadioGroup2() const;
  QGroupBox* RadioGroup3() const;
  QCheckBox* CheckBox1() const;
  QCheckBox* CheckBox2() const;
  QCheckBox* CheckBox3() const;
  QSpinBox* SpinEdit1() const;
  QSpinBox* SpinEdit2() const;
  QSpinBox* SpinEdit3() const;  // screen saver: idle minutes before the show
  QCheckBox* CheckBox4() const;  // screen saver: start when I log in
  QLabel* Label6() const;  // screen saver: the daemon's state and warnings
  QCheckBox* CheckBox5() const;  // pictures: include subfolders
  QCheckBox* CheckBox6() const;  // pictures: no repeat before all are shown
  QComboBox* ComboBox1() const;  // pictures: caption none, date, name, both
  QSpinBox* SpinEdit4() const;  // pictures: skip a shorter side under these pixels
  QListWidget* ListBox1() const;
  QPushButton* Button(int n) const;  // Button1 … Button4
  QPushButton* BitBtn1() const;
  QPushButton* BitBtn2() const;

  // Working state.
  QStringList Memo1;  // copy of the playlist, the source of the entry keys at saving
  std::unique_ptr<TMediaPlayerBase> MediaPlayer1;  // plays an entry for listening
  Timer Timer2{1};  // deletes the old entry keys after OK
  Timer Timer1{1};  // writes the entry keys after OK
  int SelIndex = 0;  // list position at the last press in the list (-1: none)
  int PlayIndex = 0;  // the entry the play button last asked for
  int ListCursor = 0;  // shared by the loader and the saver
  int EraseCursor = 0;  // the saver's key-deleting step
  int HorizontalExtent = 0;  // the list's scrollable width in pixels (0: its own)

  // OpenDialog1: runs the file-open dialog with the filters of
  // OpenDialog1Filters and returns the chosen full path, or empty when
  // cancelled.
  static const QStringList OpenDialog1Filters;
  static const QList<QStringList> OpenDialog1Patterns;  // the files each filter takes
  std::function<QString()> OpenDialog1;

  // What the screen-saver tab changes outside the settings file: the
  // desktop's autostart entry and the running daemon. The platform's by
  // default; tests put their own.
  struct TSaverSession {
    std::function<bool(bool on, std::string& error)> SetAutostart;
    std::function<bool()> DaemonRunning;
    std::function<bool()> StartDaemon;
    std::function<bool()> StopDaemon;
    // Why a show after that many idle seconds would not be seen (the
    // desktop blanks or locks first), naming the setting to change; empty
    // when nothing stands in the way.
    std::function<QString(int idleSeconds)> BlankingConflict;
  };
  TSaverSession SaverSession;
  // Shows the daemon's state and any blanking conflict for the wait time
  // shown in SpinEdit3.
  void ShowSaverState();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;  // Escape and the close box

 private:
  void CloseForm();
  void AddEntry(const QString& path);
  void ApplyExtent();

  QString RunOpenDialog();
  void ApplySaverSettings(bool wasOn);
  void PlaceSavedEntry(int slot, const QString& path);

  TIniFile& FIni;
  std::unique_ptr<Ui::TForm3> ui;
  bool FActivationDue = false;  // another program window had the focus since
  std::optional<std::vector<TBlanking>> FDesktopBlanking;  // as looked up at activation
};

}  // namespace vantora
