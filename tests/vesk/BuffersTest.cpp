// The numeric field reader and writer, transformations, and the occurrence buffers (Sex,
// Vax, Grx, Kex) over dictionaries written by the builder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "VeskTestSupport.h"

using namespace vesktest;

// Reaches the private range check of a variable buffer.
class VaxProbe {
 public:
  static int16_t InRanges(Vax& vax, double v) { return vax.InRanges(v); }
};

namespace {

// A value or a marker by name, printed readably when a case fails.
std::string Show(double v) {
  if (SameBits(v, BLANK)) return "BLANK";
  if (SameBits(v, DEFAULT)) return "DEFAULT";
  if (SameBits(v, MISSING)) return "MISSING";
  if (SameBits(v, NOTAPPL)) return "NOTAPPL";
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

bool SameValue(double a, double b) { return SameBits(a, b) || std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)); }

TEST(FieldNumbers, ReaderTable) {
  struct Case {
    const char* text;
    int decimals;
    double expected;
  } cases[] = {
      // width 1
      {" ", 0, BLANK}, {"7", 0, 7}, {"7", 2, 7}, {"-", 0, DEFAULT}, {".", 0, DEFAULT}, {"x", 0, DEFAULT},
      // width 2
      {"07", 0, 7}, {"07", 1, 0.7}, {"12", 2, 12}, {" 7", 0, 7}, {"7 ", 0, 7}, {"7 ", 1, 7}, {"  ", 0, BLANK},
      {"-7", 0, -7}, {".7", 0, 0.7}, {",7", 1, 0.7}, {"7.", 0, 7}, {"7,", 0, 7}, {"7-", 0, DEFAULT},
      {"--", 0, DEFAULT}, {"ab", 0, DEFAULT}, {". ", 0, DEFAULT},
      // wider: blanks, implied decimals and trailing blanks
      {"  123", 2, 1.23}, {"12.5 ", 0, 12.5}, {"12.5 ", 2, 12.5}, {"123  ", 2, 123}, {"123 ", 2, 12.3},
      {"123  ", 1, 123}, {"  123", 0, 123}, {"00000", 0, 0}, {"     ", 2, BLANK}, {"   ", 0, BLANK},
      // signs and points
      {"  -12", 0, -12}, {" -1.5", 0, -1.5}, {"  ,25", 0, 0.25}, {"-.5  ", 0, -0.5}, {"-.50", 2, -0.5},
      {"3,75", 0, 3.75}, {"-0", 3, -0.0},
      // not numbers
      {"12.", 0, DEFAULT}, {"1 2", 0, DEFAULT}, {"- 5", 0, DEFAULT}, {"  -  ", 0, DEFAULT}, {"1.2.3", 0, DEFAULT},
      {"+5 ", 0, DEFAULT}, {"1.x", 0, DEFAULT}, {"--1", 0, DEFAULT}, {"5-", 0, DEFAULT}, {" . ", 0, DEFAULT},
      // the widest field
      {"123456789012345", 0, 123456789012345.0}, {"123456789012345", 5, 1234567890.12345},
  };
  for (const Case& c : cases) {
    const double got = ReadFieldNumber(c.text, static_cast<int>(std::strlen(c.text)), c.decimals);
    EXPECT_TRUE(SameValue(got, c.expected)) << '"' << c.text << "\" d=" << c.decimals << ": " << Show(got);
  }
}

TEST(FieldNumbers, ReaderNeverLooksPastTheWidth) {
  // The characters after the field would change the value if they were read.
  EXPECT_EQ(ReadFieldNumber("12345", 3, 0), 123);
  EXPECT_EQ(ReadFieldNumber("1.5xx", 3, 0), 1.5);
  EXPECT_TRUE(SameBits(ReadFieldNumber("", 0, 0), BLANK));
  EXPECT_TRUE(SameBits(ReadFieldNumber("7", -4, 0), BLANK));
  EXPECT_TRUE(SameBits(ReadFieldNumber(nullptr, 5, 0), BLANK));
  // Implied decimals beyond the table of powers of ten are computed, not looked up.
  EXPECT_DOUBLE_EQ(ReadFieldNumber("  123", 5, 200), 123e-200);
}

TEST(FieldNumbers, WriterTable) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double value;
    int width, decimals;
    const char* expected;
  } cases[] = {
      // width 1
      {BLANK, 1, 0, " "}, {2.5, 1, 0, "3"}, {9.4, 1, 0, "9"}, {9.5, 1, 0, "*"}, {-1, 1, 0, "*"},
      {0, 1, 0, "0"}, {MISSING, 1, 0, "*"},
      // rounding
      {3.14159, 6, 2, "  3.14"}, {2.675, 5, 2, " 2.68"}, {0.5, 3, 0, "  1"}, {0.05, 3, 1, "0.1"},
      {12.3, 4, 1, "12.3"}, {7, 2, 0, " 7"}, {999, 3, 0, "999"}, {12.34, 5, 2, "12.34"}, {123, 5, 2, "*****"},
      // zero
      {0, 3, 0, "  0"}, {0, 5, 2, " 0.00"}, {0, 3, 2, ".00"}, {-0.001, 5, 2, " 0.00"}, {0.004, 4, 2, "0.00"},
      {0, 2, 2, "**"},
      // the sign's place
      {-0.5, 4, 2, "-.50"}, {-0.05, 3, 1, "-.1"}, {-1.5, 5, 1, " -1.5"}, {-12, 3, 0, "-12"}, {-7, 2, 0, "-7"},
      {-0.5, 5, 2, "-0.50"},
      // no room for the 0 before the point
      {0.25, 2, 1, ".3"}, {0.5, 3, 2, ".50"}, {0.01, 3, 2, ".01"},
      // asterisks on overflow
      {1000, 3, 0, "***"}, {-123, 3, 0, "***"}, {123.4, 4, 1, "****"}, {-5, 2, 1, "**"}, {5, 2, 2, "**"},
      {99.996, 5, 2, "*****"}, {-10, 5, 2, "*****"}, {-9.99, 5, 2, "-9.99"},
      // markers and other values that are no data
      {BLANK, 5, 0, "     "}, {MISSING, 5, 0, "*****"}, {DEFAULT, 3, 1, "***"}, {nan, 4, 0, "****"},
      {std::numeric_limits<double>::infinity(), 3, 0, "***"}, {-std::numeric_limits<double>::infinity(), 3, 0, "***"},
      // wider than the table of powers of ten
      {123456789012345678.0, 20, 0, "  123456789012345680"},
  };
  for (const Case& c : cases) {
    std::string field(static_cast<size_t>(c.width) + 2, '#');
    WriteFieldNumber(c.value, field.data() + 1, c.width, c.decimals);
    EXPECT_EQ(field, "#" + std::string(c.expected) + "#") << Show(c.value) << " w=" << c.width << " d=" << c.decimals;
  }
}

TEST(FieldNumbers, WrittenValuesReadBackAsThemselves) {
  const double values[] = {0, 1, -1, 0.25, -0.25, 12.5, -12.5, 99.99, 123.45, -9.99, 7};
  for (int width = 2; width <= 8; ++width) {
    for (int decimals = 0; decimals < width; ++decimals) {
      for (double v : values) {
        std::string field(static_cast<size_t>(width), ' ');
        WriteFieldNumber(v, field.data(), width, decimals);
        if (field.find('*') != std::string::npos) continue;
        const double scale = std::pow(10.0, decimals);
        const double back = ReadFieldNumber(field.data(), width, decimals);
        EXPECT_EQ(std::llround(back * scale), std::llround(v * scale))
            << v << " w=" << width << " d=" << decimals << " \"" << field << '"';
      }
    }
  }
}

// ---------------------------------------------------------------- buffers over a dictionary

// PERSON: a single section (code 2 at column 4) with a group of 3 occurrences, 17 columns;
// HH: a repeating section (code 1, 0 to 3 occurrences), 12 columns.
VeskBuilder Survey() {
  VeskBuilder b;
  b.Header(OneLevel());
  b.Section({.name = "PERSON", .code = "2", .minOcc = 1, .maxOcc = 1, .groupOcc = 3});
  b.Variable({.name = "ID", .start = 1, .len = 3});
  b.Variable({.name = "AGE", .start = 5, .len = 2, .missing = 99, .notAppl = 98, .ranges = {{0, 90}}});
  b.Variable({.name = "INCOME", .start = 7, .len = 5, .decimals = 2});
  b.Variable({.name = "KID", .kind = 'M', .start = 12, .len = 2, .zeroFill = true});
  b.Variable({.name = "KNAME", .type = 'A', .kind = 'M', .start = 14, .len = 1});
  b.Section({.name = "HH", .code = "1", .minOcc = 0, .maxOcc = 3});
  b.Variable({.name = "ROOMS", .start = 5, .len = 2, .transformation = "\"XX\" 10 \"Y\" 20"});
  b.Variable({.name = "NOTE", .type = 'A', .start = 7, .len = 6});
  b.Key({.vars = {"ID", "AGE"}});
  return b;
}

struct Loaded {
  TempDir dir;
  std::unique_ptr<Dic> dic;
  explicit Loaded(const VeskBuilder& b) {
    short result = 0;
    dic = Load(dir, b, &result);
    EXPECT_EQ(result, 1) << dic->status;
  }
  Sec* Section(const char* name) { return dic->GetSec(name); }
  Var* Variable(const char* name) { return dic->GetVar(name); }
};

// A section buffer with a variable buffer for each variable, listed under their names.
struct Buffers {
  Sex sex;
  Lst vaxes;
  explicit Buffers(Sec* sec) : sex(sec) {
    for (uint16_t i = 0; sec->vars && i < sec->vars->count; ++i) {
      Var* var = VarOf(sec->vars, i);
      vaxes.Put(var->name, new Vax(var, &sex));
    }
  }
  Vax* operator[](const char* name) { return FindVax(&vaxes, name); }
  std::string Record(short i) { return std::string(sex.Addr(i), static_cast<size_t>(sex.secLen)); }
  void SetRecord(short i, const std::string& text) {
    std::string padded = text;
    padded.resize(static_cast<size_t>(sex.secLen), ' ');
    std::memcpy(sex.Addr(i), padded.data(), padded.size());
  }
};

TEST(Sex, HoldsEveryOccurrenceBlankWithTheSectionCode) {
  Loaded d(Survey());
  Sex person(d.Section("PERSON"));
  EXPECT_EQ(person.status, Sex::kOk);
  EXPECT_EQ(person.secLen, 20);  // the group starts at 12; 3 occurrences of KID and KNAME
  EXPECT_EQ(person.MaxOcc(), 1);
  ASSERT_NE(person.Addr(0), nullptr);
  EXPECT_EQ(std::string(person.Addr(0), 20), "   2                ");
  EXPECT_EQ(person.Addr(1), nullptr);
  EXPECT_EQ(person.Addr(-1), nullptr);  // a negative position gives null, not memory before the buffer

  Sex hh(d.Section("HH"));
  EXPECT_EQ(hh.secLen, 12);
  EXPECT_EQ(hh.MaxOcc(), 3);
  for (short i = 0; i < 3; ++i) EXPECT_EQ(std::string(hh.Addr(i), 12), "   1        ");
  EXPECT_EQ(hh.Addr(3), nullptr);
  EXPECT_EQ(hh.Addr(-32768), nullptr);

  std::memset(hh.Addr(1), 'x', 12);
  hh.numOcc = 2;
  hh.ClearOcc(1);
  EXPECT_EQ(std::string(hh.Addr(1), 12), "   1        ");
  hh.ClearOcc(3);   // outside: nothing happens
  hh.ClearOcc(-1);
  std::memset(hh.Addr(2), 'x', 12);
  hh.Clear();
  EXPECT_EQ(hh.numOcc, 0);
  EXPECT_EQ(std::string(hh.Addr(2), 12), "   1        ");
}

TEST(Sex, InsertAndDeleteFollowTheirRules) {
  Loaded d(Survey());
  Buffers hh(d.Section("HH"));
  Sex& sex = hh.sex;
  struct Step {
    const char* op;  // I insert, D delete, U update, N set count
    short arg;
    short result;
    uint16_t status;
    int16_t numOcc;
  } steps[] = {
      {"I", 0, 0, Sex::kOccOutOfRange, 0},   // an empty buffer takes no insertion
      {"I", -1, 0, Sex::kOccNotAllowed, 0},
      {"D", 0, 0, Sex::kOccNotAllowed, 0},   // nothing to delete
      {"U", 1, 1, Sex::kOccOutOfRange, 2},   // status untouched by a success
      {"I", 2, 0, Sex::kOccOutOfRange, 2},   // not below numOcc
      {"I", 0, 1, Sex::kOccOutOfRange, 3},
      {"I", 0, 0, Sex::kOccOutOfRange, 3},   // full
      {"D", 3, 0, Sex::kOccOutOfRange, 3},
      {"D", -2, 0, Sex::kOccNotAllowed, 3},
      {"D", 1, 1, Sex::kOccNotAllowed, 2},
      {"U", 3, 0, Sex::kOccOutOfRange, 2},   // beyond the maximum: refused
      {"N", 4, 0, Sex::kOccOutOfRange, 2},
      {"N", 0, 1, Sex::kOccOutOfRange, 0},   // the minimum is 0
      {"D", 0, 0, Sex::kOccNotAllowed, 0},
  };
  int n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(n++) + " " + s.op + std::to_string(s.arg));
    if (n == 6) {  // before the first insertion: mark the two used occurrences
      hh.SetRecord(0, "   1AA");
      hh.SetRecord(1, "   1BB");
    }
    short result = s.op[0] == 'I' ? sex.Insert(s.arg)
                   : s.op[0] == 'D' ? sex.Delete(s.arg)
                   : s.op[0] == 'U' ? sex.UpdateOcc(s.arg)
                                    : sex.SetNumOcc(s.arg);
    EXPECT_EQ(result, s.result);
    if (s.result == 0) {
      EXPECT_EQ(sex.status, s.status);
    }
    EXPECT_EQ(sex.numOcc, s.numOcc);
    if (n == 6) {  // the occurrences moved up and the gap is blank
      EXPECT_EQ(hh.Record(0), "   1        ");
      EXPECT_EQ(hh.Record(1), "   1AA      ");
      EXPECT_EQ(hh.Record(2), "   1BB      ");
    }
    if (n == 10) {  // the last ones moved down and the freed one is blank
      EXPECT_EQ(hh.Record(0), "   1        ");
      EXPECT_EQ(hh.Record(1), "   1BB      ");
      EXPECT_EQ(hh.Record(2), "   1        ");
    }
  }

  // A single section whose minimum is 1 takes neither; UpdateOcc makes its one record used.
  Sex person(d.Section("PERSON"));
  EXPECT_EQ(person.UpdateOcc(4), 1);
  EXPECT_EQ(person.numOcc, 1);
  EXPECT_EQ(person.Insert(0), 0);
  EXPECT_EQ(person.status, Sex::kOccNotAllowed);
  EXPECT_EQ(person.Delete(0), 0);
  EXPECT_EQ(person.status, Sex::kOccNotAllowed);
}

TEST(Sex, DeleteStopsAtTheSectionsMinimum) {
  VeskBuilder b;
  b.Header(OneLevel());
  b.Section({.name = "R", .code = "1", .minOcc = 2, .maxOcc = 4});
  b.Variable({.name = "V", .start = 5, .len = 1});
  Loaded d(b);
  Sex sex(d.Section("R"));
  EXPECT_EQ(sex.SetNumOcc(1), 0);
  EXPECT_EQ(sex.SetNumOcc(3), 1);
  EXPECT_EQ(sex.Delete(0), 1);
  EXPECT_EQ(sex.Delete(0), 0);
  EXPECT_EQ(sex.status, Sex::kOccNotAllowed);
  EXPECT_EQ(sex.numOcc, 2);
}

TEST(Vax, FieldsOfSingleMultipleAndRepeatingVariables) {
  Loaded d(Survey());
  Buffers person(d.Section("PERSON"));
  Vax* age = person["AGE"];
  Vax* kid = person["KID"];
  Vax* kname = person["KNAME"];
  EXPECT_EQ(age->status, Vax::kOk);
  EXPECT_EQ(age->Count(), 1);
  EXPECT_EQ(age->Addr(0), person.sex.Addr(0) + 4);
  EXPECT_EQ(age->Addr(1), nullptr);
  EXPECT_EQ(age->Addr(-1), nullptr);  // a negative position gives null
  EXPECT_TRUE(SameBits(age->values[0], DEFAULT));
  // The group's occurrence is KID and KNAME, three columns: occurrence i at 12 + 3i.
  ASSERT_EQ(kid->Count(), 3);
  for (short i = 0; i < 3; ++i) {
    EXPECT_EQ(kid->Addr(i), person.sex.Addr(0) + 11 + 3 * i);
    EXPECT_EQ(kname->Addr(i), person.sex.Addr(0) + 13 + 3 * i);
  }
  EXPECT_EQ(kid->Addr(3), nullptr);

  Buffers hh(d.Section("HH"));
  Vax* rooms = hh["ROOMS"];
  ASSERT_EQ(rooms->Count(), 3);
  for (short i = 0; i < 3; ++i) EXPECT_EQ(rooms->Addr(i), hh.sex.Addr(i) + 4);
}

TEST(Vax, CharToDoubleMapsBlanksAndCodes) {
  Loaded d(Survey());
  Buffers person(d.Section("PERSON"));
  struct Case {
    const char* record;  // the whole record of PERSON
    double age, income, kid0, kid1, kid2;
  } cases[] = {
      {"0012 7 1234 1a 2b 3c", 7, 12.34, 1, 2, 3},
      {"001299 12.5", MISSING, 12.5, 0, 0, 0},  // blank kids are zero filled
      {"001298-1.25xx", NOTAPPL, -1.25, DEFAULT, 0, 0},
      {"0012  ..... 7", DEFAULT, DEFAULT, 7, 0, 0},  // blank age: no zero fill, so DEFAULT
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    person.SetRecord(0, c.record);
    person.sex.UpdateOcc(0);
    for (const char* name : {"AGE", "INCOME", "KID"}) person[name]->CharToDouble();
    EXPECT_EQ(Show(person["AGE"]->values[0]), Show(c.age));
    EXPECT_EQ(Show(person["INCOME"]->values[0]), Show(c.income));
    EXPECT_EQ(Show(person["KID"]->values[0]), Show(c.kid0));
    EXPECT_EQ(Show(person["KID"]->values[1]), Show(c.kid1));
    EXPECT_EQ(Show(person["KID"]->values[2]), Show(c.kid2));
  }
  // The raw value keeps what the field showed before the codes mapped it.
  person.SetRecord(0, "0012");
  EXPECT_TRUE(SameBits(person["AGE"]->ReadRaw(0), BLANK));
  EXPECT_TRUE(SameBits(person["AGE"]->ReadRaw(7), BLANK));
  // An alpha variable keeps its values.
  person["KNAME"]->CharToDouble();
  EXPECT_TRUE(SameBits(person["KNAME"]->values[0], DEFAULT));
}

TEST(Vax, RepeatingSectionReadsOnlyItsUsedOccurrences) {
  Loaded d(Survey());
  Buffers hh(d.Section("HH"));
  hh.SetRecord(0, "   1 5");
  hh.SetRecord(1, "   1 6");
  hh.SetRecord(2, "   1 7");
  hh.sex.UpdateOcc(1);
  hh["ROOMS"]->CharToDouble();
  EXPECT_EQ(hh["ROOMS"]->values[0], 5);
  EXPECT_EQ(hh["ROOMS"]->values[1], 6);
  EXPECT_TRUE(SameBits(hh["ROOMS"]->values[2], DEFAULT));
}

TEST(Vax, DoubleToCharWritesCodesBack) {
  Loaded d(Survey());
  Buffers person(d.Section("PERSON"));
  Vax* age = person["AGE"];
  Vax* kid = person["KID"];
  struct Case {
    double value;
    const char* field;
  } ageCases[] = {{7, " 7"}, {MISSING, "99"}, {NOTAPPL, "98"}, {DEFAULT, "**"}, {BLANK, "**"}, {150, "**"}};
  for (const Case& c : ageCases) {
    age->values[0] = c.value;
    age->DoubleToChar();
    EXPECT_EQ(std::string(age->Addr(0), 2), c.field) << Show(c.value);
  }
  // Zero of a zero-filled variable is written as a blank field; the other occurrences too.
  kid->values[0] = 0;
  kid->values[1] = 4;
  kid->values[2] = -3;
  kid->DoubleToChar();
  EXPECT_EQ(person.Record(0).substr(11), "    4 -3 ");
  // A missing code read back is MISSING again.
  person.SetRecord(0, "001299");
  age->CharToDouble();
  EXPECT_TRUE(SameBits(age->values[0], MISSING));
  age->DoubleToChar();
  EXPECT_EQ(person.Record(0).substr(4, 2), "99");
}

TEST(Vax, ClearOccUpdateOccAndSetNumOcc) {
  Loaded d(Survey());
  Buffers person(d.Section("PERSON"));
  ASSERT_EQ(person.sex.DoGrx(&person.vaxes), 1);
  Vax* kid = person["KID"];
  Vax* age = person["AGE"];
  person.SetRecord(0, "0012 7     11a22b33c");
  kid->values[1] = 2;
  kid->ClearOcc(1);
  EXPECT_EQ(person.Record(0).substr(11), "11a  b33c");
  EXPECT_TRUE(SameBits(kid->values[1], DEFAULT));
  kid->ClearOcc(3);
  kid->ClearOcc(-1);

  EXPECT_EQ(age->UpdateOcc(5), 1);  // single in a single section: one
  EXPECT_EQ(age->numOcc, 1);
  EXPECT_EQ(kid->UpdateOcc(1), 1);
  EXPECT_EQ(kid->numOcc, 2);
  EXPECT_EQ(person.sex.grx->numOcc, 2);  // the group follows its variables
  EXPECT_EQ(kid->UpdateOcc(3), 0);      // beyond its occurrences
  EXPECT_EQ(kid->numOcc, 2);
  EXPECT_EQ(kid->SetNumOcc(0), 1);
  EXPECT_EQ(kid->SetNumOcc(4), 0);
  EXPECT_EQ(kid->SetNumOcc(3), 1);
  EXPECT_EQ(age->SetNumOcc(2), 0);  // the section's minimum to maximum: 1 to 1
  EXPECT_EQ(age->SetNumOcc(1), 1);

  Buffers hh(d.Section("HH"));
  EXPECT_EQ(hh["ROOMS"]->UpdateOcc(2), 1);
  EXPECT_EQ(hh["ROOMS"]->numOcc, 3);
  EXPECT_EQ(hh["ROOMS"]->SetNumOcc(0), 1);
  EXPECT_EQ(hh["ROOMS"]->SetNumOcc(4), 0);
}

TEST(Vax, TransformationsReadAndWrite) {
  Loaded d(Survey());
  Buffers hh(d.Section("HH"));
  Vax* rooms = hh["ROOMS"];
  Var* var = d.Variable("ROOMS");
  struct Read {
    const char* field;
    double expected;
  } reads[] = {{" 4", 4}, {"XX", 10}, {"Y ", 20}, {" Y", DEFAULT}, {"Z ", DEFAULT}, {"  ", BLANK}};
  for (const Read& r : reads) {
    EXPECT_EQ(Show(ReadFieldTransformed(r.field, 2, 0, 'N', var->tras)), Show(r.expected)) << r.field;
  }
  EXPECT_TRUE(SameBits(ReadFieldTransformed(" 4", 2, 0, 'A', var->tras), DEFAULT));
  // A source longer than the field still matches when the rest is blank, and not otherwise.
  Tra longer("AB  ", 5), cut("ABC", 6);
  Lst list;
  list.ownsObjects = 0;
  list.Put("AB  ", &longer);
  list.Put("ABC", &cut);
  EXPECT_EQ(ReadFieldTransformed("AB", 2, 0, 'N', &list), 5);

  struct Write {
    double value;
    const char* field;
  } writes[] = {{10, "XX"}, {20, "Y "}, {4, " 4"}, {DEFAULT, "**"}};
  for (const Write& w : writes) {
    char field[3] = "##";
    WriteFieldTransformed(w.value, field, 2, 0, 'N', var->tras);
    EXPECT_STREQ(field, w.field) << Show(w.value);
  }
  char alpha[3] = "##";
  WriteFieldTransformed(10, alpha, 2, 0, 'A', var->tras);
  EXPECT_STREQ(alpha, "##");

  // Through the buffer: read with the recodes, written back as their texts.
  hh.SetRecord(0, "   1XX");
  hh.sex.UpdateOcc(0);
  rooms->CharToDouble();
  EXPECT_EQ(rooms->values[0], 10);
  rooms->values[0] = 20;
  rooms->DoubleToChar();
  EXPECT_EQ(hh.Record(0).substr(4, 2), "Y ");
}

TEST(Vax, ElseStandsFirstAndTakesAnyField) {
  VeskBuilder b;
  b.Header(OneLevel());
  b.Section({.name = "S", .code = "1"});
  b.Variable({.name = "V", .start = 5, .len = 2, .transformation = "\"M\" 1 ELSE 9"});
  Loaded d(b);
  Var* var = d.Variable("V");
  EXPECT_EQ(ReadFieldTransformed("M ", 2, 0, 'N', var->tras), 9);
  EXPECT_EQ(ReadFieldTransformed("zz", 2, 0, 'N', var->tras), 9);
  EXPECT_EQ(ReadFieldTransformed("12", 2, 0, 'N', var->tras), 12);
  char field[3] = "##";
  WriteFieldTransformed(9, field, 2, 0, 'N', var->tras);
  EXPECT_STREQ(field, "  ");
  WriteFieldTransformed(1, field, 2, 0, 'N', var->tras);
  EXPECT_STREQ(field, "M ");
}

TEST(Vax, CheckValAndInRanges) {
  VeskBuilder b;
  b.Header(OneLevel());
  b.Section({.name = "S", .code = "1"});
  b.Variable({.name = "R", .start = 5, .len = 1, .missing = 7, .notAppl = 6, .dflt = 5, .ranges = {{1, 5}, {8, 9}}});
  b.Variable({.name = "W2", .start = 6, .len = 2});
  b.Variable({.name = "W5D2", .start = 8, .len = 5, .decimals = 2});
  b.Variable({.name = "W4D2", .start = 13, .len = 4, .decimals = 2});
  b.Variable({.name = "W3D2", .start = 17, .len = 3, .decimals = 2});
  b.Variable({.name = "W1", .start = 20, .len = 1, .zeroFill = true});
  b.Variable({.name = "W16", .start = 21, .len = 16});
  Loaded d(b);
  Buffers s(d.Section("S"));
  struct Case {
    const char* var;
    double value;
    int check;
  } cases[] = {
      {"R", 8, 4}, {"R", 6, 3}, {"R", 7, 1}, {"R", 5, 2}, {"R", 9, 4}, {"R", 10, 5}, {"R", 0, 5}, {"R", 1, 4},
      {"R", DEFAULT, 2}, {"R", MISSING, 2}, {"R", BLANK, 2},  // MISSING is not this variable's code
      {"W2", 99, 4}, {"W2", 100, 5}, {"W2", -9, 4}, {"W2", -10, 5}, {"W2", MISSING, 1}, {"W2", NOTAPPL, 3},
      {"W5D2", 99.99, 4}, {"W5D2", 100, 5}, {"W5D2", -9.99, 4}, {"W5D2", -10, 5},
      {"W4D2", 9.99, 4}, {"W4D2", 0, 4}, {"W4D2", -0.01, 5}, {"W4D2", 10, 5},
      {"W3D2", 0, 5},                                  // no room for an integer digit
      {"W1", 9, 4}, {"W1", 0, 4}, {"W1", -1, 5}, {"W1", BLANK, 4},  // zero fill: blank is 0
      {"W16", 1e40, 4}, {"W16", -1e40, 4},             // no limit past 15 characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s[c.var]->CheckVal(c.value), c.check) << c.var << " " << Show(c.value);
  }
  // InRanges itself: the ranges, then the field's own bounds.
  EXPECT_EQ(VaxProbe::InRanges(*s["R"], 8), 1);
  EXPECT_EQ(VaxProbe::InRanges(*s["R"], 6), 0);
  EXPECT_EQ(VaxProbe::InRanges(*s["R"], 5), 1);
  EXPECT_EQ(VaxProbe::InRanges(*s["W3D2"], 0), 0);
  EXPECT_EQ(VaxProbe::InRanges(*s["W2"], -9), 1);
}

TEST(Grx, InsertAndDeleteMoveEveryGroupVariable) {
  Loaded d(Survey());
  Buffers person(d.Section("PERSON"));
  ASSERT_EQ(person.sex.DoGrx(&person.vaxes), 1);
  Grx* grx = person.sex.grx;
  ASSERT_NE(grx, nullptr);
  EXPECT_EQ(grx->vaxes->count, 2);
  Vax* kid = person["KID"];
  person.SetRecord(0, "0012       11a22b");
  kid->values[0] = 1;
  kid->values[1] = 2;

  EXPECT_EQ(grx->Insert(0), 0);  // nothing used yet
  EXPECT_EQ(grx->status, Grx::kOccOutOfRange);
  EXPECT_EQ(grx->Insert(-1), 0);
  EXPECT_EQ(grx->status, Grx::kOccNotAllowed);
  EXPECT_EQ(grx->UpdateOcc(1), 1);
  EXPECT_EQ(grx->Delete(-1), 0);
  EXPECT_EQ(grx->status, Grx::kOccNotAllowed);
  EXPECT_EQ(grx->Insert(0), 1);
  EXPECT_EQ(grx->numOcc, 3);
  EXPECT_EQ(person.Record(0).substr(11), "   11a22b");
  EXPECT_TRUE(SameBits(kid->values[0], DEFAULT));
  EXPECT_EQ(kid->values[1], 1);
  EXPECT_EQ(kid->values[2], 2);
  EXPECT_EQ(grx->Insert(0), 0);  // full
  EXPECT_EQ(grx->status, Grx::kOccOutOfRange);
  EXPECT_EQ(grx->Delete(3), 0);
  EXPECT_EQ(grx->status, Grx::kOccOutOfRange);
  EXPECT_EQ(grx->Delete(1), 1);
  EXPECT_EQ(person.Record(0).substr(11), "   22b   ");
  EXPECT_EQ(kid->values[1], 2);
  EXPECT_TRUE(SameBits(kid->values[2], DEFAULT));
  EXPECT_EQ(grx->Delete(0), 1);
  EXPECT_EQ(grx->numOcc, 1);
  EXPECT_EQ(person.Record(0).substr(11), "22b      ");
  EXPECT_EQ(grx->Delete(0), 0);  // the only occurrence stays
  EXPECT_EQ(grx->status, Grx::kOccNotAllowed);
  EXPECT_EQ(grx->UpdateOcc(3), 0);  // beyond the group
  EXPECT_EQ(grx->numOcc, 1);
  EXPECT_EQ(grx->SetNumOcc(0), 0);
  EXPECT_EQ(grx->SetNumOcc(4), 0);
  EXPECT_EQ(grx->SetNumOcc(3), 1);
  grx->ClearOcc(0);
  EXPECT_EQ(person.Record(0).substr(11), "         ");
  grx->ClearOcc(3);
}

TEST(Grx, RefusalsWhenBuilt) {
  VeskBuilder b;
  b.Header(OneLevel());
  b.Section({.name = "R", .code = "1", .minOcc = 0, .maxOcc = 4, .groupOcc = 2});
  b.Variable({.name = "M1", .kind = 'M', .start = 5, .len = 1});
  Loaded d(b);
  Buffers r(d.Section("R"));
  ASSERT_EQ(r.sex.DoGrx(&r.vaxes), 1);
  r.sex.grx->UpdateOcc(1);
  EXPECT_EQ(r.sex.grx->Insert(0), 0);  // in a repeating section
  EXPECT_EQ(r.sex.grx->status, Grx::kRepeatingSection);
  EXPECT_EQ(r.sex.grx->Delete(0), 0);
  EXPECT_EQ(r.sex.grx->status, Grx::kRepeatingSection);

  Lst none;
  EXPECT_EQ(r.sex.DoGrx(&none), 0);  // the group variable has no buffer
  EXPECT_EQ(r.sex.status, Grx::kNoVax);
  Grp empty(d.Section("R"));
  Grx noVars(&empty, &r.vaxes);
  EXPECT_EQ(noVars.status, Grx::kNoVars);

  Loaded s(Survey());
  Sex hh(s.Section("HH"));
  EXPECT_EQ(hh.DoGrx(nullptr), 1);  // no group: nothing to build
  EXPECT_EQ(hh.grx, nullptr);
}

TEST(Kex, DoKeyJoinsTheKeyVariablesAndEndsWithANul) {
  Loaded d(Survey());
  Buffers person(d.Section("PERSON"));
  Key* key = d.dic->GetKey(0);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->keyLen, 5);
  Kex kex(key, &person.vaxes);
  EXPECT_EQ(kex.status, Kex::kOk);
  EXPECT_EQ(kex.vaxes->count, 2);
  std::memset(kex.keyBuf, 'x', 6);
  kex.DoKey();
  EXPECT_STREQ(kex.keyBuf, "*****");  // values not yet set are DEFAULT
  person["ID"]->values[0] = 12;
  person["AGE"]->values[0] = MISSING;
  std::memset(kex.keyBuf, 'x', 6);
  kex.DoKey();
  EXPECT_STREQ(kex.keyBuf, " 1299");  // NUL-terminated at keyLen
  EXPECT_EQ(person.Record(0).substr(0, 6), " 12299");

  Lst partial;
  partial.ownsObjects = 0;
  partial.Put("ID", person["ID"]);
  Kex missing(key, &partial);
  EXPECT_EQ(missing.status, Kex::kNoVax);
  Kex none(key, nullptr);
  EXPECT_EQ(none.status, Kex::kNoVax);
  std::memset(none.keyBuf, 'x', 6);
  none.vaxes->Clear();
  none.DoKey();
  EXPECT_STREQ(none.keyBuf, "");
}

TEST(Buffers, CopiesOwnTheirMemory) {
  Loaded d(Survey());
  auto person = std::make_unique<Buffers>(d.Section("PERSON"));
  ASSERT_EQ(person->sex.DoGrx(&person->vaxes), 1);
  Sex copy(person->sex);
  Vax vaxCopy(*(*person)["AGE"]);
  Kex kex(d.dic->GetKey(0), &person->vaxes);
  kex.DoKey();
  Kex kexCopy(kex);
  kexCopy = kex;
  Sex assigned(d.Section("HH"));
  assigned = person->sex;
  std::memset(person->sex.Addr(0), 'z', 20);
  EXPECT_EQ(std::string(copy.Addr(0), 20), "   2                ");
  EXPECT_NE(copy.Addr(0), person->sex.Addr(0));
  ASSERT_NE(copy.grx, nullptr);
  EXPECT_NE(copy.grx, person->sex.grx);
  EXPECT_EQ(vaxCopy.Addr(0), (*person)["AGE"]->Addr(0));
  EXPECT_STREQ(kexCopy.keyBuf, kex.keyBuf);
  EXPECT_NE(kexCopy.keyBuf, kex.keyBuf);
  person.reset();  // the copies' own arrays outlive the originals
  EXPECT_EQ(assigned.secLen, 20);
}

// ---------------------------------------------------------------- damaged dictionaries

TEST(Buffers, DamagedLayoutsStayInsideTheirBuffers) {
  VeskBuilder b;
  HeaderSpec h = OneLevel();
  h.recTypeStart = 9;  // the code lies partly beyond the 10-column record
  h.recTypeLen = 5;
  b.Header(h);
  b.Section({.name = "S", .code = "ABC", .minOcc = 0, .maxOcc = 2});
  b.Variable({.name = "LONG", .start = 8, .len = 40});     // beyond the record
  b.Variable({.name = "NEG", .start = -3, .len = 6});      // before it
  b.Variable({.name = "OUT", .start = 30, .len = 2});      // wholly beyond it
  b.Variable({.name = "ZERO", .start = 0, .len = 0});
  b.Variable({.name = "LAST", .start = 1, .len = 10});
  b.Section({.name = "EMPTY", .code = "X"});
  Loaded d(b);
  Buffers s(d.Section("S"));
  EXPECT_EQ(s.sex.secLen, 10);
  EXPECT_EQ(s.Record(1), "        AB");  // the code cut at the record's end
  EXPECT_EQ(s["LONG"]->len, 3);
  EXPECT_EQ(s["LONG"]->Addr(1), s.sex.Addr(1) + 7);
  EXPECT_EQ(s["NEG"]->len, 0);
  EXPECT_EQ(s["OUT"]->len, 0);
  EXPECT_EQ(s["ZERO"]->len, 0);
  s.SetRecord(0, "       123");
  s.SetRecord(1, "       456");
  s.sex.SetNumOcc(2);
  for (const char* name : {"LONG", "NEG", "OUT", "ZERO", "LAST"}) {
    Vax* vax = s[name];
    EXPECT_EQ(vax->status, Vax::kOk) << name;
    vax->CharToDouble();
    vax->values[0] = 42;
    vax->DoubleToChar();
    vax->ClearOcc(1);
  }
  EXPECT_EQ(s.Record(0), "        42");  // LONG wrote " 42", LAST the whole record
  EXPECT_EQ(s.Record(1), "          ");
  EXPECT_EQ(s["NEG"]->CheckVal(3), 5);

  // A section without variables has no record length: its code stays in the buffer.
  Sex empty(d.Section("EMPTY"));
  EXPECT_EQ(empty.status, Sec::kNoVars);
  EXPECT_EQ(empty.Addr(0), nullptr);
  EXPECT_EQ(empty.Insert(0), 0);
  EXPECT_EQ(empty.UpdateOcc(0), 0);
  Var orphan(d.Section("EMPTY"));
  orphan.varType = 'N';
  orphan.len = 3;
  orphan.nOcc = 1;
  Vax onEmpty(&orphan, &empty);
  EXPECT_EQ(onEmpty.status, Vax::kNoMemory);
  EXPECT_EQ(onEmpty.Addr(0), nullptr);
  onEmpty.CharToDouble();
  onEmpty.DoubleToChar();

  // Occurrence counts beyond what a buffer holds are refused, not allocated.
  d.Section("S")->occ->hi = 1e9;
  Sex huge(d.Section("S"));
  EXPECT_EQ(huge.status, Sex::kNoMemory);
  EXPECT_EQ(huge.Addr(0), nullptr);
  // A single variable with more occurrences than its section buffer gets only those.
  d.Section("S")->occ->hi = 2;
  Sex two(d.Section("S"));
  Var* last = d.Variable("LAST");
  last->nOcc = 30000;
  Vax many(last, &two);
  EXPECT_EQ(many.Count(), 2);
  EXPECT_EQ(many.Addr(2), nullptr);
}

TEST(Buffers, MultipleVariableWithoutAGroupIsRefused) {
  Loaded d(Survey());
  Sex hh(d.Section("HH"));
  Var stray(d.Section("HH"));
  stray.varKind = 'M';
  stray.nOcc = 4;
  stray.start = 1;
  stray.len = 1;
  Vax vax(&stray, &hh);
  EXPECT_EQ(vax.status, Vax::kNoGroup);
  EXPECT_EQ(vax.Addr(0), nullptr);
  Vax none(nullptr, &hh);
  EXPECT_EQ(none.status, Vax::kNoMemory);
  Sex nothing(nullptr);
  EXPECT_EQ(nothing.status, Sex::kNoMemory);
}

TEST(Buffers, StatusWords) {
  for (int code : {13014, 13023, 13033, 14014, 14023, 15014, 15023, 17014, 17023, 17033, 17043, 17053, 17063})
    EXPECT_STRNE(DescribeBufferStatus(code), "") << code;
  EXPECT_STREQ(DescribeBufferStatus(13000), "");
}

}  // namespace
