#include "definitionlinter.h"

#include "loadreport.h"

#include "gfxsubsystem.h"

namespace {

// Installs the inert graphics backend for the life of a scope, so that a check draws nothing and
// loads no image.
class InertGraphics {
public:
  InertGraphics() : m_previous(g_gfx) { g_gfx = &m_inert; }
  ~InertGraphics() { g_gfx = m_previous; }
  InertGraphics(const InertGraphics&) = delete;
  InertGraphics& operator=(const InertGraphics&) = delete;

private:
  gfxSubsystem m_inert;
  gfxSubsystem* m_previous;
};

// Loads one file and prints its problems; returns how many there were.
size_t lintFile(const std::string& file, std::FILE* out) {
  std::vector<LoadProblem> problems;
  {
    LoadReport report(file);
    delete uiWidget::loadUI(file.c_str(), nullptr);
    problems = report.problems();
  }
  for (const LoadProblem& problem : problems)
    std::fprintf(out, "%s\n", formatProblem(problem).c_str());
  return problems.size();
}

const char* plural(size_t count) {
  return count == 1 ? "" : "s";
}

}  // namespace

int lintDefinitionFiles(const std::vector<std::string>& files, std::FILE* out) {
  InertGraphics inert;
  uiWidget::s_freeScripletCache();
  size_t problemCount = 0;
  size_t badFiles = 0;
  for (const std::string& file : files) {
    size_t found = lintFile(file, out);
    problemCount += found;
    badFiles += found ? 1 : 0;
  }
  // Whatever runs next reads its scriptlets from disk again.
  uiWidget::s_freeScripletCache();
  if (problemCount == 0) {
    std::fprintf(out, "%zu file%s checked, no problems\n", files.size(), plural(files.size()));
    return 0;
  }
  std::fprintf(out, "%zu file%s checked, %zu problem%s in %zu file%s\n", files.size(),
               plural(files.size()), problemCount, plural(problemCount), badFiles,
               plural(badFiles));
  return 1;
}
