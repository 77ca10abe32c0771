// The user settings dialog: what activation shows, the spin edits, OK and
// the two-timer saver, the settings window's loader, and the music tab.

#include <QAbstractProxyModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>

#include "platform/ErrorReport.h"
#include "platform/Translations.h"
#include "tests/config/ConfigFixture.h"

namespace vantora::test {
namespace {

class UserSettings : public ConfigFixture {
 protected:
  QStringList Entries() const {
    QStringList entries;
    for (int i = 0; i < Form3->ListBox1()->count(); ++i)
      entries << Form3->ListBox1()->item(i)->text();
    return entries;
  }
  // Music files that exist, named by letter.
  QString Song(const QString& name) {
    const QString path = Path(name + QStringLiteral(".mp3"));
    if (!QFileInfo::exists(path)) WriteText(path, "ID3");
    return path;
  }
  void Insert(const QString& path) {
    Form3->OpenDialog1 = [path] { return path; };
    Form3->Button1Click();
  }
  // Runs the settings window's loader until it shows the dialog.
  int OpenDialog() {
    Form2->SpeedButton2Click();
    int ticks = 0;
    while (Form2->Timer1.Enabled() && ticks < 1000) {
      Form2->Timer1.Tick();
      ++ticks;
    }
    return ticks;
  }
  std::string Key(const char* section, const std::string& key) {
    return Ini().ReadString(section, key, "<absent>");
  }
};

TEST_F(UserSettings, ActivationShowsTheSecondsRoundedHalfToEvenAndAtLeastOne) {
  const struct {
    const char* Stored;
    int Shown;
  } cases[] = {
      {nullptr, 13}, {"1500", 2}, {"2500", 2},  {"3500", 4},    {"500", 1},
      {"400", 1},    {"0", 1},    {"-7000", 1}, {"0x3A98", 15},
  };
  for (const auto& c : cases) {
    if (c.Stored) Ini().WriteString("sys", "3", c.Stored);
    Form3->FormActivate();
    EXPECT_EQ(Form3->SpinEdit1()->value(), c.Shown) << (c.Stored ? c.Stored : "absent");
    Form3->BitBtn2Click();
    EXPECT_EQ(Ini().ReadInteger("sys", "3", -1), c.Shown * 1000);
  }
}

TEST_F(UserSettings, ActivationWithoutAFileShowsTheDialogsDefaults) {
  Form3->FormActivate();
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup1()), 0);
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup2()), 0);
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup3()), 0);
  EXPECT_EQ(Form3->SpinEdit1()->value(), 13);
  EXPECT_EQ(Form3->SpinEdit2()->value(), 6);
  EXPECT_FALSE(Form3->CheckBox2()->isChecked());
  EXPECT_FALSE(Form3->CheckBox3()->isChecked());
}

TEST_F(UserSettings, ActivationMapsEveryStoredKey) {
  TIniFile ini = Ini();
  ini.WriteBool("sys", "1", true);
  ini.WriteInteger("sys", "2", 2);  // any non-zero number is true
  ini.WriteInteger("sys", "4", 2);
  ini.WriteBool("sys", "5", true);
  ini.WriteInteger("sys", "6", 42);
  ini.WriteBool("sys", "7", true);
  Form3->FormActivate();
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup1()), 1);
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup2()), 1);
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup3()), 2);
  EXPECT_TRUE(Form3->CheckBox2()->isChecked());
  EXPECT_EQ(Form3->SpinEdit2()->value(), 42);
  EXPECT_TRUE(Form3->CheckBox3()->isChecked());
}

TEST_F(UserSettings, AFittingValueOutsideTheItemsLeavesTheSelection) {
  SetRadioItemIndex(Form3->RadioGroup3(), 1);
  for (const char* stored : {"5", "-1", "3"}) {
    Ini().WriteString("sys", "4", stored);
    Form3->FormActivate();
    EXPECT_EQ(RadioItemIndex(Form3->RadioGroup3()), 1) << stored;
  }
}

TEST_F(UserSettings, SpinEditsCorrectTheirText) {
  const struct {
    QSpinBox* Edit;
    int Typed;
    int Shown;
  } cases[] = {
      {Form3->SpinEdit2(), 250, 100}, {Form3->SpinEdit2(), 0, 1},     {Form3->SpinEdit2(), -3, 1},
      {Form3->SpinEdit2(), 55, 55},   {Form3->SpinEdit1(), 600, 600}, {Form3->SpinEdit1(), 0, 1},
  };
  for (const auto& c : cases) {
    c.Edit->setValue(c.Typed);  // the change handler runs on every change
    EXPECT_EQ(c.Edit->value(), c.Shown) << c.Typed;
  }
  // A stored speed outside 1..100 is shown corrected.
  Ini().WriteInteger("sys", "6", 250);
  Form3->FormActivate();
  EXPECT_EQ(Form3->SpinEdit2()->value(), 100);
}

TEST_F(UserSettings, OkWritesTheSettingsAndHidesTheDialog) {
  Form3->show();
  SetRadioItemIndex(Form3->RadioGroup1(), 1);
  SetRadioItemIndex(Form3->RadioGroup2(), 0);
  SetRadioItemIndex(Form3->RadioGroup3(), 2);
  Form3->CheckBox1()->setChecked(false);
  Form3->CheckBox2()->setChecked(true);
  Form3->CheckBox3()->setChecked(false);
  Form3->SpinEdit1()->setValue(7);
  Form3->SpinEdit2()->setValue(12);
  Form3->BitBtn2Click();
  EXPECT_FALSE(Form3->isVisible());
  const struct {
    const char* Section;
    const char* Key;
    const char* Value;
  } keys[] = {
      {"song", "cyc", "0"}, {"song", "how", "0"}, {"song", "play", "no"}, {"sys", "1", "1"},
      {"sys", "2", "0"},    {"sys", "3", "7000"}, {"sys", "4", "2"},      {"sys", "5", "1"},
      {"sys", "6", "12"},   {"sys", "7", "0"},
  };
  for (const auto& k : keys) EXPECT_EQ(Key(k.Section, k.Key), k.Value) << k.Section << "/" << k.Key;
}

// A long playlist's keys are still being written when the user opens the
// dialog again: the opening finishes them first, and the saver's end does
// not hide the dialog the user opened.
TEST_F(UserSettings, ADialogOpenedWhileTheSaverRunsStaysOpen) {
  QStringList songs;
  for (const char* name : {"a", "b", "c", "d", "e"}) songs << Song(name);
  for (const QString& s : songs) Insert(s);
  Form3->show();
  Form3->BitBtn2Click();
  for (int i = 0; i < 7; ++i) {  // five keys deleted, two written
    if (Form3->Timer2.Enabled())
      Form3->Timer2.Tick();
    else
      Form3->Timer1.Tick();
  }
  ASSERT_TRUE(Form3->Timer1.Enabled());
  OpenDialog();
  EXPECT_TRUE(Form3->isVisible());
  for (int i = 0; i < 10; ++i) {
    if (Form3->Timer2.Enabled()) Form3->Timer2.Tick();
    if (Form3->Timer1.Enabled()) Form3->Timer1.Tick();
  }
  EXPECT_TRUE(Form3->isVisible());
  EXPECT_EQ(Entries(), songs);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Key("song", "song" + std::to_string(i)), songs[i].toStdString());
  Form3->BitBtn1Click();
}

TEST_F(UserSettings, AnOkThatCannotWriteKeepsTheDialogOpenWithItsEdits) {
  ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("scr.ini")));  // no file can go there
  QStringList reports;
  const TErrorReporter previous = SetErrorReporter([&](const QString& t) { reports << t; });
  Form3->show();
  SetRadioItemIndex(Form3->RadioGroup1(), 1);
  Form3->BitBtn2()->click();
  while (Form3->Timer2.Enabled()) Form3->Timer2.Tick();
  while (Form3->Timer1.Enabled()) Form3->Timer1.Tick();
  SetErrorReporter(previous);
  ASSERT_EQ(reports.size(), 1);
  EXPECT_TRUE(reports[0].startsWith("Unable to write to ")) << reports[0].toStdString();
  EXPECT_TRUE(Form3->isVisible());
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup1()), 1);
}

TEST_F(UserSettings, OkWithAnEmptyPlaylistDeletesNoKeys) {
  Ini().WriteString("song", "song0", Song("a").toStdString());
  Form3->BitBtn2Click();
  EXPECT_TRUE(Form3->Timer2.Enabled());
  Form3->Timer2.Tick();  // nothing to delete: hands over at once
  EXPECT_FALSE(Form3->Timer2.Enabled());
  EXPECT_TRUE(Form3->Timer1.Enabled());
  Form3->Timer1.Tick();
  EXPECT_FALSE(Form3->Timer1.Enabled());
  EXPECT_EQ(Key("song", "how"), "0");
  EXPECT_EQ(Key("song", "play"), "no");
  EXPECT_EQ(Key("song", "song0"), Song("a").toStdString());
}

TEST_F(UserSettings, SaverDeletesThenWritesOneKeyPerTick) {
  // Five saved entries, then a list of three whose second file is gone.
  TIniFile ini = Ini();
  for (int i = 0; i < 5; ++i)
    ini.WriteString("song", "song" + std::to_string(i), "/old/" + std::to_string(i));
  const QString a = Song("a"), c = Song("c");
  for (const QString& path : {a, Path("b-missing.mp3"), c}) Insert(path);
  Form3->BitBtn2Click();
  EXPECT_EQ(Key("song", "how"), "3");
  EXPECT_EQ(Key("song", "play"), "yes");

  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(Key("song", "song" + std::to_string(i)), "<absent>");
    Form3->Timer2.Tick();
    EXPECT_EQ(Key("song", "song" + std::to_string(i)), "<absent>") << i;
    if (i < 2) {
      EXPECT_NE(Key("song", "song" + std::to_string(i + 1)), "<absent>");
    }
  }
  Form3->Timer2.Tick();
  EXPECT_FALSE(Form3->Timer2.Enabled());
  ASSERT_TRUE(Form3->Timer1.Enabled());

  const struct {
    std::string Key;
    std::string After;
  } writes[] = {{"song0", a.toStdString()}, {"song1", "<absent>"}, {"song2", c.toStdString()}};
  for (const auto& w : writes) {
    Form3->Timer1.Tick();
    EXPECT_EQ(Key("song", w.Key), w.After) << w.Key;
  }
  Form3->Timer1.Tick();
  EXPECT_FALSE(Form3->Timer1.Enabled());
  // Entries beyond the new count stay in the file.
  EXPECT_EQ(Key("song", "song3"), "/old/3");
  EXPECT_EQ(Key("song", "song4"), "/old/4");
}

TEST_F(UserSettings, LoaderReadsOneSavedEntryPerTickThenShowsTheDialog) {
  const QString a = Song("a"), c = Song("c");
  TIniFile ini = Ini();
  ini.WriteInteger("song", "how", 3);
  ini.WriteString("song", "song0", a.toStdString());
  ini.WriteString("song", "song1", Path("gone.mp3").toStdString());
  ini.WriteString("song", "song2", c.toStdString());
  ini.WriteBool("song", "cyc", false);
  Form3->CheckBox1()->setChecked(true);

  EXPECT_EQ(OpenDialog(), 4);  // three keys, then the finishing tick
  EXPECT_FALSE(Form3->CheckBox1()->isChecked());
  EXPECT_EQ(Entries(), QStringList({a, c}));
  EXPECT_EQ(Form3->Memo1, Entries());
  EXPECT_TRUE(Form3->isVisible());
}

// A corrupt count must not keep the loader ticking: it stops at the last
// saved entry, and the dialog shows.
TEST_F(UserSettings, AnAbsurdPlaylistCountStopsAtTheLastSavedEntry) {
  const QString a = Song("a"), c = Song("c");
  TIniFile ini = Ini();
  ini.WriteString("song", "song0", a.toStdString());
  ini.WriteString("song", "song2", c.toStdString());
  for (const char* how : {"999999999", "2147483647"}) {
    SCOPED_TRACE(how);
    Form3->ListCursor = 0;
    ini.WriteString("song", "how", how);
    EXPECT_EQ(OpenDialog(), 4);  // entries 0 to 2, then the finishing tick
    EXPECT_EQ(Entries(), QStringList({a, c}));
    EXPECT_TRUE(Form3->isVisible());
    Form3->BitBtn1Click();
  }
  // The default settings leave "how" alone.
  Form2->SpeedButton6Click();
  EXPECT_EQ(Key("song", "how"), "2147483647");
}

TEST_F(UserSettings, ReopeningAfterCancelRestoresTheSavedEntriesFirst) {
  const QString a = Song("a"), b = Song("b"), x = Song("x");
  TIniFile ini = Ini();
  ini.WriteInteger("song", "how", 2);
  ini.WriteString("song", "song0", a.toStdString());
  ini.WriteString("song", "song1", b.toStdString());
  OpenDialog();
  Form3->FormActivate();
  Insert(x);
  Form3->SelIndex = 0;
  Form3->Button4Click();  // a removed: list b, x
  Form3->BitBtn1Click();
  EXPECT_FALSE(Form3->isVisible());
  EXPECT_EQ(Key("song", "how"), "2");  // cancel writes nothing

  OpenDialog();
  EXPECT_EQ(Entries(), QStringList({a, b}));
  Form3->BitBtn1Click();
  Insert(x);
  Form3->BitBtn1Click();
  OpenDialog();
  EXPECT_EQ(Entries(), QStringList({a, b, x}));
}

TEST_F(UserSettings, ASkippedEntryLeavesNoDuplicateWhenReloaded) {
  const QString b = Song("b"), c = Song("c");
  TIniFile ini = Ini();
  ini.WriteInteger("song", "how", 3);
  ini.WriteString("song", "song0", Path("gone.mp3").toStdString());
  ini.WriteString("song", "song1", b.toStdString());
  ini.WriteString("song", "song2", c.toStdString());
  OpenDialog();
  EXPECT_EQ(Entries(), QStringList({b, c}));
  Form3->FormActivate();
  Form3->BitBtn1Click();
  OpenDialog();
  EXPECT_EQ(Entries(), QStringList({b, c}));
}

TEST_F(UserSettings, AfterOkTheNextOpeningLoadsNothing) {
  const QString a = Song("a");
  Insert(a);
  Form3->BitBtn2Click();
  while (Form3->Timer2.Enabled()) Form3->Timer2.Tick();
  while (Form3->Timer1.Enabled()) Form3->Timer1.Tick();
  Insert(Song("z"));  // not saved
  EXPECT_EQ(OpenDialog(), 1);
  EXPECT_EQ(Entries(), QStringList({a, Song("z")}));
}

TEST_F(UserSettings, PlayUsesThePositionRememberedAtTheLastPress) {
  const QString a = Song("a"), b = Song("b"), c = Song("c");
  for (const QString& s : {a, b, c}) Insert(s);
  Form3->ListBox1()->setCurrentRow(1);
  Form3->ListBox1MouseDown();
  EXPECT_EQ(Form3->SelIndex, 1);
  Form3->Button2Click();
  Form3->Button2Click();  // the entry that plays starts again
  EXPECT_EQ(Player->Played, QStringList({b, b}));
  EXPECT_EQ(Form3->PlayIndex, 1);

  // A key press remembers the position before the key moves the selection.
  Form3->ListBox1()->setFocus();
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(Form3->ListBox1(), &down);
  EXPECT_EQ(Form3->ListBox1()->currentRow(), 2);
  EXPECT_EQ(Form3->SelIndex, 1);
  Form3->Button2Click();
  EXPECT_EQ(Player->Played.last(), b);
}

TEST_F(UserSettings, MousePressInTheListRemembersTheEntryItSelected) {
  for (const QString& s : {Song("a"), Song("b"), Song("c")}) Insert(s);
  Form3->show();
  Form3->PageControl1()->setCurrentIndex(2);
  Form3->Button(2)->setEnabled(false);
  QListWidget* list = Form3->ListBox1();
  const QPoint at = list->visualItemRect(list->item(2)).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &press);
  QCoreApplication::processEvents();
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(Form3->SelIndex, 2);
  EXPECT_TRUE(Form3->Button(2)->isEnabled());
  Form3->BitBtn1Click();
}

TEST_F(UserSettings, PlayWithoutAnEntryOrFilePlaysNothing) {
  Insert(Path("missing.mp3"));
  Form3->SelIndex = -1;
  Form3->Button2Click();
  EXPECT_EQ(Form3->PlayIndex, -1);
  Form3->SelIndex = 0;  // the file does not exist
  Form3->Button2Click();
  Form3->SelIndex = 5;  // no such entry
  Form3->Button2Click();
  EXPECT_TRUE(Player->Played.isEmpty());
}

TEST_F(UserSettings, DeleteTwiceRemovesNeighboursAndKeepsPlayIndexInStep) {
  const QString a = Song("a"), b = Song("b"), c = Song("c"), d = Song("d"), e = Song("e");
  for (const QString& s : {a, b, c, d, e}) Insert(s);
  // Nothing clicked since start: SelIndex 0 removes the first entry.
  Form3->Button4Click();
  EXPECT_EQ(Entries(), QStringList({b, c, d, e}));

  Form3->SelIndex = 3;
  Form3->Button2Click();  // e plays, PlayIndex 3
  Form3->SelIndex = 1;
  Form3->Button4Click();
  Form3->Button4Click();  // c, then d, which moved into position 1
  EXPECT_EQ(Entries(), QStringList({b, e}));
  EXPECT_EQ(Form3->Memo1, Entries());
  EXPECT_EQ(Form3->PlayIndex, 1);  // still e
  EXPECT_EQ(Player->Mode(), mpPlaying);
  EXPECT_FALSE(Form3->Button(2)->isEnabled());

  Form3->Button4Click();  // the playing entry: the music stops
  EXPECT_EQ(Entries(), QStringList({b}));
  EXPECT_NE(Player->Mode(), mpPlaying);
}

// Deleting the last entry moves the selection to the new last entry: the
// highlight and what delete and play act on stay the same entry.
TEST_F(UserSettings, AfterDeletingTheLastEntryTheSelectionFollowsTheList) {
  const QString a = Song("a"), b = Song("b"), c = Song("c");
  for (const QString& s : {a, b, c}) Insert(s);
  QListWidget* list = Form3->ListBox1();
  list->setCurrentRow(2);
  Form3->ListBox1MouseDown();
  Form3->Button4Click();
  EXPECT_EQ(Entries(), QStringList({a, b}));
  EXPECT_EQ(Form3->SelIndex, 1);
  EXPECT_EQ(list->currentRow(), 1);
  Form3->Button2Click();
  EXPECT_EQ(Player->Played, QStringList({b}));
  Form3->Button4Click();
  Form3->Button4Click();
  EXPECT_TRUE(Entries().isEmpty());
  EXPECT_EQ(Form3->SelIndex, -1);
  EXPECT_EQ(list->currentRow(), -1);
  Form3->Button4Click();  // nothing left: nothing happens
  Form3->Button2Click();
  EXPECT_EQ(Player->Played, QStringList({b}));
}

TEST_F(UserSettings, ClearEmptiesTheListButTheMusicGoesOn) {
  Insert(Song("a"));
  Form3->SelIndex = 0;
  Form3->Button2Click();
  Form3->Button3Click();
  EXPECT_TRUE(Entries().isEmpty());
  EXPECT_TRUE(Form3->Memo1.isEmpty());
  EXPECT_EQ(Player->Mode(), mpPlaying);
  EXPECT_EQ(Form3->SelIndex, 0);
  Form3->BitBtn1Click();  // closing stops it
  EXPECT_NE(Player->Mode(), mpPlaying);
}

TEST_F(UserSettings, InsertSetsTheExtentToTwiceTheWidestEntry) {
  const QString longPath = Path("a-rather-long-folder-name/with-a-long-song-name.mp3");
  Insert(Song("a"));
  Insert(longPath);
  const QFontMetrics metrics(Form3->ListBox1()->font());
  EXPECT_EQ(Form3->HorizontalExtent, 2 * metrics.horizontalAdvance(longPath));
  EXPECT_EQ(Form3->ListBox1()->item(0)->sizeHint().width(), Form3->HorizontalExtent);
  Form3->Button3Click();
  Insert(QString());  // cancelled: measured again over what is left
  EXPECT_EQ(Form3->HorizontalExtent, 0);
  EXPECT_EQ(Entries(), QStringList());
}

TEST_F(UserSettings, TheInsertDialogShowsEachFilterOnceAsWritten) {
  QStringList shown;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
    dialog->reject();
  });
  Form3->Button1Click();  // the real dialog, cancelled
  EXPECT_EQ(shown, QStringList({"Music files(*.mid *.wav *.mp3)", "All files(*.*)"}));
  EXPECT_EQ(Entries(), QStringList());
}

// The music entry takes the other formats the player plays, and "All files"
// takes files without an extension, whatever the captions say.
TEST_F(UserSettings, TheInsertDialogsFiltersTakeMoreThanTheirCaptionsShow) {
  const QString folder = Path("songs");
  QDir().mkpath(folder);
  for (const char* name : {"a.mp3", "b.OGG", "c.flac", "d.m4a", "e.opus", "f.MID", "g.wav",
                           "readme", "notes.txt"})
    WriteText(folder + "/" + name, "x");
  QList<QStringList> listed;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* files = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    // The list is filled on a thread and filtered a moment after a change.
    const auto shownFiles = [&](int expected) {
      QStringList names;
      const QModelIndex root = files->index(folder);
      QDeadlineTimer deadline(5000);
      while (files->rowCount(root) != expected && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      for (int row = 0; row < files->rowCount(root); ++row) names << files->index(row, 0, root).data().toString();
      names.sort(Qt::CaseInsensitive);
      return names;
    };
    dialog->setDirectory(folder);
    listed << shownFiles(7);
    dialog->selectNameFilter(TForm3::OpenDialog1Filters[1]);
    emit dialog->filterSelected(TForm3::OpenDialog1Filters[1]);
    listed << shownFiles(9);
    dialog->reject();
  });
  Form3->Button1Click();
  ASSERT_EQ(listed.size(), 2);
  EXPECT_EQ(listed[0], QStringList({"a.mp3", "b.OGG", "c.flac", "d.m4a", "e.opus", "f.MID", "g.wav"}));
  EXPECT_EQ(listed[1], QStringList({"a.mp3", "b.OGG", "c.flac", "d.m4a", "e.opus", "f.MID", "g.wav",
                                    "notes.txt", "readme"}));
}

// Whatever the session's locale (LANG=C here), the file dialog writes file
// types and dates in Chinese, like its buttons.
TEST_F(UserSettings, TheInsertDialogWritesTypesAndDatesInChinese) {
  ASSERT_TRUE(LoadQtTranslations());
  const QString folder = Path("songs");
  QDir().mkpath(folder);
  WriteText(folder + "/a.mp3", "x");
  QString type, date, expectedDate;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* files = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    dialog->setDirectory(folder);
    const QModelIndex root = files->index(folder);
    QDeadlineTimer deadline(5000);
    while (files->rowCount(root) == 0 && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const QModelIndex song = files->index(folder + "/a.mp3");
    const QAbstractItemModel* shown = files;
    if (dialog->proxyModel()) shown = dialog->proxyModel();
    const auto shownIndex = [&](int column) {
      const QModelIndex i = files->index(song.row(), column, song.parent());
      return dialog->proxyModel() ? dialog->proxyModel()->mapFromSource(i) : i;
    };
    type = shown->data(shownIndex(2)).toString();
    date = shown->data(shownIndex(3)).toString();
    expectedDate = QLocale(QLocale::Chinese, QLocale::China)
                       .toString(QFileInfo(folder + "/a.mp3").lastModified(), QLocale::ShortFormat);
    dialog->reject();
  });
  Form3->Button1Click();
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(type, QStringLiteral("MP3 音频"));
  EXPECT_EQ(date, expectedDate);
}

// Brings a window to the front as the user's click would, and lets the
// activation arrive.
void Activate(QWindow* window) {
  window->requestActivate();
  QDeadlineTimer deadline(5000);
  while (QGuiApplication::focusWindow() != window && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_EQ(QGuiApplication::focusWindow(), window);
}

TEST_F(UserSettings, EditsSurviveTheDialogsOwnBoxesAndOtherProgramsButNotTheSettingsWindow) {
  Form2->show();
  OpenDialog();
  Activate(Form3->windowHandle());
  ASSERT_EQ(RadioItemIndex(Form3->RadioGroup1()), 0);  // stored: nothing, random order
  SetRadioItemIndex(Form3->RadioGroup1(), 1);
  Form3->SpinEdit2()->setValue(40);

  // The insert dialog: a dialog box of the dialog's own takes the focus.
  const QString song = Song("a");
  Form3->OpenDialog1 = [&] {
    QDialog box(Form3.get());
    box.show();
    Activate(box.windowHandle());
    box.close();
    return song;
  };
  Form3->Button1Click();
  Activate(Form3->windowHandle());
  // The error box (a song that cannot be played, a file that cannot be
  // written), taking the focus and then dismissed.
  const TErrorReporter recorder = SetErrorReporter({});
  ReportError(QStringLiteral("Cannot play the file"));
  auto* errorBox = qApp->findChild<QWidget*>(QStringLiteral("ErrorReportBox"));
  if (!errorBox)
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QStringLiteral("ErrorReportBox")) errorBox = w;
  ASSERT_NE(errorBox, nullptr);
  Activate(errorBox->windowHandle());
  errorBox->close();
  SetErrorReporter(recorder);
  Activate(Form3->windowHandle());
  // Another program: a window that is none of the program's own.
  QWindow other;
  other.show();
  Activate(&other);
  Activate(Form3->windowHandle());
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup1()), 1);
  EXPECT_EQ(Form3->SpinEdit2()->value(), 40);

  // Back from the settings window: the stored settings are shown again.
  Activate(Form2->windowHandle());
  Activate(Form3->windowHandle());
  EXPECT_EQ(RadioItemIndex(Form3->RadioGroup1()), 0);
  EXPECT_EQ(Form3->SpinEdit2()->value(), 6);

  SetRadioItemIndex(Form3->RadioGroup1(), 1);
  Form3->BitBtn2Click();
  EXPECT_EQ(Key("sys", "1"), "1");
  EXPECT_EQ(Key("song", "how"), "1");
}

TEST_F(UserSettings, SavedEntriesKeepTheirPositionsAndAreNeverDoubled) {
  // Saved after OK on [a, gone, b] while gone's file was missing.
  const QString a = Song("a"), b = Song("b"), gone = Path("gone.mp3");
  for (const QString& s : {a, gone, b}) Insert(s);
  Form3->BitBtn2Click();
  while (Form3->Timer2.Enabled()) Form3->Timer2.Tick();
  while (Form3->Timer1.Enabled()) Form3->Timer1.Tick();
  ASSERT_EQ(Key("song", "how"), "3");
  ASSERT_EQ(Key("song", "song1"), "<absent>");

  for (int opening = 0; opening < 2; ++opening) {
    OpenDialog();
    Form3->FormActivate();
    EXPECT_EQ(Entries(), QStringList({a, gone, b})) << "opening " << opening;
    Form3->BitBtn1Click();
  }
  // The same saved list on a dialog that has not held it (a new run): the
  // entries come in saved order, and again so at the next opening.
  Form3->Button3Click();
  for (int opening = 0; opening < 2; ++opening) {
    OpenDialog();
    Form3->FormActivate();
    EXPECT_EQ(Entries(), QStringList({a, b})) << "new run, opening " << opening;
    Form3->BitBtn1Click();
  }
}

TEST_F(UserSettings, LayoutHasItsCaptionsAndPlaces) {
  EXPECT_EQ(Form3->size(), QSize(430, 301));
  EXPECT_EQ(Form3->windowTitle(), QStringLiteral("用户设置:"));
  const struct {
    QWidget* Control;
    QRect Rect;
    const char* Caption;
  } controls[] = {
      {Form3->Button(1), {304, 24, 75, 25}, "插  入"},
      {Form3->Button(2), {304, 64, 75, 25}, "播  放"},
      {Form3->Button(3), {304, 104, 75, 25}, "清  空"},
      {Form3->Button(4), {304, 144, 75, 25}, "删  除"},
      {Form3->BitBtn1(), {88, 256, 75, 25}, "退 出"},
      {Form3->BitBtn2(), {264, 256, 75, 25}, "确 定"},
      {Form3->CheckBox1(), {320, 184, 49, 17}, "循环"},
      {Form3->CheckBox2(), {256, 24, 97, 17}, "反转效果"},
      {Form3->CheckBox3(), {256, 48, 137, 17}, "转换时清除前一图片"},
  };
  for (const auto& c : controls) {
    EXPECT_EQ(c.Control->geometry(), c.Rect) << c.Caption;
    EXPECT_EQ(static_cast<QAbstractButton*>(c.Control)->text(), QString::fromUtf8(c.Caption));
    EXPECT_EQ(c.Control->font().pixelSize(), 13) << c.Caption;
  }
  EXPECT_TRUE(Form3->BitBtn2()->isDefault());
}

// The screen-saver tab: idle minutes 1..120 (default 10) and "start when I
// log in", stored in [saver]; read again at every activation like the
// first two tabs.
TEST_F(UserSettings, TheScreenSaverTabShowsAndStoresTheWaitAndTheAutostart) {
  ASSERT_GE(Form3->PageControl1()->count(), 4);  // the pictures tab comes after it
  EXPECT_EQ(Form3->PageControl1()->tabText(3), QStringLiteral("屏幕保护"));
  const struct {
    const char* Wait;
    const char* Autostart;
    int Shown;
    bool Checked;
  } cases[] = {
      {nullptr, nullptr, 10, false}, {"30", "yes", 30, true}, {"0", "no", 1, false},
      {"500", "yes", 120, true},     {"junk", "YES", 10, false},
  };
  for (const auto& c : cases) {
    if (c.Wait) Ini().WriteString("saver", "wait", c.Wait);
    if (c.Autostart) Ini().WriteString("saver", "autostart", c.Autostart);
    Form3->FormActivate();
    EXPECT_EQ(Form3->SpinEdit3()->value(), c.Shown) << (c.Wait ? c.Wait : "absent");
    EXPECT_EQ(Form3->CheckBox4()->isChecked(), c.Checked) << (c.Autostart ? c.Autostart : "absent");
  }
  Form3->SpinEdit3()->setValue(25);
  Form3->CheckBox4()->setChecked(false);
  Form3->BitBtn2Click();
  EXPECT_EQ(Key("saver", "wait"), "25");
  EXPECT_EQ(Key("saver", "autostart"), "no");
}

TEST_F(UserSettings, StartWhenILogInWritesTheEntryAndStartsOrEndsTheDaemon) {
  Form3->FormActivate();
  // Left off: the session is not touched (a daemon run another way stays).
  Saver.Running = true;
  Form3->BitBtn2Click();
  EXPECT_EQ(Saver.Stops, 0);
  EXPECT_TRUE(Saver.Running);

  Saver.Running = false;
  Form3->FormActivate();
  Form3->CheckBox4()->setChecked(true);
  Form3->BitBtn2Click();
  EXPECT_EQ(Key("saver", "autostart"), "yes");
  EXPECT_TRUE(Saver.Autostart);
  EXPECT_EQ(Saver.Starts, 1);
  // On again with a daemon running: no second one.
  Form3->FormActivate();
  Form3->BitBtn2Click();
  EXPECT_EQ(Saver.Starts, 1);

  // Switched off: the entry goes and the daemon ends.
  Form3->FormActivate();
  Form3->CheckBox4()->setChecked(false);
  Form3->BitBtn2Click();
  EXPECT_FALSE(Saver.Autostart);
  EXPECT_EQ(Saver.Stops, 1);
  EXPECT_FALSE(Saver.Running);
}

TEST_F(UserSettings, AnAutostartEntryThatCannotBeWrittenIsReportedAndTheDialogStays) {
  Form3->SaverSession.SetAutostart = [](bool, std::string& error) {
    error = "/home/x/.config/autostart: Permission denied";
    return false;
  };
  QStringList reports;
  const TErrorReporter previous = SetErrorReporter([&](const QString& t) { reports << t; });
  Form3->show();
  Form3->CheckBox4()->setChecked(true);
  RunHandler([&] { Form3->BitBtn2Click(); });
  SetErrorReporter(previous);
  ASSERT_EQ(reports.size(), 1);
  EXPECT_TRUE(reports[0].contains(QStringLiteral("Permission denied"))) << reports[0].toStdString();
  EXPECT_TRUE(Form3->isVisible());
  EXPECT_TRUE(Form3->CheckBox4()->isChecked());
  EXPECT_EQ(Saver.Starts, 0);
  Form3->hide();
}

TEST_F(UserSettings, TheScreenSaverTabSaysWhenTheDesktopBlanksFirst) {
  // A desktop that blanks after 5 minutes: a longer wait is never seen.
  Saver.Conflict = [](int idleSeconds) {
    return idleSeconds > 300 ? QStringLiteral("BLANKS AT 300") : QString();
  };
  Ini().WriteString("saver", "wait", "3");
  Form3->FormActivate();
  EXPECT_FALSE(Form3->Label6()->text().contains(QStringLiteral("BLANKS")));
  Form3->SpinEdit3()->setValue(6);
  EXPECT_TRUE(Form3->Label6()->text().contains(QStringLiteral("BLANKS AT 300")));
  // And it tells whether the daemon runs.
  Saver.Running = true;
  Form3->FormActivate();
  EXPECT_TRUE(Form3->Label6()->text().contains(QStringLiteral("正在运行")));
  Saver.Running = false;
  Form3->FormActivate();
  EXPECT_TRUE(Form3->Label6()->text().contains(QStringLiteral("未运行")));
}

}  // namespace
}  // namespace vantora::test

namespace vantora::test {
namespace {

class PicturesTab : public ConfigFixture {};

TEST_F(PicturesTab, AFifthTabShowsTheStoredOptionsAndOkWritesThem) {
  ASSERT_EQ(Form3->PageControl1()->count(), 5);
  EXPECT_EQ(Form3->PageControl1()->tabText(4), QStringLiteral("图片"));
  // The first tab's controls stay where they were.
  EXPECT_EQ(Form3->RadioGroup1()->geometry(), QRect(16, 16, 185, 177));
  EXPECT_EQ(Form3->RadioGroup3()->geometry(), QRect(216, 16, 185, 177));

  // Missing keys and bad values show the defaults.
  Ini().WriteString("pics", "caption", "sometimes");
  Ini().WriteString("pics", "minside", "-3");
  Form3->FormActivate();
  EXPECT_FALSE(Form3->CheckBox5()->isChecked());
  EXPECT_FALSE(Form3->CheckBox6()->isChecked());
  EXPECT_EQ(Form3->ComboBox1()->currentIndex(), 0);
  EXPECT_EQ(Form3->SpinEdit4()->value(), 0);

  Form3->CheckBox5()->setChecked(true);
  Form3->CheckBox6()->setChecked(true);
  Form3->ComboBox1()->setCurrentIndex(3);
  Form3->SpinEdit4()->setValue(480);
  Form3->BitBtn2Click();
  TIniFile ini = Ini();
  EXPECT_EQ(ini.ReadString("pics", "subfolders", ""), "yes");
  EXPECT_EQ(ini.ReadString("pics", "norepeat", ""), "yes");
  EXPECT_EQ(ini.ReadString("pics", "caption", ""), "both");
  EXPECT_EQ(ini.ReadString("pics", "minside", ""), "480");

  // Stored values come back at the next activation; Cancel writes nothing.
  Ini().WriteString("pics", "caption", "date");
  Form3->FormActivate();
  EXPECT_TRUE(Form3->CheckBox5()->isChecked());
  EXPECT_EQ(Form3->ComboBox1()->currentIndex(), 1);
  EXPECT_EQ(Form3->SpinEdit4()->value(), 480);
  Form3->CheckBox5()->setChecked(false);
  Form3->BitBtn1Click();
  EXPECT_EQ(Ini().ReadString("pics", "subfolders", ""), "yes");
}

}  // namespace
}  // namespace vantora::test
