#include "libs/util/SafeFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::string Reason(int err) { return strerror(err); }

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The permission bits a new file gets: 0644 less the process umask.
mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0644 & ~mask;
}

bool WriteAll(int fd, std::string_view content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Makes the rename durable: a crash right after it leaves either the old or the new file.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}


// The file a write to path lands in: a symbolic link is followed, so the link stays.
std::string WriteTarget(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string resolved = real;
  free(real);
  return resolved;
}

// Where and how a write to name goes: the file it lands in and the permission bits the
// result gets. False with a reason when name cannot be written at all.
struct WritePlan {
  std::string path;
  mode_t mode = 0;
};

bool PlanWrite(const std::string& name, WritePlan& plan, std::string* error) {
  if (name.empty()) {
    SetError(error, "No output file name was given.");
    return false;
  }
  plan.path = WriteTarget(name);
  struct stat target {};
  bool exists = stat(plan.path.c_str(), &target) == 0;
  if (exists && S_ISDIR(target.st_mode)) {
    SetError(error, "Cannot write " + name + ": it is a folder.");
    return false;
  }
  if (exists && !S_ISREG(target.st_mode)) {
    SetError(error, "Cannot write " + name + ": it is not a regular file.");
    return false;
  }
  plan.mode = exists ? (target.st_mode & 07777) : NewFileMode();
  return true;
}

// A hidden file name in folder that is free now: ".travo-" and six random letters.
std::string TempNameIn(const std::string& folder) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char random[6] = {};
  if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    // No random bytes: the process id and the clock still differ between writers.
    const unsigned long mix = static_cast<unsigned long>(getpid()) * 2654435761ul ^ static_cast<unsigned long>(clock());
    for (size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(mix >> (8 * i));
  }
  std::string name = (folder == "/" ? "" : folder) + "/.travo-";
  for (unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
  return name;
}

// Creates the named temporary file beside plan.path; -1 with errno set when the folder
// refuses it.
int CreateNamedTemp(const WritePlan& plan, std::string& temp) {
  temp = (FolderOf(plan.path) == "/" ? "" : FolderOf(plan.path)) + "/.travo-XXXXXX";
  return mkstemp(temp.data());
}

// Creates a file without a name in the folder of plan.path; -1 where the file system or
// the kernel has none (EOPNOTSUPP, EISDIR, EINVAL) or the folder refuses it.
int CreateUnnamedTemp(const WritePlan& plan) {
  return open(FolderOf(plan.path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, plan.mode);
}

// Gives the unnamed file fd the name path; false with errno set (EEXIST when path is taken).
bool LinkUnnamed(int fd, const std::string& path) {
  char self[64];
  snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  if (linkat(AT_FDCWD, self, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  const int err = errno;
  if (err == EEXIST) return false;
  // Without /proc the descriptor itself can be linked, given the right to (root has it).
  if (linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return true;
  errno = err;
  return false;
}

}  // namespace

TempFileKind DefaultTempFileKind() {
  return getenv("TRAVO_NAMED_TEMP_FILES") ? TempFileKind::Named : TempFileKind::Unnamed;
}

bool CanWriteFileAtomically(const std::string& name, std::string* error) {
  CAtomicFileWriter probe;
  return probe.Open(name, error);  // the writer discards its temporary file when destroyed
}

bool WriteFileAtomically(const std::string& name, std::string_view content, std::string* error) {
  CAtomicFileWriter out;
  if (!out.Open(name, error)) return false;
  out.Write(content);
  return out.Commit(error);
}

bool ReadWholeFile(const std::string& path, std::string& content, std::string* error) {
  content.clear();
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    int err = errno;
    SetError(error, err == ENOENT ? "File " + path + " does not exist."
                                  : "Cannot read " + path + ": " + Reason(err) + ".");
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    SetError(error, path + " is a folder, not a file.");
    return false;
  }
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, "Cannot read " + path + ": " + Reason(errno) + ".");
    return false;
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      close(fd);
      SetError(error, "Cannot read " + path + ": " + Reason(err) + ".");
      return false;
    }
    data.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  content = std::move(data);
  return true;
}

// ---------------------------------------------------------------- CAtomicFileWriter

namespace {
constexpr size_t kWriterBuffer = 1 << 16;
}

CAtomicFileWriter::~CAtomicFileWriter() { Abandon(); }

bool CAtomicFileWriter::Open(const std::string& name, std::string* error) {
  Abandon();
  WritePlan plan;
  if (!PlanWrite(name, plan, error)) return false;
  std::string temp;
  int fd = kind_ == TempFileKind::Unnamed ? CreateUnnamedTemp(plan) : -1;
  // Where there is no unnamed file, a named one; it also gives the true reason when the
  // folder refuses both.
  if (fd < 0) fd = CreateNamedTemp(plan, temp);
  if (fd < 0) {
    SetError(error, "Cannot write " + name + ": " + Reason(errno) + ".");
    return false;
  }
  name_ = name;
  path_ = plan.path;
  temp_ = temp;
  mode_ = plan.mode;
  fd_ = fd;
  err_ = 0;
  buffer_.clear();
  buffer_.reserve(kWriterBuffer);
  return true;
}

bool CAtomicFileWriter::Flush() {
  if (err_ == 0 && !buffer_.empty() && !WriteAll(fd_, buffer_)) err_ = errno ? errno : EIO;
  buffer_.clear();
  return err_ == 0;
}

bool CAtomicFileWriter::Write(std::string_view data) {
  if (fd_ < 0) {
    if (err_ == 0) err_ = EBADF;
    return false;
  }
  if (err_ != 0) return false;
  if (buffer_.size() + data.size() > kWriterBuffer && !Flush()) return false;
  if (data.size() >= kWriterBuffer) {
    if (!WriteAll(fd_, data)) err_ = errno ? errno : EIO;
    return err_ == 0;
  }
  buffer_.append(data);
  return true;
}

// Gives the complete temporary file the target's name. A named one is renamed over the
// target. An unnamed one is linked straight in when the target does not exist yet, else
// linked to a free hidden name and renamed over the target from there.
bool CAtomicFileWriter::Name(int& err) {
  if (!temp_.empty()) {
    if (rename(temp_.c_str(), path_.c_str()) == 0) return true;
    err = errno;
    return false;
  }
  if (LinkUnnamed(fd_, path_)) return true;
  for (int attempt = 0; errno == EEXIST && attempt < 100; ++attempt) {
    const std::string temp = TempNameIn(FolderOf(path_));
    if (!LinkUnnamed(fd_, temp)) continue;
    if (rename(temp.c_str(), path_.c_str()) == 0) return true;
    err = errno;
    unlink(temp.c_str());
    return false;
  }
  err = errno;
  return false;
}

bool CAtomicFileWriter::Commit(std::string* error) {
  if (fd_ < 0) {
    SetError(error, "Cannot write " + (name_.empty() ? std::string("the file") : name_) + ": it was not opened.");
    return false;
  }
  bool ok = Flush() && fchmod(fd_, static_cast<mode_t>(mode_)) == 0 && fsync(fd_) == 0;
  int err = err_ ? err_ : errno;
  ok = ok && Name(err);
  // An unnamed file is named before the close, which would discard it; synced, its
  // content is on the disk already, so the close cannot lose any.
  close(fd_);
  fd_ = -1;
  if (!ok) {
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
    SetError(error, "Cannot write " + name_ + ": " + Reason(err) + ".");
    return false;
  }
  temp_.clear();
  SyncFolder(FolderOf(path_));
  return true;
}

void CAtomicFileWriter::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  buffer_.clear();
}

bool MakeFolder(const std::string& folder, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!ec && std::filesystem::is_directory(folder)) return true;
  SetError(error, "Cannot make the folder " + folder + (ec ? ": " + ec.message() : std::string()) + ".");
  return false;
}
