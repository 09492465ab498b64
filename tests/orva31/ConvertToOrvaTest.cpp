// Kind 2: a Travo dictionary into ORVA 3.1, and the round trip back through kind 0.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <regex>

#include "ChildLock.h"
#include "DdBuilder.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"

namespace fs = std::filesystem;

namespace {

CDictItem MakeItem(const std::string& name, int start, int length, DATA_TYPE type = NumericType, int decimals = 0,
                   int occurs = 1, ITEM_TYPE itemType = Item) {
  CDictItem item;
  item.SetName(name);
  item.SetLabel(name);
  item.SetStart(start);
  item.SetLen(length);
  item.SetDataType(type);
  item.SetDecimal(decimals);
  item.SetOccurs(occurs);
  item.SetItemType(itemType);
  item.SetDecChar(false);
  item.SetZeroFill(true);
  return item;
}

CDictValue MakeValue(const std::string& label, std::vector<CDictVPair> pairs, VALUE_TYPE special = NoneType) {
  CDictValue value;
  value.SetLabel(label);
  if (special != NoneType) {
    value.SetName(special == MissingType ? "MISSING" : "NOTAPPL");
    value.SetSpecial(true);
    value.SetValueType(special);
  }
  for (const auto& p : pairs) value.AddVPair(&p);
  return value;
}

// A value set named as kind 0 names them, so that a round trip compares equal.
void AddValues(CDictItem& item, std::vector<CDictValue> values, const std::string& label = "") {
  CDictVSet vset;
  vset.SetLabel(label.empty() ? item.GetName() : label);
  vset.SetName(label.empty() ? item.GetName() + "_VS1" : label);
  for (const auto& v : values) vset.AddValue(&v);
  item.AddVSet(&vset);
}

CDictRecord MakeRecord(const std::string& name, const std::string& type, bool required, int maxRecs,
                       std::vector<CDictItem> items, int recLen = 0) {
  CDictRecord record;
  record.SetName(name);
  record.SetLabel(name);
  record.SetRecTypeVal(type);
  record.SetRequired(required);
  record.SetMaxRecs(maxRecs);
  record.SetRecLen(recLen);
  for (const auto& it : items) record.AddItem(&it);
  return record;
}

// A dictionary as kind 0 would build it, so that it survives ORVA 3.1 unchanged.
CDataDict RoundTripDictionary() {
  CDataDict dict;
  dict.SetLabel("ROUND");
  dict.SetName("ROUND");
  dict.SetNote("");
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(2);
  dict.SetPosRelative(false);
  dict.SetZeroFill(true);
  dict.SetDecChar(false);

  CDictLevel level;
  level.SetLabel("Questionnaire");
  level.SetName("QUEST");
  CDictRecord* ids = level.GetIdItemsRec();
  ids->SetMaxRecs(0);
  ids->SetRequired(false);
  CDictItem province = MakeItem("PROVINCE", 3, 2);
  AddValues(province, {MakeValue("NORTH", {{"1", "1"}}), MakeValue("NR", {{"99", "99"}}, MissingType)});
  ids->AddItem(&province);
  CDictItem district = MakeItem("DISTRICT", 5, 3, AlphaType);
  ids->AddItem(&district);
  ids->SetRecLen(7);

  CDictItem age = MakeItem("AGE_GROUP", 8, 3, NumericType, 1, 2);
  AddValues(age, {MakeValue("YOUNG", {{"0.0", "14.9"}, {"2.5", "2.5"}}), MakeValue("NA", {{"998", "998"}}, NotAppType)});
  CDictItem name = MakeItem("NAME", 14, 10, AlphaType);
  CDictItem first = MakeItem("NAME_FIRST", 14, 4, AlphaType, 0, 1, SubItem);
  AddValues(first, {MakeValue("ANN_MARIE", {{"ANN ", "ANN "}}), MakeValue("NOBODY", {{"    ", "    "}}, NotAppType)});
  CDictRecord person = MakeRecord("PERSON_REC", "01", true, 30, {age, name, first}, 23);
  level.AddRecord(&person);
  CDictRecord house = MakeRecord("HOUSE", "02", false, 1, {MakeItem("ROOMS", 8, 2, NumericType, 0, 1)}, 9);
  level.AddRecord(&house);
  CDictRecord empty = MakeRecord("NOTHING", "03", false, 5, {}, 0);
  level.AddRecord(&empty);
  dict.AddLevel(&level);
  return dict;
}

class ToOrvaTest : public ::testing::Test {
 protected:
  bool Save(CDataDict& dict, const std::string& path) {
    const bool ok = dict.Save(path);
    EXPECT_TRUE(ok) << dict.GetLastError();
    return ok;
  }
  bool Convert(CDataDict& dict, const std::string& output) {
    Save(dict, input);
    return Run(KIND_TRAVO_TO_ORVA31, input, output);
  }
  bool Run(int kind, const std::string& from, const std::string& to) {
    app.SetDecimalChar('.');
    return app.RunConversion(kind, from, to);
  }
  // The folder's file names, sorted: nothing but what a test expects may be left behind.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  std::string input = dir.file("in.dcf");
  std::string target = dir.file("out.dd");
  RecordingHost host;
  CConvertApp app{host};
};

TEST_F(ToOrvaTest, RoundTripThroughOrvaKeepsEveryField) {
  CDataDict original = RoundTripDictionary();
  ASSERT_TRUE(Save(original, dir.file("round.dcf")));
  ASSERT_TRUE(Run(KIND_TRAVO_TO_ORVA31, dir.file("round.dcf"), dir.file("round.dd")));
  EXPECT_TRUE(host.messages.empty());
  ASSERT_TRUE(Run(KIND_ORVA31_TO_TRAVO, dir.file("round.dd"), dir.file("back.dcf")));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"ORVA 3.1 Dictionary successfully converted."});
  CDataDict back;
  ASSERT_TRUE(back.Open(dir.file("back.dcf"))) << back.GetLastError();
  EXPECT_EQ(DcfToText(back), DcfToText(original));
  EXPECT_TRUE(back == original);
}

// The file's bytes, checked against a fixture written independently.
TEST_F(ToOrvaTest, WritesTheExpectedBytes) {
  CDataDict dict;
  dict.SetRecTypeStart(1);
  dict.SetRecTypeLen(1);
  CDictLevel level;
  CDictItem id = MakeItem("ID_CODE", 2, 2);
  AddValues(id, {MakeValue("NR", {{"-1", ""}}, MissingType)});
  level.GetIdItemsRec()->AddItem(&id);
  CDictItem age = MakeItem("AGE", 4, 3, NumericType, 1, 5);
  AddValues(age, {MakeValue("LOW", {{"2.5", ""}, {"10", "99.9"}})});
  AddValues(age, {MakeValue("A_VERY_LONG_VALUE_LABEL", {{"1", "2"}})}, "Age groups");
  AddValues(age, {MakeValue("X", {{"3", ""}})}, "Other set");
  CDictItem comment = MakeItem("COMMENT", 7, 20, AlphaType);
  AddValues(comment, {MakeValue("NONE", {{"-", ""}})});
  CDictItem sex = MakeItem("SEX", 27, 3, AlphaType);
  AddValues(sex, {MakeValue("F", {{"F", ""}})});
  CDictRecord roster = MakeRecord("HOUSEHOLD_MEMBERS_ROSTER_A", "1", true, 20, {age, comment, sex});
  level.AddRecord(&roster);
  CDictRecord other = MakeRecord("ABCDEFGHIJKLMNO_X", "2", false, 1, {});
  level.AddRecord(&other);
  dict.AddLevel(&level);

  ASSERT_TRUE(Convert(dict, target));
  EXPECT_EQ(host.texts(), (std::vector<std::string>{
                              "Name:  HOUSEHOLD_MEMBERS_ROSTER_A too long for ORVA 3.1\nName truncated.",
                              "Item COMMENT length > 15 characters.\nValues cannot be saved in ORVA 3.1 dictionary.",
                              "Name:  ABCDEFGHIJKLMNO_X too long for ORVA 3.1\nName truncated.",
                          }));

  DdBuilder b;
  b.recTypeStart = 0;
  b.recTypeLen = 1;
  b.maxRecordLength = 29;  // SEX: 26 + 3
  b.common = {{"ID-CODE", 1, 2, 0, 0, 1, 0, {{"NR", {{"-1", "-1"}}}}}};
  b.records = {
      {"HOUSEHOLD-MEMBER", std::string("1\0          ", 12), 1, 20,
       {{"AGE", 3, 3, 0, 1, 5, 0, {{"LOW", {{" 25", " 25"}, {"100", "999"}}}}},
        {"AGE-GROUPS", 3, 3, 0, 1, 1, 1, {{"A_VERY_LONG_VALU", {{" 10", " 20"}}}}},
        {"OTHER-SET", 3, 3, 0, 1, 1, 1, {{"X", {{" 30", " 30"}}}}},
        {"COMMENT", 6, 20, 1},
        {"SEX", 26, 3, 1, 0, 1, 0, {{"F", {{"F", "F"}}}}}}},
      {"ABCDEFGHIJKLMNO", std::string("2\0          ", 12), 0, 1, {}},
  };
  std::string expected = b.Build();
  DdBuilder::PutI16(expected, b.RecordAt(1) + 39, 0);  // first item of a record without items: not significant
  const std::string written = ReadTextFile(target);
  ASSERT_EQ(written.size(), expected.size());
  // The date and time of writing are today's.
  EXPECT_TRUE(std::regex_match(written.substr(20, 8), std::regex(R"(\d\d/\d\d/\d\d)"))) << written.substr(20, 8);
  EXPECT_TRUE(std::regex_match(written.substr(28, 8), std::regex(R"(\d\d:\d\d:\d\d)"))) << written.substr(28, 8);
  expected.replace(20, 16, written.substr(20, 16));
  EXPECT_EQ(written, expected);
}

// Without a record type the header says none. A .dcf may also state a negative length,
// which means none as well; a record type value is then cut to its field (12 bytes kept).
TEST_F(ToOrvaTest, WithoutRecordTypeTheHeaderSaysNone) {
  struct Case {
    int length;
    std::string value, stored;
  };
  const Case cases[] = {{0, "", std::string(12, ' ')}, {-4, std::string(200, 'T'), std::string(12, 'T')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    CDataDict dict;
    dict.SetRecTypeStart(1);
    dict.SetRecTypeLen(c.length);
    CDictLevel level;
    CDictRecord rec = MakeRecord("R", c.value, true, 7, {MakeItem("X", 1, 1)});
    level.AddRecord(&rec);
    dict.AddLevel(&level);
    ASSERT_TRUE(Convert(dict, target));
    const std::string bytes = ReadTextFile(target);
    EXPECT_EQ(DdBuilder::GetI16(bytes, 46), -1);
    EXPECT_EQ(DdBuilder::GetI16(bytes, 48), -1);
    EXPECT_EQ(bytes.substr(512 + 17, 16), c.stored + std::string(4, '\0'));
    EXPECT_EQ(DdBuilder::GetI16(bytes, 512 + 33), 1);
    EXPECT_EQ(DdBuilder::GetI16(bytes, 512 + 35), 7);
  }
}

TEST_F(ToOrvaTest, LevelsCollapseIntoOneCommonAndOneRecordList) {
  CDataDict dict;
  for (int l = 0; l < 2; ++l) {
    CDictLevel level;
    CDictItem id = MakeItem("ID" + std::to_string(l), 1 + 2 * l, 2);
    level.GetIdItemsRec()->AddItem(&id);
    CDictRecord rec = MakeRecord("REC" + std::to_string(l), "", true, 1, {MakeItem("X" + std::to_string(l), 5, 1)});
    level.AddRecord(&rec);
    dict.AddLevel(&level);
  }
  ASSERT_TRUE(Convert(dict, target));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Travo Data Dictionary has more than one level!\n\nFile organization "
                                                   "is collaped to one level in ORVA 3.1 Data Dictionary."});
  DdBuilder b;
  b.maxRecordLength = 5;
  b.common = {{"ID0", 0, 2}, {"ID1", 2, 2}};
  b.records = {{"REC0", std::string(15, ' '), 1, 1, {{"X0", 4, 1}}}, {"REC1", std::string(15, ' '), 1, 1, {{"X1", 4, 1}}}};
  for (auto& r : b.records) r.recType = std::string(12, ' ');
  std::string expected = b.Build();
  const std::string written = ReadTextFile(target);
  ASSERT_EQ(written.size(), expected.size());
  expected.replace(20, 16, written.substr(20, 16));
  EXPECT_EQ(written, expected);
}

// Every stop leaves the target as it was and no temporary file behind.
TEST_F(ToOrvaTest, FailuresKeepThePreviousFile) {
  struct Case {
    const char* what;
    std::function<void(CDataDict&, RecordingHost&)> setup;
    std::string message;
  };
  auto record = [](CDataDict& d) -> CDictRecord* { return d.GetLevel(0)->GetRecord(0); };
  const Case cases[] = {
      {"numeric item over 15", [&](CDataDict& d, RecordingHost&) { CDictItem big = MakeItem("BIG", 1, 16); record(d)->AddItem(&big); },
       "In ORVA 3.1, a numeric data item cannot be longer than 15 characters.\n\nYou must shorten item: BIG"},
      {"decimal character",
       [&](CDataDict& d, RecordingHost&) {
         CDictItem price = MakeItem("PRICE", 1, 5, NumericType, 2);
         price.SetDecChar(true);
         record(d)->AddItem(&price);
       },
       "ORVA 3.1 cannot handle items containing decimal characters\nItem:  PRICE"},
      {"101st record",
       [&](CDataDict& d, RecordingHost&) {
         for (int r = 1; r <= 100; ++r) {
           CDictRecord rec = MakeRecord("R" + std::to_string(r), "", false, 1, {});
           d.GetLevel(0)->AddRecord(&rec);
         }
       },
       "Error adding record: R100"},
      {"101st COMMON item",
       [&](CDataDict& d, RecordingHost&) {
         for (int i = 0; i <= 100; ++i) {
           CDictItem id = MakeItem("C" + std::to_string(i), 1, 1);
           d.GetLevel(0)->GetIdItemsRec()->AddItem(&id);
         }
       },
       "Error adding item: C100"},
      {"2801st value name",
       [&](CDataDict& d, RecordingHost&) {
         CDictItem item = MakeItem("MANY", 1, 1);
         std::vector<CDictValue> values(2801, MakeValue("V", {}));
         AddValues(item, values);
         record(d)->AddItem(&item);
       },
       "Too many value names for an ORVA 3.1 dictionary."},
      {"value area past 20000 bytes",
       [&](CDataDict& d, RecordingHost&) {
         CDictItem item = MakeItem("WIDE", 1, 10);
         std::vector<CDictVPair> pairs(1001, CDictVPair("1", "2"));
         AddValues(item, {MakeValue("ALL", pairs)});
         record(d)->AddItem(&item);
       },
       "Too many values for an ORVA 3.1 dictionary."},
      // ORVA 3.1 keeps positions and counts in 16 bits: what does not fit is refused, not wrapped.
      {"maximum records past 16 bits", [&](CDataDict& d, RecordingHost&) { record(d)->SetMaxRecs(40000); },
       "Error adding record: R0"},
      {"item reaching past column 32767",
       [&](CDataDict& d, RecordingHost&) { CDictItem far = MakeItem("FAR", 32760, 9); record(d)->AddItem(&far); },
       "Error adding item: FAR"},
      {"occurrences past 16 bits",
       [&](CDataDict& d, RecordingHost&) {
         CDictItem many = MakeItem("MANY", 1, 1, AlphaType, 0, 70000);
         record(d)->AddItem(&many);
       },
       "Error adding item: MANY"},
      {"cancel", [&](CDataDict&, RecordingHost& h) { h.cancelAtCheck = 1; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = RecordingHost();
    std::ofstream(target) << "OLD CONTENT";
    CDataDict dict;
    CDictLevel level;
    CDictRecord rec = MakeRecord("R0", "", true, 1, {MakeItem("X", 1, 1)});
    level.AddRecord(&rec);
    dict.AddLevel(&level);
    c.setup(dict, host);
    EXPECT_FALSE(Convert(dict, target));
    EXPECT_EQ(host.texts(), c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    EXPECT_EQ(ReadTextFile(target), "OLD CONTENT");
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.dcf", "out.dd"}));
    EXPECT_EQ(host.progressOpen, 0);
  }
}

TEST_F(ToOrvaTest, UnreadableTravoDictionaryWritesNothing) {
  std::ofstream(target) << "OLD CONTENT";
  struct Case {
    const char* what;
    std::string content;  // empty: no file at all
  };
  for (const Case& c : {Case{"missing", ""}, Case{"malformed", "this is not a dictionary\n[[[\n"}}) {
    SCOPED_TRACE(c.what);
    host = RecordingHost();
    fs::remove(input);
    if (!c.content.empty()) std::ofstream(input) << c.content;
    EXPECT_FALSE(Run(KIND_TRAVO_TO_ORVA31, input, target));
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string prefix = "Travo Data Dictionary  " + input + "  could not be read:\n";
    EXPECT_EQ(host.messages[0].text.rfind(prefix, 0), 0u) << host.messages[0].text;
    EXPECT_GT(host.messages[0].text.size(), prefix.size());  // with the reason
    EXPECT_EQ(ReadTextFile(target), "OLD CONTENT");
    EXPECT_EQ(host.progressOpen, 0);
  }
}

TEST_F(ToOrvaTest, OutputThatCannotBeCreatedIsReported) {
  CDataDict dict = RoundTripDictionary();
  {
    std::ofstream(target) << "OLD CONTENT";
    ChildLock reader(target, F_RDLCK);
    EXPECT_FALSE(Convert(dict, target));
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Error opening file  " + target +
                                                     "  for writing.\n\nFile in use by another process."});
    EXPECT_EQ(ReadTextFile(target), "OLD CONTENT");
  }
  host = RecordingHost();
  const std::string nowhere = dir.file("no/such/folder/out.dd");
  EXPECT_FALSE(Convert(dict, nowhere));
  EXPECT_EQ(host.texts(),
            std::vector<std::string>{"Error opening file  " + nowhere + "  for writing.\n\nNo such file or directory"});
}

TEST_F(ToOrvaTest, OutputNameGetsTheDdExtension) {
  fs::create_directory(dir.file("a.b"));
  struct Case {
    std::string output, written;
  };
  const Case cases[] = {
      {"out.DD", "out.DD"}, {"plain", "plain.dd"}, {"a.b/inner", "a.b/inner.dd"}, {"other.txt", "other.dd"}};
  CDataDict dict = RoundTripDictionary();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    EXPECT_TRUE(Convert(dict, dir.file(c.output)));
    EXPECT_TRUE(fs::exists(dir.file(c.written)));
  }
  EXPECT_FALSE(fs::exists(dir.file("out.dd")));
}

TEST_F(ToOrvaTest, ReplacedFileKeepsItsPermissions) {
  std::ofstream(target) << "OLD CONTENT";
  chmod(target.c_str(), 0644);
  CDataDict dict = RoundTripDictionary();
  ASSERT_TRUE(Convert(dict, target));
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_NE(ReadTextFile(target), "OLD CONTENT");
}

// The application's record and item counters follow the conversion: where it ended, or the
// record and item it stopped at.
TEST_F(ToOrvaTest, TheAppKnowsWhereTheConversionStands) {
  CDataDict dict = RoundTripDictionary();
  ASSERT_TRUE(Convert(dict, target));
  EXPECT_EQ(app.m_nOrvaRecord, 3);  // past the last of three records
  EXPECT_EQ(app.m_nOrvaItem, 0);    // which has no items

  CDictRecord* person = dict.GetLevel(0)->GetRecord(0);
  CDictItem tooLong = MakeItem("INCOME", 30, 16);
  person->AddItem(&tooLong);
  host.messages.clear();
  EXPECT_FALSE(Convert(dict, target));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(app.m_nOrvaRecord, 0);  // the first record
  EXPECT_EQ(app.m_nOrvaItem, 3);    // its fourth item
}

}  // namespace
