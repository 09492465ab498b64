#pragma once
// How texts are written in a .dcf line (docs/dcf-format.md, "Texts"). Every text has exactly
// one written form, so reading and writing again gives the same bytes. Internal to the
// dictionary library.
#include <string>
#include <string_view>

#include "libs/dict/DcfText.h"

namespace dcf {

// Where a text stands: a plain key=value text, or a from/to text of a Value line, where
// the separators ',' ':' and ';' are escaped too.
enum class TextKind { Plain, Pair };

// Appends the written form of text (to a std::string or a FileText).
template <typename Text>
void AppendEscaped(Text& out, std::string_view text, TextKind kind);
extern template void AppendEscaped(std::string&, std::string_view, TextKind);
extern template void AppendEscaped(FileText&, std::string_view, TextKind);

// Decodes a written text into out. False with a reason (no line number) when it holds an
// unknown escape, a raw control character or bytes that are not UTF-8. It does not check
// that the text is written in its one canonical form; IsCanonical does.
bool Unescape(std::string_view written, std::string& out, std::string* reason);

// True when written is exactly the written form of text.
bool IsCanonical(std::string_view written, std::string_view text, TextKind kind);

// Decodes a text that must be in its one written form: Exact, NotCanonical (text holds
// what it decodes to), or Invalid (with the reason, as Unescape gives it).
enum class Decoded { Exact, NotCanonical, Invalid };
Decoded DecodeExact(std::string_view written, TextKind kind, std::string& text, std::string* reason);

// A short quotable excerpt of a written text for messages (at most about 60 bytes, never
// cutting a UTF-8 character).
std::string Excerpt(std::string_view written);

// Position of the first unescaped c in written, or npos.
size_t FindUnescaped(std::string_view written, char c, size_t from = 0);

}  // namespace dcf
