#pragma once
// The settings file: a plain INI file (section headers in square brackets,
// one key=value line per key) read and written a value at a time.
//
// Nothing is cached: every read opens and parses the file again and every
// write rewrites it at once, so two objects on the same path, or a window and
// a dialog, always see each other's latest writes.
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

#include <stdexcept>
#include <string>

namespace vantora {

class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  // Longest value a read returns, in bytes; longer values are cut.
  static constexpr std::size_t MaxValueLength = 2047;

  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return FFileName; }

  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const;
  // Decimal with an optional sign, or hexadecimal behind "0x", "0X" or "$".
  // Anything else, or a number outside the signed 32-bit range, gives Default.
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  // Read as an integer with the default 1 or 0; any non-zero value is true.
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;

  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  // Writes "1" for true and "0" for false.
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

  // Removes the key's line (every one, if the file has it twice). A missing
  // file or key does nothing, and a delete that cannot be written is not
  // reported.
  void DeleteKey(const std::string& Section, const std::string& Ident);

 private:
  std::string FFileName;
};

}  // namespace vantora
