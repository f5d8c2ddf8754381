#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh directory for real files, removed with everything in it at the end of its scope.
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "uitest-XXXXXX").string();
    m_path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes (or rewrites) a file of the directory and returns its full path.
  std::string write(const std::string& name, const std::string& text) const {
    std::string file = path(name);
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  std::string path(const std::string& name) const { return m_path + "/" + name; }
  const std::string& folder() const { return m_path; }

private:
  std::string m_path;
};

// Runs a scope in another working directory, for fixtures that name their includes relative to
// their own folder.
class WorkingDirectory {
public:
  explicit WorkingDirectory(const std::string& path)
      : m_previous(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingDirectory() { std::filesystem::current_path(m_previous); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
  std::filesystem::path m_previous;
};
