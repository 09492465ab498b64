// What `inspect` shows of a forms file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "SampleForms.h"
#include "libs/forms/FormInspect.h"
#include "libs/util/JsonStream.h"

namespace {

// The JSON written of ff, read back.
nlohmann::ordered_json FormFileJson(const CDEFormFile& ff) {
  std::ostringstream out;
  CJsonStreamWriter writer(out);
  WriteFormFileJson(ff, writer);
  return nlohmann::ordered_json::parse(out.str());
}

TEST(FormInspect, JsonNumbersItemsAsTheFileDoesAndShowsReferences) {
  CDEFormFile ff;
  ff.SetName("FL_HH");
  ff.AddDict("/data/hh.dcf");
  auto* level = new CDELevel;
  level->SetName("LEVEL_1");
  ff.AddLevel(level);
  auto* group = new CDEGroup;
  group->SetName("HOUSING");
  auto* field = new CDEField;
  field->SetName("ROOMS");
  field->SetLabel("Rooms");
  group->AddItem(field);
  level->AddGroup(group);
  auto* form = new CDEForm;
  form->SetName("HOUSING");
  auto* text = new CDEText;
  text->SetText("Name of head");
  form->AddItem(text);
  form->AddItem(field);
  form->SetGroup(group);
  ff.AddForm(form);

  nlohmann::ordered_json j = FormFileJson(ff);
  std::vector<std::string> keys;
  for (const auto& [key, value] : j.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"fileName", "version", "name", "label", "primaryDict", "pathOn",
                                            "convertRoster", "dictionaries", "fieldFont", "textFont", "levels",
                                            "forms"}));
  EXPECT_EQ(j["dictionaries"][0], "/data/hh.dcf");
  const auto& g = j["levels"][0]["groups"][0];
  EXPECT_EQ(g["id"], 0);
  EXPECT_EQ(g["type"], "group");
  EXPECT_EQ(g["items"][0]["id"], 1);
  EXPECT_EQ(g["items"][0]["label"], "Rooms");
  EXPECT_EQ(g["items"][0]["occ"], -1);
  const auto& f = j["forms"][0];
  EXPECT_EQ(f["group"], 0);
  EXPECT_EQ(f["items"][0]["id"], 2);
  EXPECT_EQ(f["items"][0]["text"], "Name of head");
  EXPECT_EQ(f["items"][0]["font"]["face"], DefaultFormFont().lfFaceName);
  EXPECT_EQ(f["items"][1], (nlohmann::ordered_json{{"ref", 1}}));
}

TEST(FormInspect, JsonTextsAreUtf8WhateverBytesTheModelHolds) {
  auto ff = BuildSampleFormFile();
  ff->SetLabel("caf\xE9 \xE2\x82\xAC");  // a stray Latin-1 byte, then a euro sign
  nlohmann::ordered_json j = FormFileJson(*ff);
  EXPECT_EQ(j["label"], "caf\xEF\xBF\xBD \xE2\x82\xAC");
  EXPECT_NO_THROW(j.dump());  // every awkward text of the sample is in it, as UTF-8
}

TEST(FormInspect, TheTextNamesTheCountsLevelsGroupsAndForms) {
  auto ff = BuildSampleFormFile();
  ff->SetName("FL_SAMPLE");
  const std::string text = DescribeFormFile(*ff);
  EXPECT_NE(text.find("Forms file FL_SAMPLE"), std::string::npos) << text;
  EXPECT_NE(text.find("2 levels, 3 forms, 4 groups, 1 roster, 5 fields, 5 texts"), std::string::npos) << text;
  EXPECT_NE(text.find("  level LEVEL_1 "), std::string::npos) << text;
  EXPECT_NE(text.find("form 0 "), std::string::npos) << text;
  EXPECT_NE(text.find("420x320, 5 items, shows group G"), std::string::npos) << text;
}

}  // namespace
