#include "settings/IniFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <unordered_map>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "settings/AtomicFile.h"

namespace vantora {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Blanks around names and values; a stray CR is one too, so that a value
// never keeps the CR of a line end that is not CRLF.
constexpr std::string_view kBlanks = " \t\r";

std::string_view Trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// One line of the file, its line end kept apart so that a rewrite can give
// every untouched line back exactly as it was.
struct TLine {
  std::string Text;
  // "\r\n" or "\n"; for a last line "\r" (a bare CR) or "" (none), which
  // a line added after it replaces.
  std::string End;

  bool Ended() const { return End == "\r\n" || End == "\n"; }
};

enum TLineKind { lkOther, lkSection, lkKey };

struct TLineInfo {
  TLineKind Kind = lkOther;
  std::string_view Name;  // section or key name, trimmed
  std::string_view Value;  // key value, trimmed
};

TLineInfo Classify(std::string_view text) {
  const std::string_view t = Trimmed(text);
  if (t.empty() || t.front() == ';') return {};
  if (t.front() == '[') {
    const auto close = t.find(']');
    const std::string_view name =
        close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
    return {lkSection, Trimmed(name), {}};
  }
  const auto eq = t.find('=');
  if (eq == std::string_view::npos) return {};
  return {lkKey, Trimmed(t.substr(0, eq)), Trimmed(t.substr(eq + 1))};
}

// The file as lines. Lines before the first section header belong to no
// section and are never matched.
struct TIniDocument {
  std::string ByteOrderMark;
  std::vector<TLine> Lines;

  static TIniDocument Parse(std::string_view bytes) {
    TIniDocument doc;
    if (bytes.starts_with(kByteOrderMark)) {
      doc.ByteOrderMark = kByteOrderMark;
      bytes.remove_prefix(kByteOrderMark.size());
    }
    while (!bytes.empty()) {
      const auto lf = bytes.find('\n');
      if (lf == std::string_view::npos) {
        const bool cr = bytes.ends_with('\r');
        doc.Lines.push_back({std::string(bytes.substr(0, bytes.size() - cr)), cr ? "\r" : ""});
        break;
      }
      const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
      doc.Lines.push_back({std::string(bytes.substr(0, crlf ? lf - 1 : lf)), crlf ? "\r\n" : "\n"});
      bytes.remove_prefix(lf + 1);
    }
    return doc;
  }

  std::string Serialized() const {
    std::string out = ByteOrderMark;
    for (const TLine& line : Lines) out += line.Text + line.End;
    return out;
  }

  // The line end for lines this program adds: the file's own, taken from its
  // first ended line, or CRLF (as the files written on Windows have) for a
  // new file and one without a line end.
  std::string NewLineEnd() const {
    for (const TLine& line : Lines)
      if (line.Ended()) return line.End;
    return "\r\n";
  }

  // Where a section lies: the header line and one past its last line.
  struct TSpan {
    std::size_t Header = 0;
    std::size_t End = 0;
  };

  // The first section of that name (later duplicates are ignored).
  std::optional<TSpan> FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < Lines.size(); ++i) {
      const TLineInfo info = Classify(Lines[i].Text);
      if (info.Kind != lkSection || !SameName(info.Name, section)) continue;
      std::size_t end = i + 1;
      while (end < Lines.size() && Classify(Lines[end].Text).Kind != lkSection) ++end;
      return TSpan{i, end};
    }
    return std::nullopt;
  }

  // The first line of the key inside the section, if any.
  std::optional<std::size_t> FindKey(const TSpan& span, std::string_view key) const {
    for (std::size_t i = span.Header + 1; i < span.End; ++i) {
      const TLineInfo info = Classify(Lines[i].Text);
      if (info.Kind == lkKey && SameName(info.Name, key)) return i;
    }
    return std::nullopt;
  }

  // Inserts a line after line `after`, making sure that line is ended first.
  void InsertAfter(std::size_t after, std::string text) {
    const std::string end = NewLineEnd();
    if (!Lines[after].Ended()) Lines[after].End = end;
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(after) + 1,
                 TLine{std::move(text), end});
  }

  void Set(const std::string& section, const std::string& key, const std::string& value) {
    const auto span = FindSection(section);
    if (!span) {
      const std::string end = NewLineEnd();
      if (!Lines.empty() && !Lines.back().Ended()) Lines.back().End = end;
      Lines.push_back({"[" + section + "]", end});
      Lines.push_back({key + "=" + value, end});
      return;
    }
    if (const auto line = FindKey(*span, key)) {
      // Keep the key as the file spells it; only the value changes.
      TLine& l = Lines[*line];
      l.Text = std::string(Classify(l.Text).Name) + "=" + value;
      return;
    }
    // A new key goes after the last non-blank line of its section, so the
    // blank lines that separate it from the next section stay in between.
    std::size_t last = span->Header;
    for (std::size_t i = span->Header + 1; i < span->End; ++i)
      if (!Trimmed(Lines[i].Text).empty()) last = i;
    InsertAfter(last, key + "=" + value);
  }

  // Removes every line of the key in the section: a file edited by hand may
  // have it twice, and a later line must not come back as the key's value.
  bool Erase(std::string_view section, std::string_view key) {
    const auto span = FindSection(section);
    if (!span) return false;
    const auto first = Lines.begin() + static_cast<std::ptrdiff_t>(span->Header) + 1;
    const auto end = Lines.begin() + static_cast<std::ptrdiff_t>(span->End);
    const auto kept = std::remove_if(first, end, [&](const TLine& l) {
      const TLineInfo info = Classify(l.Text);
      return info.Kind == lkKey && SameName(info.Name, key);
    });
    if (kept == end) return false;
    Lines.erase(kept, end);
    return true;
  }
};

// The value as a reader sees it: one pair of surrounding double quotes
// removed, then cut to the longest value a read returns. The cut never
// splits a UTF-8 sequence, so a long path never ends in half a character.
std::string Unquoted(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  if (value.size() > TIniFile::MaxValueLength) {
    std::size_t cut = TIniFile::MaxValueLength;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    value.resize(cut);
  }
  return value;
}

// The value as it is written so that Unquoted gives it back: wrapped in
// quotes when a reader would otherwise lose its outer blanks or its own
// pair of quotes. Other values are written bare, as the files have them.
std::string Quoted(const std::string& value) {
  const bool blankEnds = !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                                            kBlanks.find(value.back()) != std::string_view::npos);
  const bool quotes = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return blankEnds || quotes ? '"' + value + '"' : value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<int> ParseInteger(std::string_view text) {
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with("$")) {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // magnitude of INT_MIN
  std::int64_t magnitude = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) return std::nullopt;
  }
  if (!negative && magnitude == kLimit) return std::nullopt;
  return static_cast<int>(negative ? -magnitude : magnitude);
}

// The lookup key of a value: section and key in lower case, which no name
// can confuse since neither holds a line break.
std::string LookupKey(std::string_view section, std::string_view key) {
  std::string k;
  k.reserve(section.size() + key.size() + 1);
  for (const char c : section) k += AsciiLower(c);
  k += '\n';
  for (const char c : key) k += AsciiLower(c);
  return k;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string TooLarge(const std::string& path, std::int64_t size) {
  return "The settings file " + path + " is " + std::to_string(size) +
         " bytes long; a settings file over " + std::to_string(TIniFile::MaxFileSize >> 20) +
         " MB is not read";
}

}  // namespace

struct TIniFile::TSnapshot {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec Modified{};
  timespec Changed{};
  // Old enough that a rewrite could not hide within the clock's tick.
  bool Trusted = false;
  std::string Problem;
  // Values of the first section of each name, first key of each name in it,
  // as the file has them (before unquoting).
  std::unordered_map<std::string, std::string> Values;

  bool Same(const struct stat& st) const {
    return Exists && Device == st.st_dev && Inode == st.st_ino && Size == st.st_size &&
           SameTime(Modified, st.st_mtim) && SameTime(Changed, st.st_ctim);
  }

  void Take(const struct stat& st) {
    Exists = true;
    Device = st.st_dev;
    Inode = st.st_ino;
    Size = st.st_size;
    Modified = st.st_mtim;
    Changed = st.st_ctim;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    Trusted = st.st_mtim.tv_sec + 1 < now.tv_sec;
  }

  void Index(std::string_view bytes) {
    const TIniDocument doc = TIniDocument::Parse(bytes);
    std::unordered_map<std::string, bool> sectionsSeen;
    bool indexing = false;
    std::string section;
    for (const TLine& line : doc.Lines) {
      const TLineInfo info = Classify(line.Text);
      if (info.Kind == lkSection) {
        section = LookupKey(info.Name, "");
        // Only the first section of a name counts; later ones are ignored.
        indexing = sectionsSeen.emplace(section, true).second;
      } else if (info.Kind == lkKey && indexing) {
        Values.emplace(section + LookupKey("", info.Name).substr(1), std::string(info.Value));
      }
    }
  }
};

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

std::shared_ptr<const TIniFile::TSnapshot> TIniFile::Current() const {
  struct stat st {};
  // A missing file, or a pipe or device in its place, reads as missing
  // without being opened.
  if (::stat(FFileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    static const auto missing = std::make_shared<const TSnapshot>();
    return FSnapshot = missing;
  }
  if (FSnapshot && FSnapshot->Trusted && FSnapshot->Same(st)) return FSnapshot;
  auto snapshot = std::make_shared<TSnapshot>();
  snapshot->Take(st);
  if (st.st_size > MaxFileSize) {
    snapshot->Problem = TooLarge(FFileName, st.st_size);
    snapshot->Trusted = true;  // nothing was read that could be stale
    return FSnapshot = snapshot;
  }
  std::optional<std::string> bytes;
  try {
    bytes = ReadWholeFile(FFileName);
  } catch (const std::system_error&) {
    // An unreadable file reads like a missing one.
  }
  if (bytes && std::int64_t(bytes->size()) > MaxFileSize) {
    snapshot->Problem = TooLarge(FFileName, std::int64_t(bytes->size()));
    snapshot->Trusted = false;  // it grew while read: look again next time
  } else if (bytes) {
    snapshot->Index(*bytes);
    // Changed while read: the content may not match the identity taken.
    struct stat after {};
    if (::stat(FFileName.c_str(), &after) != 0 || !snapshot->Same(after)) snapshot->Trusted = false;
  }
  return FSnapshot = snapshot;
}

std::string TIniFile::Problem() const { return Current()->Problem; }

std::vector<std::string> TIniFile::ReadSection(const std::string& Section) const {
  const std::string prefix = LookupKey(Section, "");
  std::vector<std::string> keys;
  for (const auto& [key, value] : Current()->Values)
    if (key.starts_with(prefix)) keys.push_back(key.substr(prefix.size()));
  return keys;
}

namespace {

std::mutex overlayLock;
std::vector<TIniFile::TOverlayValue> overlay;  // guarded by overlayLock

std::optional<std::string> OverlayValue(const std::string& Section, const std::string& Ident) {
  std::lock_guard lock(overlayLock);
  for (auto it = overlay.rbegin(); it != overlay.rend(); ++it)
    if (SameName(it->Section, Section) && SameName(it->Ident, Ident)) return it->Value;
  return std::nullopt;
}

}  // namespace

void TIniFile::SetReadOverlay(std::vector<TOverlayValue> values) {
  std::lock_guard lock(overlayLock);
  overlay = std::move(values);
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  if (auto value = OverlayValue(Section, Ident)) return std::move(*value);
  const std::shared_ptr<const TSnapshot> snapshot = Current();
  const auto value = snapshot->Values.find(LookupKey(Section, Ident));
  return value != snapshot->Values.end() ? Unquoted(value->second) : Default;
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
  return ParseInteger(ReadString(Section, Ident, "")).value_or(Default);
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
  const std::string failure = "Unable to write to " + FFileName;
  // A line break inside a name or value would split the line and plant
  // other keys in the file; such a write is refused.
  for (const std::string* s : {&Section, &Ident, &Value})
    if (s->find_first_of("\r\n") != std::string::npos) throw EIniFileException(failure);
  std::optional<std::string> bytes;
  try {
    bytes = ReadWholeFile(FFileName);
  } catch (const std::system_error&) {
    throw EIniFileException(failure);
  }
  // An absurd file is not rewritten with one more key in it.
  if (bytes && std::int64_t(bytes->size()) > MaxFileSize)
    throw EIniFileException(failure + ": " + TooLarge(FFileName, std::int64_t(bytes->size())));
  try {
    TIniDocument doc = TIniDocument::Parse(bytes.value_or(""));
    doc.Set(Section, Ident, Quoted(Value));
    ReplaceWholeFile(FFileName, doc.Serialized());
  } catch (const std::system_error&) {
    throw EIniFileException(failure);
  }
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  try {
    const auto bytes = ReadWholeFile(FFileName);
    if (!bytes || std::int64_t(bytes->size()) > MaxFileSize) return;
    TIniDocument doc = TIniDocument::Parse(*bytes);
    if (doc.Erase(Section, Ident)) ReplaceWholeFile(FFileName, doc.Serialized());
  } catch (const std::system_error&) {
    // A refused delete is not reported; the key simply stays.
  }
}

}  // namespace vantora
