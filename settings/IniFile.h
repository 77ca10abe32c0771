#pragma once
// The settings file: a plain INI file (section headers in square brackets,
// one key=value line per key) read and written a value at a time.
//
// Every write rewrites the file at once. A read looks at the file's identity
// (device, inode, size, modification and change times) and parses the file
// again only when that changed, so two objects on the same path, or a window
// and a dialog, always see each other's latest writes, while the show's
// reads at every tick cost a stat and a lookup, whatever the file holds. A
// file changed within the last second is read again at every read until it
// is older: the file system's clock is coarse, and a rewrite of the same
// size within one of its ticks would otherwise go unseen.
//
// A settings file is a few hundred bytes. One over MaxFileSize bytes is
// refused as it is, unread: reads give the defaults, Problem() says why, and
// writes throw rather than rewrite it.
//
// Reading is forgiving, because the file may have been written by hand or on
// another system: section and key names compare case-insensitively (ASCII),
// blanks around names, values and "=" are ignored, lines starting with ";"
// are comments, CRLF and LF line ends (and a bare CR ending the last line)
// and a UTF-8 byte-order mark are all accepted, and a value wrapped in one
// pair of double quotes loses them.
// A missing file, section or key, or a number that does not parse, gives the
// caller's default; reads never fail.
//
// Writing keeps every other byte of the file as it was (other sections and
// keys, comments, blank lines, order, the file's line ends; a new file, or
// one without a line end, gets CRLF). A value with blanks at either end, or
// in a pair of quotes of its own, is written in quotes, so that it reads
// back exactly as written. The new content
// goes to a temporary file beside the original, which is flushed to disk and
// then renamed over it, so a crash or a full disk mid-write leaves either
// the old file or the new one, never a torn or empty one. A write that cannot
// be made throws EIniFileException("Unable to write to <path>") and leaves
// the file untouched.
//
// Text is kept as bytes (UTF-8 on this platform).

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantora {

class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  // Longest value a read returns, in bytes; longer values are cut.
  static constexpr std::size_t MaxValueLength = 2047;
  // Largest file that is read, in bytes.
  static constexpr std::int64_t MaxFileSize = std::int64_t{1} << 20;

  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return FFileName; }

  // Why the file's settings are not read (empty when they are, and when the
  // file is simply missing): a file over MaxFileSize bytes.
  std::string Problem() const;

  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const;
  // Decimal with an optional sign, or hexadecimal behind "0x", "0X" or "$".
  // Anything else, or a number outside the signed 32-bit range, gives Default.
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  // Read as an integer with the default 1 or 0; any non-zero value is true.
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;

  // The names of the section's keys, in lower case, in no particular order.
  std::vector<std::string> ReadSection(const std::string& Section) const;

  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  // Writes "1" for true and "0" for false.
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

  // Removes the key's line (every one, if the file has it twice). A missing
  // file or key does nothing, and a delete that cannot be written is not
  // reported.
  void DeleteKey(const std::string& Section, const std::string& Ident);

  // Values that every read in this process takes instead of the file's, as
  // the file would hold them (a later entry for the same key wins). The
  // show's command-line options set them once at start, for that run only:
  // writes never see them, so they never reach the file. Replaces any
  // earlier overlay; an empty list removes it.
  struct TOverlayValue {
    std::string Section, Ident, Value;
  };
  static void SetReadOverlay(std::vector<TOverlayValue> values);

 private:
  struct TSnapshot;
  // The file as last parsed, with what identifies that content on disk.
  std::shared_ptr<const TSnapshot> Current() const;

  std::string FFileName;
  mutable std::shared_ptr<const TSnapshot> FSnapshot;
};

}  // namespace vantora
