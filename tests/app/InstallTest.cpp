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

#include "app/RunModes.h"
#include "raster/Picture.h"
#include "tests/app/ChildProcess.h"
#include "tests/app/XServer.h"

using namespace vantora::test;
using vantora::test::FileText;
using vantora::test::RunForOutput;
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
      "share/icons/hicolor/scalable/apps/vantora.svg",
      "share/metainfo/org.vantora.Vantora.metainfo.xml",
      "share/man/man6/vantora.6.gz",
      "share/man/man1/vantora-frame.1.gz",
      "share/doc/vantora/copyright",
      "share/doc/vantora/changelog.gz",
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

// A Debian tool's verdict on a file; skipped where the tool is missing
// (scripts/setup installs them all).
#define CHECK_WITH(tool, ...)                                                \
  do {                                                                       \
    if (!fs::exists(tool)) {                                                 \
      ADD_FAILURE() << tool << " is missing: scripts/setup installs it";    \
      break;                                                                 \
    }                                                                        \
    const auto verdict = RunForOutput(tool, {__VA_ARGS__});                  \
    EXPECT_EQ(verdict.Status, 0) << tool << ":\n" << verdict.Out << verdict.Err; \
    EXPECT_EQ(verdict.Err, "") << tool;                                      \
  } while (false)

std::string Gunzipped(const fs::path& file) {
  const auto out = RunForOutput("/bin/gzip", {"-dc", file.string()});
  EXPECT_EQ(out.Status, 0) << file;
  return out.Out;
}

// Debian compresses with gzip -9n: no file name and no time in the header,
// so the same text gives the same bytes.
void ExpectReproducibleGzip(const fs::path& file) {
  const std::string bytes = FileText(file);
  ASSERT_GE(bytes.size(), 10u) << file;
  EXPECT_EQ(bytes.substr(0, 3), std::string("\x1f\x8b\x08", 3)) << file;
  EXPECT_EQ(bytes[3] & 0x08, 0) << file << " keeps its file name";
  EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0')) << file << " keeps a time";
}

TEST_F(Install, ManualPagesRenderWithoutWarnings) {
  const fs::path prefix = Prefix();
  for (const char* page : {"share/man/man6/vantora.6.gz", "share/man/man1/vantora-frame.1.gz"}) {
    ExpectReproducibleGzip(prefix / page);
    const std::string text = Gunzipped(prefix / page);
    EXPECT_NE(text.find(".TH "), std::string::npos) << page;
    EXPECT_EQ(text.find('@'), std::string::npos) << page << ": a placeholder was left";
    TempFolder folder("vantora-man");
    const std::string plain = folder.Path() + "/page";
    std::ofstream(plain) << text;
    // -z: no output, only the diagnostics; -wall: every warning there is.
    CHECK_WITH("/usr/bin/groff", "-wall", "-man", "-Tutf8", "-z", plain);
  }
}

TEST_F(Install, DebianDocumentsNameTheLicenceAndTheVersion) {
  const fs::path doc = fs::path(Prefix()) / "share/doc/vantora";
  const std::string copyright = FileText(doc / "copyright");
  EXPECT_EQ(copyright.rfind(
                "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
            0u);
  EXPECT_NE(copyright.find("\nFiles: *\n"), std::string::npos);
  EXPECT_NE(copyright.find("\nLicense: Expat\n Permission is hereby granted"), std::string::npos);
  EXPECT_EQ(copyright.find("@VANTORA_"), std::string::npos);  // no placeholder left
  EXPECT_EQ(copyright.find("localhost"), std::string::npos);

  ExpectReproducibleGzip(doc / "changelog.gz");
  const std::string changelog = Gunzipped(doc / "changelog.gz");
  // The newest entry is the version the programs print.
  EXPECT_EQ(changelog.rfind("vantora (" VANTORA_VERSION ") ", 0), 0u) << changelog.substr(0, 80);
  EXPECT_NE(changelog.find("\n -- "), std::string::npos);
}

TEST_F(Install, MetadataAndIconPassTheDesktopsCheckers) {
  const std::string prefix = Prefix();
  const std::string metainfo = prefix + "/share/metainfo/org.vantora.Vantora.metainfo.xml";
  CHECK_WITH("/usr/bin/xmllint", "--noout", metainfo);
  CHECK_WITH("/usr/bin/xmllint", "--noout", prefix + "/share/icons/hicolor/scalable/apps/vantora.svg");
  CHECK_WITH("/usr/bin/xmllint", "--noout", prefix + "/share/xscreensaver/config/vantora.xml");
  // Errors and warnings fail; pedantic hints and infos do not.
  if (!fs::exists("/usr/bin/appstreamcli")) {
    ADD_FAILURE() << "appstreamcli is missing: scripts/setup installs it";
  } else {
    const auto verdict = RunForOutput("/usr/bin/appstreamcli", {"validate", "--no-net", metainfo});
    EXPECT_EQ(verdict.Status, 0) << verdict.Out << verdict.Err;
    for (const char* bad : {"\nE: ", "\nW: "})
      EXPECT_EQ(("\n" + verdict.Out).find(bad), std::string::npos) << verdict.Out;
  }
  const std::string text = FileText(metainfo);
  EXPECT_NE(text.find("<release version=\"" VANTORA_VERSION "\""), std::string::npos);
  EXPECT_NE(text.find("<launchable type=\"desktop-id\">vantora.desktop</launchable>"),
            std::string::npos);
  // The screenshot it names is the one the build composes, at its size.
  const fs::path screenshot = fs::path(VANTORA_BUILD_DIR) / "packaging/vantora-screenshot.png";
  EXPECT_EQ(PngSize(screenshot), std::make_pair(1280, 720));
  EXPECT_NE(text.find("width=\"1280\" height=\"720\""), std::string::npos);
}

// Each choice of XScreenSaver's settings page is a command line the program
// takes: the page and the parser cannot drift apart.
TEST_F(Install, EveryXScreenSaverChoiceIsAnOptionTheProgramTakes) {
  QFile file(QString::fromStdString(Prefix() + "/share/xscreensaver/config/vantora.xml"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  std::vector<std::string> choices;
  int kept = 0;  // choices that leave the settings as they are
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto attributes = xml.attributes();
    if (xml.name() == u"command") continue;  // the host switch itself
    if (attributes.hasAttribute("arg-set"))
      choices.push_back(attributes.value("arg-set").toString().toStdString());
    else if (attributes.hasAttribute("arg"))
      choices.push_back(attributes.value("arg").toString().toStdString());
    else if (xml.name() == u"option")
      ++kept;
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(kept, 3);  // display time, fitting, order
  ASSERT_GE(choices.size(), 8u);
  std::set<std::string> options;
  for (const std::string& choice : choices) {
    // "--folder %" gets the folder the user typed; "--delay 5" is two words.
    std::vector<std::string> line = {"--root"};
    std::istringstream words(choice);
    for (std::string word; words >> word;) line.push_back(word == "%" ? Prefix() : word);
    const vantora::TRunRequest request = vantora::RunRequestOf(line, nullptr);
    EXPECT_EQ(request.Mode, vantora::rmHost) << choice << ": " << request.Problem;
    EXPECT_EQ(request.Overrides.size(), 1u) << choice;
    options.insert(line[1]);
  }
  EXPECT_EQ(options, (std::set<std::string>{"--folder", "--delay", "--fit", "--in-order",
                                            "--random"}));
  // Its description is short lines, so the host's dialog stays narrow.
  const std::string text = FileText(Prefix() + "/share/xscreensaver/config/vantora.xml");
  const auto begin = text.find("<_description>"), end = text.find("</_description>");
  ASSERT_NE(begin, std::string::npos);
  std::istringstream description(text.substr(begin, end - begin));
  for (std::string line; std::getline(description, line);)
    EXPECT_LE(line.size(), 60u) << line;
}

// The installed programs carry Debian's hardening and no compiler banner.
TEST_F(Install, ProgramsAreHardened) {
  for (const char* program : {"bin/vantora", "bin/vantora-frame"}) {
    const std::string path = Prefix() + "/" + program;
    const auto header = RunForOutput("/usr/bin/readelf", {"-W", "-h", "-l", "-d", "-S", path});
    ASSERT_EQ(header.Status, 0) << header.Err;
    EXPECT_NE(header.Out.find("DYN (Position-Independent Executable file)"), std::string::npos)
        << program;
    EXPECT_NE(header.Out.find("GNU_RELRO"), std::string::npos) << program;
    EXPECT_NE(header.Out.find("(FLAGS)              BIND_NOW"), std::string::npos) << program;
    EXPECT_EQ(header.Out.find(" .comment "), std::string::npos) << program;
    EXPECT_NE(header.Out.find(".note.gnu.build-id"), std::string::npos) << program;
    const auto symbols = RunForOutput("/usr/bin/readelf", {"-W", "--dyn-syms", path});
    EXPECT_NE(symbols.Out.find("__stack_chk_fail"), std::string::npos) << program;
#ifdef __OPTIMIZE__  // _FORTIFY_SOURCE needs optimisation
    // Fortified functions: glibc's checking variants, such as __memcpy_chk.
    int fortified = 0;
    std::istringstream lines(symbols.Out);
    for (std::string line; std::getline(lines, line);)
      fortified += line.find("_chk@") != std::string::npos &&
                   line.find("__stack_chk_fail") == std::string::npos;
    EXPECT_GT(fortified, 0) << program;
#endif
  }
}

}  // namespace
