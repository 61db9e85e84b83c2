// Writes the whole data folder of the game: cfg/, models/, textures/ and
// sounds/ under one root, the same bytes on every run.
#pragma once

#include <string>
#include <vector>

namespace datagen {

// Every file written, relative to the root, in writing order.
struct GeneratedFiles {
  std::vector<std::string> files;
  // The first failure, with the file it concerns; empty on success.
  std::string error;
};

GeneratedFiles generate_data(const std::string& root);

}  // namespace datagen
