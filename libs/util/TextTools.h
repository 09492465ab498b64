#pragma once
// The text tools: small C-string helpers of the old package, with the rules their
// callers rely on. Each works in place and returns its first argument unless noted.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

char* trimright(char* s);  // removes trailing blanks (spaces, tabs, CR, LF)
char* trimleft(char* s);   // removes leading blanks
char* trimall(char* s);    // both
char* strtrimleft(char* s, char c);   // removes leading c characters
char* strtrimright(char* s, char c);  // removes trailing c characters
int strreplace(char* s, char from, char to);  // replaces every from; returns the count
// Copies at most max characters of src into dest and always NUL-terminates (dest holds
// max + 1 bytes).
char* strcpymax(char* dest, const char* src, size_t max);
// Splits text into pieces at runs of at least `minRun` separator characters. First call
// with the text, then with nullptr to continue (strtok style, state in `context`).
// Returns the next piece or nullptr; *offset gets the piece's offset in the original text
// (when continuing, *offset must still hold the previous piece's offset).
char* strgetparagraph(char* text, char separator, int minRun, char** context, int* offset);
// Splits a path into folder (without the last '/'), base name and extension (without the
// dot); any may be null, each of at least `size` bytes (longer parts are cut); returns path.
const char* strsfn(const char* path, char* folder, char* base, char* ext, size_t size);

// Length of the well-formed UTF-8 sequence at s[i] (no overlong forms, no surrogates,
// nothing past U+10FFFF), 0 when there is none.
size_t Utf8Length(std::string_view s, size_t i);
// text with every byte that is not part of well-formed UTF-8 replaced by U+FFFD, so that
// it can stand in a document that must be UTF-8.
std::string ValidUtf8(std::string_view text);

// text as it may be shown on a terminal without the terminal acting on it: C0 controls and
// DEL in caret notation (ESC "^[", BEL "^G", LF "^J", DEL "^?"), C1 controls (U+0080 to
// U+009F) as "\u009B", and each byte that is not part of well-formed UTF-8 as "\xFF".
// Printable text, the caret and the backslash included, is left as it is.
std::string VisibleText(std::string_view text);
// The same for a text laid out in lines (a message): its line breaks (LF, CR LF) and tabs
// stay as they are.
std::string VisibleLines(std::string_view text);

// The first maxLines lines of a text file's first bytes that say something: a UTF-8 byte
// order mark skipped, each line trimmed of blanks, tabs and CR, blank lines and ';' comment
// lines left out. What the format bids on text files look at.
std::vector<std::string> SignificantLines(std::string_view bytes, size_t maxLines);
