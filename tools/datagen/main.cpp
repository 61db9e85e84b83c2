// talvorin_datagen: writes the game's data folder.
//   talvorin_datagen <folder>
#include <iostream>

#include "datagen/generator.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: talvorin_datagen <data folder>" << std::endl;
    return 2;
  }
  const datagen::GeneratedFiles result = datagen::generate_data(argv[1]);
  if (!result.error.empty()) {
    std::cerr << "talvorin_datagen: " << result.error << std::endl;
    return 1;
  }
  std::cout << "talvorin_datagen: wrote " << result.files.size() << " files to " << argv[1]
            << std::endl;
  return 0;
}
