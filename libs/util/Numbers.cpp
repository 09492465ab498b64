#include "libs/util/Numbers.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Decimal places a caller may ask for; more say nothing a double can hold.
constexpr int kMaxDecimals = 20;
// dtoa's result must fit its 64-byte buffer with the terminating NUL.
constexpr size_t kDtoaCapacity = 63;

int ClampDecimals(int decimals) {
  if (decimals < 0) return 0;
  return decimals > kMaxDecimals ? kMaxDecimals : decimals;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "digits[.digits]" (already stripped of blanks and sign) scaled by 10^-exponent.
double ParseUnsigned(std::string_view digits, int exponent) {
  std::string text(digits);
  if (exponent != 0) text += "e-" + std::to_string(exponent);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return 0;  // out of range too
  return value;
}

// Adds one to the last digit of digits, carrying to the left; may grow by a leading '1'.
void IncrementDigits(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

struct Rounded {
  bool negative = false;
  std::string whole;     // at least one digit
  std::string fraction;  // exactly the requested number of digits
};

// number rounded half away from zero to `decimals` places. The rounding works on the
// shortest decimal text that reads back as number, so 2.675 rounds to 2.68 as written,
// not as the nearest binary value 2.67499... would. Requires a finite number.
Rounded RoundDecimal(double number, int decimals) {
  char text[400];  // the longest fixed-notation double is about 330 characters
  auto [end, ec] = std::to_chars(text, text + sizeof text, std::fabs(number), std::chars_format::fixed);
  std::string_view shortest(text, ec == std::errc() ? static_cast<size_t>(end - text) : 0);
  size_t point = shortest.find('.');
  Rounded r;
  r.whole = std::string(shortest.substr(0, point));
  if (r.whole.empty()) r.whole = "0";
  std::string fraction = point == std::string_view::npos ? std::string() : std::string(shortest.substr(point + 1));

  bool roundUp = fraction.size() > static_cast<size_t>(decimals) && fraction[decimals] >= '5';
  fraction.resize(static_cast<size_t>(decimals), '0');
  if (roundUp) {
    std::string all = r.whole + fraction;
    IncrementDigits(all);
    r.whole = all.substr(0, all.size() - fraction.size());
    fraction = all.substr(r.whole.size());
  }
  r.fraction = std::move(fraction);
  bool zero = r.whole.find_first_not_of('0') == std::string::npos &&
              r.fraction.find_first_not_of('0') == std::string::npos;
  r.negative = std::signbit(number) && !zero;  // never "-0"
  return r;
}

char* CopyOut(const std::string& text, char* buffer) {
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return buffer;
}

}  // namespace

double atod(const char* text, int decimals) {
  if (!text) return 0;
  std::string_view s(text);
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }

  std::string digits;
  bool explicitPoint = false;
  bool anyDigit = false;
  for (char c : s) {
    if (IsDigit(c)) {
      digits.push_back(c);
      anyDigit = true;
    } else if ((c == '.' || c == ',') && !explicitPoint) {
      digits.push_back('.');
      explicitPoint = true;
    } else {
      return 0;
    }
  }
  if (!anyDigit) return 0;
  if (digits.front() == '.') digits.insert(digits.begin(), '0');
  double value = ParseUnsigned(digits, explicitPoint ? 0 : ClampDecimals(decimals));
  return negative ? -value : value;
}

char* dtoa(double number, char* buffer, int decimals, char decChar, int /*flags*/) {
  if (!buffer) return buffer;
  if (!std::isfinite(number)) return CopyOut("*", buffer);
  decimals = ClampDecimals(decimals);
  Rounded r = RoundDecimal(number, decimals);
  std::string text = r.negative ? "-" : "";
  text += r.whole;
  if (decimals > 0) {
    text.push_back(decChar ? decChar : '.');
    text += r.fraction;
  }
  if (text.size() > kDtoaCapacity) return CopyOut("*", buffer);
  return CopyOut(text, buffer);
}

char* dtoc(double number, char* buffer, int width, int decimals, char fill, int flags) {
  if (!buffer) return buffer;
  if (width <= 0) return CopyOut("", buffer);
  const size_t w = static_cast<size_t>(width);
  if (!std::isfinite(number)) return CopyOut(std::string(w, '*'), buffer);

  Rounded r = RoundDecimal(number, ClampDecimals(decimals));
  std::string digits = r.whole + r.fraction;
  size_t firstSignificant = digits.find_first_not_of('0');
  digits.erase(0, firstSignificant == std::string::npos ? digits.size() - 1 : firstSignificant);

  std::string field;
  if (r.negative && fill != ' ') {
    // The sign leads the field so that a zero-filled number still reads back ("-005").
    field = "-" + std::string(w > digits.size() + 1 ? w - digits.size() - 1 : 0, fill) + digits;
  } else {
    std::string text = (r.negative ? "-" : "") + digits;
    field = std::string(w > text.size() ? w - text.size() : 0, fill) + text;
  }
  if (field.size() > w) field = flags == 1 ? std::string(w, '*') : field.substr(field.size() - w);
  return CopyOut(field, buffer);
}

char ReadLocaleDecimalChar() {
  // The user's numeric locale decides, as the old program read it from its settings;
  // the process locale itself stays "C" so that number formatting elsewhere is fixed.
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return '.';
  const char* point = nl_langinfo_l(RADIXCHAR, user);
  char c = (point && point[0] != '\0') ? point[0] : '.';
  freelocale(user);
  return c;
}
