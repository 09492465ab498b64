#pragma once
#include <bit>
#include <cstdint>

// The special values of VESK data: doubles one unit in the last place below 1.0e50,
// 1.0e51, 1.0e52 and 1.0e53, compared bit for bit. They are process-wide so that every
// part of the library and the converter compares against the same values.

extern double MISSING;     // no answer given
extern double NOTAPPL;     // question not applicable
extern double DEFAULT;     // invalid or unreadable value
extern double BLANK;       // an all-blank numeric field
extern double MARKER_MIN;  // MISSING again: values at or above it are markers, not data

// Sets the five values from their constant bit patterns. They start with those values
// already; calling it again restores them after a caller changed one.
void InitSpecialValues();

// True when a and b have the same bits (how special values are compared). Inline: every
// value of a data file is compared with the special values several times.
inline bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }
