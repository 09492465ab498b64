// The description of a VESK dictionary, as JSON and as text.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "VeskTestSupport.h"
#include "vesk/VeskInspect.h"

using namespace vesktest;

namespace {

VeskBuilder Described() {
  VeskBuilder b;
  HeaderSpec h;
  h.labels = {"Caf\x82 survey"};  // e acute in the OEM code page
  b.Header(h);
  b.Section({.name = "PERSON", .code = "2", .maxOcc = 1, .groupOcc = 2, .labels = {"People"}});
  b.Variable({.name = "ID", .start = 1, .len = 3});
  b.Variable({.name = "SEX", .start = 5, .len = 1, .form = "PF", .missing = 9, .row = 1, .col = 6, .mode = 1,
              .transformation = "\"M\" 1 \"F\" 2", .ranges = {{1, 2}}, .labels = {"Sex", "1", "Male", "2", "Female"}});
  b.Variable({.name = "JOB", .type = 'A', .kind = 'M', .start = 6, .len = 2});
  b.Form({.name = "PF", .fields = 1, .text = "Sex [ ]\n", .cells = {0, 0, 0x0100, 0x0200}});
  b.Key({.tag = 'M', .vars = {"ID"}});
  return b;
}

TEST(InspectVesk, JsonDescribesEveryObject) {
  TempDir dir;
  std::string path = dir.file("S.DIC");
  Described().WriteTo(path);
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(InspectVesk(path, true, out, error)) << error;
  auto j = nlohmann::json::parse(out.str());
  EXPECT_EQ(j["kind"], "dictionary");
  EXPECT_EQ(j["status"], 4000);
  EXPECT_EQ(j["header"]["name"], "SURVEY");
  EXPECT_EQ(j["header"]["labels"][0], "Caf\u00e9 survey");
  EXPECT_EQ(j["header"]["levels"], nlohmann::json::parse(R"([{"level":1,"idStart":1,"idLength":3}])"));

  const auto& sec = j["sections"][0];
  EXPECT_EQ(sec["name"], "PERSON");
  EXPECT_EQ(sec["code"], "2");
  EXPECT_EQ(sec["length"], 9);  // group from 6, two occurrences of 2
  EXPECT_EQ(sec["group"]["occurrences"], 2);
  EXPECT_EQ(sec["labels"][0], "People");

  const auto& sex = sec["variables"][1];
  EXPECT_EQ(sex["name"], "SEX");
  EXPECT_EQ(sex["codes"]["missing"], 9);
  EXPECT_EQ(sex["codes"]["notApplicable"], "NOTAPPL");
  EXPECT_EQ(sex["ranges"], nlohmann::json::parse("[[1.0, 2.0]]"));
  EXPECT_EQ(sex["transformations"][1]["source"], "F");
  EXPECT_EQ(sex["label"], "Sex");
  EXPECT_EQ(sex["valueLabels"][1], nlohmann::json::parse(R"({"code":"2","label":"Female"})"));
  EXPECT_EQ(sex["fieldMode"], "R");
  EXPECT_EQ(sec["variables"][2]["occurrences"], 2);

  const auto& form = sec["forms"][0];
  EXPECT_EQ(form["text"], "Sex [ ]\n");
  EXPECT_EQ(form["textStatus"], "complete");
  EXPECT_EQ(form["variables"][0]["name"], "SEX");
  EXPECT_EQ(form["occurrenceOffsets"], nlohmann::json::parse(R"([{"row":1,"col":0},{"row":2,"col":0}])"));

  EXPECT_EQ(j["keys"][0]["type"], "main");
  EXPECT_EQ(j["keys"][0]["variables"][0], "ID");
  EXPECT_EQ(j["keys"][0]["length"], 3);
}

TEST(InspectVesk, TextNamesTheSameThings) {
  TempDir dir;
  std::string path = dir.file("S.DIC");
  Described().WriteTo(path);
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(InspectVesk(path, false, out, error)) << error;
  const std::string text = out.str();
  for (const char* expected : {"VESK dictionary: ", "Label: Caf\u00e9 survey", "Section PERSON: code \"2\", level 1",
                               "Variable SEX: start 5, length 1", "Codes: missing 9.0, not applicable NOTAPPL",
                               "Range 1.0 to 2.0", "Transformation \"M\" to 1.0", "Value 2: Female",
                               "    | Sex [ ]", "Field SEX at row 1, column 6", "Key MAIN_IDX (main): length 3, variables ID"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST(InspectVesk, FailuresWriteNothingAndNameTheReason) {
  TempDir dir;
  std::ostringstream out;
  std::string error;
  EXPECT_FALSE(InspectVesk(dir.file("NONE.DIC"), true, out, error));
  EXPECT_NE(error.find("status 4022"), std::string::npos) << error;

  VeskBuilder b;
  HeaderSpec h;
  h.levelIdLen[0] = 0;
  b.Header(h);
  std::string path = dir.file("BAD.DIC");
  b.WriteTo(path);
  EXPECT_FALSE(InspectVesk(path, false, out, error));
  EXPECT_NE(error.find("no level (status 4083)"), std::string::npos) << error;
  EXPECT_TRUE(out.str().empty());

  // A scan that ended early still shows what it read, with a note.
  VeskBuilder early;
  early.Section({});
  early.Raw("?");
  path = dir.file("W.WST");
  early.WriteTo(path);
  ASSERT_TRUE(InspectVesk(path, false, out, error));
  EXPECT_NE(out.str().find("VESK work dictionary"), std::string::npos);
  EXPECT_NE(out.str().find("Note: the object scan ended"), std::string::npos);
}

}  // namespace

#include "VeskSamples.h"

namespace {

// The fuzz seeds are sound files that load whole.
TEST(InspectVesk, EverySampleFileLoadsWhole) {
  for (const auto& [name, bytes] : SampleFiles()) {
    TempDir dir;
    VeskBuilder b;
    b.Raw(bytes);
    std::string path = dir.file(name);
    b.WriteTo(path);
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(InspectVesk(path, true, out, error)) << name << ": " << error;
    auto j = nlohmann::json::parse(out.str());
    EXPECT_EQ(j["status"], 4000) << name;
    for (const auto& key : j["keys"]) EXPECT_EQ(key["status"], 11000) << name;
  }
}

}  // namespace
