#include "softfiles.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

void softSearchPath::add(const char* folder) {
  if (folder && *folder)
    m_folders.emplace_back(folder);
}

bool softSearchPath::find(const std::string& name, std::initializer_list<const char*> suffixes,
                          std::string* path) const {
  if (name.empty())
    return false;
  auto tryCandidate = [&](const std::string& base) {
    for (const char* suffix : suffixes) {
      std::error_code error;
      std::string candidate = base + suffix;
      if (std::filesystem::is_regular_file(candidate, error)) {
        *path = candidate;
        return true;
      }
    }
    return false;
  };
  if (tryCandidate(name))
    return true;
  if (std::filesystem::path(name).is_absolute())
    return false;
  for (const std::string& folder : m_folders)
    if (tryCandidate((std::filesystem::path(folder) / name).string()))
      return true;
  return false;
}

bool softReadText(const std::string& path, std::vector<char>* text) {
  text->clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return false;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    text->insert(text->end(), chunk, chunk + got);
  bool ok = !std::ferror(file);
  std::fclose(file);
  text->push_back('\0');
  return ok;
}

std::string softFolderOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool softIsComment(const char* token) {
  return token[0] == '#' || std::strncmp(token, "//", 2) == 0;
}
