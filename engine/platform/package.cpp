// The package-path query on Linux: a folder named by an environment variable.
#include "platform/package.h"

#include <cwchar>
#include <filesystem>
#include <stdexcept>

#include "core/files.h"
#include "platform/environment.h"

namespace platform {

long current_package_path(unsigned int* length, wchar_t* buffer, const std::string& root_variable) {
  if (!length) return kNoPackage;
  const std::optional<std::string> value = environment_variable(root_variable);
  std::error_code ec;
  if (!value || value->empty() || !std::filesystem::is_directory(*value, ec)) return kNoPackage;
  std::string name = *value;
  // The caller appends its own separator.
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  // The folder is handed out as wide text and turned back into UTF-8 by the
  // caller: a name that does not survive both ways counts as no package.
  std::wstring folder;
  try {
    folder = string2wstring(name);
    if (wstring2string(folder) != name) return kNoPackage;
  } catch (const std::range_error&) {
    return kNoPackage;
  }
  const unsigned int needed = static_cast<unsigned int>(folder.size() + 1);
  if (!buffer || *length < needed) {
    *length = needed;
    return kInsufficientBuffer;
  }
  std::wmemcpy(buffer, folder.c_str(), needed);
  *length = needed;
  return kPackagePathOk;
}

}  // namespace platform
