// Writes the sample content of the game folder: every data file the game reads, generated procedurally.
#include <cstdio>
#include <string>

#include "contentgen/content.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: contentgen <game folder>\n");
    return 2;
  }
  return contentgen::WriteAllContent(argv[1]) ? 0 : 1;
}
