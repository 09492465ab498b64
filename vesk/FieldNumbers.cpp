#include "vesk/FieldNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "vesk/Lst.h"
#include "vesk/SpecialValues.h"
#include "vesk/Var.h"

const double kPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

namespace {

// 10^n from the table, computed beyond it (a damaged dictionary may declare 200 decimals).
double Pow10(int n) { return n >= 0 && n <= 15 ? kPowersOfTen[n] : std::pow(10.0, n); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsPoint(char c) { return c == '.' || c == ','; }

// The digits after a decimal point: at least one, nothing else. DEFAULT otherwise.
double Fraction(const char* p, int n) {
  if (n < 1) return DEFAULT;
  double digits = 0;
  for (int i = 0; i < n; ++i) {
    if (!IsDigit(p[i])) return DEFAULT;
    digits = digits * 10 + (p[i] - '0');
  }
  return digits / Pow10(n);
}

double ReadTwo(char a, char b, int decimals) {
  if (IsDigit(a) && IsDigit(b)) {
    double value = 10 * (a - '0') + (b - '0');
    return decimals == 1 ? value / 10 : value;
  }
  if (a == ' ' && IsDigit(b)) return b - '0';
  if (IsDigit(a) && b == ' ') return a - '0';
  if (a == ' ' && b == ' ') return BLANK;
  if (a == '-' && IsDigit(b)) return -(b - '0');
  if (IsPoint(a) && IsDigit(b)) return (b - '0') / 10.0;
  if (IsDigit(a) && IsPoint(b)) return a - '0';
  return DEFAULT;
}

void Stars(char* field, int width) { std::memset(field, '*', static_cast<size_t>(width)); }

}  // namespace

double ReadFieldNumber(const char* field, int width, int decimals) {
  if (!field || width < 1) return BLANK;
  if (decimals < 0) decimals = 0;
  if (width == 1) {
    if (field[0] == ' ') return BLANK;
    return IsDigit(field[0]) ? field[0] - '0' : DEFAULT;
  }
  if (width == 2) return ReadTwo(field[0], field[1], decimals);

  int end = width;
  while (end > 0 && field[end - 1] == ' ') --end;
  const int trailing = width - end;
  int p = 0;
  while (p < end && field[p] == ' ') ++p;
  if (p == end) return BLANK;
  bool negative = false;
  if (field[p] == '-') {
    negative = true;
    ++p;
  }
  double value;
  if (p < end && IsPoint(field[p])) {
    value = Fraction(field + p + 1, end - p - 1);
  } else if (p < end && IsDigit(field[p])) {
    double integer = 0;
    while (p < end && IsDigit(field[p])) integer = integer * 10 + (field[p++] - '0');
    if (p == end) {
      // Trailing blanks stand for implied decimal places that were not keyed.
      value = trailing <= decimals ? integer / Pow10(decimals - trailing) : integer;
    } else if (IsPoint(field[p])) {
      double fraction = Fraction(field + p + 1, end - p - 1);
      value = SameBits(fraction, DEFAULT) ? DEFAULT : integer + fraction;
    } else {
      return DEFAULT;
    }
  } else {
    return DEFAULT;
  }
  if (SameBits(value, DEFAULT) || !std::isfinite(value)) return DEFAULT;  // hundreds of digits
  return negative ? -value : value;
}

void WriteFieldNumber(double value, char* field, int width, int decimals) {
  if (!field || width < 1) return;
  if (decimals < 0) decimals = 0;
  if (width == 1) {
    if (SameBits(value, BLANK))
      field[0] = ' ';
    else if (value >= 0 && value < 9.5)
      field[0] = static_cast<char>('0' + static_cast<int>(value + 0.5));
    else
      field[0] = '*';
    return;
  }
  std::memset(field, ' ', static_cast<size_t>(width));
  if (SameBits(value, BLANK)) return;
  if (std::isnan(value) || value >= MARKER_MIN) return Stars(field, width);
  const bool negative = value < 0;
  double x = std::fabs(value);
  if (decimals > 0) x *= Pow10(decimals);
  if (x < 0.5) {
    // Zero, without a sign. A field too narrow for its point shows asterisks.
    if (decimals >= width) return Stars(field, width);
    if (decimals > 0) {
      std::memset(field + width - decimals, '0', static_cast<size_t>(decimals));
      field[width - decimals - 1] = '.';
      if (width - decimals > 1) field[width - decimals - 2] = '0';
    } else {
      field[width - 1] = '0';
    }
    return;
  }
  if (decimals >= width || (negative && width - decimals == 1)) return Stars(field, width);
  const double rounded = std::floor(x + 0.5000000001);
  const int digits = decimals > 0 ? width - 1 : width;
  if (!negative && rounded >= Pow10(digits)) return Stars(field, width);
  if (negative && rounded >= Pow10(digits - 1)) return Stars(field, width);

  char text[400];
  auto [end, ec] = std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, 0);
  if (ec != std::errc()) return Stars(field, width);
  const int n = static_cast<int>(end - text);
  int pos = width - 1;
  for (int k = 0; k < decimals; ++k) field[pos--] = k < n ? text[n - 1 - k] : '0';
  if (decimals > 0) field[pos--] = '.';
  bool signPlaced = false;
  if (n > decimals) {
    for (int k = n - decimals - 1; k >= 0; --k) {
      if (pos < 0) return Stars(field, width);
      field[pos--] = text[k];
    }
  } else if (negative && decimals > 0 && width - decimals == 2) {
    field[pos--] = '-';  // the sign takes the place of the 0 before the point
    signPlaced = true;
  } else if (pos >= 0) {
    field[pos--] = '0';  // only when there is room before the point (width - decimals > 1)
  }
  if (negative && !signPlaced) {
    if (pos < 0) return Stars(field, width);
    field[pos] = '-';
  }
}

double ReadFieldTransformed(const char* field, int width, int decimals, char varType, Lst* tras) {
  if (varType != 'N') return DEFAULT;
  const double number = ReadFieldNumber(field, width, decimals);
  if (!SameBits(number, DEFAULT) || !tras) return number;
  if (width < 0) width = 0;
  for (uint16_t i = 0; i < tras->count; ++i) {
    const Tra* tra = static_cast<const Tra*>(tras->NodeAt(i)->obj);
    if (!tra) continue;
    const char* source = tra->text ? tra->text : "";
    const size_t sourceLen = std::strlen(source);
    if (sourceLen == 0) return tra->value;
    const size_t n = std::max(sourceLen, static_cast<size_t>(width));
    bool match = true;
    for (size_t k = 0; k < n && match; ++k) {
      const char a = k < static_cast<size_t>(width) ? field[k] : ' ';
      const char b = k < sourceLen ? source[k] : ' ';
      match = a == b;
    }
    if (match) return tra->value;
  }
  return DEFAULT;
}

void WriteFieldTransformed(double value, char* field, int width, int decimals, char varType, Lst* tras) {
  if (varType != 'N' || !field || width < 1) return;
  std::memset(field, ' ', static_cast<size_t>(width));
  for (uint16_t i = 0; tras && i < tras->count; ++i) {
    const Tra* tra = static_cast<const Tra*>(tras->NodeAt(i)->obj);
    if (!tra || !(tra->value == value || SameBits(tra->value, value))) continue;
    const char* source = tra->text ? tra->text : "";
    const size_t n = std::min(std::strlen(source), static_cast<size_t>(width));
    std::memcpy(field, source, n);
    return;
  }
  WriteFieldNumber(value, field, width, decimals);
}
