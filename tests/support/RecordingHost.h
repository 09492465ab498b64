#pragma once
// A host for tests: keeps every message and progress call, answers questions from a
// script, and can press Cancel at a chosen check.
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "libs/util/Reporter.h"

class RecordingHost : public IReporter {
 public:
  struct Message {
    std::string text;
    unsigned style;
  };
  std::vector<Message> messages;
  std::vector<std::string> statuses;  // every progress status, in order
  std::vector<int> positions;         // every progress position, in order
  std::string title;                  // the last progress window title
  int checks = 0;                     // how many times Cancel was polled
  int cancelAtCheck = 0;              // 1-based poll that reports Cancel; 0 never
  int progressWindows = 0;            // how many were opened
  int progressOpen = 0;               // how many are open now
  std::deque<int> answers;            // answers to MB_YESNO boxes; IDNO when empty

  int Report(const ::Message& message) override { return ShowMessage(message.text, message.style); }
  int ShowMessage(const std::string& text, unsigned style) {
    messages.push_back({text, style});
    if ((style & 0xF) != MB_YESNO) return IDOK;
    if (answers.empty()) return IDNO;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::unique_ptr<IProgressWindow> OpenProgress() override {
    ++progressWindows;
    ++progressOpen;
    return std::make_unique<Window>(*this);
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
  }

 private:
  class Window : public IProgressWindow {
   public:
    explicit Window(RecordingHost& host) : host_(host) {}
    ~Window() override { Close(); }
    void SetTitle(const std::string& t) override { host_.title = t; }
    void SetRange(int, int) override {}
    void SetPos(int pos) override { host_.positions.push_back(pos); }
    void SetStatus(const std::string& s) override { host_.statuses.push_back(s); }
    bool CancelPressed() override {
      ++host_.checks;
      return host_.cancelAtCheck != 0 && host_.checks >= host_.cancelAtCheck;
    }
    void Close() override {
      if (!closed_) --host_.progressOpen;
      closed_ = true;
    }

   private:
    RecordingHost& host_;
    bool closed_ = false;
  };
};

// A fresh empty folder under the system's temporary folder, removed at the end of scope.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "travo-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Points TMPDIR, for this process and the programs it starts, at a fresh folder of its own
// while it lives, so that a test can see what was left in it without other tests running at
// the same time leaving theirs there too.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    const char* previous = std::getenv("TMPDIR");
    hadPrevious_ = previous != nullptr;
    if (previous) previous_ = previous;
    setenv("TMPDIR", folder_.path().c_str(), 1);
  }
  ~PrivateTempFolder() {
    if (hadPrevious_) {
      setenv("TMPDIR", previous_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
  bool empty() const { return std::filesystem::is_empty(folder_.path()); }

 private:
  TempDir folder_;
  bool hadPrevious_ = false;
  std::string previous_;
};
