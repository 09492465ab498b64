// Writes the sample VESK files into a folder: vesk_fuzz_seeds fuzz/vesk/corpus
#include <cstdio>
#include <string>

#include "VeskSamples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vesk_fuzz_seeds FOLDER\n");
    return 2;
  }
  for (const auto& [name, bytes] : vesktest::SampleFiles()) {
    std::string path = std::string(argv[1]) + "/" + name;
    vesktest::VeskBuilder b;
    b.Raw(bytes);
    if (!b.WriteTo(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
