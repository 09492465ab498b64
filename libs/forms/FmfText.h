#pragma once
// Internal to the forms library: how .fmf values are written so that every text comes
// back exactly, and the checks a line of the file must pass.
#include <string>
#include <string_view>

// Length of the valid UTF-8 sequence that starts text[at], 0 when the bytes there are not
// one (a stray continuation byte, a truncated or overlong sequence, a surrogate, > U+10FFFF).
size_t Utf8SequenceLength(std::string_view text, size_t at);

// Appends text with backslash escapes: "\\" for a backslash, "\n", "\r", "\t", "\s" for a
// blank at either end, and "\xHH" for other control bytes and bytes that are not UTF-8.
void AppendEscaped(std::string& out, std::string_view text);

// Undoes AppendEscaped. False with the reason for an unknown or incomplete escape.
bool Unescape(std::string_view value, std::string& out, std::string& why);

// Null when line may stand in a .fmf file: valid UTF-8 without control bytes other than
// tabs; otherwise the reason.
const char* CheckLineText(std::string_view line);
