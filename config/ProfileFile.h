#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferolith {

// What became of writing a file: `error` is 0 when it was written, otherwise
// the error number of the failure.
struct [[nodiscard]] SaveOutcome {
  int error = 0;
  bool Saved() const { return error == 0; }
};

// A private-profile ("INI") file held in memory, line by line, so that it can
// be written back with every line the program does not touch exactly as it
// was: foreign sections and keys, comments, blank lines, odd spacing and the
// line ending of each line (CR LF or LF).
//
// Format: a line whose first non-blank character is '[' and which holds a
// ']' starts a section named by the text between them; a line with a '='
// is a key, named by the text before the first '=' and valued by the text
// after it, both without surrounding blanks; a line starting with ';' is a
// comment. Section and key names match without regard to ASCII case. When a
// section or key appears more than once, the first one wins.
class ProfileFile {
 public:
  enum class LoadOutcome { Loaded, Missing, Unreadable };
  // How values are stored: as KALVENOR.INI, which the family's programs
  // share, stores them (platform/ProfileText.h), or always as UTF-8 (a file
  // of this program's own that travels between machines); either way a
  // value that is not valid UTF-8 reads as Windows-1252 or the code page.
  enum class Encoding { Family, Utf8 };

  explicit ProfileFile(Encoding encoding = Encoding::Family) : encoding_(encoding) {}

  // Replaces the content with the file at `path`. A missing file gives an
  // empty profile; so does an unreadable one, which the caller must not
  // overwrite (errno then tells why it could not be read).
  LoadOutcome Load(const std::string& path);
  // Replaces the content with `bytes`.
  void Parse(std::string_view bytes);

  // The value of the key as UTF-8 (see Encoding), or
  // `defaultText` when the section or key is missing.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultText) const;
  // Whether the section holds the key at all.
  bool HasKey(std::string_view section, std::string_view key) const {
    KeyHit hit{};
    return FindKey(section, key, hit);
  }
  // The value read as a whole decimal number: optional blanks, an optional
  // sign, then digits up to the first non-digit (wrapping modulo 2^32 like a
  // 32-bit accumulator); a value that does not begin with a number reads 0.
  // `defaultValue` when the section or key is missing.
  std::int32_t GetInt(std::string_view section, std::string_view key,
                      std::int32_t defaultValue) const;

  // Sets the key's value, adding the key (after the last key of its
  // section) or the section (at the end of the file) when missing. The
  // value ends before a line break it may hold; the UTF-8 text is written
  // in the file's encoding (see Encoding).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes.
  std::string Serialize() const;
  // Replaces the file at `path` atomically with Serialize(). A failure (the
  // file is read-only or cannot be written) leaves the old file untouched.
  SaveOutcome Save(const std::string& path) const;

 private:
  struct Line {
    std::string text;    // without its line ending
    std::string ending;  // "\r\n", "\n", or "" for a last line without one
  };
  struct KeyHit {
    std::size_t line;
    std::size_t valueStart;  // offset of the '=' + 1 in the line's text
  };

  // The line index of the first key `key` in any section `section`.
  bool FindKey(std::string_view section, std::string_view key, KeyHit& hit) const;
  // Index of the first header line of `section`; lines.size() when missing.
  std::size_t FindSection(std::string_view section) const;
  // Inserts a line before `position`, making sure the line before it ends.
  void InsertLine(std::size_t position, std::string text);
  std::string PreferredEnding() const;

  Encoding encoding_;
  std::vector<Line> lines_;
};

// The number a private-profile integer read gives for `text`.
std::int32_t ParseProfileInteger(std::string_view text);

}  // namespace ferolith
