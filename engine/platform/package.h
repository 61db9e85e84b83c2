// The installation folder of the application package the process runs from.
#pragma once

#include <string>

namespace platform {

// Answers of the package-path query, as the Windows package API gives them.
constexpr long kPackagePathOk = 0;
constexpr long kInsufficientBuffer = 122;
constexpr long kNoPackage = 15700;

// Writes the package folder and its terminating NUL into buffer when *length (in
// wide characters) is enough, and returns kPackagePathOk; otherwise stores the
// room needed in *length and returns kInsufficientBuffer. kNoPackage when the
// process runs from no package. On Linux the package is the existing folder named
// by the environment variable root_variable; Windows asks the system and ignores
// the name.
long current_package_path(unsigned int* length, wchar_t* buffer, const std::string& root_variable);

}  // namespace platform
