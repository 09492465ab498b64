#pragma once
// Shared by the VESK to Travo converter tests: a host that can act at a Cancel poll, and
// a fixture that writes a builder's file, converts it (kind 3) and opens the result.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "RecordingHost.h"
#include "VeskBuilder.h"
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"

namespace veskconvtest {

using namespace vesktest;

// A recording host whose progress windows also keep their ranges and run onPoll at every
// Cancel poll (with the poll's number) before answering it.
class HookHost : public RecordingHost {
 public:
  std::vector<std::pair<int, int>> ranges;
  std::function<void(int)> onPoll;

  std::unique_ptr<IProgressWindow> OpenProgress() override {
    return std::make_unique<Hooked>(*this, RecordingHost::OpenProgress());
  }

 private:
  class Hooked : public IProgressWindow {
   public:
    Hooked(HookHost& host, std::unique_ptr<IProgressWindow> inner) : host_(host), inner_(std::move(inner)) {}
    void SetTitle(const std::string& t) override { inner_->SetTitle(t); }
    void SetRange(int lower, int upper) override {
      host_.ranges.emplace_back(lower, upper);
      inner_->SetRange(lower, upper);
    }
    void SetPos(int pos) override { inner_->SetPos(pos); }
    void SetStatus(const std::string& s) override { inner_->SetStatus(s); }
    bool CancelPressed() override {
      if (host_.onPoll) host_.onPoll(host_.checks + 1);
      return inner_->CancelPressed();
    }
    void Close() override { inner_->Close(); }

   private:
    HookHost& host_;
    std::unique_ptr<IProgressWindow> inner_;
  };
};

// A builder with the header given (by default: one level, identification in columns 1
// to 3, record type in column 4).
inline VeskBuilder WithHeader(const HeaderSpec& header = {}) {
  VeskBuilder b;
  b.Header(header);
  return b;
}

class VeskConvTest : public ::testing::Test {
 protected:
  // Writes the builder's file as dir/name and converts it to dir/out.dcf.
  bool Convert(const VeskBuilder& b, const std::string& name = "survey.dic") {
    EXPECT_TRUE(b.WriteTo(dir.file(name)));
    return ConvertFile(dir.file(name));
  }
  bool ConvertFile(const std::string& input) {
    return app.RunConversion(KIND_VESK_TO_TRAVO, input, output);
  }
  // Converts and opens the result; a failed conversion fails the test.
  CDataDict Converted(const VeskBuilder& b, const std::string& name = "survey.dic") {
    EXPECT_TRUE(Convert(b, name)) << Messages();
    return Result();
  }
  CDataDict Result() {
    CDataDict dict;
    EXPECT_TRUE(dict.Open(output)) << dict.GetLastError();
    return dict;
  }
  std::string Messages() const {
    std::string all;
    for (const auto& text : host.texts()) all += text + "\n";
    return all;
  }
  bool OutputExists() const { return std::filesystem::exists(output); }

  TempDir dir;
  std::string output = dir.file("out.dcf");
  HookHost host;
  CConvertApp app{host};
};

// An item as "NAME start len", a value as "from[:to];label" with " {NAME type}" for a
// special value: short enough to compare whole lists.
inline std::string Describe(const CDictItem& item) {
  return item.GetName() + " " + std::to_string(item.GetStart()) + " " + std::to_string(item.GetLen());
}

inline std::string Describe(const CDictValue& value) {
  std::string text;
  for (int p = 0; p < value.GetNumVPairs(); ++p) {
    const CDictVPair* pair = value.GetVPair(p);
    if (p > 0) text += ",";
    text += pair->GetFrom();
    if (!pair->GetTo().empty()) text += ":" + pair->GetTo();
  }
  text += ";" + value.GetLabel();
  if (value.IsSpecial() || !value.GetName().empty() || value.GetValueType() != NoneType)
    text += " {" + value.GetName() + " " + std::to_string(value.GetValueType()) + (value.IsSpecial() ? "" : " plain") +
            "}";
  return text;
}

inline std::vector<std::string> Items(const CDictRecord& record) {
  std::vector<std::string> out;
  for (int i = 0; i < record.GetNumItems(); ++i) out.push_back(Describe(*record.GetItem(i)));
  return out;
}

inline std::vector<std::string> Values(const CDictVSet& vset) {
  std::vector<std::string> out;
  for (int v = 0; v < vset.GetNumValues(); ++v) out.push_back(Describe(*vset.GetValue(v)));
  return out;
}

}  // namespace veskconvtest
