#pragma once
// CVornString: the utility library's string. Every name, label, path and message is one.
// It is a std::string with the operations the converters and the wizard rely on.
#include <cstdarg>
#include <string>
#include <string_view>

class CVornString : public std::string {
 public:
  CVornString() = default;
  CVornString(const char* s) : std::string(s ? s : "") {}
  CVornString(const std::string& s) : std::string(s) {}
  CVornString(std::string&& s) : std::string(std::move(s)) {}
  CVornString(std::string_view s) : std::string(s) {}
  CVornString(size_t count, char c) : std::string(count, c) {}

  int GetLength() const { return static_cast<int>(size()); }
  bool IsEmpty() const { return empty(); }
  void Empty() { clear(); }
  // True when the text is empty or holds only blanks (spaces and tabs).
  bool IsBlank() const;

  CVornString Left(int count) const;
  CVornString Right(int count) const;
  CVornString Mid(int first) const;
  CVornString Mid(int first, int count) const;
  // Index of the first / last occurrence, -1 when there is none.
  int Find(char c, int start = 0) const;
  int Find(std::string_view s, int start = 0) const;
  int ReverseFind(char c) const;
  int CompareNoCase(std::string_view other) const;  // <0, 0, >0 as strcmp, ASCII case folded
  int Replace(char from, char to);  // returns how many were replaced
  int Replace(std::string_view from, std::string_view to);
  void MakeUpper();  // ASCII letters only
  void MakeLower();
  void TrimRight();  // blanks, tabs, CR and LF
  void TrimLeft();
  void Trim() { TrimRight(); TrimLeft(); }

  // printf-style formatting; replaces the content.
  void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* fmt, va_list args);
  // Loads a string-table entry (empty when the id is unknown); true when it exists.
  bool LoadString(int stringId);

  // Turns the text into a valid dictionary name in place: upper case, letters, digits
  // and '_' only, starting with a letter, at most 32 characters (rules in docs/).
  void MakeName();
  // Removes the next token and the delimiter that ended it from the front of the text
  // and returns the token. When blank is a delimiter, blanks around a delimiter belong to
  // it (leading blanks are skipped, "1 , 2" ends "1" at the comma); other delimiters are
  // never skipped, so ",," gives an empty token. A leading quoted text ('...' or "...")
  // is taken whole, without its quotes. When found is given it gets the delimiter that
  // ended the token, or '\0' at the end of the text. Rules in docs/utility.md.
  CVornString GetToken(const char* delimiters, char* found = nullptr, int reserved = 0);

  // Code page conversion in place: host (UTF-8) to the OEM code page and back.
  void CharToOemA();
  void OemToCharA();

  // Today's date as MM/DD/YYYY (10 characters) and the time as HH:MM:SS (8 characters).
  static CVornString Date();
  static CVornString Time();
};
