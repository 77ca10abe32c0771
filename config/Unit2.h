#pragma once
// TForm2: the settings window, main window of the configuration run.
//
// A borderless 545 x 452 window over a painted background: a 3 x 4 grid of
// thumbnails of the picture folder, paged twelve at a time by a vertical
// scroll bar, and a column of six flat buttons (preview, picture folder,
// user settings, default settings, about, exit). Its first activation opens
// the settings file that all configuration windows share, centres them on
// the screen and fills the first page of thumbnails; the folder chooser's
// OK sets the marker again so the next activation does it all once more.
//
// Thumbnails are decoded on two worker threads and applied in the window
// thread as they arrive; a file that cannot be decoded leaves its cell
// visible and empty while the others fill. Only the twelve cells in view
// are ever decoded, so a library of any size pages as a folder of ten does.
//
// The picture folder (with "pics" "subfolders", the whole tree under it) is
// listed on a thread of its own: the window stays responsive while a large
// library is listed, the scroll range grows as names come, and the page in
// view fills as soon as its names are there.

#include <functional>
#include <memory>
#include <string>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "platform/FolderLister.h"
#include "platform/ProgramFolder.h"
#include "platform/Timer.h"
#include "settings/IniFile.h"

class QScrollBar;
class QToolButton;
class QWheelEvent;
namespace Ui {
class TForm2;
}

namespace vantora {

class TForm3;
class TForm4;
class TForm5;
class TImage;
class TThumbnailPool;
struct TThumbnail;

// The marker of a first activation whose work is still due.
inline const QString kActivationMarker = QStringLiteral("Orvanel");

// What a scroll bar reports, as the platform's scroll codes name it.
enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};

class TForm2 : public QWidget {
 public:
  // programFolder: the program file's folder with its trailing "/", from
  // which the settings file and the default picture folder are found
  // (SettingsFileFor, DefaultPictureFolderFor).
  explicit TForm2(std::string programFolder = vantora::ProgramFolder(), QWidget* parent = nullptr);
  ~TForm2() override;

  // The windows created after this one, set by their creator.
  TForm3* Form3 = nullptr;
  TForm4* Form4 = nullptr;
  TForm5* Form5 = nullptr;
  QWidget* Form6 = nullptr;  // the preview window
  std::function<void()> ResetPreviewGuard;  // its exit guard back to idle
  std::function<void()> Beep;  // the system's default beep
  // Raised when the window has closed; as the main window, its closing
  // ends the program.
  std::function<void()> OnClose;

  // Handlers, public so the other windows and tests can drive them.
  void FormActivate();
  // The scroll bar reports a code before it moves itself; scrollPos is the
  // position it will take.
  void ScrollBar1Scroll(TScrollCode scrollCode, int& scrollPos);
  void SpeedButton5Click();  // 预   览
  void SpeedButton1Click();  // 图片路径
  void SpeedButton2Click();  // 用户设置
  void SpeedButton6Click();  // 默认设置
  void SpeedButton3Click();  // 关   于
  void SpeedButton4Click();  // 退    出
  void Timer1Timer();

  // Controls of the layout.
  TImage* Image(int k) const;  // Image1 … Image12, row by row
  TImage* Image13() const;  // the background
  QScrollBar* ScrollBar1() const;
  QToolButton* SpeedButton(int n) const;  // SpeedButton1 … SpeedButton6

  // Working state.
  QString Edit1;  // picture folder as configured (empty = "pics")
  QString Edit2 = kActivationMarker;  // non-empty = the activation work is due
  QString FileListBox1;  // the folder the file list holds
  QStringList FileListBox1Items;  // its names, mask kPreviewMask (paths below it with subfolders)
  QStringList Memo1;  // the picture list, one name per line
  int ThumbPage = 0;  // the page shown, 0-based
  int ThumbEnd = 12;  // one past the last position of the page
  Timer Timer1{1};  // drives the user settings dialog's playlist loading

  // The settings file object the configuration windows share; the
  // activation work and the default-settings button open it anew on the
  // same path, in place, so the dialogs' references stay good.
  TIniFile& IniFile() { return FIniFile; }
  const std::string& ProgramFolder() const { return FProgramFolder; }

  // Points the file list at folder and lists it, unless it holds that
  // folder already; an empty folder leaves it where it was.
  void ApplyFilePath(const QString& folder);
  // The path of list position i.
  QString PicturePath(int i) const;
  // Shows the page ThumbEnd - 12 … ThumbEnd - 1 in the twelve cells.
  void FillGrid();
  // Thumbnails of the shown page still being decoded.
  int PendingThumbnails() const { return FPending; }
  // Whether the folder's listing is still under way.
  bool Listing() const { return FLister.Listing(); }

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // Reads the picture folder from the settings, lists it, stops the dialog's
  // music and shows the first page of thumbnails.
  void ReadFolderAndFill();
  // The folder chooser's OK stored a folder: list it and redo the
  // activation work.
  void FolderStored();
  // The wheel pages the grid one step per notch, over the bar and the grid.
  void Wheel(QWheelEvent* event);
  void StopDialogMusic();
  void ApplyThumbnail(unsigned batch, int k, const TThumbnail& thumb);
  void ScrollAction(int action);
  void NamesFound(const QStringList& batch);

  std::string FProgramFolder;
  std::unique_ptr<Ui::TForm2> ui;
  TIniFile FIniFile;
  std::unique_ptr<TThumbnailPool> FPool;
  unsigned FBatch = 0;  // the batch of the page shown
  int FPending = 0;
  int FWheelDelta = 0;  // wheel turned short of a notch
  TFolderLister FLister;
  bool FSubfolders = false;  // "pics" "subfolders" as last read
  bool FListedSubfolders = false;  // as the file list was taken
};

}  // namespace vantora
