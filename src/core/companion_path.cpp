#include "core/companion_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Whether `path` lies below `folder`, component by component (so that
// /data/model-other is not within /data/model).
bool Lies_Below(const fs::path& path, const fs::path& folder) {
  auto inner = path.begin();
  for (auto outer = folder.begin(); outer != folder.end(); ++outer, ++inner) {
    if (outer->empty()) continue;  // a trailing separator
    if (inner == path.end() || *inner != *outer) return false;
  }
  return inner != path.end();
}

}  // namespace

Companion_Path Resolve_Companion(const std::string& folder, std::string_view name) {
  std::string quoted = "\"";
  quoted.append(name).append("\"");
  if (folder.empty()) return {{}, quoted + " is not read: an input from standard input has no folder to read it from"};
  if (name.empty()) return {{}, "an empty file name is not read"};
  const fs::path named{std::string(name)};
  // A root alone ("/x", or "\x" and "C:x" on Windows) is as absolute here as
  // a full path: it does not start from the input's folder.
  if (named.is_absolute() || named.has_root_name() || named.has_root_directory() || name.front() == '/' ||
      name.front() == '\\')
    return {{}, quoted + " is not read: it is an absolute path, and files a model names are read only from its "
                         "own folder and below"};
  std::error_code error;
  const fs::path base = fs::canonical(folder, error);
  if (error) return {{}, quoted + " is not read: the input's folder cannot be found"};
  // weakly_canonical: every link of the part that exists followed, `.` and
  // `..` taken away.
  const fs::path resolved = fs::weakly_canonical(base / named, error);
  if (error || !Lies_Below(resolved, base))
    return {{}, quoted + " is not read: it lies outside the input's folder, and files a model names are read "
                         "only from its own folder and below"};
  return {resolved.string(), {}};
}
