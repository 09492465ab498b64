// Writes the VESK example of examples/ from the builder: vesk_make_examples examples
#include <cstdio>
#include <string>

#include "VeskSamples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vesk_make_examples FOLDER\n");
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/household-vesk.dic";
  vesktest::VeskBuilder b;
  b.Raw(vesktest::HouseholdExample());
  if (!b.WriteTo(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
