#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "RecordingHost.h"
#include "libs/util/FileNames.h"

namespace fs = std::filesystem;

namespace {

// Runs a test body with the current directory set to folder.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const fs::path& folder) : old_(fs::current_path()) { fs::current_path(folder); }
  ~ScopedCurrentDir() { fs::current_path(old_); }

 private:
  fs::path old_;
};

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(FileNames, IsWinFileNameRefusesReservedCharacters) {
  for (const std::string& ok : {std::string(""), std::string("/data/survey.dd"), std::string("a b:c\\d.e"),
                                std::string("R\xC3\xA9gion.dcf")})
    EXPECT_NE(IsWinFileName(ok), 0) << ok;
  for (const std::string& bad : {std::string("a<b"), std::string("a>b"), std::string("a\"b"), std::string("a|b"),
                                 std::string("what?"), std::string("*.dd"), std::string("tab\there"),
                                 std::string("line\nbreak"), std::string("nul\0x", 5), std::string("del\x7F")})
    EXPECT_EQ(IsWinFileName(bad), 0) << bad;
}

TEST(FileNames, FullFileNameFoldsDotsAgainstTheCurrentDirectory) {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  const std::string base = fs::current_path().string();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"survey", base + "/survey"},
      {"./a/../b.dd", base + "/b.dd"},
      {"sub/", base + "/sub"},
      {"/x/./y/../z.dcf", "/x/z.dcf"},
      {"/../..", "/"},
      {"/", "/"},
      {"", ""},
  };
  for (const auto& [name, full] : cases) EXPECT_EQ(VornGetFullFileName(name), full) << name;
}

TEST(FileNames, GetFileExtensionLooksOnlyAtTheFileNamePart) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"survey.dd", "dd"}, {"/a.b/survey", ""}, {"/a/survey.dic,wst", "dic,wst"},
      {"x.tar.gz", "gz"},  {"/data/.ddw", "ddw"}, {"name.", ""}, {"", ""},
  };
  for (const auto& [path, ext] : cases) EXPECT_EQ(GetFileExtension(path), ext) << path;
}

TEST(FileNames, InputMustBeAnExistingRegularFile) {
  TempDir dir;
  Touch(dir.file("in.dd"));
  RecordingHost host;

  EXPECT_EQ(IsVornFileNameOK(host, 1, dir.file("in.dd"), "dd", 0), 1);
  EXPECT_TRUE(host.messages.empty());

  const std::string missing = dir.file("missing.dd");
  const std::string listed = dir.file("survey.dic,wst");
  const std::vector<std::pair<std::string, std::string>> refusals = {
      {missing, "File " + missing + " does not exist."},
      {dir.path().string(), dir.path().string() + " is a folder, not a file."},
      {"/dev/null", "/dev/null is not a regular file."},
      {listed, "File " + listed + " does not exist.\n\nGive the name with one of the extensions dic, wst."},
      {"", "No file name given."},
      {"in?.dd", "in?.dd\n\nThis path name contains invalid characters."},
  };
  for (const auto& [name, message] : refusals) {
    host.messages.clear();
    EXPECT_EQ(IsVornFileNameOK(host, 1, name, "dd", 0), 0) << name;
    ASSERT_EQ(host.texts(), std::vector<std::string>{message});
  }
}

TEST(FileNames, OutputFolderMustExistAndTheNameMustNotBeAFolder) {
  TempDir dir;
  RecordingHost host;

  EXPECT_EQ(IsVornFileNameOK(host, 0, dir.file("new.dcf"), "dcf", 1), 1);
  EXPECT_TRUE(host.messages.empty()) << "a new file needs no question";

  const std::string nowhere = dir.file("nowhere");
  EXPECT_EQ(IsVornFileNameOK(host, 0, nowhere + "/out.dcf", "dcf", 1), 0);
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Folder " + nowhere + " does not exist."});

  fs::create_directory(dir.file("sub"));
  host.messages.clear();
  EXPECT_EQ(IsVornFileNameOK(host, 0, dir.file("sub"), "dcf", 0), 0);
  EXPECT_EQ(host.texts(), std::vector<std::string>{dir.file("sub") + " is a folder, not a file."});

  {  // a relative name is checked in the current directory
    ScopedCurrentDir cwd(dir.path());
    host.messages.clear();
    EXPECT_EQ(IsVornFileNameOK(host, 0, "rel.dcf", "dcf", 1), 1);
    EXPECT_TRUE(host.messages.empty());
  }
}

TEST(FileNames, ReadOnlyOutputFolderIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  TempDir dir;
  fs::create_directory(dir.file("ro"));
  chmod(dir.file("ro").c_str(), 0555);
  RecordingHost host;
  EXPECT_EQ(IsVornFileNameOK(host, 0, dir.file("ro") + "/out.dcf", "dcf", 0), 0);
  EXPECT_EQ(host.texts(), std::vector<std::string>{"Folder " + dir.file("ro") + " is not writable."});
  chmod(dir.file("ro").c_str(), 0755);
}

TEST(FileNames, ExistingOutputIsReplacedOnlyWhenTheUserAgrees) {
  TempDir dir;
  const std::string out = dir.file("out.dcf");
  Touch(out);
  const std::string question = out + "\n\nThis file already exists.\nDo you want to replace it?";
  RecordingHost host;

  host.answers = {IDNO};
  EXPECT_EQ(IsVornFileNameOK(host, 0, out, "dcf", 1), 0);
  host.answers = {IDYES};
  EXPECT_EQ(IsVornFileNameOK(host, 0, out, "dcf", 1), 1);
  ASSERT_EQ(host.messages.size(), 2u);
  for (const auto& m : host.messages) {
    EXPECT_EQ(m.text, question);
    EXPECT_EQ(m.style, MB_YESNO | MB_ICONQUESTION);
  }

  host.messages.clear();
  EXPECT_EQ(IsVornFileNameOK(host, 0, out, "dcf", 0), 1) << "check 0 asks nothing";
  EXPECT_TRUE(host.messages.empty());
}

// One file is one file whatever leads to it: its name, another way to write the name, a
// symbolic link or a hard link. A missing file is no file at all.
TEST(FileNames, SameFileIsTheSameDeviceAndInode) {
  TempDir dir;
  const std::string file = dir.file("survey.ddw");
  Touch(file);
  Touch(dir.file("other.ddw"));
  fs::create_symlink(file, dir.file("link.dcf"));
  fs::create_hard_link(file, dir.file("hard.dcf"));
  fs::create_directory(dir.file("sub"));
  const std::pair<std::string, bool> cases[] = {
      {file, true},
      {dir.file("sub/../survey.ddw"), true},
      {dir.file("link.dcf"), true},
      {dir.file("hard.dcf"), true},
      {dir.file("other.ddw"), false},
      {dir.file("missing.dcf"), false},
      {"", false},
  };
  for (const auto& [name, same] : cases) {
    EXPECT_EQ(IsSameFile(name, file) != 0, same) << name;
    EXPECT_EQ(IsSameFile(file, name) != 0, same) << name;
  }
  EXPECT_EQ(IsSameFile(dir.file("missing.dcf"), dir.file("missing.dcf")), 0);

  RecordingHost host;
  EXPECT_EQ(IsOutputApartFromInput(host, dir.file("other.ddw"), file), 1);
  EXPECT_EQ(IsOutputApartFromInput(host, dir.file("link.dcf"), file), 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            dir.file("link.dcf") + "\n\nThis file is the input of the conversion.\nIt cannot be replaced by the output.");
  EXPECT_EQ(host.messages[0].style, MB_OK | MB_ICONEXCLAMATION);
}

// Asked about only when it exists, with the question of an existing output.
TEST(FileNames, MayReplaceFileAsksOnlyAboutAnExistingFile) {
  TempDir dir;
  RecordingHost host;
  EXPECT_EQ(MayReplaceFile(host, dir.file("new.dcf")), 1);
  EXPECT_TRUE(host.messages.empty());
  Touch(dir.file("old.dcf"));
  host.answers = {IDNO, IDYES};
  EXPECT_EQ(MayReplaceFile(host, dir.file("old.dcf")), 0);
  EXPECT_EQ(MayReplaceFile(host, dir.file("old.dcf")), 1);
  EXPECT_EQ(host.texts(), std::vector<std::string>(2, dir.file("old.dcf") + "\n\nThis file already exists.\n"
                                                                           "Do you want to replace it?"));
}

TEST(FileNames, WithNobodyToAskAnExistingOutputIsKept) {
  TempDir dir;
  Touch(dir.file("out.dcf"));
  CSilentReporter nobody;
  EXPECT_EQ(IsVornFileNameOK(nobody, 0, dir.file("out.dcf"), "dcf", 1), 0);  // the silent reporter answers No
}

}  // namespace
