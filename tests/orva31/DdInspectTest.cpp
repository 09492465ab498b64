// The raw layout view of .dd files (text and JSON).
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

#include "DdBuilder.h"
#include "RecordingHost.h"
#include "orva31/DdInspect.h"

namespace {

DdBuilder Fixture() {
  DdBuilder b;
  b.recTypeStart = 0;
  b.recTypeLen = 1;
  b.maxRecordLength = 12;
  b.common = {{"ID", 1, 2, 0, 0, 1, 0, {{"NR", {{"99", "99"}}}}}};
  b.records = {{"PERSON", "P", 1, 9, {{"AGE", 3, 3, 0, 1, 2, 0, {{"YOUNG", {{"  0", "149"}, {" 25", " 25"}}}}}}}};
  return b;
}

struct InspectTest : ::testing::Test {
  bool Inspect(const std::string& bytes, bool json, std::string& out, std::string& error) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    std::ostringstream stream;
    const bool ok = InspectOrva31(path, json, stream, error);
    out = stream.str();
    return ok;
  }
  TempDir dir;
  std::string path = dir.file("x.dd");
};

TEST_F(InspectTest, JsonShowsTheRawLayout) {
  DdBuilder b = Fixture();
  std::string out, error;
  ASSERT_TRUE(Inspect(b.Build(), true, out, error)) << error;
  const nlohmann::json j = nlohmann::json::parse(out);
  EXPECT_EQ(j["file"], path);
  EXPECT_EQ(j["header"]["magic"], "ORVADDF ");
  EXPECT_EQ(j["header"]["numItems"], 2);
  EXPECT_EQ(j["header"]["valueAreaSize"], 16);
  EXPECT_EQ(j["header"]["itemTableOffset"], 512 + 45);
  EXPECT_EQ(j["common"]["items"][0]["name"], "ID");
  EXPECT_EQ(j["common"]["items"][0]["start"], 1);
  const auto& age = j["records"][0]["items"][0];
  EXPECT_EQ(j["records"][0]["firstItem"], 1);
  EXPECT_EQ(j["records"][0]["recTypeValue"], "P");
  EXPECT_EQ(age["index"], 1);
  EXPECT_EQ(age["start"], 3);
  EXPECT_EQ(age["occurs"], 2);
  EXPECT_EQ(age["firstValueName"], 1);
  EXPECT_EQ(age["valueNames"][0]["valueOffset"], 4);
  EXPECT_EQ(age["valueNames"][0]["pairs"][1]["from"], " 25");
  EXPECT_EQ(age["valueNames"][0]["pairs"][0]["to"], "149");
}

TEST_F(InspectTest, TextListsEveryEntry) {
  std::string out, error;
  ASSERT_TRUE(Inspect(Fixture().Build(), false, out, error)) << error;
  EXPECT_NE(out.find("record 0 \"PERSON\" type \"P\" required 1 max 9 items 1 first 1"), std::string::npos) << out;
  EXPECT_NE(out.find("item 1 \"AGE\" start 3 length 3 numeric decimals 1 occurs 2 item"), std::string::npos) << out;
  EXPECT_NE(out.find("\"  0\" .. \"149\""), std::string::npos) << out;
}

TEST_F(InspectTest, BadFilesAreRefusedWithAReason) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* reason;
  };
  DdBuilder b = Fixture();
  std::string corrupt = b.Build();
  DdBuilder::PutI16(corrupt, b.ValueNameAt(1) + 19, 50);
  std::string sharedItems = b.Build();
  DdBuilder::PutI16(sharedItems, b.RecordAt(0) + 37, 2);
  DdBuilder::PutI16(sharedItems, b.RecordAt(0) + 39, 0);
  std::string zeroLength = b.Build();
  DdBuilder::PutI16(zeroLength, b.ItemAt(0) + 19, 0);
  std::string shortFile = b.Build();
  shortFile.resize(600);
  const Case cases[] = {
      {"not a dictionary", "hello", "not an ORVA 3.1 dictionary"},
      {"pairs outside the value area", corrupt, "item 1, value name 1: value pairs outside the value area"},
      {"cut short", shortFile, "past the end of the file"},
      {"a record sharing COMMON's item", sharedItems, "record 0: more items are claimed than the item table holds"},
      {"pairs on a zero-length item", zeroLength, "item 0, value name 0: value pairs on an item of length 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string out, error;
    EXPECT_FALSE(Inspect(c.bytes, true, out, error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(out.empty());
  }
  std::string error;
  std::ostringstream out;
  EXPECT_FALSE(InspectOrva31(dir.file("missing.dd"), false, out, error));
  EXPECT_NE(error.find("missing.dd"), std::string::npos);
}

}  // namespace
