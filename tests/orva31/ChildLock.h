#pragma once
// A child process that holds a POSIX advisory lock on a file, as another program would.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <string>

// A child process that holds a lock of the given type on path until destroyed.
class ChildLock {
 public:
  ChildLock(const std::string& path, short type) {
    int ready[2], stop[2];
    EXPECT_EQ(pipe(ready), 0);
    EXPECT_EQ(pipe(stop), 0);
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(stop[1]);
      int fd = open(path.c_str(), type == F_WRLCK ? O_RDWR : O_RDONLY);
      struct flock fl = {};
      fl.l_type = type;
      fl.l_whence = SEEK_SET;
      char ok = (fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0) ? 1 : 0;
      (void)!write(ready[1], &ok, 1);
      char c;
      (void)!read(stop[0], &c, 1);  // returns when the parent closes its end
      _exit(0);
    }
    close(ready[1]);
    close(stop[0]);
    stop_ = stop[1];
    char ok = 0;
    EXPECT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 1);
    close(ready[0]);
  }
  ~ChildLock() {
    close(stop_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

 private:
  pid_t pid_ = -1;
  int stop_ = -1;
};
