// ORVA 4.1 text dictionaries to Travo: every rule of the reader, the messages, progress,
// Cancel and the files it writes, from small .ddw texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RecordingHost.h"
#include "Files.h"
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "orva41/Orva41Format.h"

namespace {

using Texts = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

const std::string kHeader = "[Dictionary]\nVersion=ORVA 4.1\n";

Pairs PairsOf(const CDictValue& value) {
  Pairs pairs;
  for (int i = 0; i < value.GetNumVPairs(); ++i) pairs.emplace_back(value.GetVPair(i)->GetFrom(), value.GetVPair(i)->GetTo());
  return pairs;
}

// The dictionary the ORVA 4.1 module reads from path (no progress), its messages reported
// through app; error: the last one, when the file could not be read.
std::unique_ptr<CDataDict> LoadORVA41Dict(CConvertApp& app, const std::string& path, std::string* error = nullptr) {
  FormatContext context = app.Context();
  context.showProgress = false;
  auto dict = Orva41Format().readDictionary({path, path}, context);
  if (!dict && error) *error = app.m_sMessage;
  return dict;
}

class ConvertORVA41Test : public ::testing::Test {
 protected:
  RecordingHost host;
  TempDir dir;
  CConvertApp app{host};

  void SetUp() override { app.SetDecimalChar('.'); }

  std::string Write(const std::string& content, const std::string& name = "test.ddw") {
    std::string path = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, content);
    return path;
  }

  // The dictionary the conversion of content builds (the reading path it shares).
  std::unique_ptr<CDataDict> Load(const std::string& content) {
    auto dict = LoadORVA41Dict(app, Write(content));
    EXPECT_NE(dict, nullptr);
    return dict;
  }

  // The first record's items of a one-record dictionary.
  const CDictRecord& OnlyRecord(const CDataDict& dict) {
    EXPECT_EQ(dict.GetNumLevels(), 1);
    EXPECT_EQ(dict.GetLevel(0)->GetNumRecords(), 1);
    return *dict.GetLevel(0)->GetRecord(0);
  }

  // The values of the first value set of the first item in a record section.
  const CDictVSet& FirstVSet(const CDataDict& dict) { return *OnlyRecord(dict).GetItem(0)->GetVSet(0); }
};

// ---------------------------------------------------------------------------------------
// Dictionary level

TEST_F(ConvertORVA41Test, DictionarySectionSetsDefaultsThatLaterCommandsReplace) {
  // A dot in the folder name must not cut the dictionary name.
  const std::string path = Write(kHeader + "Note=first\n", "wave.2/hh-2019.ddw");
  auto dict = LoadORVA41Dict(app, path);
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(dict->GetLabel(), "hh-2019.ddw");
  EXPECT_EQ(dict->GetName(), "HH_2019");
  EXPECT_EQ(dict->GetNote(), "first");
  EXPECT_EQ(dict->GetRecTypeStart(), 0);
  EXPECT_EQ(dict->GetRecTypeLen(), 0);
  EXPECT_FALSE(dict->GetPosRelative());
  EXPECT_TRUE(dict->GetZeroFill());
  EXPECT_FALSE(dict->GetDecChar());

  dict = Load(kHeader +
              "Label=Survey\nname=hh-dict\nNote=one\nNOTE=two\nRecordTypeStart=3\nRecordTypeLen=x\nQuestId=ID\n");
  EXPECT_EQ(dict->GetLabel(), "Survey");
  EXPECT_EQ(dict->GetName(), "hh_dict");
  EXPECT_EQ(dict->GetNote(), "one\r\ntwo");
  EXPECT_EQ(dict->GetRecTypeStart(), 3);
  EXPECT_EQ(dict->GetRecTypeLen(), 0);
  EXPECT_EQ(host.texts(), Texts{});
}

TEST_F(ConvertORVA41Test, WithoutDictionarySectionTheModelDefaultsStay) {
  auto dict = Load("[Record]\nName=R\n");
  const CDataDict fresh;
  EXPECT_EQ(dict->GetLabel(), fresh.GetLabel());
  EXPECT_EQ(dict->GetName(), fresh.GetName());
  EXPECT_EQ(dict->GetZeroFill(), fresh.GetZeroFill());
  EXPECT_EQ(dict->GetLevel(0)->GetName(), "QUEST");
}

TEST_F(ConvertORVA41Test, UnknownLinesAreReportedWithTheirLineNumber) {
  struct Case {
    const char* name;
    std::string content;
    Texts messages;
  };
  const std::vector<Case> cases = {
      {"dictionary command, no blanks beside =", kHeader + "Label=L\nColour = red\n",
       {"Unrecognized command at line 4.\nColour=red"}},
      {"dictionary section skipped whole", kHeader + "\n[Notes]\nA=1\nfree\n[Record]\nName=R\n",
       {"Unrecognized section name at line 4.\n[Notes]"}},
      {"record command", "[Record]\nName=R\nFoo=bar\n", {"Unrecognized command at line 3.\nFoo = bar"}},
      {"item command", "[Record]\n[Item]\nName=A\nWidth=3\n", {"Unrecognized command at line 4.\nWidth = 3"}},
      {"value set command", "[Record]\n[Item]\n[ValueSet]\nKind=x\n", {"Unrecognized command at line 4.\nKind = x"}},
      {"value command", "[Record]\n[Item]\n[ValueSet]\nValue=1\nColour=\n",
       {"Unrecognized command at line 5.\nColour = "}},
      {"sections at every level",
       "[Record]\n[Junk]\nX=1\n[Item]\n[Junk2]\n[ValueSet]\nValue=1\n[Junk3]\nY=2\n",
       {"Unrecognized section name at line 2.\n[Junk]", "Unrecognized section name at line 5.\n[Junk2]",
        "Unrecognized section name at line 8.\n[Junk3]"}},
      {"common after records is unknown inside the record", "[Record]\nName=R\n[Common]\n[Item]\nName=X\n",
       {"Unrecognized section name at line 3.\n[Common]"}},
      {"accepted commands say nothing",
       kHeader + "QuestId=1\n[Record]\n[Item]\nSigned=Yes\n[ValueSet]\nName=VS\nValue=1\nNote=n\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host.messages.clear();
    Load(c.content);
    EXPECT_EQ(host.texts(), c.messages);
  }
}

TEST_F(ConvertORVA41Test, UnknownSectionsAreSkippedWithTheirLines) {
  auto dict = Load("[Record]\nName=R\n[Item]\nName=A\n[Extra]\nName=LOST\nLabel=lost\n[Item]\nName=B\n");
  const CDictRecord& record = OnlyRecord(*dict);
  ASSERT_EQ(record.GetNumItems(), 2);
  EXPECT_EQ(record.GetItem(0)->GetName(), "A");
  EXPECT_EQ(record.GetItem(0)->GetLabel(), "");
  EXPECT_EQ(record.GetItem(1)->GetName(), "B");
}

TEST_F(ConvertORVA41Test, WrongVersionStopsWithNothingWritten) {
  for (const std::string& content : {std::string("[Dictionary]\nVersion=ORVA 3.1\n[Record]\n"),
                                     std::string("[Dictionary]\nLabel=No version\n")}) {
    SCOPED_TRACE(content);
    host = RecordingHost();
    const std::string out = dir.file("out.dcf");
    EXPECT_FALSE(app.ConvertORVA41Dict(Write(content), out));
    EXPECT_EQ(host.texts(), Texts{"File is not an ORVA 4.1 Data Dictionary."});
    EXPECT_EQ(host.progressOpen, 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(LoadORVA41Dict(app, Write(content)), nullptr);
  }
}

TEST_F(ConvertORVA41Test, UnreadableInputIsNamedInTheMessage) {
  const std::string missing = dir.file("missing.ddw");
  EXPECT_FALSE(app.ConvertORVA41Dict(missing, dir.file("out.dcf")));
  EXPECT_EQ(host.texts(), Texts{"Cannot open ORVA 4.1 Data Dictionary  " + missing + ":\nNo such file or directory"});
  EXPECT_EQ(host.progressWindows, 0);
  EXPECT_FALSE(app.RunConversion(KIND_ORVA41_TO_TRAVO, dir.path().string(), dir.file("out.dcf")));
  EXPECT_EQ(host.texts().back(), "Cannot open ORVA 4.1 Data Dictionary  " + dir.path().string() + ":\nIs a directory");
  std::string error;
  EXPECT_EQ(LoadORVA41Dict(app, missing, &error), nullptr);
  EXPECT_EQ(error, host.texts().front());
}

// ---------------------------------------------------------------------------------------
// Levels and records

TEST_F(ConvertORVA41Test, CommonSectionMakesTheLevelAndItsIdItems) {
  auto dict = Load(kHeader + "[Common]\nLabel=Ids\n[Item]\nName=PROV\n[Record]\nName=R1\n[Record]\nName=R2\n");
  ASSERT_EQ(dict->GetNumLevels(), 1);
  const CDictLevel& level = *dict->GetLevel(0);
  EXPECT_EQ(level.GetName(), "QUEST");
  EXPECT_EQ(level.GetLabel(), "Questionnaire");
  EXPECT_EQ(level.GetIdItemsRec()->GetLabel(), "Ids");
  EXPECT_EQ(level.GetIdItemsRec()->GetName(), "IDS");
  ASSERT_EQ(level.GetIdItemsRec()->GetNumItems(), 1);
  EXPECT_EQ(level.GetIdItemsRec()->GetItem(0)->GetName(), "PROV");
  ASSERT_EQ(level.GetNumRecords(), 2);
  EXPECT_EQ(level.GetRecord(1)->GetName(), "R2");
}

TEST_F(ConvertORVA41Test, RecordCommands) {
  struct Case {
    std::string lines;
    bool required;
    CVornString recTypeVal;
    int maxRecs;
    int recLen;
  };
  const std::vector<Case> cases = {
      {"Required=yes\nRecordTypeValue=1, 2\nMaxRecords=30\nRecordLen=80\n", true, "1", 30, 80},
      {"Required=Y\nRecordTypeValue= H \n", true, "H", 1, 0},
      {"Required=N\nRecordTypeValue=2,3\nMaxRecords=many\n", false, "2", 0, 0},
      {"Required=\nRequired=no\n", false, "", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    auto dict = Load("[Record]\n" + c.lines);
    const CDictRecord& record = OnlyRecord(*dict);
    EXPECT_EQ(record.GetRequired(), c.required);
    EXPECT_EQ(record.GetRecTypeVal(), c.recTypeVal);
    EXPECT_EQ(record.GetMaxRecs(), c.maxRecs);
    EXPECT_EQ(record.GetRecLen(), c.recLen);
  }
  auto dict = Load("[Record]\nLabel=Person-level data\nNote=a\nNote=b\n[Record]\nName=hh-member\n");
  EXPECT_EQ(dict->GetLevel(0)->GetRecord(0)->GetName(), "PERSON_LEVEL_DATA");  // from the label
  EXPECT_EQ(dict->GetLevel(0)->GetRecord(0)->GetNote(), "a\r\nb");
  EXPECT_EQ(dict->GetLevel(0)->GetRecord(1)->GetName(), "hh_member");
  EXPECT_EQ(host.texts(), Texts{});
}

// ---------------------------------------------------------------------------------------
// Items

TEST_F(ConvertORVA41Test, ItemCommands) {
  auto dict = Load(
      "[Record]\n"
      "[Item]\nName=AGE\nLabel=Age\nNote=x\nNote=y\nStart=12\nLen=3\nOccurrences=2\nDecimal=1\nDataType=Numeric\n"
      "[Item]\nName=B\nItemType=Subitem\nDataType=Mixed\n"
      "[Item]\nName=C\nItemType=subitem\nItemType=Item\nDataType=alpha\nDataType=Text\n"
      "[Item]\nName=D\nItemType=Other\nDataType=Alpha\nDataType=numeric\n");
  const CDictRecord& record = OnlyRecord(*dict);
  ASSERT_EQ(record.GetNumItems(), 4);
  const CDictItem& age = *record.GetItem(0);
  EXPECT_EQ(age.GetLabel(), "Age");
  EXPECT_EQ(age.GetNote(), "x\r\ny");
  EXPECT_EQ(age.GetStart(), 12);
  EXPECT_EQ(age.GetLen(), 3);
  EXPECT_EQ(age.GetOccurs(), 2);
  EXPECT_EQ(age.GetDecimal(), 1);
  EXPECT_TRUE(age.GetZeroFill());
  EXPECT_EQ(record.GetItem(1)->GetItemType(), SubItem);
  EXPECT_EQ(record.GetItem(1)->GetDataType(), AlphaType);
  EXPECT_EQ(record.GetItem(2)->GetItemType(), Item);
  EXPECT_EQ(record.GetItem(2)->GetDataType(), AlphaType);  // "Text" leaves it
  EXPECT_EQ(record.GetItem(3)->GetItemType(), Item);
  EXPECT_EQ(record.GetItem(3)->GetDataType(), NumericType);
}

TEST_F(ConvertORVA41Test, ItemAndValueSetNames) {
  struct Case {
    std::string item;
    std::string name;
    Texts vsetNames;
  };
  const std::vector<Case> cases = {
      {"Label=Head-of-household\n[ValueSet]\nValue=1\n", "Head_of_household", {"Head_of_household_VS1"}},
      {"Label=Head-of-household\n", "HEAD_OF_HOUSEHOLD", {}},
      {"Name=AGE\n[ValueSet]\nValue=1\n[ValueSet]\nName=IGNORED\nValue=2\n", "AGE", {"AGE_VS1", "AGE_VS2"}},
      // A label that is no valid name even with its dashes replaced is made one.
      {"Label=Age of head\n[ValueSet]\nValue=1\n", "AGE_OF_HEAD", {"AGE_OF_HEAD_VS1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    auto dict = Load("[Record]\nName=R\n[Item]\n" + c.item);
    const CDictItem& item = *OnlyRecord(*dict).GetItem(0);
    EXPECT_EQ(item.GetName(), c.name);
    Texts names;
    for (int i = 0; i < item.GetNumVSets(); ++i) names.push_back(item.GetVSet(i)->GetName());
    EXPECT_EQ(names, c.vsetNames);
    if (item.GetNumVSets() > 0) {
      EXPECT_EQ(item.GetVSet(0)->GetLabel(), item.GetLabel());
    }
  }
}

TEST_F(ConvertORVA41Test, SubitemsInCommonArePromotedOncePerRun) {
  auto dict = Load(
      "[Common]\n"
      "[Item]\nName=ID\n[Item]\nName=ID_A\nItemType=S\n[Item]\nName=ID_B\nItemType=S\n"
      "[Item]\nName=HH\n[Item]\nName=HH_A\nItemType=Subitem\n"
      "[Record]\nName=R\n[Item]\nName=DOB\n[Item]\nName=DAY\nItemType=Subitem\n");
  const CDictLevel& level = *dict->GetLevel(0);
  const CDictRecord& ids = *level.GetIdItemsRec();
  Texts names;
  for (int i = 0; i < ids.GetNumItems(); ++i) {
    names.push_back(ids.GetItem(i)->GetName());
    EXPECT_EQ(ids.GetItem(i)->GetItemType(), Item);
  }
  EXPECT_EQ(names, (Texts{"ID_A", "ID_B", "HH_A"}));
  EXPECT_EQ(host.texts(), Texts(2, "Subitems found in Common.\n\nPromoted to Id items in Travo."));
  // Outside the common section subitems stay what they are.
  ASSERT_EQ(level.GetRecord(0)->GetNumItems(), 2);
  EXPECT_EQ(level.GetRecord(0)->GetItem(1)->GetItemType(), SubItem);
}

TEST_F(ConvertORVA41Test, SubitemFirstInCommonRemovesNothing) {
  auto dict = Load("[Common]\n[Item]\nName=A\nItemType=S\n[Item]\nName=B\nItemType=S\n");
  EXPECT_EQ(dict->GetLevel(0)->GetIdItemsRec()->GetNumItems(), 2);
  EXPECT_EQ(host.messages.size(), 1u);
}

// ---------------------------------------------------------------------------------------
// Values

TEST_F(ConvertORVA41Test, ValueSyntax) {
  struct Case {
    std::string lines;  // the value set's lines
    std::string label;
    Pairs pairs;
  };
  const std::vector<Case> cases = {
      {"Value=1:5, 7, 9:12;Valid\n", "Valid", {{"1", "5"}, {"7", ""}, {"9", "12"}}},
      {"Value=8;Refused\n", "Refused", {{"8", ""}}},
      {"Value=1 2 3\n", "", {{"1", ""}}},
      {"Value=1 : 5 , 7;spaced\n", "spaced", {{"1", "5"}, {"7", ""}}},
      {"Value=A;label;with;semicolons\n", "label;with;semicolons", {{"A", ""}}},
      {"Value=\"a:b\";Quoted colon\n", "Quoted colon", {{"a:b", ""}}},
      {"Value='x,y':'z';Single quotes\n", "Single quotes", {{"x,y", "z"}}},
      {"Value=\"08:00\":\"11:59\";Morning\n", "Morning", {{"08:00", "11:59"}}},
      {"Value=\"open:1\n", "", {{"\"open:1", ""}}},  // no closing quote, no separator
      {"Value=;Continued\n  1:3, 5\n", "Continued", {{"1", "3"}, {"5", ""}}},
      {"Value=\n; a comment between\n4:6;Label on the next line\n", "Label on the next line", {{"4", "6"}}},
      {"Value=,5\n", "", {{"", ""}, {"5", ""}}},  // a blank first pair with a second stays ordinary
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    host.messages.clear();
    auto dict = Load("[Record]\n[Item]\nDataType=Alpha\n[ValueSet]\n" + c.lines);
    const CDictVSet& vset = FirstVSet(*dict);
    ASSERT_EQ(vset.GetNumValues(), 1);
    EXPECT_EQ(vset.GetValue(0)->GetLabel(), c.label);
    EXPECT_EQ(PairsOf(*vset.GetValue(0)), c.pairs);
    EXPECT_FALSE(vset.GetValue(0)->IsSpecial());
    EXPECT_EQ(host.texts(), Texts{});
  }
}

TEST_F(ConvertORVA41Test, SingleBlankValueBecomesNotApplicable) {
  for (const char* line : {"Value=\" \";Not applicable", "Value=,;NA", "Value=''"}) {
    SCOPED_TRACE(line);
    auto dict = Load("[Record]\n[Item]\nDecimal=2\n[ValueSet]\nValue=1\n" + std::string(line) + "\n");
    const CDictVSet& vset = FirstVSet(*dict);
    ASSERT_EQ(vset.GetNumValues(), 2);
    const CDictValue& value = *vset.GetValue(1);
    EXPECT_TRUE(value.IsSpecial());
    EXPECT_EQ(value.GetValueType(), NotAppType);
    EXPECT_EQ(value.GetName(), "NOTAPPL");
    ASSERT_EQ(value.GetNumVPairs(), 1);
    EXPECT_TRUE(value.GetVPair(0)->GetFrom().IsBlank());  // not rewritten as a number
    EXPECT_FALSE(vset.GetValue(0)->IsSpecial());
  }
}

TEST_F(ConvertORVA41Test, ValuesAndTheirNotes) {
  auto dict = Load(
      "[Record]\n[Item]\n[ValueSet]\nLabel=Set\nNote=set note\n"
      "Value=1;One\nNote=first\nNote=second\nValue=2;Two\n[ValueSet]\nValue=3\n");
  const CDictItem& item = *OnlyRecord(*dict).GetItem(0);
  ASSERT_EQ(item.GetNumVSets(), 2);
  const CDictVSet& vset = *item.GetVSet(0);
  EXPECT_EQ(vset.GetLabel(), "Set");
  EXPECT_EQ(vset.GetNote(), "set note");
  ASSERT_EQ(vset.GetNumValues(), 2);
  EXPECT_EQ(vset.GetValue(0)->GetNote(), "first\r\nsecond");
  EXPECT_EQ(vset.GetValue(1)->GetNote(), "");
  EXPECT_EQ(PairsOf(*item.GetVSet(1)->GetValue(0)), (Pairs{{"3", ""}}));
}

TEST_F(ConvertORVA41Test, EmptyRangeListThatCannotContinue) {
  struct Case {
    const char* name;
    std::string lines;
    Texts messages;
    std::vector<Pairs> values;  // the pairs of each value of the set
    int items;
  };
  const std::vector<Case> cases = {
      // The line that cannot continue is reported and then read as what it is.
      {"next value", "Value=;Refused\nValue=2;Two\n", {"Invalid syntax at line 5.\nValue=2;Two"}, {{}, {{"2", ""}}}, 1},
      {"next item", "Value=\n[Item]\nName=B\n", {"Invalid syntax at line 5.\n[Item]="}, {{}}, 2},
      {"note", "Value=\nNote=n\n", {"Invalid syntax at line 5.\nNote=n"}, {{}}, 1},
      // The end of the file ends the value.
      {"end of file", "Value=;Last\n", {"Invalid syntax at line 4.\nValue=;Last"}, {{}}, 1},
      {"end of file after comments", "Value=\n; nothing follows\n\n", {"Invalid syntax at line 4.\nValue="}, {{}}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host.messages.clear();
    auto dict = Load("[Record]\n[Item]\n[ValueSet]\n" + c.lines);
    EXPECT_EQ(host.texts(), c.messages);
    const CDictRecord& record = OnlyRecord(*dict);
    EXPECT_EQ(record.GetNumItems(), c.items);
    const CDictVSet& vset = *record.GetItem(0)->GetVSet(0);
    std::vector<Pairs> values;
    for (int i = 0; i < vset.GetNumValues(); ++i) values.push_back(PairsOf(*vset.GetValue(i)));
    EXPECT_EQ(values, c.values);
  }
}

TEST_F(ConvertORVA41Test, NumericValuesTakeTheItemsDecimalsAndTheUsersDecimalCharacter) {
  app.SetDecimalChar(',');
  const std::string set = "[ValueSet]\nValue=1.5:250;Range\nValue= 007 ;Padded\nValue=\" \";NA\n";
  auto dict = Load("[Record]\n[Item]\nName=N\nDecimal=2\n" + set + "[Item]\nName=A\nDataType=Alpha\nDecimal=2\n" +
                   set + "[Item]\nName=Z\nDataType=N\n" + set);
  const CDictRecord& record = OnlyRecord(*dict);
  const CDictVSet& numeric = *record.GetItem(0)->GetVSet(0);
  EXPECT_EQ(PairsOf(*numeric.GetValue(0)), (Pairs{{"1,50", "2,50"}}));  // 250 has two implied decimals
  EXPECT_EQ(PairsOf(*numeric.GetValue(1)), (Pairs{{"0,07", ""}}));
  EXPECT_EQ(PairsOf(*numeric.GetValue(2)), (Pairs{{" ", ""}}));
  const CDictVSet& alpha = *record.GetItem(1)->GetVSet(0);
  EXPECT_EQ(PairsOf(*alpha.GetValue(0)), (Pairs{{"1.5", "250"}}));
  const CDictVSet& integer = *record.GetItem(2)->GetVSet(0);
  EXPECT_EQ(PairsOf(*integer.GetValue(0)), (Pairs{{"2", "250"}}));  // 1.5 rounds half away from zero
  EXPECT_EQ(PairsOf(*integer.GetValue(1)), (Pairs{{"7", ""}}));
}

TEST_F(ConvertORVA41Test, LineEndsAndLongLinesDoNotChangeTheResult) {
  const std::string longLabel(200'000, 'L');
  std::string text = kHeader + "[Record]\nName=R\n[Item]\nName=A\nLabel=" + longLabel +
                     "\n[ValueSet]\nValue=1:2;" + longLabel + "\n";
  auto lf = Load(text);
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  auto dos = LoadORVA41Dict(app, Write(crlf, "dos.ddw"));
  ASSERT_NE(dos, nullptr);
  EXPECT_EQ(OnlyRecord(*dos), OnlyRecord(*lf));
  EXPECT_EQ(FirstVSet(*lf).GetValue(0)->GetLabel(), longLabel);
}

// ---------------------------------------------------------------------------------------
// The whole conversion: progress, Cancel, the file written, the final message

const std::string kTwoRecords = kHeader +
                                "[Common]\n[Item]\nName=ID\nStart=2\nLen=2\n"
                                "[Record]\nName=R1\nRecordLen=10\n[Item]\nName=A\nStart=4\n[ValueSet]\nValue=1\n"
                                "[Record]\nName=R2\nRecordLen=10\n[Item]\nName=B\nStart=4\n";

TEST_F(ConvertORVA41Test, ConversionWritesTheDictionaryItRead) {
  const std::string input = Write(kTwoRecords);
  const std::string out = dir.file("out.dcf");
  EXPECT_TRUE(app.RunConversion(KIND_ORVA41_TO_TRAVO, input, out));
  EXPECT_EQ(host.texts(), Texts{"ORVA 4.1 Dictionary successfully converted."});
  EXPECT_EQ(host.title, "Travo 4.0 Convert Dictionary");
  EXPECT_EQ(host.statuses, (Texts{"Converting ...", "Validating ...", "Saving ..."}));
  EXPECT_EQ(host.checks, 4);  // after the common section, each record, and validation
  EXPECT_EQ(host.progressOpen, 0);
  CDataDict written;
  ASSERT_TRUE(written.Open(out)) << written.GetLastError();
  auto read = LoadORVA41Dict(app, input);
  EXPECT_TRUE(written == *read);
}

TEST_F(ConvertORVA41Test, ProgressCountsHundredsOfBytes) {
  // Padding comments make the sections end at known hundreds of bytes.
  const std::string pad = ";" + std::string(298, 'x') + "\n";  // 300 bytes
  const std::string input = Write("[Record]\nName=A\n" + pad + "[Record]\nName=B\n" + pad + pad);
  EXPECT_TRUE(app.RunConversion(KIND_ORVA41_TO_TRAVO, input, dir.file("out.dcf")));
  EXPECT_EQ(host.positions, (std::vector<int>{3, 9}));  // before the second record, then the end
}

TEST_F(ConvertORVA41Test, CancelAtEveryCheckWritesNothingAndSaysNothing) {
  const std::string input = Write(kTwoRecords);
  for (int check = 1; check <= 4; ++check) {
    SCOPED_TRACE(check);
    host = RecordingHost();
    host.cancelAtCheck = check;
    const std::string out = dir.file("cancel" + std::to_string(check) + ".dcf");
    EXPECT_FALSE(app.RunConversion(KIND_ORVA41_TO_TRAVO, input, out));
    EXPECT_EQ(host.texts(), Texts{});
    EXPECT_EQ(host.checks, check);
    EXPECT_EQ(host.progressOpen, 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    const auto files = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(files, 1);  // the input only: no output, no temporary file
  }
}

TEST_F(ConvertORVA41Test, FailedSaveSaysSoAndWhy) {
  const std::string out = dir.file("no-such-folder/out.dcf");
  EXPECT_FALSE(app.RunConversion(KIND_ORVA41_TO_TRAVO, Write(kTwoRecords), out));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.texts()[0].rfind("ORVA 4.1 Dictionary not converted.\n\n", 0), 0u) << host.texts()[0];
  EXPECT_GT(host.texts()[0].size(), std::string("ORVA 4.1 Dictionary not converted.\n\n").size());
  EXPECT_EQ(host.progressOpen, 0);
}

TEST_F(ConvertORVA41Test, HouseholdExampleConvertsCleanly) {
  const std::string input = std::string(TRAVO_EXAMPLES_DIR) + "/household.ddw";
  const std::string out = dir.file("household.dcf");
  EXPECT_TRUE(app.RunConversion(KIND_ORVA41_TO_TRAVO, input, out));
  EXPECT_EQ(host.texts(), Texts{"ORVA 4.1 Dictionary successfully converted."});

  auto dict = LoadORVA41Dict(app, input);
  ASSERT_NE(dict, nullptr);
  CDDRuleMgr rules;
  rules.SetCurrDict(dict.get());
  EXPECT_TRUE(rules.IsValid(dict.get(), true, true, true)) << ::testing::PrintToString(rules.GetProblems());
  EXPECT_EQ(dict->GetName(), "HILC_2019");
  const CDictLevel& level = *dict->GetLevel(0);
  EXPECT_EQ(level.GetIdItemsRec()->GetNumItems(), 4);
  ASSERT_EQ(level.GetNumRecords(), 3);
  EXPECT_TRUE(level.GetRecord(1)->GetRequired());
  EXPECT_EQ(level.GetRecord(1)->GetMaxRecs(), 30);
}

}  // namespace
