#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "libs/util/Numbers.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Numbers, AtodReadsImpliedAndExplicitDecimals) {
  struct Case {
    const char* text;
    int decimals;
    double value;
  };
  const Case cases[] = {
      {"  25", 1, 2.5},      {"25", 0, 25},         {"-125", 2, -1.25},   {"+7", 0, 7},
      {"2.5", 3, 2.5},       {"2,5", 1, 2.5},       {" -0.75 ", 0, -0.75}, {".5", 0, 0.5},
      {"5.", 2, 5},          {"007", 1, 0.7},       {"1", 3, 0.001},      {"\t12\r\n", 0, 12},
      {"", 2, 0},            {"   ", 0, 0},         {"-", 0, 0},          {".", 0, 0},
      {"12a", 0, 0},         {"1.2.3", 0, 0},       {"1 2", 0, 0},        {"--1", 0, 0},
      {"1e5", 0, 0},         {"0.1", 0, 0.1},       {"12345678901234567", 0, 12345678901234567.0},
  };
  for (const auto& c : cases) EXPECT_EQ(atod(c.text, c.decimals), c.value) << '"' << c.text << "\" " << c.decimals;
  EXPECT_EQ(atod(nullptr, 0), 0);
  EXPECT_EQ(atod(std::string(400, '9').c_str(), 0), 0);  // beyond a double: not a number
  EXPECT_EQ(atod("25", -3), 25);                           // negative decimals count as none
}

TEST(Numbers, DtoaRoundsHalfAwayFromZero) {
  struct Case {
    double number;
    int decimals;
    char decChar;
    const char* text;
  };
  const Case cases[] = {
      {2.5, 1, ',', "2,5"},   {2.5, 0, '.', "3"},     {-2.5, 0, '.', "-3"},     {2.675, 2, '.', "2.68"},
      {0.125, 2, '.', "0.13"}, {-0.125, 2, '.', "-0.13"}, {1.005, 2, '.', "1.01"}, {9.995, 2, '.', "10.00"},
      {1.25, 4, '.', "1.2500"}, {-0.001, 2, '.', "0.00"}, {-0.0, 0, '.', "0"},     {0, 3, '\0', "0.000"},
      {123456789012.0, 0, '.', "123456789012"},           {0.1, 1, '.', "0.1"},     {1e-300, 2, '.', "0.00"},
  };
  char buffer[64];
  for (const auto& c : cases) {
    EXPECT_STREQ(dtoa(c.number, buffer, c.decimals, c.decChar, 0), c.text) << c.number << " " << c.decimals;
  }
}

TEST(Numbers, DtoaStaysInItsBufferForAnyInput) {
  char buffer[64];
  for (double n : {kNaN, kInf, -kInf, 1e300, -1e300, 1e62}) {
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_STREQ(dtoa(n, buffer, 2, '.', 0), "*") << n;
  }
  EXPECT_STREQ(dtoa(1e40, buffer, 0, '.', 0), "10000000000000000303786028427003666890752");
  EXPECT_EQ(std::strlen(dtoa(-1e30, buffer, 99, '.', 0)), 53u);  // decimals capped at 20
}

TEST(Numbers, DtocWritesFixedWidthFields) {
  struct Case {
    double number;
    int width;
    int decimals;
    char fill;
    int flags;
    const char* field;
  };
  const Case cases[] = {
      {2.5, 3, 1, ' ', 1, " 25"},     {2.5, 3, 1, '0', 1, "025"},     {0, 3, 0, ' ', 1, "  0"},
      {0.05, 3, 1, ' ', 1, "  1"},    {-5, 4, 0, ' ', 1, "  -5"},     {-5, 4, 0, '0', 1, "-005"},
      {-1.5, 3, 1, ' ', 1, "-15"},    {1234, 3, 0, ' ', 1, "***"},    {1234, 3, 0, ' ', 0, "234"},
      {-12, 2, 0, ' ', 1, "**"},      {99.95, 3, 1, ' ', 1, "***"},   {99.94, 3, 1, ' ', 1, "999"},
      {7, 1, 0, ' ', 1, "7"},         {1e300, 5, 0, ' ', 1, "*****"}, {12, 15, 2, ' ', 1, "           1200"},
  };
  char buffer[32];
  for (const auto& c : cases) {
    EXPECT_STREQ(dtoc(c.number, buffer, c.width, c.decimals, c.fill, c.flags), c.field)
        << c.number << " width " << c.width << " decimals " << c.decimals << " flags " << c.flags;
  }
  EXPECT_STREQ(dtoc(kNaN, buffer, 4, 0, ' ', 0), "****");
  EXPECT_STREQ(dtoc(-kInf, buffer, 2, 0, ' ', 1), "**");
  EXPECT_STREQ(dtoc(5, buffer, 0, 0, ' ', 1), "");
}

TEST(Numbers, TextsRoundTripThroughTheDecimalCharacter) {
  char buffer[64];
  for (int decimals = 0; decimals <= 4; ++decimals)
    for (double v : {0.0, 1.0, -3.5, 12.25, 99999.9999, -0.0625}) {
      double rounded = atod(dtoa(v, buffer, decimals, ',', 0), decimals);
      double expected = atod(dtoa(rounded, buffer, decimals, '.', 0), decimals);
      EXPECT_EQ(rounded, expected) << v << " " << decimals;
      char field[16];
      EXPECT_EQ(atod(dtoc(rounded, field, 12, decimals, '0', 1), decimals), rounded) << v << " " << decimals;
    }
}

TEST(Numbers, IgnoreTheProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma installed";
  char buffer[64];
  EXPECT_STREQ(dtoa(2.5, buffer, 1, '.', 0), "2.5");
  EXPECT_EQ(atod("2.5", 0), 2.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
