#pragma once
// A few small but complete VESK files made with the builder: the seed corpus of the
// fuzz target is written from them (vesk_fuzz_seeds), and examples/household-vesk.dic
// is HouseholdExample() (vesk_make_examples).
#include <string>
#include <utility>
#include <vector>

#include "VeskBuilder.h"

namespace vesktest {

// The household survey of examples/household-vesk.dic: households (level 1) with their
// plots of land, people (level 2). Columns 1 to 4 hold the household number, column 5
// the record type, columns 6 and 7 a person's line number. A plot record repeats (up to
// 10 a household) and lists up to 3 crops in a group. Value labels, ranges, missing and
// not-applicable codes, and a form for every section.
inline std::string HouseholdExample() {
  // A form line: a caption in 18 columns, then the field brackets; every first field of a
  // line is at column 20. Rows and lines count from 0, the title being line 0.
  auto line = [](const std::string& caption, int width) {
    return VeskBuilder::Fixed(caption, 18) + "[" + std::string(width, ' ') + "]\n";
  };
  VeskBuilder b;
  HeaderSpec h;
  h.name = "HHSURVEY";
  h.levelIdStart[0] = 1;
  h.levelIdLen[0] = 4;
  h.levelIdStart[1] = 6;
  h.levelIdLen[1] = 2;
  h.recTypeStart = 5;
  h.recTypeLen = 1;
  h.created = "031524";
  h.modified = "040224";
  h.labels = {"Household survey example", "Housing, land and people"};
  b.Header(h);

  b.Section({.name = "HOUSING", .level = '1', .code = "1", .minOcc = 1, .maxOcc = 1, .labels = {"Housing"}});
  b.Variable({.name = "HHID", .start = 1, .len = 4, .form = "HF", .row = 1, .col = 20,
              .ranges = {{1, 9999}}, .labels = {"Household number"}});
  b.Variable({.name = "REGION", .start = 6, .len = 1, .form = "HF", .missing = 9, .row = 2, .col = 20,
              .ranges = {{1, 4}}, .labels = {"Region", "1", "North", "2", "South", "3", "East", "4", "West"}});
  b.Variable({.name = "ROOMS", .start = 7, .len = 2, .form = "HF", .missing = 99, .row = 3, .col = 20,
              .ranges = {{1, 30}}, .labels = {"Number of rooms"}});
  b.Variable({.name = "WATER", .start = 9, .len = 1, .form = "HF", .missing = 9, .row = 4, .col = 20,
              .ranges = {{1, 3}, {8, 8}},
              .labels = {"Main source of drinking water", "1", "Piped", "2", "Well", "3", "River or lake", "8",
                         "Other"}});
  b.Variable({.name = "ELECTR", .type = 'A', .start = 10, .len = 1, .form = "HF", .row = 5, .col = 20,
              .labels = {"Electricity", "Y", "Yes", "N", "No"}});
  b.Form({.name = "HF", .lines = 6, .fields = 5,
          .text = "HOUSING\n" + line("Household number", 4) + line("Region", 1) + line("Rooms", 2) +
                  line("Drinking water", 1) + line("Electricity", 1)});

  b.Section({.name = "PLOT", .level = '1', .code = "2", .minOcc = 0, .maxOcc = 10, .groupOcc = 3,
             .labels = {"Plots of land"}});
  b.Variable({.name = "PLOTNO", .start = 6, .len = 2, .form = "LF", .row = 1, .col = 20,
              .ranges = {{1, 10}}, .labels = {"Plot number"}});
  b.Variable({.name = "TENURE", .start = 8, .len = 1, .form = "LF", .missing = 9, .row = 2, .col = 20,
              .ranges = {{1, 3}}, .labels = {"Tenure", "1", "Owned", "2", "Rented", "3", "Other"}});
  // In ares, not hectares with a decimal: the main job takes the converted dictionary on
  // to ORVA 3.1, which has no items with a decimal character.
  b.Variable({.name = "PLOTSIZE", .start = 9, .len = 4, .form = "LF", .missing = 9999, .row = 3, .col = 20,
              .ranges = {{1, 9000}}, .labels = {"Size of the plot in ares"}});
  b.Variable({.name = "CROP", .kind = 'M', .start = 13, .len = 1, .form = "LF", .missing = 9, .row = 5, .col = 20,
              .ranges = {{1, 4}}, .labels = {"Crop", "1", "Maize", "2", "Rice", "3", "Beans", "4", "Other"}});
  b.Variable({.name = "CROPSHR", .kind = 'M', .start = 14, .len = 3, .form = "LF", .missing = 999, .row = 5,
              .col = 26, .ranges = {{1, 100}}, .labels = {"Share of the plot, percent"}});
  // The crops: occurrence 1 on the form's row 5, each next one a row below.
  b.Form({.name = "LF", .lines = 8, .fields = 5,
          .text = "PLOTS OF LAND\n" + line("Plot number", 2) + line("Tenure", 1) + line("Size (ares)", 4) +
                  "Crops             Crop  Share\n" + "  1               [ ]   [   ]\n" +
                  "  2               [ ]   [   ]\n" + "  3               [ ]   [   ]\n",
          .cells = {0, 0, 0x0000, 0x0100, 0x0200}});

  b.Section({.name = "PERSON", .level = '2', .code = "3", .minOcc = 1, .maxOcc = 1, .labels = {"Household members"}});
  b.Variable({.name = "PERSNO", .start = 6, .len = 2, .form = "PF", .row = 1, .col = 20,
              .ranges = {{1, 30}}, .labels = {"Line number"}});
  b.Variable({.name = "NAME", .type = 'A', .start = 8, .len = 20, .form = "PF", .row = 2, .col = 20,
              .labels = {"First name"}});
  b.Variable({.name = "SEX", .start = 28, .len = 1, .form = "PF", .missing = 9, .row = 3, .col = 20,
              .ranges = {{1, 2}}, .labels = {"Sex", "1", "Male", "2", "Female"}});
  b.Variable({.name = "AGE", .start = 29, .len = 3, .form = "PF", .missing = 999, .row = 4, .col = 20,
              .ranges = {{0, 120}}, .labels = {"Age in completed years", "0", "Under one year"}});
  b.Variable({.name = "RELAT", .start = 32, .len = 1, .form = "PF", .missing = 9, .row = 5, .col = 20,
              .ranges = {{1, 5}},
              .labels = {"Relationship to the head", "1", "Head", "2", "Spouse", "3", "Child", "4", "Other relative",
                         "5", "Not related"}});
  // Asked of people aged 15 and over; 98 for the others.
  b.Variable({.name = "HOURS", .start = 33, .len = 2, .form = "PF", .missing = 99, .notAppl = 98, .row = 6,
              .col = 20, .ranges = {{0, 97}}, .labels = {"Hours worked last week"}});
  b.Form({.name = "PF", .lines = 7, .fields = 6,
          .text = "HOUSEHOLD MEMBER\n" + line("Line number", 2) + line("First name", 20) + line("Sex", 1) +
                  line("Age", 3) + line("Relationship", 1) + line("Hours worked", 2)});

  b.Key({.tag = 'M', .vars = {"HHID"}});
  return b.Bytes();
}

inline std::vector<std::pair<std::string, std::string>> SampleFiles() {
  std::vector<std::pair<std::string, std::string>> files;

  VeskBuilder full;
  HeaderSpec h;
  h.labels = {"Household survey", "Round 2"};
  h.levelIdLen[1] = 2;
  h.levelIdStart[1] = 4;
  h.extraBlocks = 1;
  full.Header(h);
  full.Section({.name = "HOUSE", .code = "1", .labels = {"Households"}});
  full.Variable({.name = "HID", .start = 1, .len = 3, .form = "HF", .row = 1, .col = 5});
  full.Variable({.name = "ROOMS", .start = 6, .len = 2, .form = "HF", .missing = 99, .row = 2, .col = 5,
                 .ranges = {{1, 20}, {99, 99}}, .labels = {"Rooms", "99", "Unknown"}});
  full.Form({.name = "HF", .fields = 2, .text = "Id\t[   ]\nRooms [  ]\n"});
  full.Section({.name = "PERSON", .level = '2', .code = "2", .maxOcc = 1, .groupOcc = 4});
  full.Variable({.name = "PID", .start = 4, .len = 2, .form = "PF"});
  full.Variable({.name = "SEX", .kind = 'M', .start = 6, .len = 1, .form = "PF", .mode = 1,
                 .transformation = "\"M\" 1 \"F\" 2 ELSE 9", .labels = {"Sex", "1", "Male", "2", "Female"}});
  full.Variable({.name = "INCOME", .kind = 'M', .start = 7, .len = 300, .decimals = 2});
  full.Form({.name = "PF", .fields = 4, .text = "Sex [ ]\n", .cells = {0, 0, 0x0100, 0x0200, 0x0300, 0x0400}});
  full.Key({.tag = 'I', .name = "BYSEX", .vars = {"HID", "PID"}, .flags = 0});
  full.Key({.tag = 'M', .vars = {"HID"}});
  files.emplace_back("household.dic", full.Bytes());

  VeskBuilder work;
  work.Section({.name = "A"});
  work.Variable({.name = "X", .start = 1, .len = 4, .labels = {"X value"}});
  work.Section({.name = "B", .maxOcc = 3});
  work.Variable({.name = "Y", .type = 'A', .start = 1, .len = 8});
  work.Form({.name = "BF", .lines = 2, .fields = 1, .width21 = 40, .text = "Y [        ]\n"});
  files.emplace_back("work.wst", work.Bytes());

  VeskBuilder unordered;
  HeaderSpec two;
  two.levelIdLen[1] = 1;
  unordered.Header(two);
  unordered.Section({.name = "LOW", .level = '2'});
  unordered.Variable({.name = "L", .start = 5, .len = 1});
  unordered.Section({.name = "TOP"});
  unordered.Variable({.name = "T", .start = 5, .len = 2, .decimals = 1});
  unordered.Key({.tag = 'M', .vars = {"L"}});
  files.emplace_back("unordered.dic", unordered.Bytes());

  VeskBuilder empty;
  empty.Header({});
  files.emplace_back("header-only.dic", empty.Bytes());

  files.emplace_back("household-example.dic", HouseholdExample());
  return files;
}

// Two sections told apart by the code in column 4: HH (single) and PERSON (repeating,
// with a group of two occurrences of KID and KNAME).
inline VeskBuilder DataSample() {
  VeskBuilder b;
  b.Header({});
  b.Section({.name = "HH", .code = "1"});
  b.Variable({.name = "ID", .start = 1, .len = 3});
  b.Variable({.name = "NAME", .type = 'A', .start = 5, .len = 8});
  b.Variable({.name = "ROOMS", .start = 13, .len = 2, .missing = 99});
  b.Variable({.name = "INC", .start = 15, .len = 5, .decimals = 2});
  b.Section({.name = "PERSON", .code = "2", .minOcc = 0, .maxOcc = 10, .groupOcc = 2});
  b.Variable({.name = "PID", .start = 1, .len = 3});
  b.Variable({.name = "AGE", .start = 5, .len = 2, .notAppl = 98});
  b.Variable({.name = "KID", .kind = 'M', .start = 7, .len = 1});
  b.Variable({.name = "KNAME", .type = 'A', .kind = 'M', .start = 8, .len = 3});
  b.Section({.name = "EMPTY", .code = "3"});
  b.Variable({.name = "E", .start = 5, .len = 1});
  return b;
}

}  // namespace vesktest
