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
    const auto order = ReadWholeFile(FFolder + kOrderFile);
    const auto position = ReadWholeFile(FFolder + kPositionFile);
    if (!order || !position) return;
    const std::vector<std::string_view> lines = Lines(*order);
    std::uint64_t id = 0;
    if (lines.size() < 3 || lines[0] != kHeader || !Parse(lines[1], id, 16) ||
        Unescaped(lines[2]) != FSource)
      return;  // another source's cycle, or not ours at all
    const std::vector<std::string_view> at = Lines(*position);
    const std::size_t blank = at.empty() ? std::string_view::npos : at[0].find(' ');
    std::uint64_t positionId = 0;
    int taken = 0;
    if (blank == std::string_view::npos || !Parse(at[0].substr(0, blank), positionId, 16) ||
        positionId != id || !Parse(at[0].substr(blank + 1), taken) || taken < 0)
      return;
    FId = id;
    for (std::size_t i = 3; i < lines.size(); ++i) FOrder.append(Unescaped(lines[i]));
    FPosition = std::min<int>(taken, int(FOrder.size()));
    if (FPosition > 0) FLast = FOrder[FPosition - 1];
  } catch (const std::exception&) {
    FOrder.clear();
    FPosition = 0;
  }
}

std::optional<QString> TShuffleCycle::Next(const QStringList& names, bool listingDone,
                                           const std::function<bool(const QString&)>& exists) {
  const int before = FPosition;
  const std::uint64_t cycle = FId;
  std::optional<QString> found;
  // A whole cycle of vanished names is gone through at most twice: the old
  // cycle's, then one fresh cycle of a listing whose files all went.
  for (int fresh = 0; !found && fresh < 2;) {
    if (FPosition < FOrder.size()) {
      const QString& name = FOrder[FPosition++];
      if (exists(name)) found = name;
      continue;
    }
    if (!listingDone) break;  // a new cycle needs every name
    if (names.isEmpty()) {
      found = QString();
      break;
    }
    Draw(names);
    ++fresh;
  }
  // Not one listed file is there any more: no picture, as with none listed.
  if (!found && listingDone) found = QString();
  if (FId != cycle) SaveOrder();
  if (FPosition != before || FId != cycle) SavePosition();
  if (found && !found->isEmpty()) FLast = *found;
  return found;
}

void TShuffleCycle::Draw(const QStringList& names) {
  FOrder = names;
  std::shuffle(FOrder.begin(), FOrder.end(), FRandom);
  // The last picture of one cycle does not open the next.
  if (FOrder.size() > 1 && FOrder.front() == FLast)
    FOrder.swapItemsAt(0, 1 + int(FRandom() % std::uint64_t(FOrder.size() - 1)));
  FPosition = 0;
  do FId = FRandom();
  while (FId == 0);
}

void TShuffleCycle::SaveOrder() {
  if (FFolder.empty()) return;
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
