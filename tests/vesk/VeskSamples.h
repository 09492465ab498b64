#pragma once
// A few small but complete VESK files made with the builder: the seed corpus of the
// fuzz target is written from them (vesk_fuzz_seeds).
#include <string>
#include <utility>
#include <vector>

#include "VeskBuilder.h"

namespace vesktest {

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
  return files;
}

}  // namespace vesktest
