// vantora-frame: composes one frame of a transition exactly as the transition
// control does (through ComposeFrame), or a contact sheet of many effects.
//
//   vantora-frame --style N --progress P [--step S] [--seed K]
//                 [--old FILE --new FILE] [--size WxH] --out FILE
//   vantora-frame --sheet FILE.png [--styles LIST] [--step S] [--seed K]
//   vantora-frame --help | --version
//
// Without --old and --new the frame is made of two test pictures of --size;
// with them and --size, each picture is first fitted into that size (the
// build makes the software centres' screenshot so from two demo pictures).
// The frame is written as a 24-bit BMP, or as PNG when FILE ends in ".png";
// then the tool prints "seed=<value>", the random generator's seed after the
// frame. Bad arguments exit with status 2, unreadable or unwritable files
// with status 1.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "effects/ComposeFrame.h"
#include "effects/TransEffect.h"
#include "raster/Draw.h"
#include "raster/Picture.h"

using namespace vantora;

namespace {

constexpr const char* kUsage =
    "Usage: vantora-frame --style N --progress P [--step S] [--seed K]\n"
    "                     [--old FILE --new FILE] [--size WxH] --out FILE\n"
    "  or:  vantora-frame --sheet FILE.png [--styles LIST] [--step S] [--seed K]\n"
    "Composes one frame of a transition as the screen saver does, or a contact\n"
    "sheet of many effects.\n"
    "\n"
    "  N: style 0..150; P: progress 0..100; S: step 1..100 (default 4);\n"
    "  K: random seed 0..4294967295 (default 0); LIST: styles like 1-13,18,60\n"
    "  (default all 150). Without --old and --new the frame shows two test\n"
    "  pictures of --size; with them, --size fits both pictures into that size.\n"
    "  FILE ending in .png is written as PNG, else as BMP.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "\n"
    "Exit status: 0 written, 1 a file could not be read or written, 2 a bad\n"
    "command line.\n";

constexpr const char* kHint = "Try 'vantora-frame --help' for more information.\n";

// A bad command line: reported in one line with the hint, exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// --help and --version, which end the tool at once with status 0.
struct InfoRequest {
  const char* Text;
};

struct TOptions {
  std::optional<int> Style, Progress;
  int Step = 4;
  std::uint32_t Seed = 0;
  std::string Old, New, Out, Sheet;
  std::optional<std::pair<int, int>> Size;
  std::vector<int> Styles;
};

// A whole decimal number in lo..hi, or a usage error naming the option.
long long ParseNumber(const std::string& option, const std::string& text, long long lo,
                      long long hi) {
  std::size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used, 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (text.empty() || used != text.size() || !std::isdigit(static_cast<unsigned char>(text[0])) ||
      value < lo || value > hi)
    throw UsageError(option + " needs a whole number in " + std::to_string(lo) + ".." +
                     std::to_string(hi) + ", not \"" + text + "\"");
  return value;
}

std::pair<int, int> ParseSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) throw UsageError("--size needs WxH, not \"" + text + "\"");
  const int w = int(ParseNumber("--size", text.substr(0, x), 1, 1 << 16));
  const int h = int(ParseNumber("--size", text.substr(x + 1), 1, 1 << 16));
  if (std::int64_t(w) * h > kMaxPixels) throw UsageError("--size " + text + " is too large");
  return {w, h};
}

// "1-13,18,60": single styles and ascending ranges, each 0..150.
std::vector<int> ParseStyles(const std::string& text) {
  std::vector<int> styles;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const std::size_t dash = item.find('-');
    const int first = int(ParseNumber("--styles", item.substr(0, dash), 0, kEffectCount));
    const int last = dash == std::string::npos
                         ? first
                         : int(ParseNumber("--styles", item.substr(dash + 1), 0, kEffectCount));
    if (last < first) throw UsageError("--styles range " + item + " runs backwards");
    for (int s = first; s <= last; ++s) styles.push_back(s);
    start = comma + 1;
  }
  return styles;
}

TOptions ParseArguments(int argc, char** argv) {
  using S = const std::string&;  // the option's name and its value
  using TSetter = void (*)(TOptions&, S, S);
  // Every option takes a value.
  static const std::pair<const char*, TSetter> table[] = {
      {"--style", [](TOptions& o, S n, S v) { o.Style = int(ParseNumber(n, v, 0, kEffectCount)); }},
      {"--progress", [](TOptions& o, S n, S v) { o.Progress = int(ParseNumber(n, v, 0, 100)); }},
      {"--step", [](TOptions& o, S n, S v) { o.Step = int(ParseNumber(n, v, 1, 100)); }},
      {"--seed",
       [](TOptions& o, S n, S v) { o.Seed = std::uint32_t(ParseNumber(n, v, 0, 0xFFFFFFFFll)); }},
      {"--old", [](TOptions& o, S, S v) { o.Old = v; }},
      {"--new", [](TOptions& o, S, S v) { o.New = v; }},
      {"--size", [](TOptions& o, S, S v) { o.Size = ParseSize(v); }},
      {"--out", [](TOptions& o, S, S v) { o.Out = v; }},
      {"--sheet", [](TOptions& o, S, S v) { o.Sheet = v; }},
      {"--styles", [](TOptions& o, S, S v) { o.Styles = ParseStyles(v); }},
  };
  TOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") throw InfoRequest{kUsage};
    if (option == "--version") throw InfoRequest{"vantora-frame " VANTORA_VERSION "\n"};
    const auto* entry = std::find_if(std::begin(table), std::end(table),
                                     [&](const auto& e) { return option == e.first; });
    if (entry == std::end(table)) throw UsageError("unknown option " + option);
    if (i + 1 >= argc) throw UsageError(option + " needs a value");
    entry->second(o, option, argv[++i]);
  }
  if (!o.Sheet.empty()) {
    if (o.Style || o.Progress || o.Size || !o.Old.empty() || !o.New.empty() || !o.Out.empty())
      throw UsageError("--sheet takes only --styles, --step and --seed");
    return o;
  }
  if (!o.Styles.empty()) throw UsageError("--styles belongs to --sheet");
  if (!o.Style || !o.Progress) throw UsageError("--style and --progress are needed");
  if (o.Out.empty()) throw UsageError("--out is needed");
  const bool files = !o.Old.empty() || !o.New.empty();
  if (!files && !o.Size) throw UsageError("give --old and --new, or --size");
  if (files && (o.Old.empty() || o.New.empty())) throw UsageError("--old and --new go together");
  return o;
}

bool EndsWithPng(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".png";
}

// The two built-in test pictures, drawn so that every effect is visible: the
// old one cool (blue and cyan diagonal stripes under a white grid), the new
// one warm (orange and red rings over a dark checker).
Bitmap OldTestPicture(int w, int h) {
  Bitmap b(w, h);
  const int cell = std::max(8, std::min(w, h) / 8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool stripe = ((x + y) / std::max(4, cell / 2)) % 2 == 0;
      TPixel p = stripe ? Rgb(20, 60, 200) : Rgb(40, 200, 230);
      if (x % cell == 0 || y % cell == 0) p = Rgb(240, 240, 255);
      b.SetPixel(x, y, p);
    }
  return b;
}

Bitmap NewTestPicture(int w, int h) {
  Bitmap b(w, h);
  const int cell = std::max(4, std::min(w, h) / 12);
  const double cx = w / 2.0, cy = h / 2.0, ring = std::max(6, std::min(w, h) / 10);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double r = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      const bool orange = int(r / ring) % 2 == 0;
      const bool dark = ((x / cell) + (y / cell)) % 2 == 0;
      const int shade = dark ? 0 : 40;
      b.SetPixel(x, y, orange ? Rgb(250, 150 - shade, 20) : Rgb(200 - shade, 20, 40));
    }
  return b;
}

Bitmap Compose(const Bitmap& oldPicture, const Bitmap& newPicture, int style, int step,
               int progress) {
  Bitmap screen(oldPicture.Width(), oldPicture.Height());
  ComposeFrame(screen, oldPicture, newPicture, style, step, progress);
  return screen;
}

// A QImage sharing nothing with the bitmap (Format_RGB32 has our byte order).
QImage ToQImage(const Bitmap& b) {
  return QImage(reinterpret_cast<const uchar*>(b.Bits()), b.Width(), b.Height(),
                qsizetype(b.Width()) * 4, QImage::Format_RGB32)
      .copy();
}

void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out.flush()) throw std::runtime_error(name + ": cannot write file");
}

void WritePng(const std::string& name, const QImage& image) {
  if (!image.save(QString::fromStdString(name), "PNG"))
    throw std::runtime_error(name + ": cannot write file");
}

Bitmap LoadPicture(const std::string& name) {
  Picture p;
  p.LoadFromFile(name);
  return p.AsBitmap();
}

// The picture scaled to the largest size of its proportions inside w x h,
// centred on black, as the show fits a picture to its screen.
Bitmap Fitted(const Bitmap& picture, int w, int h) {
  Bitmap result(w, h);
  FillRect(result, result.BoundsRect(), Rgb(0, 0, 0));
  if (picture.Width() <= 0 || picture.Height() <= 0) return result;
  const std::int64_t pw = picture.Width(), ph = picture.Height();
  int fw = w, fh = int(ph * w / pw);
  if (fh > h) {
    fh = h;
    fw = int(pw * h / ph);
  }
  const int left = (w - fw) / 2, top = (h - fh) / 2;
  StretchCopy(result, TRect{left, top, left + fw, top + fh}, picture, picture.BoundsRect());
  return result;
}

int RunFrame(const TOptions& o) {
  Bitmap oldPicture, newPicture;
  if (o.Old.empty()) {
    oldPicture = OldTestPicture(o.Size->first, o.Size->second);
    newPicture = NewTestPicture(o.Size->first, o.Size->second);
  } else {
    oldPicture = LoadPicture(o.Old);
    newPicture = LoadPicture(o.New);
    if (o.Size) {
      oldPicture = Fitted(oldPicture, o.Size->first, o.Size->second);
      newPicture = Fitted(newPicture, o.Size->first, o.Size->second);
    }
    if (oldPicture.Width() != newPicture.Width() || oldPicture.Height() != newPicture.Height())
      throw std::runtime_error(
          "the pictures differ in size: " + o.Old + " is " + std::to_string(oldPicture.Width()) +
          "x" + std::to_string(oldPicture.Height()) + ", " + o.New + " is " +
          std::to_string(newPicture.Width()) + "x" + std::to_string(newPicture.Height()));
  }
  SetRandSeed(o.Seed);
  const Bitmap frame = Compose(oldPicture, newPicture, *o.Style, o.Step, *o.Progress);
  const std::uint32_t seed = RandSeed();
  if (EndsWithPng(o.Out))
    WritePng(o.Out, ToQImage(frame));
  else
    WriteFile(o.Out, EncodeBmp24(frame));
  std::printf("seed=%u\n", seed);
  return 0;
}

// One row per style: its number and name, then frames at 25, 50 and 75 %.
int RunSheet(const TOptions& o, int& argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  constexpr int kFrameW = 160, kFrameH = 120, kGap = 8, kLabelW = 330, kHeaderH = 28;
  constexpr int kProgress[] = {25, 50, 75};
  std::vector<int> styles = o.Styles;
  if (styles.empty())
    for (int s = 1; s <= kEffectCount; ++s) styles.push_back(s);

  const Bitmap oldPicture = OldTestPicture(kFrameW, kFrameH);
  const Bitmap newPicture = NewTestPicture(kFrameW, kFrameH);
  const int width = kLabelW + 3 * (kFrameW + kGap) + kGap;
  const int height = kHeaderH + int(styles.size()) * (kFrameH + kGap) + kGap;
  QImage sheet(width, height, QImage::Format_RGB32);
  sheet.fill(QColor(32, 32, 36));

  QPainter painter(&sheet);
  QFont font = painter.font();
  font.setPixelSize(14);
  painter.setFont(font);
  painter.setPen(QColor(230, 230, 230));
  for (int i = 0; i < 3; ++i)
    painter.drawText(QRect(kLabelW + i * (kFrameW + kGap), 0, kFrameW, kHeaderH), Qt::AlignCenter,
                     QString("%1 %").arg(kProgress[i]));
  for (std::size_t row = 0; row < styles.size(); ++row) {
    const int style = styles[row];
    const int top = kHeaderH + int(row) * (kFrameH + kGap);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(kGap, top, 48, kFrameH), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::number(style));
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(kGap + 48, top, kLabelW - 48 - 2 * kGap, kFrameH),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                     QString::fromStdString(NameOf(style)));
    for (int i = 0; i < 3; ++i) {
      // Every frame starts from the same seed, so a sheet can be made again.
      SetRandSeed(o.Seed);
      const Bitmap frame = Compose(oldPicture, newPicture, style, o.Step, kProgress[i]);
      painter.drawImage(kLabelW + i * (kFrameW + kGap), top, ToQImage(frame));
    }
  }
  painter.end();
  WritePng(o.Sheet, sheet);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const InfoRequest& info) {
    return std::fputs(info.Text, stdout) < 0 ? 1 : 0;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "vantora-frame: %s\n%s", e.what(), kHint);
    return 2;
  }
  try {
    return options.Sheet.empty() ? RunFrame(options) : RunSheet(options, argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vantora-frame: %s\n", e.what());
    return 1;
  }
}
