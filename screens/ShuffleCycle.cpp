#include "screens/ShuffleCycle.h"

#include <algorithm>
#include <charconv>
#include <exception>

#include "settings/AtomicFile.h"

namespace vantora {

namespace {

constexpr const char* kOrderFile = "/shuffle-order";
constexpr const char* kPositionFile = "/shuffle-position";
constexpr const char* kHeader = "vantora shuffle 1";

// A name may hold any character but "/" and NUL; line ends and the escape
// character itself are written escaped, so every name is one line.
std::string Escaped(const QString& text) {
  std::string out;
  for (char c : text.toStdString()) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

QString Unescaped(std::string_view line) {
  // Most names hold no escape: straight from UTF-8, without a copy first
  // (a resumed cycle reads a whole library's names at the show's start).
  if (line.find('\\') == std::string_view::npos)
    return QString::fromUtf8(line.data(), qsizetype(line.size()));
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      out += line[i];
      continue;
    }
    const char next = line[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return QString::fromStdString(out);
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string Hex(std::uint64_t value) {
  char buffer[17];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
  return std::string(buffer, end);
}

template <class T>
bool Parse(std::string_view text, T& value, int base = 10) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

TShuffleCycle::TShuffleCycle(std::string stateFolder, QString source)
    : FFolder(std::move(stateFolder)), FSource(std::move(source)), FRandom(std::random_device{}()) {
  Load();
}

void TShuffleCycle::Load() {
  if (FFolder.empty()) return;
  try {
    auto order = ReadWholeFile(FFolder + kOrderFile);
    const auto position = ReadWholeFile(FFolder + kPositionFile);
    if (!order || !position) return;
    // The three lines in front of the names: header, cycle number, source.
    std::string_view head[3];
    std::size_t names = 0;
    for (std::string_view& line : head) {
      const std::size_t end = order->find('\n', names);
      if (end == std::string::npos) return;
      line = std::string_view(*order).substr(names, end - names);
      names = end + 1;
    }
    std::uint64_t id = 0;
    if (head[0] != kHeader || !Parse(head[1], id, 16) || Unescaped(head[2]) != FSource)
      return;  // another source's cycle, or not ours at all
    const std::vector<std::string_view> at = Lines(*position);
    const std::size_t blank = at.empty() ? std::string_view::npos : at[0].find(' ');
    std::uint64_t positionId = 0;
    int taken = 0;
    if (blank == std::string_view::npos || !Parse(at[0].substr(0, blank), positionId, 16) ||
        positionId != id || !Parse(at[0].substr(blank + 1), taken) || taken < 0)
      return;
    FId = id;
    // The names stay as stored until the cycle changes: a resumed cycle of
    // a large library reads one name per picture, not all of them at the
    // show's start.
    FStoredText = std::move(*order);
    FStoredText.erase(0, names);
    FStoredCount = int(std::count(FStoredText.begin(), FStoredText.end(), '\n'));
    if (!FStoredText.empty() && FStoredText.back() != '\n') ++FStoredCount;
    FStoredLine = 0;
    FStoredAt = 0;
    FPosition = std::min<int>(taken, Count());
    if (FPosition > 0) FLast = NameAt(FPosition - 1);
  } catch (const std::exception&) {
    FStoredText.clear();
    FStoredCount = 0;
    FOrder.clear();
    FPosition = 0;
  }
}

int TShuffleCycle::Count() const { return FStoredCount > 0 ? FStoredCount : int(FOrder.size()); }

QString TShuffleCycle::NameAt(int i) {
  if (FStoredCount == 0) return FOrder[i];
  // Names are asked for in order; an earlier one starts from the top again.
  if (i < FStoredLine) FStoredLine = 0, FStoredAt = 0;
  for (; FStoredLine < i; ++FStoredLine) FStoredAt = FStoredText.find('\n', FStoredAt) + 1;
  const std::size_t end = std::min(FStoredText.find('\n', FStoredAt), FStoredText.size());
  return Unescaped(std::string_view(FStoredText).substr(FStoredAt, end - FStoredAt));
}

void TShuffleCycle::Unpack() {
  if (FStoredCount == 0) return;
  FOrder.clear();
  FOrder.reserve(FStoredCount);
  for (int i = 0; i < FStoredCount; ++i) FOrder.append(NameAt(i));
  FStoredCount = 0;
  FStoredText.clear();
}

const QStringList& TShuffleCycle::Order() {
  Unpack();
  return FOrder;
}

std::optional<QString> TShuffleCycle::Next(const QStringList& names, bool listingDone,
                                           const std::function<bool(const QString&)>& exists) {
  const int before = FPosition;
  const std::uint64_t cycle = FId;
  const bool grew = FGrowing && (names.size() > FTaken || listingDone);
  if (FGrowing) Grow(names, listingDone);
  std::optional<QString> found;
  // A whole cycle of vanished names is gone through at most twice: the old
  // cycle's, then one fresh cycle of a listing whose files all went.
  for (int fresh = 0; !found && fresh < 2;) {
    if (FPosition < Count()) {
      QString name = NameAt(FPosition++);
      if (exists(name)) found = std::move(name);
      continue;
    }
    // Every name found so far is shown: the rest of the listing comes first.
    if (FGrowing) break;
    if (names.isEmpty()) {
      if (listingDone) found = QString();
      break;
    }
    Draw(names, listingDone);
    ++fresh;
  }
  // Not one listed file is there any more: no picture, as with none listed.
  if (!found && listingDone) found = QString();
  if (FId != cycle || grew) SaveOrder();
  if (FPosition != before || FId != cycle) SavePosition();
  if (found && !found->isEmpty()) FLast = *found;
  return found;
}

void TShuffleCycle::Draw(const QStringList& names, bool listingDone) {
  FStoredCount = 0;
  FStoredText.clear();
  FOrder = names;
  std::shuffle(FOrder.begin(), FOrder.end(), FRandom);
  FPosition = 0;
  FGrowing = !listingDone;
  FTaken = names.size();
  KeepLastOutOfTheFront();
  do FId = FRandom();
  while (FId == 0);
}

void TShuffleCycle::Grow(const QStringList& names, bool listingDone) {
  if (names.size() > FTaken) {
    Unpack();
    FOrder.append(names.mid(FTaken));
    FTaken = names.size();
    // Shuffled again with the names not yet shown, so each of them is as
    // likely to come next as any other.
    std::shuffle(FOrder.begin() + FPosition, FOrder.end(), FRandom);
    if (FPosition == 0) KeepLastOutOfTheFront();
  }
  if (listingDone) FGrowing = false;
}

void TShuffleCycle::KeepLastOutOfTheFront() {
  // The last picture of one cycle does not open the next.
  if (FPosition == 0 && FOrder.size() > 1 && FOrder.front() == FLast)
    FOrder.swapItemsAt(0, 1 + int(FRandom() % std::uint64_t(FOrder.size() - 1)));
}

void TShuffleCycle::SaveOrder() {
  if (FFolder.empty()) return;
  Unpack();
  std::string text = std::string(kHeader) + '\n' + Hex(FId) + '\n' + Escaped(FSource) + '\n';
  for (const QString& name : FOrder) text += Escaped(name) + '\n';
  try {
    ReplaceWholeFile(FFolder + kOrderFile, text);
  } catch (const std::exception&) {
    // Kept for this run only.
  }
}

void TShuffleCycle::SavePosition() {
  if (FFolder.empty()) return;
  try {
    ReplaceWholeFile(FFolder + kPositionFile, Hex(FId) + ' ' + std::to_string(FPosition) + '\n');
  } catch (const std::exception&) {
    // Kept for this run only.
  }
}

}  // namespace vantora
