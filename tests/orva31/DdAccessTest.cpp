// The ORVA 3.1 access layer: opening and its checks, reading through the windows, the
// corrupt files it must refuse, the writing image's insertion rules and limits, locks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "ChildLock.h"
#include "DdBuilder.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "Files.h"
#include "orva31/DdAccess.h"

namespace {

// A small dictionary: two COMMON items (one with values), two records.
DdBuilder SampleDictionary() {
  DdBuilder b;
  b.recTypeStart = 0;
  b.recTypeLen = 2;
  b.maxRecordLength = 40;
  b.common = {{"PROVINCE", 2, 2, 0, 0, 1, 0, {{"NORTH", {{" 1", " 1"}}}, {"NR", {{"99", "99"}}}}},
              {"DISTRICT", 4, 3}};
  b.records = {{"PERSON", "01", 1, 30,
                {{"AGE", 7, 3, 0, 0, 1, 0, {{"CHILD", {{"  0", " 14"}, {" 15", " 17"}}}}},
                 {"NAME", 10, 20, 1},
                 {"NAME-FIRST", 10, 5, 1, 0, 1, 1}}},
               {"HOUSE", "02", 0, 1, {{"ROOMS", 7, 2, 0, 1, 1, 0, {{"MANY", {{"99", "99"}}}}}}}};
  return b;
}

class DdAccessTest : public ::testing::Test {
 protected:
  void TearDown() override {
    input.Close();
    output.CloseOutput();
  }
  // Writes bytes as <dir>/<name>.DD and returns the base name.
  std::string Put(const std::string& bytes, const std::string& name = "TEST", const std::string& ext = ".DD") {
    const std::string base = dir.file(name);
    WriteFile(base + ext, bytes);
    return base;
  }
  int Open(const std::string& base) {
    DdFileInfo info;
    return input.Open(base, &info);
  }
  TempDir dir;
  DdReader input;
  DdWriter output;
};

// ---------------------------------------------------------------- Opening

TEST_F(DdAccessTest, OpenReportsEachKindOfBadFile) {
  struct Case {
    const char* what;
    std::function<void(DdBuilder&, std::string&)> change;
    int expected;
  };
  const Case cases[] = {
      {"valid", [](DdBuilder&, std::string&) {}, DD_OK},
      {"older package", [](DdBuilder&, std::string& s) { s.replace(0, 8, "DDP00010"); }, DD_OTHER_VERSION},
      {"wrong magic", [](DdBuilder&, std::string& s) { s.replace(0, 8, "ORVADDF?"); }, DD_NOT_FOUND},
      {"other version", [](DdBuilder&, std::string& s) { s.replace(8, 12, "VERSION 3.0 "); }, DD_OTHER_VERSION},
      {"not usable", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 36, 0); }, DD_NOT_USABLE},
      {"empty file", [](DdBuilder&, std::string& s) { s.clear(); }, DD_NOT_FOUND},
      {"header cut short", [](DdBuilder&, std::string& s) { s.resize(60); }, DD_IO_ERROR},
      {"value area cut short", [](DdBuilder&, std::string& s) { s.pop_back(); }, DD_IO_ERROR},
      {"negative record count", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 38, -1); }, DD_IO_ERROR},
      {"negative item count", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 40, -3); }, DD_IO_ERROR},
      {"record count past the file", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 38, 30000); },
       DD_IO_ERROR},
      {"COMMON items beyond the total", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 42, 12); },
       DD_IO_ERROR},
      {"COMMON value names beyond the total", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 64, 9); },
       DD_IO_ERROR},
      {"item table offset past the file", [](DdBuilder&, std::string& s) { DdBuilder::PutU32(s, 70, 0xFFFFFFF0u); },
       DD_IO_ERROR},
      {"value area larger than the file", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 60, 0xFFFF); },
       DD_IO_ERROR},
      {"record type length below -1", [](DdBuilder&, std::string& s) { DdBuilder::PutI16(s, 48, -7); },
       DD_IO_ERROR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DdBuilder b = SampleDictionary();
    std::string bytes = b.Build();
    c.change(b, bytes);
    EXPECT_EQ(Open(Put(bytes)), c.expected);
    input.Close();
  }
}

TEST_F(DdAccessTest, OpenFillsTheFileInfoFromTheHeader) {
  DdFileInfo info;
  ASSERT_EQ(input.Open(Put(SampleDictionary().Build()), &info), DD_OK);
  EXPECT_STREQ(info.date, "03/14/24");
  EXPECT_STREQ(info.time, "09:26:53");
  EXPECT_EQ(info.maxRecordLength, 40);
  EXPECT_EQ(info.numRecords, 2);
  EXPECT_EQ(info.recTypeStart, 0);
  EXPECT_EQ(info.recTypeLen, 2);
}

TEST_F(DdAccessTest, AFailedOpenServesNothingOfAnEarlierFile) {
  ASSERT_EQ(Open(Put(SampleDictionary().Build(), "GOOD")), DD_OK);
  std::string bytes = SampleDictionary().Build();
  DdBuilder::PutI16(bytes, 36, 0);
  EXPECT_EQ(Open(Put(bytes, "BAD")), DD_NOT_USABLE);
  DdRecordInfo r;
  EXPECT_EQ(input.GetRecord(0, &r), DD_NOT_FOUND);
  ASSERT_EQ(input.GetRecord(-1, &r), DD_OK);
  EXPECT_EQ(r.numItems, 0);
}

TEST_F(DdAccessTest, MissingFilesAndFoldersAreIoErrorsAtOnce) {
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Open(dir.file("NOTHERE")), DD_IO_ERROR);
  std::filesystem::create_directory(dir.file("FOLDER.DD"));
  EXPECT_EQ(Open(dir.file("FOLDER")), DD_IO_ERROR);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));
}

TEST_F(DdAccessTest, ExtensionIsFoundInAnyLetterCase) {
  const std::string bytes = SampleDictionary().Build();
  for (const char* ext : {".DD", ".dd", ".Dd", ".dD"}) {
    SCOPED_TRACE(ext);
    const std::string base = Put(bytes, std::string("CASE") + (ext + 1), ext);
    EXPECT_EQ(Open(base), DD_OK);
    input.Close();
  }
  // The base name itself is not matched case-insensitively.
  EXPECT_EQ(Open(dir.file("casedd")), DD_IO_ERROR);
}

TEST_F(DdAccessTest, EmptyDictionaryOpensAndHasNothing) {
  DdBuilder b;
  ASSERT_EQ(Open(Put(b.Build())), DD_OK);
  DdRecordInfo r;
  ASSERT_EQ(input.GetRecord(-1, &r), DD_OK);
  EXPECT_EQ(r.numItems, 0);
  EXPECT_EQ(input.GetRecord(0, &r), DD_NOT_FOUND);
  DdItemInfo it;
  EXPECT_EQ(input.GetItem(-1, 0, &it), DD_NOT_FOUND);
}

// ---------------------------------------------------------------- Reading

TEST_F(DdAccessTest, ReadsEveryFieldAsStored) {
  ASSERT_EQ(Open(Put(SampleDictionary().Build())), DD_OK);
  DdRecordInfo r;
  ASSERT_EQ(input.GetRecord(-1, &r), DD_OK);
  EXPECT_STREQ(r.name, "");
  EXPECT_STREQ(r.recTypeValue, "");
  EXPECT_EQ(r.required, 0);
  EXPECT_EQ(r.maxOccurrences, 0);
  EXPECT_EQ(r.numItems, 2);

  ASSERT_EQ(input.GetRecord(0, &r), DD_OK);
  EXPECT_STREQ(r.name, "PERSON          ");
  EXPECT_STREQ(r.recTypeValue, "01");
  EXPECT_EQ(r.required, 1);
  EXPECT_EQ(r.maxOccurrences, 30);
  EXPECT_EQ(r.numItems, 3);

  DdItemInfo it;
  ASSERT_EQ(input.GetItem(0, 2, &it), DD_OK);
  EXPECT_STREQ(it.name, "NAME-FIRST      ");
  EXPECT_EQ(it.start, 10);
  EXPECT_EQ(it.length, 5);
  EXPECT_EQ(it.dataType, 1);
  EXPECT_EQ(it.itemType, 1);
  EXPECT_EQ(it.numValueNames, 0);
  ASSERT_EQ(input.GetItem(1, 0, &it), DD_OK);
  EXPECT_STREQ(it.name, "ROOMS           ");
  EXPECT_EQ(it.decimals, 1);
  EXPECT_EQ(it.numValueNames, 1);

  DdValueNameInfo v;
  ASSERT_EQ(input.GetValueName(0, 0, 0, &v), DD_OK);
  EXPECT_STREQ(v.name, "CHILD           ");
  EXPECT_EQ(v.numPairs, 2);
  DdValuePair p;
  ASSERT_EQ(input.GetValue(0, 0, 0, 1, &p), DD_OK);
  EXPECT_STREQ(p.from, " 15");
  EXPECT_STREQ(p.to, " 17");
  ASSERT_EQ(input.GetValue(-1, 0, 1, 0, &p), DD_OK);
  EXPECT_STREQ(p.from, "99");
  ASSERT_EQ(input.GetValue(1, 0, 0, 0, &p), DD_OK);
  EXPECT_STREQ(p.to, "99");
}

TEST_F(DdAccessTest, RecordTypeValueEndsAtItsFirstNul) {
  DdBuilder b = SampleDictionary();
  b.records[0].recType = std::string("AB\0         ", 12);
  b.records[1].recType = std::string(16, 'X');  // no NUL in the field at all
  ASSERT_EQ(Open(Put(b.Build())), DD_OK);
  DdRecordInfo r;
  ASSERT_EQ(input.GetRecord(0, &r), DD_OK);
  EXPECT_STREQ(r.recTypeValue, "AB");
  ASSERT_EQ(input.GetRecord(1, &r), DD_OK);
  EXPECT_EQ(std::strlen(r.recTypeValue), 15u);
}

TEST_F(DdAccessTest, CommonItemIndexesReachIntoTheRecords) {
  ASSERT_EQ(Open(Put(SampleDictionary().Build())), DD_OK);
  DdItemInfo it;
  ASSERT_EQ(input.GetItem(-1, 2, &it), DD_OK);  // COMMON has 2 items; table index 2 is AGE
  EXPECT_STREQ(it.name, "AGE             ");
  EXPECT_EQ(input.GetItem(-1, 6, &it), DD_NOT_FOUND);
}

TEST_F(DdAccessTest, IndexesOutOfRangeAreNotFound) {
  ASSERT_EQ(Open(Put(SampleDictionary().Build())), DD_OK);
  DdRecordInfo r;
  DdItemInfo it;
  DdValueNameInfo v;
  DdValuePair p;
  EXPECT_EQ(input.GetRecord(-2, &r), DD_NOT_FOUND);
  EXPECT_EQ(input.GetRecord(2, &r), DD_NOT_FOUND);
  EXPECT_EQ(input.GetItem(0, -1, &it), DD_NOT_FOUND);
  EXPECT_EQ(input.GetItem(0, 3, &it), DD_NOT_FOUND);
  EXPECT_EQ(input.GetItem(5, 0, &it), DD_NOT_FOUND);
  EXPECT_EQ(input.GetValueName(0, 1, 0, &v), DD_NOT_FOUND);
  EXPECT_EQ(input.GetValueName(0, 0, -1, &v), DD_NOT_FOUND);
  EXPECT_EQ(input.GetValue(0, 0, 0, 2, &p), DD_NOT_FOUND);
  EXPECT_EQ(input.GetValue(0, 0, 0, -1, &p), DD_NOT_FOUND);
}

TEST_F(DdAccessTest, ReadingWithoutAnOpenFileFails) {
  DdRecordInfo r;
  EXPECT_EQ(input.GetRecord(-1, &r), DD_IO_ERROR);
  EXPECT_EQ(input.Close(), 0);
}

// Entries that point outside their tables are refused as unreadable, never followed.
TEST_F(DdAccessTest, CorruptEntriesAreUnreadable) {
  struct Case {
    const char* what;
    std::function<void(DdBuilder&, std::string&)> change;
    std::function<int()> read;
  };
  DdRecordInfo r;
  DdItemInfo it;
  DdValueNameInfo v;
  DdValuePair p;
  const Case cases[] = {
      {"record items past the item table", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.RecordAt(1) + 39, 6); },
       [&] { return input.GetRecord(1, &r); }},
      {"negative record item count", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.RecordAt(0) + 37, -2); },
       [&] { return input.GetRecord(0, &r); }},
      {"negative first item", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.RecordAt(0) + 39, -1); },
       [&] { return input.GetItem(0, 0, &it); }},
      {"value names past the table", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(2) + 33, 4); },
       [&] { return input.GetItem(0, 0, &it); }},
      {"negative value-name count", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(3) + 31, -1); },
       [&] { return input.GetItem(0, 1, &it); }},
      {"pairs past the value area", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ValueNameAt(2) + 19, 9); },
       [&] { return input.GetValueName(0, 0, 0, &v); }},
      {"pairs with no offset", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ValueNameAt(3) + 17, 0xFFFF); },
       [&] { return input.GetValue(1, 0, 0, 0, &p); }},
      {"negative pair count", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ValueNameAt(0) + 19, -4); },
       [&] { return input.GetValueName(-1, 0, 0, &v); }},
      {"pairs on a 16-character item", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(0) + 19, 16); },
       [&] { return input.GetValue(-1, 0, 0, 0, &p); }},
      {"pairs on a zero-length item", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(0) + 19, 0); },
       [&] { return input.GetValueName(-1, 0, 0, &v); }},
      {"pairs on a negative length", [](DdBuilder& b, std::string& s) { DdBuilder::PutI16(s, b.ItemAt(0) + 19, -2); },
       [&] { return input.GetValueName(-1, 0, 0, &v); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DdBuilder b = SampleDictionary();
    std::string bytes = b.Build();
    c.change(b, bytes);
    ASSERT_EQ(Open(Put(bytes)), DD_OK);
    EXPECT_EQ(c.read(), DD_IO_ERROR);
    input.Close();
  }
}

TEST_F(DdAccessTest, LongItemWithValueNamesButNoPairsIsReadable) {
  DdBuilder b;
  b.common = {{"REMARK", 0, 40, 1, 0, 1, 0, {{"NONE", {}}}}};
  ASSERT_EQ(Open(Put(b.Build())), DD_OK);
  DdValueNameInfo v;
  ASSERT_EQ(input.GetValueName(-1, 0, 0, &v), DD_OK);
  EXPECT_EQ(v.numPairs, 0);
}

// Walking in table order loads every block of each table once; the value window reloads
// at a pair that starts in its last 20 bytes, and again when an earlier pair is wanted.
TEST_F(DdAccessTest, WindowsLoadEachBlockOnceInTableOrder) {
  DdBuilder b;
  for (int r = 0; r < 12; ++r) {
    DdRecordSpec rec{"R" + std::to_string(r), "", 1, 1, {}};
    for (int i = 0; i < 11; ++i) {
      DdItemSpec item{"I" + std::to_string(i), i * 2, 2};
      for (int v = 0; v < 2; ++v) item.values.push_back({"V" + std::to_string(v), {{"01", "02"}}});
      rec.items.push_back(item);
    }
    b.records.push_back(rec);
  }
  ASSERT_EQ(Open(Put(b.Build())), DD_OK);
  const long atOpen = input.ReadStats().loads;
  EXPECT_EQ(atOpen, 4);
  for (int r = 0; r < 12; ++r) {
    DdRecordInfo ri;
    ASSERT_EQ(input.GetRecord(r, &ri), DD_OK);
    for (int i = 0; i < ri.numItems; ++i) {
      DdItemInfo it;
      ASSERT_EQ(input.GetItem(r, i, &it), DD_OK);
      for (int v = 0; v < it.numValueNames; ++v) {
        DdValueNameInfo vn;
        DdValuePair p;
        ASSERT_EQ(input.GetValueName(r, i, v, &vn), DD_OK);
        ASSERT_EQ(input.GetValue(r, i, v, 0, &p), DD_OK);
      }
    }
  }
  // 12 records: 3 blocks; 132 items: 3 blocks; 264 value names: 3 blocks; 1056 value
  // bytes: one window. The first block of each was loaded by the opening.
  EXPECT_EQ(input.ReadStats().loads - atOpen, 2 + 2 + 2);
}

TEST_F(DdAccessTest, ValueWindowReloadsNearItsEnd) {
  DdBuilder b;
  DdValueSpec many{"MANY", {}};
  for (int k = 0; k < 120; ++k) {
    const std::string t = std::to_string(1000000000 + k);
    many.pairs.push_back({t, t});
  }
  b.common = {{"CODE", 0, 10, 0, 0, 1, 0, {many}}};  // 20 bytes a pair
  ASSERT_EQ(Open(Put(b.Build())), DD_OK);
  DdValuePair p;
  auto loadsFor = [&](int pair) {
    const long before = input.ReadStats().loads;
    EXPECT_EQ(input.GetValue(-1, 0, 0, pair, &p), DD_OK);
    EXPECT_EQ(std::string(p.from), std::to_string(1000000000 + pair));
    return input.ReadStats().loads - before;
  };
  EXPECT_EQ(loadsFor(0), 0);
  EXPECT_EQ(loadsFor(98), 0);   // bytes 1960 to 1999: inside the first 1980 and the window
  EXPECT_EQ(loadsFor(99), 1);   // starts at 1980: reload at the pair
  EXPECT_EQ(loadsFor(119), 0);  // 2380 lies in the window that starts at 1980
  EXPECT_EQ(loadsFor(3), 1);    // before the window start
}

// ---------------------------------------------------------------- Locks

TEST_F(DdAccessTest, WriterInAnotherProcessMeansInUseAfterRetries) {
  const std::string base = Put(SampleDictionary().Build());
  ChildLock writer(base + ".DD", F_WRLCK);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Open(base), DD_IN_USE);
  const auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_GE(waited, std::chrono::milliseconds(1700));  // 8 attempts, 250 ms apart
  EXPECT_LT(waited, std::chrono::milliseconds(4000));
  EXPECT_TRUE(DdFileInUse(base + ".DD"));
}

TEST_F(DdAccessTest, ReadersShareButWritersDoNot) {
  const std::string base = Put(SampleDictionary().Build(), "SHARED", ".dd");
  ChildLock reader(base + ".dd", F_RDLCK);
  EXPECT_EQ(Open(base), DD_OK);
  EXPECT_TRUE(DdFileInUse(base + ".dd"));
  EXPECT_EQ(output.Create(base), DD_IO_ERROR);
  EXPECT_TRUE(errno == EAGAIN || errno == EACCES);
  EXPECT_FALSE(DdFileInUse(dir.file("NOTHERE.dd")));
}

// ---------------------------------------------------------------- Writing

DdRecordInfo RecordInfo(const char* name, const char* type, int required = 1, int maxOcc = 1) {
  DdRecordInfo r = {};
  std::snprintf(r.name, sizeof r.name, "%-16s", name);
  std::snprintf(r.recTypeValue, sizeof r.recTypeValue, "%s", type);
  r.required = required;
  r.maxOccurrences = maxOcc;
  return r;
}

DdItemInfo ItemInfo(const char* name, int start, int length, int dataType = 0, int decimals = 0, int occurs = 1,
                    int itemType = 0) {
  DdItemInfo it = {};
  std::snprintf(it.name, sizeof it.name, "%-16s", name);
  it.start = start;
  it.length = length;
  it.dataType = dataType;
  it.decimals = decimals;
  it.occurrences = occurs;
  it.itemType = itemType;
  return it;
}

DdValueNameInfo ValueNameInfo(const char* name) {
  DdValueNameInfo v = {};
  std::snprintf(v.name, sizeof v.name, "%-16s", name);
  return v;
}

DdValuePair Pair(const char* from, const char* to) {
  DdValuePair p = {};
  std::snprintf(p.from, sizeof p.from, "%-15s", from);
  std::snprintf(p.to, sizeof p.to, "%-15s", to);
  return p;
}

TEST_F(DdAccessTest, AdditionsInAnyOrderGiveTheFileInTableOrder) {
  ASSERT_EQ(output.Create(dir.file("OUT")), DD_OK);
  output.New();
  output.SetRecordType(0, 2);
  // Records and their later parts first, COMMON and earlier parts last: every insertion
  // must shift the entries behind it and the first-indexes that point there.
  DdRecordInfo person = RecordInfo("PERSON", "01", 1, 30), house = RecordInfo("HOUSE", "02", 0, 1);
  EXPECT_EQ(output.AddRecord(&person), 0);
  EXPECT_EQ(output.AddRecord(&house), 1);
  DdItemInfo rooms = ItemInfo("ROOMS", 7, 2, 0, 1), name = ItemInfo("NAME", 10, 20, 1);
  DdItemInfo age = ItemInfo("AGE", 7, 3), first = ItemInfo("NAME-FIRST", 10, 5, 1, 0, 1, 1);
  EXPECT_EQ(output.AddItem(1, &rooms), 0);
  EXPECT_EQ(output.AddItem(0, &age), 0);
  EXPECT_EQ(output.AddItem(0, &name), 1);
  EXPECT_EQ(output.AddItem(0, &first), 2);
  DdValueNameInfo many = ValueNameInfo("MANY"), child = ValueNameInfo("CHILD");
  EXPECT_EQ(output.AddValueName(1, 0, &many), 0);
  DdValuePair p99 = Pair("99", "99");
  EXPECT_EQ(output.AddValue(1, 0, 0, &p99), 0);
  EXPECT_EQ(output.AddValueName(0, 0, &child), 0);
  DdValuePair c1 = Pair("  0", " 14"), c2 = Pair(" 15", " 17");
  EXPECT_EQ(output.AddValue(0, 0, 0, &c1), 0);
  EXPECT_EQ(output.AddValue(0, 0, 0, &c2), 1);
  DdItemInfo province = ItemInfo("PROVINCE", 2, 2), district = ItemInfo("DISTRICT", 4, 3);
  EXPECT_EQ(output.AddItem(-1, &province), 0);
  EXPECT_EQ(output.AddItem(-1, &district), 1);
  DdValueNameInfo north = ValueNameInfo("NORTH"), nr = ValueNameInfo("NR");
  EXPECT_EQ(output.AddValueName(-1, 0, &north), 0);
  EXPECT_EQ(output.AddValueName(-1, 0, &nr), 1);
  DdValuePair p1 = Pair(" 1", " 1");
  EXPECT_EQ(output.AddValue(-1, 0, 1, &p99), 0);  // NR's pair first, then NORTH's before it
  EXPECT_EQ(output.AddValue(-1, 0, 0, &p1), 0);
  EXPECT_EQ(output.Write("03/14/24", "09:26:53"), DD_OK);
  EXPECT_EQ(output.CloseOutput(), 0);

  DdBuilder b = SampleDictionary();
  b.maxRecordLength = 30;  // NAME: 10 + 20
  EXPECT_EQ(ReadTextFile(dir.file("OUT.dd")), b.Build());
}

TEST_F(DdAccessTest, ValueNamesAndPairsInsertBeforeLaterOnes) {
  ASSERT_EQ(output.Create(dir.file("OUT")), DD_OK);
  output.New();
  DdItemInfo a = ItemInfo("A", 0, 2), b2 = ItemInfo("B", 2, 2);
  ASSERT_EQ(output.AddItem(-1, &a), 0);
  ASSERT_EQ(output.AddItem(-1, &b2), 1);
  DdValueNameInfo x = ValueNameInfo("X"), y = ValueNameInfo("Y"), z = ValueNameInfo("Z");
  DdValuePair p1 = Pair("11", "11"), p2 = Pair("22", "22"), p3 = Pair("33", "33"), p4 = Pair("44", "44");
  ASSERT_EQ(output.AddValueName(-1, 1, &z), 0);  // B's value name first
  ASSERT_EQ(output.AddValue(-1, 1, 0, &p4), 0);
  ASSERT_EQ(output.AddValueName(-1, 0, &x), 0);  // then A's, which go before it
  ASSERT_EQ(output.AddValueName(-1, 0, &y), 1);
  ASSERT_EQ(output.AddValue(-1, 0, 1, &p3), 0);  // Y's pair before Z's
  ASSERT_EQ(output.AddValue(-1, 0, 0, &p1), 0);  // X's pairs before Y's
  ASSERT_EQ(output.AddValue(-1, 0, 0, &p2), 1);
  ASSERT_EQ(output.Write("d", "t"), DD_OK);
  output.CloseOutput();

  DdBuilder expected;
  expected.common = {{"A", 0, 2, 0, 0, 1, 0, {{"X", {{"11", "11"}, {"22", "22"}}}, {"Y", {{"33", "33"}}}}},
                     {"B", 2, 2, 0, 0, 1, 0, {{"Z", {{"44", "44"}}}}}};
  expected.maxRecordLength = 4;
  expected.date = "d";
  expected.time = "t";
  EXPECT_EQ(ReadTextFile(dir.file("OUT.dd")), expected.Build());
}

TEST_F(DdAccessTest, WrittenFileReadsBackThroughTheReadingHalf) {
  ASSERT_EQ(output.Create(dir.file("BACK")), DD_OK);
  output.New();
  output.SetRecordType(3, 1);
  DdRecordInfo rec = RecordInfo("REC-ONE", "A");
  ASSERT_EQ(output.AddRecord(&rec), 0);
  DdItemInfo it = ItemInfo("ITEM-X", 4, 3, 0, 1, 5);
  ASSERT_EQ(output.AddItem(0, &it), 0);
  DdValueNameInfo vn = ValueNameInfo("LOW");
  ASSERT_EQ(output.AddValueName(0, 0, &vn), 0);
  DdValuePair p = Pair(" 25", "100");
  ASSERT_EQ(output.AddValue(0, 0, 0, &p), 0);
  ASSERT_EQ(output.Write("01/02/03", "04:05:06"), DD_OK);
  ASSERT_EQ(output.CloseOutput(), 0);

  DdFileInfo info;
  ASSERT_EQ(input.Open(dir.file("BACK"), &info), DD_OK);
  EXPECT_EQ(info.maxRecordLength, 19);  // 4 + 3 x 5
  EXPECT_EQ(info.recTypeStart, 3);
  DdRecordInfo r;
  ASSERT_EQ(input.GetRecord(0, &r), DD_OK);
  EXPECT_STREQ(r.name, "REC-ONE         ");
  EXPECT_STREQ(r.recTypeValue, "A");
  DdItemInfo i2;
  ASSERT_EQ(input.GetItem(0, 0, &i2), DD_OK);
  EXPECT_EQ(i2.occurrences, 5);
  EXPECT_EQ(i2.decimals, 1);
  DdValuePair q;
  ASSERT_EQ(input.GetValue(0, 0, 0, 0, &q), DD_OK);
  EXPECT_STREQ(q.from, " 25");
  EXPECT_STREQ(q.to, "100");
}

TEST_F(DdAccessTest, EmptyImageIsAHeaderOnlyAndCutsAnOlderLongerFile) {
  WriteFile(dir.file("EMPTY.dd"), std::string(100000, 'x'));
  ASSERT_EQ(output.Create(dir.file("EMPTY")), DD_OK);
  output.New();
  ASSERT_EQ(output.Write("03/14/24", "09:26:53"), DD_OK);
  ASSERT_EQ(output.CloseOutput(), 0);
  const std::string bytes = ReadTextFile(dir.file("EMPTY.dd"));
  ASSERT_EQ(bytes.size(), 512u);
  for (size_t offset : {66, 70, 74, 78}) EXPECT_EQ(DdBuilder::GetU32(bytes, offset), 512u);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 36), 1);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 46), -1);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 48), -1);
  DdBuilder expected;
  EXPECT_EQ(bytes, expected.Build());
}

TEST_F(DdAccessTest, LimitsRefuseAndLeaveTheImageAsItWas) {
  ASSERT_EQ(output.Create(dir.file("FULL")), DD_OK);
  output.New();
  DdRecordInfo rec = RecordInfo("R", "");
  for (int r = 0; r < 100; ++r) ASSERT_EQ(output.AddRecord(&rec), r);
  EXPECT_EQ(output.AddRecord(&rec), DD_IO_ERROR);

  DdItemInfo it = ItemInfo("I", 0, 10);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(output.AddItem(-1, &it), i);
  EXPECT_EQ(output.AddItem(-1, &it), DD_IO_ERROR);  // 101st COMMON item
  for (int i = 0; i < 900; ++i) ASSERT_EQ(output.AddItem(5, &it), i);
  EXPECT_EQ(output.AddItem(6, &it), DD_IO_ERROR);  // 1001st item in all
  EXPECT_EQ(output.AddItem(100, &it), DD_NOT_FOUND);

  DdValueNameInfo vn = ValueNameInfo("V");
  for (int v = 0; v < 2800; ++v) ASSERT_GE(output.AddValueName(5, v % 900, &vn), 0);
  EXPECT_EQ(output.AddValueName(5, 0, &vn), DD_IO_ERROR);
  EXPECT_EQ(output.AddValueName(5, 900, &vn), DD_NOT_FOUND);

  DdValuePair p = Pair("0123456789", "0123456789");  // 20 bytes a pair
  for (int k = 0; k < 1000; ++k) ASSERT_EQ(output.AddValue(5, 0, 0, &p), k);
  EXPECT_EQ(output.AddValue(5, 0, 1, &p), DD_IO_ERROR);  // 20020 bytes
  EXPECT_EQ(output.AddValue(5, 0, 9, &p), DD_NOT_FOUND);

  ASSERT_EQ(output.Write("03/14/24", "09:26:53"), DD_OK);
  ASSERT_EQ(output.CloseOutput(), 0);
  const std::string bytes = ReadTextFile(dir.file("FULL.dd"));
  EXPECT_EQ(DdBuilder::GetI16(bytes, 38), 100);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 40), 1000);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 42), 100);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 44), 2800);
  EXPECT_EQ(DdBuilder::GetI16(bytes, 64), 0);
  EXPECT_EQ(static_cast<uint16_t>(DdBuilder::GetI16(bytes, 60)), 20000);
  EXPECT_EQ(bytes.size(), 512u + 45 * 100 + 39 * 1000 + 23 * 2800 + 20000);
}

TEST_F(DdAccessTest, ARecordCanHoldAThousandItems) {
  ASSERT_EQ(output.Create(dir.file("WIDE")), DD_OK);
  output.New();
  DdRecordInfo rec = RecordInfo("R", "");
  ASSERT_EQ(output.AddRecord(&rec), 0);
  DdItemInfo it = ItemInfo("I", 0, 1);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(output.AddItem(0, &it), i);
  EXPECT_EQ(output.AddItem(0, &it), DD_IO_ERROR);
}

TEST_F(DdAccessTest, ValuesOfItemsLongerThanFifteenAreRefused) {
  ASSERT_EQ(output.Create(dir.file("LONG")), DD_OK);
  output.New();
  DdItemInfo it = ItemInfo("TEXT", 0, 16, 1);
  ASSERT_EQ(output.AddItem(-1, &it), 0);
  DdValueNameInfo vn = ValueNameInfo("V");
  ASSERT_EQ(output.AddValueName(-1, 0, &vn), 0);
  DdValuePair p = Pair("A", "A");
  EXPECT_EQ(output.AddValue(-1, 0, 0, &p), DD_IO_ERROR);
}

TEST_F(DdAccessTest, MaxRecordLengthCountsCommonOnceAndRecordsWithOccurrences) {
  ASSERT_EQ(output.Create(dir.file("LEN")), DD_OK);
  output.New();
  output.SetRecordType(0, 1);
  DdItemInfo id = ItemInfo("ID", 1, 5, 0, 0, 4);  // occurrences of COMMON items do not count
  ASSERT_EQ(output.AddItem(-1, &id), 0);
  EXPECT_EQ(output.MaxRecordLength(-1), 6);
  DdRecordInfo a = RecordInfo("A", "1"), b = RecordInfo("B", "2");
  output.AddRecord(&a);
  output.AddRecord(&b);
  DdItemInfo x = ItemInfo("X", 6, 2, 0, 0, 3), y = ItemInfo("Y", 6, 10);
  output.AddItem(0, &x);
  output.AddItem(1, &y);
  EXPECT_EQ(output.MaxRecordLength(0), 12);
  EXPECT_EQ(output.MaxRecordLength(1), 16);
  EXPECT_EQ(output.MaxRecordLength(-1), 16);
}

TEST_F(DdAccessTest, CreateFailsInAMissingFolder) {
  EXPECT_EQ(output.Create(dir.file("no/such/folder/X")), DD_IO_ERROR);
  EXPECT_EQ(output.Write("d", "t"), DD_IO_ERROR);
}

}  // namespace
