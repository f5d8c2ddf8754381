#pragma once

// Bounds the files one load reads: every included file and every scriptlet applied counts, from
// the outermost load or scriptlet of a thread to its end. Nesting limits bound the depth of
// includes; this bounds their number, so that a file that includes itself twice on each level
// ends in a report instead of running for hours.
class uiLoadBudget {
public:
  static constexpr int MAX_FILES = 4096;

  uiLoadBudget();  // counts one file for the load under way on this thread
  ~uiLoadBudget();
  uiLoadBudget(const uiLoadBudget&) = delete;
  uiLoadBudget& operator=(const uiLoadBudget&) = delete;

  bool exceeded() const { return m_exceeded; }
  // Logs that the file was not read.
  static void report(const char* file);

private:
  bool m_exceeded = false;
};
