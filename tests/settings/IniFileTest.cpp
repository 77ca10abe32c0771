#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "tests/support/Child.h"
#include "tests/support/TempFolder.h"

using namespace vantora;
namespace fs = std::filesystem;
using test::InChild;
using test::FileText;
using test::TempFolder;

namespace {

void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Exit codes of a child that attempts a write.
enum { kWroteIt = 1, kRightError = 2, kWrongError = 3 };

int AttemptWrite(const std::string& path, const std::string& expectedMessage) {
  try {
    TIniFile(path).WriteInteger("sys", "3", 9000);
    return kWroteIt;
  } catch (const EIniFileException& e) {
    return e.what() == expectedMessage ? kRightError : kWrongError;
  } catch (...) {
    return kWrongError;
  }
}

// A file as another system's editor leaves it: byte-order mark, CRLF line
// ends, blanks around names and "=", comments, blank lines, a quoted value,
// keys of another section, and a second "sys" section that readers ignore.
const std::string kWindowsFile =
    "\xEF\xBB\xBF"
    "; Vantora settings\r\n"
    "\r\n"
    "[Other]\r\n"
    "3=999\r\n"
    "\r\n"
    "  [ SYS ]  \r\n"
    "  1 = 0  \r\n"
    "; picture folder\r\n"
    "Dir = \"D:\\Photos\\2019\"\r\n"
    "3\t=\t20000\r\n"
    "\r\n"
    "[song]\r\n"
    "play=yes\r\n"
    "[sys]\r\n"
    "6=50\r\n";

}  // namespace

TEST(IniFileRead, IntegerAndBooleanEncodings) {
  struct Case {
    const char* Text;
    int Integer;  // read with default 77
    bool AsTrue;  // read as boolean with default true
    bool AsFalse;  // read as boolean with default false
  };
  const Case cases[] = {
      {"15000", 15000, true, true},
      {"-5", -5, true, true},
      {"+12", 12, true, true},
      {" 7 ", 7, true, true},
      {"0", 0, false, false},
      {"1", 1, true, true},
      {"2", 2, true, true},
      {"0x3A98", 15000, true, true},
      {"0X3a98", 15000, true, true},
      {"$10", 16, true, true},
      {"-0x10", -16, true, true},
      {"2147483647", 2147483647, true, true},
      {"-2147483648", -2147483647 - 1, true, true},
      {"0x7FFFFFFF", 2147483647, true, true},
      // Everything below is no integer and gives the default.
      {"yes", 77, true, false},
      {"true", 77, true, false},
      {"12abc", 77, true, false},
      {"1.5", 77, true, false},
      {"", 77, true, false},
      {"-", 77, true, false},
      {"0x", 77, true, false},
      {"$", 77, true, false},
      {"0xG1", 77, true, false},
      {"1 2", 77, true, false},
      {"2147483648", 77, true, false},
      {"-2147483649", 77, true, false},
      {"99999999999999999999", 77, true, false},
      {"0x100000000", 77, true, false},
  };
  TempFolder folder;
  TIniFile ini(folder.Path("scr.ini"));
  for (const Case& c : cases) {
    ini.WriteString("sys", "1", c.Text);
    EXPECT_EQ(ini.ReadInteger("sys", "1", 77), c.Integer) << '"' << c.Text << '"';
    EXPECT_EQ(ini.ReadBool("sys", "1", true), c.AsTrue) << '"' << c.Text << '"';
    EXPECT_EQ(ini.ReadBool("sys", "1", false), c.AsFalse) << '"' << c.Text << '"';
  }
}

TEST(IniFileRead, MissingEmptyAndSectionlessFilesGiveDefaults) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  const std::function<void()> setups[] = {
      [] {},  // missing file
      [&] { Spit(path, ""); },  // empty file
      [&] { Spit(path, "[song]\nplay=yes\n1=0\n3=1000\n"); },  // no "sys" section
      [&] { Spit(path, "1=0\n3=1000\n[sys]\n"); },  // keys outside any section
  };
  for (const auto& setup : setups) {
    fs::remove(path);
    setup();
    const bool existed = fs::exists(path);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("sys", "dir", "pics"), "pics");
    EXPECT_EQ(ini.ReadInteger("sys", "3", 15000), 15000);
    EXPECT_EQ(ini.ReadInteger("sys", "3", 13000), 13000);
    EXPECT_TRUE(ini.ReadBool("sys", "1", true));
    EXPECT_FALSE(ini.ReadBool("sys", "1", false));
    EXPECT_EQ(fs::exists(path), existed) << "a read must not create the file";
  }
}

TEST(IniFileRead, SectionAndKeyNamesIgnoreCase) {
  TempFolder folder;
  Spit(folder.Path("scr.ini"), "[Song]\nPLAY=yes\nCyc=1\n");
  TIniFile ini(folder.Path("scr.ini"));
  EXPECT_EQ(ini.ReadString("song", "play", "no"), "yes");
  EXPECT_EQ(ini.ReadString("SONG", "Play", "no"), "yes");
  EXPECT_TRUE(ini.ReadBool("sOnG", "cyc", false));
  // Values keep their case: "YES" is not "yes".
  ini.WriteString("song", "play", "YES");
  EXPECT_EQ(ini.ReadString("song", "play", "no"), "YES");
  EXPECT_EQ(FileText(folder.Path("scr.ini")), "[Song]\nPLAY=YES\nCyc=1\n");
}

TEST(IniFileRead, LongValuesAreCutTo2047Bytes) {
  TempFolder folder;
  TIniFile ini(folder.Path("scr.ini"));
  for (const std::size_t length : {2046u, 2047u, 2048u, 5000u}) {
    const std::string value(length, 'a');
    ini.WriteString("sys", "dir", value);
    EXPECT_EQ(ini.ReadString("sys", "dir", ""), value.substr(0, 2047)) << length;
  }
  // A two-byte character straddling the cut is dropped whole.
  const std::string value = std::string(2046, 'a') + "\xC3\xA9" + "bcd";
  ini.WriteString("sys", "dir", value);
  EXPECT_EQ(ini.ReadString("sys", "dir", ""), std::string(2046, 'a'));
}

TEST(IniFileRead, QuotesAndEmptyValues) {
  struct Case {
    const char* Line;
    const char* Expected;
  };
  const Case cases[] = {
      {"dir=\"/home/a b\"", "/home/a b"},
      {"dir=\"\"", ""},
      {"dir=\"\"x\"\"", "\"x\""},  // only one pair goes
      {"dir=\"open", "\"open"},  // unbalanced: kept
      {"dir=", ""},  // present but empty: not the default
      {"dir=  ", ""},
      {"dir=a=b", "a=b"},  // only the first "=" separates
      {"dir=x ; not a comment", "x ; not a comment"},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    Spit(folder.Path("scr.ini"), std::string("[sys]\n") + c.Line + "\n");
    EXPECT_EQ(TIniFile(folder.Path("scr.ini")).ReadString("sys", "dir", "default"), c.Expected)
        << c.Line;
  }
}

TEST(IniFileRead, ABareCrEndingTheLastLineIsNotPartOfTheValue) {
  TempFolder folder;
  for (const char* file : {"[sys]\r\ndir=/p\r", "[sys]\ndir=/p\r", "[sys]\r\ndir=/p \r"}) {
    Spit(folder.Path("scr.ini"), file);
    EXPECT_EQ(TIniFile(folder.Path("scr.ini")).ReadString("sys", "dir", ""), "/p") << file;
  }
}

TEST(IniFileWrite, ValuesReadBackAsWritten) {
  // Blanks at the ends and a pair of quotes of the value's own would be
  // taken away by a reader, so such values are written in quotes.
  const struct {
    const char* Value;
    const char* Line;  // as the file holds it
  } cases[] = {
      {" lead", "dir=\" lead\""},
      {"trail ", "dir=\"trail \""},
      {"\tboth\t", "dir=\"\tboth\t\""},
      {"   ", "dir=\"   \""},
      {"\"quoted\"", "dir=\"\"quoted\"\""},
      {"\"\"", "dir=\"\"\"\""},
      {"\"", "dir=\""},
      {"\"open", "dir=\"open"},
      {"close\"", "dir=close\""},
      {"a \"mid\" b", "dir=a \"mid\" b"},
      {"/home/a b", "dir=/home/a b"},
      {"", "dir="},
  };
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  for (const auto& c : cases) {
    std::filesystem::remove(path);
    TIniFile ini(path);
    ini.WriteString("sys", "dir", c.Value);
    EXPECT_EQ(ini.ReadString("sys", "dir", "<default>"), c.Value) << '"' << c.Value << '"';
    EXPECT_EQ(FileText(path), std::string("[sys]\r\n") + c.Line + "\r\n") << '"' << c.Value << '"';
  }
}

TEST(IniFileWindows, ReadsAFileWrittenOnWindows) {
  TempFolder folder;
  Spit(folder.Path("scr.ini"), kWindowsFile);
  TIniFile ini(folder.Path("scr.ini"));
  EXPECT_FALSE(ini.ReadBool("sys", "1", true));
  EXPECT_EQ(ini.ReadString("sys", "dir", ""), "D:\\Photos\\2019");
  EXPECT_EQ(ini.ReadInteger("sys", "3", 15000), 20000);
  EXPECT_EQ(ini.ReadInteger("other", "3", 0), 999);
  EXPECT_EQ(ini.ReadString("song", "play", "no"), "yes");
  // The second [sys] section is not searched.
  EXPECT_EQ(ini.ReadInteger("sys", "6", 6), 6);
}

TEST(IniFileWindows, WritesKeepEveryOtherByte) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  Spit(path, kWindowsFile);
  TIniFile ini(path);

  // An existing key changes in place, keeping its spelling.
  ini.WriteInteger("SYS", "3", 9000);
  std::string expected = kWindowsFile;
  expected.replace(expected.find("3\t=\t20000"), 9, "3=9000");
  EXPECT_EQ(FileText(path), expected);

  // A new key goes after the last non-blank line of the first [sys] section,
  // with the file's CRLF line end.
  ini.WriteBool("sys", "7", true);
  expected.insert(expected.find("3=9000\r\n") + 8, "7=1\r\n");
  EXPECT_EQ(FileText(path), expected);

  // A new section goes at the end.
  ini.WriteString("extra", "k", "v");
  expected += "[extra]\r\nk=v\r\n";
  EXPECT_EQ(FileText(path), expected);
  EXPECT_EQ(ini.ReadString("extra", "k", ""), "v");
  EXPECT_TRUE(ini.ReadBool("sys", "7", false));
}

TEST(IniFileWrite, NewLinesFollowTheFilesLineEnds) {
  struct Case {
    const char* Before;
    const char* After;  // after writing sys/6=8 and then new/a=1
  };
  const Case cases[] = {
      {"", "[sys]\r\n6=8\r\n[new]\r\na=1\r\n"},  // a new file: CRLF
      {"[sys]", "[sys]\r\n6=8\r\n[new]\r\na=1\r\n"},  // no line end to follow
      // A bare CR ending the last line is a line end, not part of the value.
      {"[sys]\r\ndir=/p\r", "[sys]\r\ndir=/p\r\n6=8\r\n[new]\r\na=1\r\n"},
      {"[sys]\ndir=/p\r", "[sys]\ndir=/p\n6=8\n[new]\na=1\n"},
      {"[sys]\n1=0\n", "[sys]\n1=0\n6=8\n[new]\na=1\n"},
      {"[sys]\r\n1=0", "[sys]\r\n1=0\r\n6=8\r\n[new]\r\na=1\r\n"},  // unended last line
      {"[sys]\n1=0\n\n[song]\nplay=no", "[sys]\n1=0\n6=8\n\n[song]\nplay=no\n[new]\na=1\n"},
      {"[sys]\n\n", "[sys]\n6=8\n\n[new]\na=1\n"},
      {"\xEF\xBB\xBF[sys]\n", "\xEF\xBB\xBF[sys]\n6=8\n[new]\na=1\n"},
  };
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  for (const Case& c : cases) {
    Spit(path, c.Before);
    TIniFile ini(path);
    ini.WriteInteger("sys", "6", 8);
    ini.WriteInteger("new", "a", 1);
    EXPECT_EQ(FileText(path), c.After) << c.Before;
  }
}

TEST(IniFileWrite, FirstWriteCreatesTheFileAndEveryWriteIsSeenAtOnce) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  TIniFile writer(path);
  TIniFile reader(path);
  EXPECT_FALSE(fs::exists(path));
  writer.WriteInteger("sys", "3", -42);
  EXPECT_EQ(FileText(path), "[sys]\r\n3=-42\r\n");
  EXPECT_EQ(reader.ReadInteger("sys", "3", 0), -42);
  // A change made behind the object's back is read at once.
  Spit(path, "[sys]\n3=123\n");
  EXPECT_EQ(reader.ReadInteger("sys", "3", 0), 123);
  EXPECT_EQ(writer.FileName(), path);
}

TEST(IniFileWrite, FirstWriteCreatesMissingFoldersPrivateToTheUser) {
  // As for ~/.config/vantora/scr.ini when neither folder exists yet.
  TempFolder folder;
  const std::string path = folder.Path("config/vantora/scr.ini");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("sys", "3", 15000), 15000);
  EXPECT_FALSE(fs::exists(folder.Path("config"))) << "a read must not create folders";
  ini.WriteInteger("sys", "3", 4000);
  EXPECT_EQ(TIniFile(path).ReadInteger("sys", "3", 0), 4000);
  for (const char* created : {"config", "config/vantora"})
    EXPECT_EQ(fs::status(folder.Path(created)).permissions(), fs::perms::owner_all) << created;
}

TEST(IniFileWrite, PlaylistSaveSequences) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  TIniFile ini(path);
  const auto save = [&](const std::vector<std::string>& list, const std::vector<bool>& exists) {
    ini.WriteBool("song", "cyc", true);
    ini.WriteInteger("song", "how", static_cast<int>(list.size()));
    ini.WriteString("song", "play", list.empty() ? "no" : "yes");
    for (std::size_t i = 0; i < list.size(); ++i) ini.DeleteKey("song", "song" + std::to_string(i));
    for (std::size_t i = 0; i < list.size(); ++i)
      if (exists[i]) ini.WriteString("song", "song" + std::to_string(i), list[i]);
  };

  save({"/m/1.mp3", "/m/2.mp3", "/m/3.mp3", "/m/4.mp3", "/m/5.mp3"},
       {true, true, true, true, true});
  save({"/m/a.mp3", "/m/b.mp3"}, {true, true});
  EXPECT_EQ(ini.ReadInteger("song", "how", 0), 2);
  EXPECT_EQ(FileText(path),
            "[song]\r\ncyc=1\r\nhow=2\r\nplay=yes\r\nsong2=/m/3.mp3\r\nsong3=/m/4.mp3\r\n"
            "song4=/m/5.mp3\r\nsong0=/m/a.mp3\r\nsong1=/m/b.mp3\r\n");

  save({"/m/x.mp3", "/m/gone.mp3", "/m/z.mp3"}, {true, false, true});
  EXPECT_EQ(ini.ReadInteger("song", "how", 0), 3);
  EXPECT_EQ(ini.ReadString("song", "song0", ""), "/m/x.mp3");
  EXPECT_EQ(ini.ReadString("song", "song1", "none"), "none");
  EXPECT_EQ(ini.ReadString("song", "song2", ""), "/m/z.mp3");
}

TEST(IniFileWrite, DeleteKeyRemovesOnlyThatKey) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  TIniFile ini(path);

  ini.DeleteKey("song", "song0");  // missing file: nothing happens
  EXPECT_FALSE(fs::exists(path));

  Spit(path, "[song]\r\nsong0=a\r\nSONG1 = b\r\n; c\r\nsong2=c\r\n[other]\r\nsong1=x\r\n");
  ini.DeleteKey("Song", "song1");
  EXPECT_EQ(FileText(path), "[song]\r\nsong0=a\r\n; c\r\nsong2=c\r\n[other]\r\nsong1=x\r\n");
  ini.DeleteKey("song", "song1");  // already gone
  ini.DeleteKey("nosuch", "song0");
  EXPECT_EQ(FileText(path), "[song]\r\nsong0=a\r\n; c\r\nsong2=c\r\n[other]\r\nsong1=x\r\n");
  EXPECT_EQ(ini.ReadString("song", "song1", "gone"), "gone");
  EXPECT_EQ(ini.ReadString("other", "song1", ""), "x");

  // A key written twice by hand is gone after one delete: the second line
  // must not take the first one's place.
  Spit(path, "[song]\r\nsong0=a\r\nsong1=b\r\nsong0=c\r\n[other]\r\nsong0=x\r\n");
  ini.DeleteKey("song", "song0");
  EXPECT_EQ(FileText(path), "[song]\r\nsong1=b\r\n[other]\r\nsong0=x\r\n");
  EXPECT_EQ(ini.ReadString("song", "song0", "gone"), "gone");
}

TEST(IniFileWrite, RefusedWritesRaiseAndLeaveTheFileAlone) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  const std::string original = "[sys]\n3=20000\n; keep me\n";
  Spit(path, original);
  const std::string message = "Unable to write to " + path;

  // A read-only folder. Root ignores permissions, so the child gives up its
  // privileges first.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read);
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(InChild([&] {
              if (!test::DropRoot()) return 9;
              return AttemptWrite(path, message);
            }),
            kRightError);
  fs::permissions(folder.Path(), fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(FileText(path), original);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"scr.ini"});

  // A disk that fills up in the middle of the write: the temporary file is
  // cut short, the original stays whole and the temporary file is removed.
  EXPECT_EQ(InChild([&] {
              ::signal(SIGXFSZ, SIG_IGN);
              const rlimit limit{8, 8};
              if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 9;
              return AttemptWrite(path, message);
            }),
            kRightError);
  EXPECT_EQ(FileText(path), original);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"scr.ini"});

  // A line break would plant other keys in the file.
  TIniFile ini(path);
  for (const char* value : {"/a\n[sys]\n3=1", "x\ry"}) {
    try {
      ini.WriteString("sys", "dir", value);
      ADD_FAILURE() << "write with a line break was accepted";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
  EXPECT_THROW(ini.WriteString("sys", "a\nb", "1"), EIniFileException);
  EXPECT_EQ(FileText(path), original);
}

TEST(IniFileWrite, ReplacementKeepsPermissionsLinksAndNoTemporaryFiles) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  Spit(path, "[sys]\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  TIniFile ini(path);
  for (int i = 0; i < 20; ++i) ini.WriteInteger("sys", "3", i * 1000);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"scr.ini"});
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Through a symbolic link the linked file is updated and the link stays.
  fs::create_symlink(path, folder.Path("link.ini"));
  TIniFile linked(folder.Path("link.ini"));
  linked.WriteInteger("sys", "4", 2);
  EXPECT_TRUE(fs::is_symlink(folder.Path("link.ini")));
  EXPECT_EQ(FileText(path), "[sys]\n3=19000\n4=2\n");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"link.ini", "scr.ini"}));
}

namespace {

// Bytes this process has read from files so far.
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string name;
  long long value = 0;
  while (io >> name >> value)
    if (name == "rchar:") return value;
  return -1;
}

// Gives the file a modification time well in the past, as a settings file
// written yesterday has.
void Age(const std::string& path) {
  const timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

// The show reads keys at every tick: an unchanged file is parsed once, and
// junk in it costs nothing after that, while any change is still seen.
TEST(IniFileCache, AnUnchangedFileIsReadOnceAndAChangeIsSeenAtOnce) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  std::string junk = "[sys]\n3=20000\n[junk]\n";
  while (junk.size() < 100000) junk += "key" + std::to_string(junk.size()) + "=some junk value\n";
  Spit(path, junk);
  Age(path);
  TIniFile ini(path);
  ASSERT_EQ(ini.ReadInteger("sys", "3", 0), 20000);
  const long long before = BytesRead();
  ASSERT_GE(before, 0);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(ini.ReadInteger("sys", "3", 0), 20000);
  EXPECT_LT(BytesRead() - before, 100000) << "the unchanged file was read again";

  // Rewritten in place with the same size, just now: seen at the next read.
  std::string changed = junk;
  changed.replace(changed.find("20000"), 5, "30000");
  Spit(path, changed);
  EXPECT_EQ(ini.ReadInteger("sys", "3", 0), 30000);
  // Replaced by another writer: seen too.
  TIniFile(path).WriteInteger("sys", "3", 40000);
  EXPECT_EQ(ini.ReadInteger("sys", "3", 0), 40000);
  EXPECT_EQ(ini.Problem(), "");
}

// A file of megabytes is no settings file: it is neither read nor
// rewritten, and the reason names the file.
TEST(IniFileCache, AnAbsurdlyLargeFileIsRefusedWithAClearError) {
  TempFolder folder;
  const std::string path = folder.Path("scr.ini");
  Spit(path, "[sys]\n3=20000\n");
  ASSERT_EQ(::truncate(path.c_str(), 50 << 20), 0);
  TIniFile ini(path);
  const long long before = BytesRead();
  for (int i = 0; i < 20; ++i) EXPECT_EQ(ini.ReadInteger("sys", "3", 15000), 15000);
  EXPECT_LT(BytesRead() - before, 1 << 20) << "the refused file was read";
  EXPECT_NE(ini.Problem().find(path), std::string::npos) << ini.Problem();
  EXPECT_NE(ini.Problem().find("52428800 bytes"), std::string::npos) << ini.Problem();
  try {
    ini.WriteInteger("sys", "3", 9000);
    ADD_FAILURE() << "the write went through";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Unable to write to " + path, 0), 0u) << e.what();
  }
  EXPECT_EQ(fs::file_size(path), std::uintmax_t{50} << 20);
  // Cut back to a sane size, it reads again.
  Spit(path, "[sys]\n3=20000\n");
  EXPECT_EQ(ini.ReadInteger("sys", "3", 15000), 20000);
  EXPECT_EQ(ini.Problem(), "");
}

// A run's overrides: every read takes them, in any case of the names, and
// no write ever carries them into the file.
TEST(IniFileOverlay, ReadsTakeTheOverlayAndWritesNeverStoreIt) {
  TempFolder folder;
  const std::string path = folder.Path() + "/scr.ini";
  Spit(path, "[sys]\r\n1=1\r\n3=20000\r\n4=0\r\ndir=/home/a/Photos\r\n");
  TIniFile ini(path);
  TIniFile::SetReadOverlay({{"sys", "3", "5000"}, {"SYS", "DIR", "/media/Holiday"},
                            {"sys", "1", "1"}, {"sys", "1", "0"}});  // the later one wins
  EXPECT_EQ(ini.ReadInteger("sys", "3", 15000), 5000);
  EXPECT_EQ(ini.ReadString("Sys", "Dir", ""), "/media/Holiday");
  EXPECT_FALSE(ini.ReadBool("sys", "1", true));
  EXPECT_EQ(ini.ReadInteger("sys", "4", 2), 0);  // not overridden: the file's
  EXPECT_EQ(TIniFile(path).ReadInteger("sys", "3", 0), 5000);  // any object in the process

  // A write of another key, and of an overridden one, keep the file's own
  // values for everything else.
  ini.WriteInteger("sys", "6", 8);
  ini.WriteInteger("sys", "3", 30000);
  EXPECT_EQ(FileText(path), "[sys]\r\n1=1\r\n3=30000\r\n4=0\r\ndir=/home/a/Photos\r\n6=8\r\n");
  EXPECT_EQ(ini.ReadInteger("sys", "3", 0), 5000);  // the run still sees its override

  TIniFile::SetReadOverlay({});
  EXPECT_EQ(ini.ReadInteger("sys", "3", 0), 30000);
  EXPECT_EQ(ini.ReadString("sys", "dir", ""), "/home/a/Photos");
  EXPECT_TRUE(ini.ReadBool("sys", "1", false));
}
