#pragma once
// Number texts of the old formats. Numbers are independent of the process locale: the
// decimal character is always passed explicitly.

// Reads a number from text. Leading and trailing blanks are ignored; a leading '-' or '+'
// is accepted. When the text holds a '.' or ',' that character is taken as the decimal
// point and `decimals` is ignored; otherwise the last `decimals` digits are implied
// decimals ("  25" with 1 decimal is 2.5). Text that is not a number gives 0.
double atod(const char* text, int decimals);

// Writes number with `decimals` explicit decimal places and decChar as the decimal
// character (none when decimals is 0), rounded half away from zero, without padding.
// buffer must hold at least 64 characters; returns buffer. `flags` is reserved (0).
// NaN, infinities and numbers whose text would not fit are written as "*".
char* dtoa(double number, char* buffer, int decimals, char decChar, int flags);

// Writes number right-aligned in exactly `width` characters with `decimals` implied
// decimals (no decimal character), padded on the left with fill. With flags 1 a number
// that does not fit is written as `width` asterisks; with flags 0 it is cut to its
// rightmost `width` characters. A negative number carries its '-' before the digits
// (with a fill other than blank, in the first column: "-005"). NaN and infinities give
// `width` asterisks.
// buffer must hold width + 1 characters; returns buffer (NUL-terminated).
char* dtoc(double number, char* buffer, int width, int decimals, char fill, int flags);

// The decimal character of the user's locale (LC_NUMERIC), '.' when there is none.
char ReadLocaleDecimalChar();
