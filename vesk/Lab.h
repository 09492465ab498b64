#pragma once
// Lab: the label text of the dictionary, a section or a variable: a run of 32-byte
// blocks that starts with a 16-bit total length and holds labels ended by newlines.
#include <cstdint>

class Lab {
 public:
  enum : int32_t { kOk = 20000, kNoText = 20033, kNoMemory = 20044 };

  Lab(int fd, int nBlocks, int startBlock) : fd(fd), nBlocks(nBlocks), startBlock(startBlock) {}
  Lab(const Lab& other);
  Lab& operator=(const Lab& other);
  ~Lab() { Free(); }

  int32_t Load();
  // Copies the label at cursor into dst (width characters, blank-padded, NUL at
  // dst[width]) and returns the cursor of the next label; null without text or cursor.
  char* GetLabel(char* dst, const char* cursor, int width);
  void Free();
  // The total length recorded at the start of the text (0 without text).
  int Length() const;

  static void cleanstr(char* s, int n);
  static void copytext(char* dst, const char* src, int n);
  static char* stpbrk(char* s, const char* set);

  int32_t fd = -1;
  int32_t nBlocks = 0;
  int32_t startBlock = -1;
  int32_t status = kOk;
  char* text = nullptr;
};
