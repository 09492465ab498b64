#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "Files.h"
#include "RecordingHost.h"
#include "libs/util/SafeFile.h"

namespace fs = std::filesystem;

namespace {

size_t EntriesIn(const fs::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(SafeFile, WritesNewFilesAndReplacesOldOnesKeepingTheirMode) {
  TempDir dir;
  const std::string path = dir.file("out.dcf");
  std::string error;
  const std::string content("binary\0data\r\n", 13);
  ASSERT_TRUE(WriteFileAtomically(path, content, &error)) << error;
  EXPECT_EQ(ReadTextFile(path), content);
  mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(ModeOf(path), 0644 & ~mask);

  chmod(path.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomically(path, "second", &error)) << error;
  EXPECT_EQ(ReadTextFile(path), "second");
  EXPECT_EQ(ModeOf(path), 0600u);
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left";

  ASSERT_TRUE(WriteFileAtomically(path, "", &error)) << error;
  EXPECT_EQ(ReadTextFile(path), "");
}

TEST(SafeFile, WritingThroughALinkKeepsTheLink) {
  TempDir dir;
  const std::string real = dir.file("real.dcf"), link = dir.file("link.dcf");
  std::ofstream(real) << "old";
  fs::create_symlink(real, link);
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadTextFile(real), "new");
}

TEST(SafeFile, FailuresNameTheFileAndLeaveNothingBehind) {
  TempDir dir;
  std::string error;
  const std::string missingFolder = dir.file("none") + "/out.dcf";
  EXPECT_FALSE(WriteFileAtomically(missingFolder, "x", &error));
  EXPECT_EQ(error, "Cannot write " + missingFolder + ": No such file or directory.");

  fs::create_directory(dir.file("sub"));
  EXPECT_FALSE(WriteFileAtomically(dir.file("sub"), "x", &error));
  EXPECT_EQ(error, "Cannot write " + dir.file("sub") + ": it is a folder.");
  EXPECT_TRUE(fs::is_directory(dir.file("sub")));

  EXPECT_FALSE(WriteFileAtomically("/dev/null", "x", &error));
  EXPECT_EQ(error, "Cannot write /dev/null: it is not a regular file.");
  EXPECT_FALSE(WriteFileAtomically("", "x", &error));
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(SafeFile, AFailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("out.dcf");
  std::ofstream(path) << "old";
  // A file-size limit makes the write fail part way, as a full disk would (even for root).
  struct rlimit saved {};
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  bool written = WriteFileAtomically(path, std::string(100000, 'n'), &error);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(error, "Cannot write " + path + ": File too large.");
  EXPECT_EQ(ReadTextFile(path), "old");
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "the temporary file is removed";
}

TEST(SafeFile, ReadOnlyFolderFailsWithoutTouchingTheTarget) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  TempDir dir;
  const std::string folder = dir.file("ro"), path = folder + "/out.dcf";
  fs::create_directory(folder);
  std::ofstream(path) << "old";
  chmod(folder.c_str(), 0555);
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(path, "new", &error));
  EXPECT_EQ(error, "Cannot write " + path + ": Permission denied.");
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(ReadTextFile(path), "old");
  EXPECT_EQ(EntriesIn(folder), 1u);
}

// Both kinds of temporary file: the unnamed one (ext4 and tmpfs have it) and the named one
// the writer falls back on.
class SafeFileTemp : public ::testing::TestWithParam<TempFileKind> {
 protected:
  bool Unnamed() const { return GetParam() == TempFileKind::Unnamed; }
};

TEST_P(SafeFileTemp, TheTargetChangesOnlyAtCommitAndKeepsItsMode) {
  TempDir dir;
  const std::string path = dir.file("out.dcf"), fresh = dir.file("new.dcf");
  std::ofstream(path) << "old";
  chmod(path.c_str(), 0640);
  std::string error;
  for (const std::string& target : {path, fresh}) {
    CAtomicFileWriter out(GetParam());
    ASSERT_TRUE(out.Open(target, &error)) << error;
    EXPECT_EQ(out.IsUnnamed(), Unnamed());
    out.Write(std::string(200000, 'n'));
    EXPECT_EQ(EntriesIn(dir.path()), Unnamed() ? 1u : 2u) << "the new file is not there before the commit";
    ASSERT_TRUE(out.Commit(&error)) << error;
    EXPECT_EQ(ReadTextFile(target), std::string(200000, 'n'));
  }
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(EntriesIn(dir.path()), 2u) << "no temporary file is left";

  CAtomicFileWriter abandoned(GetParam());
  ASSERT_TRUE(abandoned.Open(path, &error)) << error;
  abandoned.Write("half");
  abandoned.Abandon();
  EXPECT_EQ(ReadTextFile(path), std::string(200000, 'n'));
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST_P(SafeFileTemp, AKilledWriterLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("out.dcf");
  std::ofstream(path) << "old";
  const pid_t child = fork();
  if (child == 0) {
    CAtomicFileWriter out(GetParam());
    if (out.Open(path)) out.Write(std::string(1 << 20, 'n'));
    raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadTextFile(path), "old");
  // An unnamed file vanishes with the process; a named one stays behind (hidden).
  EXPECT_EQ(EntriesIn(dir.path()), Unnamed() ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SafeFileTemp, ::testing::Values(TempFileKind::Unnamed, TempFileKind::Named),
                         [](const auto& info) { return info.param == TempFileKind::Unnamed ? "Unnamed" : "Named"; });

TEST(SafeFile, ReadWholeFileGivesContentOrAReason) {
  TempDir dir;
  const std::string path = dir.file("in.ddw");
  const std::string content(200000, 'q');  // more than one read
  ASSERT_TRUE(WriteFileAtomically(path, content));
  std::string read, error;
  ASSERT_TRUE(ReadWholeFile(path, read, &error)) << error;
  EXPECT_EQ(read, content);

  EXPECT_FALSE(ReadWholeFile(dir.file("none"), read, &error));
  EXPECT_EQ(error, "File " + dir.file("none") + " does not exist.");
  EXPECT_TRUE(read.empty());
  EXPECT_FALSE(ReadWholeFile(dir.path().string(), read, &error));
  EXPECT_EQ(error, dir.path().string() + " is a folder, not a file.");
}

}  // namespace
