#include "definitionlinter.h"

#include "loadreport.h"

#include "gfxsubsystem.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Installs a graphics backend for the life of a scope: the given one, or an inert one.
class CheckingGraphics {
public:
  explicit CheckingGraphics(gfxSubsystem* gfx) : m_previous(g_gfx) { g_gfx = gfx ? gfx : &m_inert; }
  ~CheckingGraphics() { g_gfx = m_previous; }
  CheckingGraphics(const CheckingGraphics&) = delete;
  CheckingGraphics& operator=(const CheckingGraphics&) = delete;

private:
  gfxSubsystem m_inert;
  gfxSubsystem* m_previous;
};

// Runs the rest of a scope in another folder; an empty folder is the working one.
class InFolder {
public:
  explicit InFolder(const fs::path& folder) {
    std::error_code error;
    if (folder.empty())
      return;
    m_previous = fs::current_path(error);
    fs::current_path(folder, error);
    if (error)
      m_previous.clear();
  }
  ~InFolder() {
    std::error_code error;
    if (!m_previous.empty())
      fs::current_path(m_previous, error);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

private:
  fs::path m_previous;
};

// Loads one file in its folder and prints its problems; returns how many there were.
size_t lintFile(const std::string& file, std::FILE* out) {
  fs::path folder = fs::path(file).parent_path();
  std::vector<LoadProblem> problems;
  {
    InFolder inFolder(folder);
    std::string name = folder.empty() ? file : fs::path(file).filename().string();
    LoadReport report(name);
    delete uiWidget::loadUI(name.c_str(), nullptr);
    problems = report.problems();
  }
  for (LoadProblem& problem : problems) {
    if (fs::path(problem.file).is_relative())
      problem.file = (folder / problem.file).lexically_normal().string();
    std::fprintf(out, "%s\n", formatProblem(problem).c_str());
  }
  return problems.size();
}

const char* plural(size_t count) {
  return count == 1 ? "" : "s";
}

}  // namespace

int lintDefinitionFiles(const std::vector<std::string>& files, std::FILE* out,
                        gfxSubsystem* gfx) {
  CheckingGraphics graphics(gfx);
  uiWidget::s_freeScripletCache();
  size_t problemCount = 0;
  size_t badFiles = 0;
  for (const std::string& file : files) {
    size_t found = lintFile(file, out);
    problemCount += found;
    badFiles += found ? 1 : 0;
    // Scriptlets are cached by name, and the next file may be in another folder.
    uiWidget::s_freeScripletCache();
  }
  if (problemCount == 0) {
    std::fprintf(out, "%zu file%s checked, no problems\n", files.size(), plural(files.size()));
    return 0;
  }
  std::fprintf(out, "%zu file%s checked, %zu problem%s in %zu file%s\n", files.size(),
               plural(files.size()), problemCount, plural(problemCount), badFiles,
               plural(badFiles));
  return 1;
}
