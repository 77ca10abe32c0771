// The installed program: `cmake --install` into a fresh prefix lays out the
// programs, the pictures, the desktop entries and the icons, and the
// installed program finds its pictures under the prefix and its settings in
// the user's configuration folder.

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <QFile>
#include <QXmlStreamReader>

#include "raster/Picture.h"
#include "tests/app/ChildProcess.h"
#include "tests/app/XServer.h"

using namespace vantora::test;
namespace fs = std::filesystem;

namespace {

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> DesktopEntry(const fs::path& file) {
  std::map<std::string, std::string> keys;
  std::ifstream in(file);
  std::string line;
  bool inGroup = false;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inGroup = line == "[Desktop Entry]";
      continue;
    }
    const auto equals = line.find('=');
    if (inGroup && equals != std::string::npos)
      keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

// Width and height from a PNG file's header; 0 x 0 for anything else.
std::pair<int, int> PngSize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (!in || std::string(reinterpret_cast<char*>(header + 1), 3) != "PNG") return {0, 0};
  auto word = [&](int at) {
    return int(header[at]) << 24 | int(header[at + 1]) << 16 | int(header[at + 2]) << 8 |
           int(header[at + 3]);
  };
  return {word(16), word(20)};
}

class Install : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    FPrefix = std::make_unique<TempFolder>("vantora-prefix");
    ChildProcess install(VANTORA_CMAKE, {"--install", VANTORA_BUILD_DIR, "--prefix", Prefix()}, {});
    FInstalled = install.ExitStatus(std::chrono::seconds(120)) == 0;
  }
  static void TearDownTestSuite() { FPrefix.reset(); }
  void SetUp() override { ASSERT_TRUE(FInstalled) << "cmake --install failed"; }

  static std::string Prefix() { return FPrefix->Path(); }

  static std::unique_ptr<TempFolder> FPrefix;
  static bool FInstalled;
};

std::unique_ptr<TempFolder> Install::FPrefix;
bool Install::FInstalled = false;

TEST_F(Install, LaysOutProgramsPicturesEntriesAndIcons) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(Prefix()))
    if (entry.is_regular_file() || entry.is_symlink())
      files.insert(entry.path().lexically_relative(Prefix()).string());
  std::set<std::string> expected = {
      "bin/vantora",
      "bin/vantora-frame",
      "share/applications/vantora.desktop",
      "share/applications/screensavers/vantora.desktop",
      "share/xscreensaver/config/vantora.xml",
      "libexec/xscreensaver/vantora",
      "lib/systemd/user/vantora-daemon.service",
  };
  for (const char* name :
       {"01-sunset", "02-meadow", "03-lighthouse", "04-stripes", "05-rings", "06-aurora"})
    expected.insert(std::string("share/vantora/pics/") + name + ".jpg");
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const std::string folder =
        "share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/";
    expected.insert(folder + "vantora.png");
    EXPECT_EQ(PngSize(fs::path(Prefix()) / folder / "vantora.png"), std::make_pair(size, size));
  }
  EXPECT_EQ(files, expected);  // and nothing else: no tests, tools or settings
  // MATE's screensaver runs only what lies in its folders or XScreenSaver's:
  // a relative link there to the program, so the package can move it.
  const fs::path link = fs::path(Prefix()) / "libexec/xscreensaver/vantora";
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "../../bin/vantora");
  EXPECT_TRUE(fs::equivalent(link, fs::path(Prefix()) / "bin/vantora"));
  EXPECT_TRUE((fs::status(fs::path(Prefix()) / "bin/vantora").permissions() &
               fs::perms::others_exec) != fs::perms::none);
}

TEST_F(Install, DesktopEntriesStartTheSettingsAndTheScreenSaver) {
  const auto settings = DesktopEntry(fs::path(Prefix()) / "share/applications/vantora.desktop");
  EXPECT_EQ(settings.at("Type"), "Application");
  EXPECT_EQ(settings.at("Exec"), "vantora /C");
  EXPECT_EQ(settings.at("Icon"), "vantora");
  EXPECT_FALSE(settings.at("Name").empty());
  EXPECT_FALSE(settings.at("Name[zh_CN]").empty());
  EXPECT_NE(settings.at("Categories").find("Settings;"), std::string::npos);

  const auto saver =
      DesktopEntry(fs::path(Prefix()) / "share/applications/screensavers/vantora.desktop");
  EXPECT_EQ(saver.at("Exec"), "vantora --root");
  EXPECT_NE(saver.at("Categories").find("Screensaver;"), std::string::npos);
  EXPECT_FALSE(saver.at("Name[zh_CN]").empty());

  // The daemon's user unit belongs to the graphical session.
  std::ifstream unit(Prefix() + "/lib/systemd/user/vantora-daemon.service");
  const std::string unitText((std::istreambuf_iterator<char>(unit)), {});
  EXPECT_NE(unitText.find("\nExecStart=vantora --daemon\n"), std::string::npos) << unitText;
  EXPECT_NE(unitText.find("\nPartOf=graphical-session.target\n"), std::string::npos);
  EXPECT_NE(unitText.find("\nWantedBy=graphical-session.target\n"), std::string::npos);

  // The desktop's own checker (scripts/setup installs it).
  for (const char* entry :
       {"share/applications/vantora.desktop", "share/applications/screensavers/vantora.desktop"}) {
    ChildProcess validate("/usr/bin/desktop-file-validate", {Prefix() + "/" + entry}, {});
    EXPECT_EQ(validate.ExitStatus(), 0) << entry;
  }
}

TEST_F(Install, TheXScreenSaverEntryRunsTheHostMode) {
  QFile file(QString::fromStdString(Prefix() + "/share/xscreensaver/config/vantora.xml"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QString name, command;
  while (xml.readNextStartElement()) {
    if (xml.name() == u"screensaver") {
      name = xml.attributes().value("name").toString();
      continue;  // into its children
    }
    if (xml.name() == u"command") command = xml.attributes().value("arg").toString();
    xml.skipCurrentElement();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(name.toStdString(), "vantora");
  EXPECT_EQ(command.toStdString(), "--root");
}

TEST_F(Install, TheInstalledProgramShowsItsPicturesWithTheUsersSettings) {
  Xvfb server;
  if (server.Display().empty()) GTEST_SKIP() << "no X server: " << server.Error();
  XClient client(server.Display());
  ASSERT_TRUE(client.Connected());
  // The user's settings: fitted, so the 16:10 demo pictures leave bars in
  // a square window; at the default own size they would cover it.
  TempFolder home("vantora-home");
  fs::create_directories(home.Path() + "/config/vantora");
  std::ofstream(home.Path() + "/config/vantora/scr.ini") << "[sys]\n3=60000\n4=1\n6=100\n";

  const std::uint32_t window = client.CreateWindow(0, 0, 320, 320);
  ChildProcess program(Prefix() + "/bin/vantora", {"--root"},
                       {{"DISPLAY", server.Display()},
                        {"XSCREENSAVER_WINDOW", std::to_string(window)},
                        {"HOME", home.Path()},
                        {"XDG_CONFIG_HOME", home.Path() + "/config"},
                        {"XDG_RUNTIME_DIR", home.Path()}});
  // 320 x 200 in the middle: bars of 60 rows above and below.
  auto picture = [](std::uint32_t pixel) {
    return !Near(pixel, 0, 10) && !Near(pixel, XClient::kBackground);
  };
  EXPECT_TRUE(WaitForPixels(client, program, window, [&](const XGrab& grab) {
    return Near(grab.At(160, 20), 0) && Near(grab.At(160, 300), 0) && picture(grab.At(160, 70)) &&
           picture(grab.At(160, 250));
  }));
  program.Signal(SIGTERM);
  EXPECT_EQ(program.ExitStatus(), 128 + SIGTERM);
  // Nothing was written beside the installed program.
  EXPECT_EQ(std::distance(fs::directory_iterator(Prefix() + "/bin"), fs::directory_iterator()), 2);
}

// A screen-saver host (MATE's) starts its saver through the link in its
// folders with only HOME, DISPLAY and XAUTHORITY: the program still finds
// the user's settings in ~/.config/vantora and shows the folder they name.
TEST_F(Install, StartedByAHostWithAStrippedEnvironmentItShowsTheUsersFolder) {
  Xvfb server;
  if (server.Display().empty()) GTEST_SKIP() << "no X server: " << server.Error();
  XClient client(server.Display());
  ASSERT_TRUE(client.Connected());
  TempFolder home("vantora-home");
  const std::string pics = home.Path() + "/Pictures/holiday";
  fs::create_directories(pics);
  vantora::Bitmap green(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) green.SetPixel(x, y, vantora::Rgb(30, 200, 40));
  const auto bytes = vantora::EncodeJpeg(green, 95, false);
  std::ofstream(pics + "/green.jpg", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  fs::create_directories(home.Path() + "/.config/vantora");
  std::ofstream(home.Path() + "/.config/vantora/scr.ini")
      << "[sys]\ndir=" << pics << "\n3=60000\n4=2\n6=100\n";

  const std::uint32_t window = client.CreateWindow(0, 0, 200, 120);
  ChildProcess program(Prefix() + "/libexec/xscreensaver/vantora", {"--root"},
                       {{"DISPLAY", server.Display()},
                        {"HOME", home.Path()},
                        {"XSCREENSAVER_WINDOW", std::to_string(window)}},
                       false);
  // Stretched over the whole window: green, not the demo pictures.
  const std::uint32_t kGreen = 0x1EC828;
  EXPECT_TRUE(WaitForPixels(client, program, window, [&](const XGrab& grab) {
    return Near(grab.At(5, 5), kGreen) && Near(grab.At(100, 60), kGreen) &&
           Near(grab.At(194, 114), kGreen);
  }));
  program.Signal(SIGTERM);
  EXPECT_EQ(program.ExitStatus(), 128 + SIGTERM);
}

}  // namespace
