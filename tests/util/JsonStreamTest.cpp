// The streaming JSON writer gives the bytes nlohmann::json's dump gives of the same document.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "libs/util/JsonStream.h"

namespace {

using nlohmann::ordered_json;

std::string Dumped(const ordered_json& document) {
  return document.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

std::string Streamed(const ordered_json& document) {
  std::ostringstream out;
  CJsonStreamWriter writer(out);
  writer.Value(document);
  writer.Finish();
  return out.str();
}

std::string EveryByte() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(JsonStream, WritesTheBytesOfADump) {
  const ordered_json documents[] = {
      ordered_json::object(),
      ordered_json::array(),
      "text",
      nullptr,
      ordered_json{{"empty object", ordered_json::object()}, {"empty array", ordered_json::array()}},
      ordered_json::array({ordered_json::array(), ordered_json::array({ordered_json::object()}), 1, "a"}),
      {{"outer", {{"inner", {{"deepest", ordered_json::array({1, 2, 3})}}}}}, {"after", true}},
      {{"ints", {0, -1, std::numeric_limits<long long>::min(), std::numeric_limits<unsigned long long>::max()}},
       {"doubles", {0.0, -0.0, 0.1, 1.0, 99.0, -2.5e-8, 1e300, 123456789.125}},
       {"booleans", {true, false}}},
      {{"quotes \"and\" \\backslashes\\", "tab\t new\nline \r \b \f \x01 \x1f \x7f"},
       {"printable ASCII and DEL", " !#$%&'()*+,-./09:;<=>?@AZ[]^_`az{|}~ \x7f"},
       {"non-ASCII", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
       {"not UTF-8", "latin-1 caf\xE9, stray \x80, cut \xE2\x82, overlong \xC0\xAF, surrogate \xED\xA0\x80"},
       {"every byte", EveryByte()},
       {EveryByte(), "as a key"}},
  };
  for (const ordered_json& document : documents) EXPECT_EQ(Streamed(document), Dumped(document)) << Dumped(document);
}

TEST(JsonStream, FieldsOfEachKindMatchTheirTreeForm) {
  std::ostringstream out;
  CJsonStreamWriter w(out);
  w.BeginObject();
  w.Field("text", std::string("a\"b"));
  w.Field("literal", "c");
  w.Field("int", -7);
  w.Field("unsigned", static_cast<size_t>(7));
  w.Field("byte", static_cast<unsigned char>(200));
  w.Field("flag", false);
  w.Field("nothing", nullptr);
  w.Key("double");
  w.Double(2.0);
  w.Key("list");
  w.BeginArray();
  w.EndArray();
  w.EndObject();
  w.Finish();
  const ordered_json tree = {{"text", "a\"b"},   {"literal", "c"}, {"int", -7},     {"unsigned", 7u},
                             {"byte", 200},      {"flag", false},  {"nothing", nullptr}, {"double", 2.0},
                             {"list", ordered_json::array()}};
  EXPECT_EQ(out.str(), Dumped(tree));
}

}  // namespace
