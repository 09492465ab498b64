// Kind 0: ORVA 3.1 .dd into a Travo dictionary.
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "ChildLock.h"
#include "DdBuilder.h"
#include "RecordingHost.h"
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"

namespace {

class FromOrvaTest : public ::testing::Test {
 protected:
  // Writes the fixture as <dir>/<name>.dd and converts it to <dir>/out.dcf.
  bool Convert(DdBuilder& b, const std::string& name = "survey") {
    EXPECT_TRUE(b.WriteTo(dir.file(name + ".dd")));
    return ConvertFile(dir.file(name + ".dd"));
  }
  bool ConvertFile(const std::string& input) {
    app.SetDecimalChar(',');
    return app.RunConversion(KIND_ORVA31_TO_TRAVO, input, output);
  }
  CDataDict Result() {
    CDataDict dict;
    EXPECT_TRUE(dict.Open(output)) << dict.GetLastError();
    return dict;
  }
  bool OutputExists() const { return std::filesystem::exists(output); }

  TempDir dir;
  std::string output = dir.file("out.dcf");
  RecordingHost host;
  CConvertApp app{host};
};

DdItemSpec Numeric(const std::string& name, int start, int length, int decimals = 0, int occurs = 1) {
  return {name, start, length, 0, decimals, occurs, 0};
}
DdItemSpec Alpha(const std::string& name, int start, int length, int itemType = 0) {
  return {name, start, length, 1, 0, 1, itemType};
}

TEST_F(FromOrvaTest, MapsEveryPartOfTheDictionary) {
  DdBuilder b;
  b.recTypeStart = 0;
  b.recTypeLen = 1;
  b.common = {Numeric("REGION-CODE", 1, 2)};
  b.common[0].values = {{"NORTH", {{" 1", " 1"}}}, {"NR", {{"99", "99"}}}};
  DdItemSpec age = Numeric("AGE-GROUP", 3, 3, 1, 2);
  age.values = {{"YOUNG", {{"  0", "149"}, {" 25", " 25"}}}, {"NA", {{"998", "998"}}}, {"BLANK", {{"   ", "   "}}}};
  DdItemSpec name = Alpha("NAME", 9, 10);
  DdItemSpec first = Alpha("NAME-FIRST", 9, 4, 1);
  first.values = {{"ANN-MARIE", {{"ANN ", "ANN "}}}};
  b.records = {{"PERSON-REC", "P", 1, 30, {age, name, first}}, {"EMPTY", "E", 0, 2, {}}};

  ASSERT_TRUE(Convert(b));
  ASSERT_EQ(host.texts(), std::vector<std::string>{"ORVA 3.1 Dictionary successfully converted."});
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Converting ...", "Validating ...", "Saving ..."}));
  EXPECT_EQ(host.title, "Travo 4.0 Convert Dictionary");
  EXPECT_EQ(host.progressOpen, 0);

  CDataDict dict = Result();
  EXPECT_EQ(dict.GetLabel(), "SURVEY");
  EXPECT_EQ(dict.GetName(), "SURVEY");
  EXPECT_EQ(dict.GetRecTypeStart(), 1);
  EXPECT_EQ(dict.GetRecTypeLen(), 1);
  EXPECT_FALSE(dict.GetPosRelative());
  EXPECT_TRUE(dict.GetZeroFill());
  EXPECT_FALSE(dict.GetDecChar());
  ASSERT_EQ(dict.GetNumLevels(), 1);
  const CDictLevel* level = dict.GetLevel(0);
  EXPECT_EQ(level->GetLabel(), "Questionnaire");
  EXPECT_EQ(level->GetName(), "QUEST");

  const CDictRecord* ids = level->GetIdItemsRec();
  EXPECT_EQ(ids->GetName(), "");
  EXPECT_EQ(ids->GetRecTypeVal(), "");
  EXPECT_FALSE(ids->GetRequired());
  EXPECT_EQ(ids->GetMaxRecs(), 0);
  ASSERT_EQ(ids->GetNumItems(), 1);
  const CDictItem* region = ids->GetItem(0);
  EXPECT_EQ(region->GetName(), "REGION_CODE");
  EXPECT_EQ(region->GetStart(), 2);
  ASSERT_EQ(region->GetNumVSets(), 1);
  const CDictVSet* regionSet = region->GetVSet(0);
  EXPECT_EQ(regionSet->GetName(), "REGION_CODE_VS1");
  EXPECT_EQ(regionSet->GetLabel(), "REGION_CODE");
  EXPECT_EQ(regionSet->GetValue(0)->GetVPair(0)->GetFrom(), "1");
  const CDictValue* missing = regionSet->GetValue(1);
  EXPECT_EQ(missing->GetName(), "MISSING");
  EXPECT_TRUE(missing->IsSpecial());
  EXPECT_EQ(missing->GetValueType(), MissingType);
  EXPECT_EQ(missing->GetVPair(0)->GetFrom(), "99");  // special values keep their stored text

  ASSERT_EQ(level->GetNumRecords(), 2);
  const CDictRecord* person = level->GetRecord(0);
  EXPECT_EQ(person->GetName(), "PERSON_REC");
  EXPECT_EQ(person->GetLabel(), "PERSON_REC");
  EXPECT_EQ(person->GetRecTypeVal(), "P");
  EXPECT_TRUE(person->GetRequired());
  EXPECT_EQ(person->GetMaxRecs(), 30);
  EXPECT_EQ(person->GetRecLen(), 19);  // NAME: 10 + 10 - 1
  ASSERT_EQ(person->GetNumItems(), 3);
  const CDictItem* ageItem = person->GetItem(0);
  EXPECT_EQ(ageItem->GetName(), "AGE_GROUP");
  EXPECT_EQ(ageItem->GetLabel(), "AGE_GROUP");
  EXPECT_EQ(ageItem->GetStart(), 4);
  EXPECT_EQ(ageItem->GetLen(), 3);
  EXPECT_EQ(ageItem->GetDecimal(), 1);
  EXPECT_EQ(ageItem->GetOccurs(), 2);
  EXPECT_EQ(ageItem->GetDataType(), NumericType);
  EXPECT_EQ(ageItem->GetItemType(), Item);
  EXPECT_FALSE(ageItem->GetDecChar());
  EXPECT_TRUE(ageItem->GetZeroFill());
  const CDictVSet* ageSet = ageItem->GetVSet(0);
  ASSERT_EQ(ageSet->GetNumValues(), 3);
  const CDictValue* young = ageSet->GetValue(0);
  EXPECT_EQ(young->GetLabel(), "YOUNG");
  EXPECT_FALSE(young->IsSpecial());
  EXPECT_EQ(*young->GetVPair(0), CDictVPair("0,0", "14,9"));  // implied decimal, user's ','
  EXPECT_EQ(*young->GetVPair(1), CDictVPair("2,5", "2,5"));
  EXPECT_EQ(ageSet->GetValue(1)->GetName(), "NOTAPPL");
  EXPECT_EQ(ageSet->GetValue(1)->GetValueType(), NotAppType);
  const CDictValue* blank = ageSet->GetValue(2);
  EXPECT_EQ(blank->GetLabel(), "BLANK");
  EXPECT_EQ(blank->GetName(), "NOTAPPL");
  EXPECT_TRUE(blank->IsSpecial());
  EXPECT_EQ(blank->GetVPair(0)->GetFrom(), "   ");

  EXPECT_EQ(person->GetItem(1)->GetNumVSets(), 0);  // no values: no value set
  const CDictItem* firstName = person->GetItem(2);
  EXPECT_EQ(firstName->GetItemType(), SubItem);
  EXPECT_EQ(firstName->GetDataType(), AlphaType);
  const CDictValue* ann = firstName->GetVSet(0)->GetValue(0);
  EXPECT_EQ(ann->GetLabel(), "ANN_MARIE");
  EXPECT_EQ(*ann->GetVPair(0), CDictVPair("ANN ", "ANN "));  // alphanumeric texts as stored

  const CDictRecord* empty = level->GetRecord(1);
  EXPECT_EQ(empty->GetNumItems(), 0);
  EXPECT_EQ(empty->GetRecLen(), 0);
  EXPECT_FALSE(empty->GetRequired());
}

TEST_F(FromOrvaTest, RecordTypeValuesFollowTheDictionaryLength) {
  struct Case {
    int start, length;
    std::string stored;
    int travoStart, travoLength;
    std::string travoValue;
  };
  const Case cases[] = {
      {-1, -1, "            ", 0, 0, ""},
      {0, 1, std::string("01\0", 3), 1, 1, "0"},
      {4, 3, std::string("AB \0", 4), 5, 3, "AB "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    DdBuilder b;
    b.recTypeStart = c.start;
    b.recTypeLen = c.length;
    b.records = {{"REC", c.stored, 1, 1, {Numeric("X", 9, 1)}}};
    ASSERT_TRUE(Convert(b));
    CDataDict dict = Result();
    EXPECT_EQ(dict.GetRecTypeStart(), c.travoStart);
    EXPECT_EQ(dict.GetRecTypeLen(), c.travoLength);
    EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetRecTypeVal(), c.travoValue);
  }
}

TEST_F(FromOrvaTest, CommonSubitemRunsReplaceTheirParent) {
  DdBuilder b;
  b.common = {Numeric("X", 0, 4), {"X1", 0, 2, 0, 0, 1, 1}, {"X2", 2, 2, 0, 0, 1, 1}, Numeric("Y", 4, 2),
              {"Y1", 4, 1, 0, 0, 1, 1}};
  ASSERT_TRUE(Convert(b));
  const std::string promoted = "Subitems found in Common.\n\nPromoted to Id items in Travo.";
  EXPECT_EQ(host.texts(), (std::vector<std::string>{promoted, promoted, "ORVA 3.1 Dictionary successfully converted."}));
  const CDataDict dict = Result();
  const CDictRecord* ids = dict.GetLevel(0)->GetIdItemsRec();
  ASSERT_EQ(ids->GetNumItems(), 3);
  EXPECT_EQ(ids->GetItem(0)->GetName(), "X1");
  EXPECT_EQ(ids->GetItem(1)->GetName(), "X2");
  EXPECT_EQ(ids->GetItem(2)->GetName(), "Y1");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ids->GetItem(i)->GetItemType(), Item);
}

TEST_F(FromOrvaTest, CommonStartingWithASubitemRemovesNothing) {
  DdBuilder b;
  b.common = {{"S", 0, 2, 0, 0, 1, 1}, Numeric("T", 2, 2)};
  ASSERT_TRUE(Convert(b));
  const CDataDict dict = Result();
  const CDictRecord* ids = dict.GetLevel(0)->GetIdItemsRec();
  ASSERT_EQ(ids->GetNumItems(), 2);
  EXPECT_EQ(ids->GetItem(0)->GetName(), "S");
}

TEST_F(FromOrvaTest, RecordItemsOverlappingCommonAreRemovedAndListed) {
  DdBuilder b;
  b.common = {Numeric("ID", 2, 2)};  // Travo columns 3 and 4
  b.records = {{"R1", "", 1, 1,
                {Numeric("A", 0, 2), Numeric("B", 2, 1), {"B1", 2, 1, 0, 0, 1, 1}, Numeric("C", 3, 1),
                 Numeric("D", 4, 1)}},
               {"R2", "", 1, 1, {Numeric("E", 1, 5), Numeric("F", 6, 1)}}};
  ASSERT_TRUE(Convert(b));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text,
            "The following items overlapped with COMMON items and were removed:\r\nB\t\t\r\nC\t\tE\t\t");
  const CDataDict dict = Result();
  const CDictLevel* level = dict.GetLevel(0);
  ASSERT_EQ(level->GetRecord(0)->GetNumItems(), 2);
  EXPECT_EQ(level->GetRecord(0)->GetItem(0)->GetName(), "A");
  EXPECT_EQ(level->GetRecord(0)->GetItem(1)->GetName(), "D");
  ASSERT_EQ(level->GetRecord(1)->GetNumItems(), 1);
  EXPECT_EQ(level->GetRecord(1)->GetItem(0)->GetName(), "F");
}

TEST_F(FromOrvaTest, FilesThatCannotBeOpenedAreReportedAndNothingIsWritten) {
  struct Case {
    const char* what;
    std::function<void(std::string&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"older package", [](std::string& s) { s.replace(0, 8, "DDP00010"); }, "Dictionary is not from ORVA version 3.1"},
      {"wrong magic", [](std::string& s) { s.replace(0, 8, "TRAVODCF"); }, "File is not an ORVA 3.1 Data Dictionary."},
      {"other version", [](std::string& s) { s.replace(8, 12, "VERSION 1.0 "); }, "Dictionary is not from ORVA version 3.1"},
      {"not usable", [](std::string& s) { DdBuilder::PutI16(s, 36, 0); }, "ORVA 3.1 Dictionary is not usable."},
      {"table past the end", [](std::string& s) { DdBuilder::PutI16(s, 38, 90); }, "I/O Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host.messages.clear();
    DdBuilder b;
    b.records = {{"R", "", 1, 1, {Numeric("X", 0, 1)}}};
    std::string bytes = b.Build();
    c.change(bytes);
    std::ofstream(dir.file("bad.dd"), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    EXPECT_FALSE(ConvertFile(dir.file("bad.dd")));
    EXPECT_EQ(host.texts(), std::vector<std::string>{c.message});
    EXPECT_FALSE(OutputExists());
    EXPECT_EQ(host.progressWindows, 0);
  }
  host.messages.clear();
  EXPECT_FALSE(ConvertFile(dir.file("missing.dd")));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"I/O Error"});
}

TEST_F(FromOrvaTest, FileLockedByAWriterIsInUse) {
  DdBuilder b;
  ASSERT_TRUE(b.WriteTo(dir.file("busy.dd")));
  ChildLock writer(dir.file("busy.dd"), F_WRLCK);
  EXPECT_FALSE(ConvertFile(dir.file("busy.dd")));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"ORVA 3.1 Dictionary is already being used; please close first."});
  EXPECT_FALSE(OutputExists());
}

TEST_F(FromOrvaTest, VeryLongInputNameIsRefused) {
  const std::string base = dir.file(std::string(200, 'n'));
  EXPECT_FALSE(ConvertFile(base + ".dd"));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"File name too long:\n" + base});
}

// Entries pointing outside their tables are unreadable: the conversion stops with the
// read error of the record or item, and writes nothing.
TEST_F(FromOrvaTest, CorruptEntriesStopWithTheReadMessages) {
  struct Case {
    const char* what;
    std::function<void(DdBuilder&, std::string&)> change;
    const char* message;
    unsigned style;
  };
  const Case cases[] = {
      {"record items past the table", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.RecordAt(1) + 37, 40); },
       "I/O Error reading record 1.", 0},
      {"value names past the table", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(1) + 33, 7); },
       "I/O Error reading record 0, item 0.", MB_ICONEXCLAMATION},
      {"pairs past the value area", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ValueNameAt(1) + 17, 500); },
       "I/O Error reading record 0, item 0.", 0},
      {"values on a long item", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(0) + 19, 40); },
       "I/O Error reading record -1, item 0.", 0},
      {"values on a zero-length item", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(0) + 19, 0); },
       "I/O Error reading record -1, item 0.", 0},
      // Overlapping ranges would repeat the file's content without end; they are unreadable.
      {"a record sharing another's items",
       [](DdBuilder& b, std::string& s) {
         DdBuilder::PutI16(s, b.RecordAt(1) + 37, 1);
         DdBuilder::PutI16(s, b.RecordAt(1) + 39, 1);
       },
       "I/O Error reading record 1.", 0},
      {"an item sharing another's value names",
       [](DdBuilder& b, std::string& s) {
         DdBuilder::PutI16(s, b.ItemAt(1) + 31, 2);
         DdBuilder::PutI16(s, b.ItemAt(1) + 33, 0);
       },
       "I/O Error reading record 0, item 0.", 0},
      {"value names sharing pairs",
       [](DdBuilder& b, std::string& s) {
         DdBuilder::PutI16(s, b.ValueNameAt(1) + 17, 0);
         DdBuilder::PutI16(s, b.ValueNameAt(1) + 19, 2);
       },
       "I/O Error reading record 0, item 0.", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host.messages.clear();
    DdBuilder b;
    b.common = {Numeric("ID", 0, 2)};
    b.common[0].values = {{"ONE", {{" 1", " 1"}}}};
    DdItemSpec x = Numeric("X", 2, 2);
    x.values = {{"TWO", {{" 2", " 2"}}}};
    b.records = {{"R", "", 1, 1, {x}}, {"S", "", 1, 1, {}}};
    std::string bytes = b.Build();
    c.change(b, bytes);
    std::ofstream(dir.file("bad.dd"), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    EXPECT_FALSE(ConvertFile(dir.file("bad.dd")));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, c.message);
    EXPECT_EQ(host.messages[0].style, c.style);
    EXPECT_FALSE(OutputExists());
    EXPECT_EQ(host.progressOpen, 0);
  }
}

TEST_F(FromOrvaTest, CancelAtAnyCheckWritesNothingAndSaysNothing) {
  DdBuilder b;
  b.records = {{"R", "", 1, 1, {Numeric("X", 0, 1)}}, {"S", "", 1, 1, {Numeric("Y", 0, 1)}}};
  for (int check = 1; check <= 4; ++check) {  // after COMMON, each record, validation
    SCOPED_TRACE(check);
    host = RecordingHost();
    host.cancelAtCheck = check;
    EXPECT_FALSE(Convert(b));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(OutputExists());
    EXPECT_EQ(host.progressOpen, 0);
  }
  host = RecordingHost();
  host.cancelAtCheck = 5;
  EXPECT_TRUE(Convert(b));
}

TEST_F(FromOrvaTest, FailedSaveSaysNotConvertedWithTheReason) {
  DdBuilder b;
  output = dir.file("no/such/folder/out.dcf");
  EXPECT_FALSE(Convert(b));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("ORVA 3.1 Dictionary not converted.", 0), 0u);
}

TEST_F(FromOrvaTest, TheInputFileIsReleasedAfterAFailedConversion) {
  DdBuilder b;
  b.records = {{"R", "", 1, 1, {Numeric("X", 0, 1)}}};
  std::string bytes = b.Build();
  DdBuilder::PutI16(bytes, b.RecordAt(0) + 39, 5);  // record 0 unreadable
  std::ofstream(dir.file("held.dd"), std::ios::binary).write(bytes.data(), bytes.size());
  EXPECT_FALSE(ConvertFile(dir.file("held.dd")));
  // Another process may now write it: no lock of ours is left behind.
  ChildLock writer(dir.file("held.dd"), F_WRLCK);
}

}  // namespace
