#include "core/file_extension.h"

bool Has_Extension(std::string_view name, std::string_view extension) {
  std::string_view tail = name.size() > 3 ? name.substr(name.size() - 3) : name;
  if (tail.size() != extension.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != extension[i]) return false;
  }
  return true;
}
