#include "libs/util/SafeFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
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

// Creates the temporary file beside plan.path; -1 with a reason when the folder refuses it.
int CreateTempBeside(const std::string& name, const WritePlan& plan, std::string& temp, std::string* error) {
  const std::string folder = FolderOf(plan.path);
  temp = (folder == "/" ? "" : folder) + "/.travo-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) SetError(error, "Cannot write " + name + ": " + Reason(errno) + ".");
  return fd;
}

}  // namespace

bool CanWriteFileAtomically(const std::string& name, std::string* error) {
  WritePlan plan;
  std::string temp;
  if (!PlanWrite(name, plan, error)) return false;
  int fd = CreateTempBeside(name, plan, temp, error);
  if (fd < 0) return false;
  close(fd);
  unlink(temp.c_str());
  return true;
}

bool WriteFileAtomically(const std::string& name, std::string_view content, std::string* error) {
  WritePlan plan;
  std::string temp;
  if (!PlanWrite(name, plan, error)) return false;
  const std::string& path = plan.path;
  const std::string folder = FolderOf(path);
  const mode_t mode = plan.mode;
  int fd = CreateTempBeside(name, plan, temp, error);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  int err = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    SetError(error, "Cannot write " + name + ": " + Reason(err) + ".");
    return false;
  }
  SyncFolder(folder);
  return true;
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
  int fd = CreateTempBeside(name, plan, temp, error);
  if (fd < 0) return false;
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

bool CAtomicFileWriter::Commit(std::string* error) {
  if (fd_ < 0) {
    SetError(error, "Cannot write " + (name_.empty() ? std::string("the file") : name_) + ": it was not opened.");
    return false;
  }
  bool ok = Flush() && fchmod(fd_, static_cast<mode_t>(mode_)) == 0 && fsync(fd_) == 0;
  int err = err_ ? err_ : errno;
  if (close(fd_) != 0 && ok) {
    ok = false;
    err = errno;
  }
  fd_ = -1;
  if (ok && rename(temp_.c_str(), path_.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temp_.c_str());
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
