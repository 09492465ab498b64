#pragma once
// Conversion between the fixed-width text of a numeric field in a data record and the
// double it holds, the special values included: the number reader and writer, and the
// transformation reader and writer that go through a variable's value recodes first.
//
// A field is `width` characters at `field` (not NUL-terminated) with `decimals` implied
// decimals. Nothing is read or written outside those characters, whatever the width and
// decimals; a width below 1 reads as BLANK and writes nothing.
#include <cstdint>

class Lst;

// 10^0 .. 10^15: numeric fields are at most 15 characters wide.
extern const double kPowersOfTen[16];

// The field's value: BLANK for an all-blank field, DEFAULT for text that is no number.
double ReadFieldNumber(const char* field, int width, int decimals);

// Writes value right-aligned into the field with "." as the decimal point: blanks for
// BLANK, asterisks for any other marker and for a value that does not fit.
void WriteFieldNumber(double value, char* field, int width, int decimals);

// The number reader first; when it gives DEFAULT, the value of the first transformation
// (Tra entries of tras, in order) whose source text matches the field. DEFAULT when none
// matches or when varType is not 'N'.
double ReadFieldTransformed(const char* field, int width, int decimals, char varType, Lst* tras);

// For a numeric variable: the source text of the first transformation whose value is
// value, blank-padded or cut to the width; the number writer when there is none.
void WriteFieldTransformed(double value, char* field, int width, int decimals, char varType, Lst* tras);
