// The compare command and the reading of files by their content: the comparison of two
// dictionaries in the model, the detection of each format from its first bytes, and the
// command-line tool's compare, inspect and convert on files under any name.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "Files.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "SampleDictionaries.h"
#include "VeskBuilder.h"
#include "app/Formats.h"
#include "app/cli/Compare.h"
#include "libs/dict/DataDict.h"

namespace {

namespace fs = std::filesystem;

std::string Example(const std::string& name) { return std::string(TRAVO_SOURCE_DIR) + "/examples/" + name; }

// One level, an id item and a record with an item that has a value set of an ordinary
// and a special value.
CDataDict Sample() {
  return samples::Survey({samples::Item("SEX", "Sex", 6, 1,
                                        samples::ValueSet("SEX_VS1", "Sex",
                                                          {samples::Value("Man", "1"),
                                                           samples::MissingValue("Refused", "9")}))},
                         7);
}

CDictRecord& Person(CDataDict& d) { return *d.GetLevel(0)->GetRecord(0); }
CDictItem& Sex(CDataDict& d) { return *Person(d).GetItem(0); }
CDictVSet& SexSet(CDataDict& d) { return *Sex(d).GetVSet(0); }

TEST(CompareDictionaries, EqualDictionariesHaveNoDifference) {
  const CDataDict a = Sample(), b = Sample();
  EXPECT_TRUE(CompareDictionaries(a, b).empty());
  const CDataDict empty1, empty2;
  EXPECT_TRUE(CompareDictionaries(empty1, empty2).empty());
}

// Each change to the second dictionary gives exactly one difference, at its path.
TEST(CompareDictionaries, EachKindOfDifferenceIsOneLineWithItsPath) {
  struct Case {
    const char* name;
    std::function<void(CDataDict&)> change;
    std::string line;
  };
  CDataDict sample = Sample();
  const bool required = Person(sample).GetRequired();
  const std::vector<Case> cases = {
      {"dictionary label", [](CDataDict& d) { d.SetLabel("Census"); }, R"(DICTIONARY: label "Survey" vs "Census")"},
      {"record type length", [](CDataDict& d) { d.SetRecTypeLen(2); }, "DICTIONARY: record type length 1 vs 2"},
      {"level name", [](CDataDict& d) { d.GetLevel(0)->SetName("HOUSE"); }, R"(QUEST: name "QUEST" vs "HOUSE")"},
      {"level only in A",
       [](CDataDict& d) {
         CDictLevel level;
         level.SetName("SECOND");
         d.AddLevel(&level);
       },
       "SECOND: level (none) vs present"},
      {"id item length", [](CDataDict& d) { d.GetLevel(0)->GetIdItemsRec()->GetItem(0)->SetLen(5); },
       "QUEST/(id items)/HH_ID: length 4 vs 5"},
      {"record label", [](CDataDict& d) { Person(d).SetLabel("Member"); }, R"(QUEST/PERSON: label "Person" vs "Member")"},
      {"record type", [](CDataDict& d) { Person(d).SetRecTypeVal("3"); }, R"(QUEST/PERSON: record type "2" vs "3")"},
      {"required", [](CDataDict& d) { Person(d).SetRequired(!Person(d).GetRequired()); },
       required ? "QUEST/PERSON: required yes vs no" : "QUEST/PERSON: required no vs yes"},
      {"maximum records", [](CDataDict& d) { Person(d).SetMaxRecs(5); }, "QUEST/PERSON: maximum records 30 vs 5"},
      {"record length", [](CDataDict& d) { Person(d).SetRecLen(9); }, "QUEST/PERSON: record length 7 vs 9"},
      {"record only in B",
       [](CDataDict& d) {
         CDictRecord extra;
         extra.SetName("INCOME");
         d.GetLevel(0)->AddRecord(&extra);
       },
       "QUEST/INCOME: record (none) vs present"},
      {"item start", [](CDataDict& d) { Sex(d).SetStart(7); }, "QUEST/PERSON/SEX: start 6 vs 7"},
      {"item length", [](CDataDict& d) { Sex(d).SetLen(2); }, "QUEST/PERSON/SEX: length 1 vs 2"},
      {"item type", [](CDataDict& d) { Sex(d).SetDataType(AlphaType); }, "QUEST/PERSON/SEX: type numeric vs alpha"},
      {"decimals", [](CDataDict& d) { Sex(d).SetDecimal(1); }, "QUEST/PERSON/SEX: decimals 0 vs 1"},
      {"occurrences", [](CDataDict& d) { Sex(d).SetOccurs(3); }, "QUEST/PERSON/SEX: occurrences 1 vs 3"},
      {"subitem", [](CDataDict& d) { Sex(d).SetItemType(SubItem); }, "QUEST/PERSON/SEX: item type item vs subitem"},
      {"item note", [](CDataDict& d) { Sex(d).SetNote("Asked"); }, R"(QUEST/PERSON/SEX: note "" vs "Asked")"},
      {"item only in B",
       [](CDataDict& d) {
         CDictItem age;
         age.SetName("AGE");
         Person(d).AddItem(&age);
       },
       "QUEST/PERSON/AGE: item (none) vs present"},
      {"value set label", [](CDataDict& d) { SexSet(d).SetLabel("Gender"); },
       R"(QUEST/PERSON/SEX/SEX_VS1: label "Sex" vs "Gender")"},
      {"value set only in B",
       [](CDataDict& d) {
         CDictVSet second;
         second.SetName("SEX_VS2");
         Sex(d).AddVSet(&second);
       },
       "QUEST/PERSON/SEX/SEX_VS2: value set (none) vs present"},
      {"value label", [](CDataDict& d) { SexSet(d).GetValue(0)->SetLabel("Male"); },
       R"(QUEST/PERSON/SEX/SEX_VS1/1: label "Man" vs "Male")"},
      {"value range", [](CDataDict& d) { SexSet(d).GetValue(0)->GetVPair(0)->SetTo("2"); },
       "QUEST/PERSON/SEX/SEX_VS1/1: values '1' vs '1':'2'"},
      {"value only in B",
       [](CDataDict& d) {
         CDictValue woman;
         CDictVPair two("2", "");
         woman.AddVPair(&two);
         SexSet(d).AddValue(&woman);
       },
       "QUEST/PERSON/SEX/SEX_VS1/2: value (none) vs present"},
      {"special kind", [](CDataDict& d) { SexSet(d).GetValue(1)->SetValueType(NotAppType); },
       "QUEST/PERSON/SEX/SEX_VS1/9: special missing vs not applicable"},
      {"special no more", [](CDataDict& d) { SexSet(d).GetValue(1)->SetSpecial(false); },
       "QUEST/PERSON/SEX/SEX_VS1/9: special missing vs no"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CDataDict a = Sample();
    CDataDict b = Sample();
    c.change(b);
    const std::vector<DictDifference> found = CompareDictionaries(a, b);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(FormatDifference(found[0]), c.line);
    // The other way round the sides swap (a path names A's elements).
    const std::vector<DictDifference> back = CompareDictionaries(b, a);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].what, found[0].what);
    EXPECT_EQ(back[0].a, found[0].b);
    EXPECT_EQ(back[0].b, found[0].a);
  }
}

TEST(CompareDictionaries, RecordsAndItemsPairByNameAndRangesOfOneValueAreThatValue) {
  const CDataDict a = Sample();
  CDataDict b = Sample();
  SexSet(b).GetValue(0)->GetVPair(0)->SetTo("1");
  // A record put before PERSON is a record only B holds, not a PERSON changed.
  const CDictRecord person = Person(b);
  b.GetLevel(0)->RemoveRecordAt(0);
  CDictRecord first;
  first.SetName("HOUSING");
  b.GetLevel(0)->AddRecord(&first);
  b.GetLevel(0)->AddRecord(&person);
  const std::vector<DictDifference> found = CompareDictionaries(a, b);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(FormatDifference(found[0]), "QUEST/HOUSING: record (none) vs present");
}

// ---- The formats by their first bytes ----

std::string Bytes(std::initializer_list<int> values, size_t size) {
  std::string b(size, '\0');
  size_t i = 0;
  for (int v : values) b[i++] = static_cast<char>(v);
  return b;
}

TEST(DetectFormat, EachFormatByItsFirstBytes) {
  std::string vesk = Bytes({'D', 'S', 'U', 'R', 'V', 'E', 'Y', ' ', ' '}, 64);
  vesk[18] = 1;  // level 1 starts in column 1
  vesk[32] = 3;  // and is 3 long
  std::string section = Bytes({'S', ' ', 'H', 'H'}, 32);
  struct Case {
    const char* name;
    std::string bytes;
    FileFormat format;
  };
  const Case cases[] = {
      {"ORVA 3.1 header", "ORVADDF VERSION 2.0 " + std::string(100, '\0'), FileFormat::Orva31},
      {"ORVA 4.1", "[Dictionary]\nVersion=ORVA 4.1\nLabel=x\n", FileFormat::Orva41},
      {"ORVA 4.1 without its dictionary section", "; comment\n\n[Common]\nLabel=x\n", FileFormat::Orva41},
      {"Travo", "[Dictionary]\nVersion=Travo 4.0\n", FileFormat::TravoDict},
      {"Travo with BOM, blank lines and CRLF", "\xEF\xBB\xBF\r\n\r\n[Dictionary]\r\nVersion=Travo 4.0\r\n",
       FileFormat::TravoDict},
      {"Travo forms", "Travo 4.0\n[FormFile]\nName=X\n", FileFormat::TravoForms},
      {"VESK dictionary", vesk, FileFormat::VeskDict},
      {"VESK work dictionary", section, FileFormat::VeskWork},
      {"VESK work dictionary, then a variable", section + "V" + std::string(63, ' '), FileFormat::VeskWork},
      {"empty", "", FileFormat::Unknown},
      {"plain text starting with D", "Dear reader,\nthis text is long enough to fill a VESK header's 64 bytes.\n",
       FileFormat::Unknown},
      {"plain text starting with S", "Some notes that are not a section record at all, but text.\n",
       FileFormat::Unknown},
      {"VESK header without levels", Bytes({'D', 'X'}, 64), FileFormat::Unknown},
      {"dictionary section of another version", "[Dictionary]\nVersion=5\n", FileFormat::Unknown},
      {"dictionary section without version", "[Dictionary]\nLabel=x\n", FileFormat::Unknown},
      {"another section file", "[Settings]\nA=1\n", FileFormat::Unknown},
      {"forms version without its section", "Travo 4.0\n[Other]\n", FileFormat::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectFormatOfBytes(c.bytes), c.format) << c.name;
  }
}

// ---- The command line ----

// Every kind of input file, made in dir under its usual name: the examples, a work
// dictionary and the Travo files converted from the ORVA 4.1 example.
struct Inputs {
  explicit Inputs(const TempDir& dir) {
    fs::copy_file(Example("household-orva31.dd"), dir.file("orva31.dd"));
    fs::copy_file(Example("household.ddw"), dir.file("orva41.ddw"));
    fs::copy_file(Example("household-vesk.dic"), dir.file("vesk.dic"));
    vesktest::VeskBuilder work;
    work.Section({.name = "HH"});
    work.Variable({.name = "ROOMS", .start = 5, .len = 2, .labels = {"Rooms", "99", "Unknown"}});
    ok = work.WriteTo(dir.file("work.wst"));
    ok = ok && Cli(dir, {"convert", "--quiet", dir.file("orva41.ddw"), dir.file("travo.dcf")}).status == 0;
    ok = ok && Cli(dir, {"convert", "--quiet", dir.file("vesk.dic"), dir.file("forms.fmf")}).status == 0;
  }
  bool ok = false;
};

TEST(CliCompare, EqualFilesDifferentFilesAndJson) {
  TempDir dir;
  Inputs inputs(dir);
  ASSERT_TRUE(inputs.ok);
  // The ORVA 4.1 dictionary and its conversion hold the same.
  ProcessResult same = Cli(dir, {"compare", dir.file("orva41.ddw"), dir.file("travo.dcf")});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "");
  EXPECT_EQ(same.err, "");

  std::string text = ReadTextFile(dir.file("travo.dcf"));
  const std::string from = "Label=Household Income and Living Conditions Survey 2019";
  ASSERT_NE(text.find(from), std::string::npos);
  text.replace(text.find(from), from.size(), "Label=Changed");
  WriteFile(dir.file("changed.dcf"), text);
  ProcessResult differ = Cli(dir, {"compare", dir.file("travo.dcf"), dir.file("changed.dcf")});
  EXPECT_EQ(differ.status, 1);
  EXPECT_EQ(differ.out, "DICTIONARY: label \"Household Income and Living Conditions Survey 2019\" vs \"Changed\"\n");
  EXPECT_EQ(differ.err, "");

  ProcessResult json = Cli(dir, {"compare", "--json", dir.file("travo.dcf"), dir.file("changed.dcf")});
  EXPECT_EQ(json.status, 1);
  const nlohmann::json list = nlohmann::json::parse(json.out);
  ASSERT_TRUE(list.is_array());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], (nlohmann::json{{"path", "DICTIONARY"},
                                     {"what", "label"},
                                     {"a", "Household Income and Living Conditions Survey 2019"},
                                     {"b", "Changed"}}));
  ProcessResult noneJson = Cli(dir, {"compare", "--json", dir.file("orva41.ddw"), dir.file("travo.dcf")});
  EXPECT_EQ(noneJson.status, 0);
  EXPECT_EQ(nlohmann::json::parse(noneJson.out), nlohmann::json::array());
}

TEST(CliCompare, UnreadableInputsAndUsageErrors) {
  TempDir dir;
  Inputs inputs(dir);
  ASSERT_TRUE(inputs.ok);
  WriteFile(dir.file("notes.txt"), "Some notes, not a dictionary.\n");
  WriteFile(dir.file("broken.dcf"), "[Dictionary]\nVersion=Travo 4.0\n[Nonsense\n");
  WriteFile(dir.file("short.dd"), "ORVADDF ");
  WriteFile(dir.file("notes.ddw"), "Some notes under a dictionary's name.\n");
  struct Case {
    std::string bad;
    std::string message;  // a part of stderr
  };
  const Case cases[] = {
      {dir.file("absent.dcf"), dir.file("absent.dcf")},
      {dir.file("notes.txt"), dir.file("notes.txt") + ": not a dictionary this tool knows"},
      // Not an empty ORVA 4.1 dictionary, whatever its name says.
      {dir.file("notes.ddw"), dir.file("notes.ddw") + ": not a dictionary this tool knows"},
      {dir.file("broken.dcf"), "line 3"},
      {dir.file("short.dd"), "short.dd"},
      {dir.file("forms.fmf"), "forms file, not a dictionary"},
  };
  for (const Case& c : cases) {
    for (bool first : {true, false}) {
      SCOPED_TRACE(c.bad + (first ? " as A" : " as B"));
      ProcessResult r = first ? Cli(dir, {"compare", c.bad, dir.file("travo.dcf")})
                              : Cli(dir, {"compare", dir.file("travo.dcf"), c.bad});
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
  }
  const std::vector<std::vector<std::string>> usage = {
      {"compare"}, {"compare", dir.file("travo.dcf")}, {"compare", "a", "b", "c"}, {"compare", "--bogus", "a", "b"}};
  for (const auto& args : usage) {
    ProcessResult r = Cli(dir, args);
    EXPECT_EQ(r.status, 2) << args.size();
    EXPECT_NE(r.err.find("usage: travo-convert-cli"), std::string::npos);
  }
}

// Each example converted holds what its source holds; converted on to ORVA 3.1, it
// keeps what that format can hold.
TEST(CliCompare, ExamplesAndTheirConversionsHoldTheSame) {
  struct Case {
    const char* example;
    std::set<std::string> lostInOrva31;  // what an ORVA 3.1 dictionary cannot hold
  };
  const Case cases[] = {
      {"household-orva31.dd", {}},
      // Labels and notes, the dictionary's name (the file name) and label, names over 16
      // characters (cut), value sets after the first.
      {"household.ddw", {"label", "note", "name", "item", "value set", "values"}},
      // Besides: one level only, the id items of the other levels, special values and
      // each item's zero fill.
      {"household-vesk.dic",
       {"label", "note", "name", "item", "record", "level", "special", "zero fill", "values"}},
  };
  PrivateTempFolder temporary;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    TempDir dir;
    const std::string source = dir.file(c.example);
    fs::copy_file(Example(c.example), source);
    const std::string converted = dir.file(fs::path(c.example).stem().string() + ".dcf");
    ProcessResult convert = Cli(dir, {"convert", "--quiet", source, converted});
    ASSERT_EQ(convert.status, 0) << convert.err;
    ProcessResult same = Cli(dir, {"compare", source, converted});
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_EQ(same.out, "");

    fs::create_directory(dir.file("back"));
    const std::string back = dir.file("back/" + fs::path(c.example).stem().string() + ".dd");
    ProcessResult toOrva = Cli(dir, {"convert", "--quiet", "--yes", converted, back});
    ASSERT_EQ(toOrva.status, 0) << toOrva.err;
    ProcessResult json = Cli(dir, {"compare", "--json", converted, back});
    EXPECT_EQ(json.status, c.lostInOrva31.empty() ? 0 : 1) << json.out;
    for (const auto& difference : nlohmann::json::parse(json.out)) {
      EXPECT_EQ(c.lostInOrva31.count(difference["what"].get<std::string>()), 1u) << difference.dump();
    }
  }
  // Reading the ORVA 3.1 and VESK files left nothing in the temporary folder.
  EXPECT_TRUE(temporary.empty());
}

// TMPDIR naming a folder that does not exist, for the life of this object: a program run
// meanwhile cannot make anything in a temporary folder.
class NoTempFolder {
 public:
  explicit NoTempFolder(const std::string& missing) {
    if (const char* previous = std::getenv("TMPDIR")) previous_ = previous;
    setenv("TMPDIR", missing.c_str(), 1);
  }
  ~NoTempFolder() {
    if (previous_) {
      setenv("TMPDIR", previous_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  NoTempFolder(const NoTempFolder&) = delete;
  NoTempFolder& operator=(const NoTempFolder&) = delete;

 private:
  std::optional<std::string> previous_;
};

// Every format is read in memory: compare needs no temporary folder and leaves the
// folder of its inputs as it was.
TEST(CliCompare, ReadsEveryFormatWithoutWritingAnything) {
  TempDir dir, scratch;
  Inputs inputs(dir);
  ASSERT_TRUE(inputs.ok);
  const auto snapshot = [&] {
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      files[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    }
    return files;
  };
  const auto before = snapshot();
  NoTempFolder noTemp(scratch.file("no-such-folder"));
  for (const char* file : {"orva31.dd", "orva41.ddw", "vesk.dic", "work.wst", "travo.dcf"}) {
    SCOPED_TRACE(file);
    ProcessResult r = Cli(scratch, {"compare", dir.file(file), dir.file(file)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(fs::exists(scratch.file("no-such-folder")));
}

// A file is read as what it holds, whatever its name says.
TEST(CliContent, InspectAndConvertReadEachFormatUnderAnyName) {
  struct Case {
    const char* file;      // as made by Inputs
    const char* shown;     // the start of inspect's text
    bool converts;         // a dictionary convert takes to .dcf without --kind
  };
  const Case cases[] = {
      {"orva31.dd", "ORVA 3.1 dictionary", true},  {"orva41.ddw", "Travo dictionary", true},
      {"vesk.dic", "VESK dictionary", true},       {"work.wst", "VESK work dictionary", true},
      {"travo.dcf", "Travo dictionary", false},    {"forms.fmf", "", false},
  };
  TempDir dir;
  Inputs inputs(dir);
  ASSERT_TRUE(inputs.ok);
  PrivateTempFolder temporary;
  for (const Case& c : cases) {
    const std::string original = dir.file(c.file);
    ProcessResult expected = Cli(dir, {"inspect", "--json", original});
    ASSERT_EQ(expected.status, 0) << expected.err;
    const std::string stem = fs::path(c.file).stem().string();
    // No extension, an extension of no format, and each other format's extension; under
    // the same stem in a folder of its own (ORVA 3.1 and work dictionaries take their
    // name from the file's).
    int folder = 0;
    for (const std::string ext : {"", ".txt", ".dd", ".ddw", ".dic", ".wst", ".dcf", ".fmf"}) {
      if (fs::path(c.file).extension() == ext) continue;
      fs::create_directories(dir.file(std::to_string(++folder)));
      const std::string renamed = dir.file(std::to_string(folder) + "/" + stem + ext);
      SCOPED_TRACE(renamed);
      fs::copy_file(original, renamed, fs::copy_options::overwrite_existing);
      ProcessResult shown = Cli(dir, {"inspect", renamed});
      EXPECT_EQ(shown.status, 0) << shown.err;
      EXPECT_EQ(shown.out.rfind(c.shown, 0), 0u) << shown.out.substr(0, 80);
      EXPECT_EQ(shown.out.find("travo-input-"), std::string::npos) << "the temporary link is named";
      // The same description as under its own name, but for the name.
      ProcessResult json = Cli(dir, {"inspect", "--json", renamed});
      EXPECT_EQ(json.status, 0);
      std::string same = json.out;
      for (size_t at; (at = same.find(renamed)) != std::string::npos;) same.replace(at, renamed.size(), original);
      EXPECT_EQ(same, expected.out);

      if (!c.converts) continue;
      const std::string output = dir.file(std::to_string(folder) + "/" + stem + "-out.dcf");
      const std::string log = dir.file(std::to_string(folder) + "/convert.log");
      ProcessResult converted = Cli(dir, {"convert", "--quiet", "--log", log, renamed, output});
      EXPECT_EQ(converted.status, 0) << converted.err;
      // The log names the file given, not the link read in its place.
      EXPECT_NE(ReadTextFile(log).find("input: " + renamed + "\n"), std::string::npos) << ReadTextFile(log);
      // One line before the conversion's own messages says what the file was converted as.
      EXPECT_EQ(converted.err.rfind("note: " + renamed + " is ", 0), 0u) << converted.err;
      EXPECT_EQ(converted.err.find("note:", 1), std::string::npos) << converted.err;
      ProcessResult compared = Cli(dir, {"compare", original, output});
      EXPECT_EQ(compared.status, 0) << compared.out << compared.err;
    }
  }
  // Nothing is left in the temporary folder.
  EXPECT_TRUE(temporary.empty());
}

TEST(CliContent, AFileOfNoFormatIsNamedSo) {
  TempDir dir;
  const std::string junk = "Some notes that are no dictionary.\n";
  for (const char* name : {"notes", "notes.txt", "notes.dat"}) {
    SCOPED_TRACE(name);
    WriteFile(dir.file(name), junk);
    const std::string message = dir.file(name) + ": not a dictionary this tool knows (ORVA 3.1, ORVA 4.1, VESK or Travo)\n";
    ProcessResult inspect = Cli(dir, {"inspect", dir.file(name)});
    EXPECT_EQ(inspect.status, 1);
    EXPECT_EQ(inspect.err, message);
    ProcessResult convert = Cli(dir, {"convert", dir.file(name), dir.file("out.dcf")});
    EXPECT_EQ(convert.status, 1);
    EXPECT_EQ(convert.err, message);
    EXPECT_FALSE(fs::exists(dir.file("out.dcf")));
  }
  // Under the extension of a format, the reader of that format says what is wrong.
  WriteFile(dir.file("notes.dcf"), junk);
  ProcessResult named = Cli(dir, {"inspect", dir.file("notes.dcf")});
  EXPECT_EQ(named.status, 1);
  EXPECT_NE(named.err.find("line 1"), std::string::npos) << named.err;
}

// A named pipe given to convert or compare is not opened to look at its content: the
// command fails at once.
TEST(CliContent, NamedPipesAreNotWaitedOn) {
  TempDir dir;
  Inputs inputs(dir);
  ASSERT_TRUE(inputs.ok);
  const std::vector<std::string> names = {"pipe", "pipe.txt", "pipe.dcf", "pipe.ddw", "pipe.dic"};
  for (const std::string& name : names) ASSERT_EQ(mkfifo(dir.file(name).c_str(), 0600), 0) << name;
  std::vector<std::string> pipes;
  for (const std::string& name : names) pipes.push_back(dir.file(name));
  for (const std::string& name : names) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"convert", "--kind", "orva41", dir.file(name), dir.file("out.dcf")},
          std::vector<std::string>{"compare", dir.file(name), dir.file("travo.dcf")}}) {
      SCOPED_TRACE(args[0] + " " + name);
      bool waited = false;
      ProcessResult r = RunProcessNotingPipeWaits(TRAVO_CLI_PATH, args, dir.path().string(), pipes, waited);
      EXPECT_FALSE(waited);
      EXPECT_EQ(r.status, 1) << r.err;
      EXPECT_NE(r.err.find(dir.file(name)), std::string::npos) << r.err;
    }
  }
}

}  // namespace
