#pragma once

#include "uiwidget.h"

#include "udlogger.h"

#include <string>
#include <vector>

// One message logged while a UI definition file was loaded, placed at the file and line the
// loader was reading. Line 0 means the message concerns the file as a whole (it cannot be
// opened, or the message came after the parse, while the tree was initialised).
struct LoadProblem {
  std::string file;
  int line = 0;
  std::string message;  // without colour codes and form feeds
};

// Collects what one load reports: every log message, with its place, and every file the load
// read (the file itself, included files, scriptlets, and files it tried and failed to open), so
// that a viewer knows which files to watch. While it lives it takes the log sink and the
// loader's progress callback, and gives both back at its end. Only one may live at a time.
class LoadReport {
public:
  explicit LoadReport(std::string file);  // the file loaded: outside a parse, messages are its
  ~LoadReport();
  LoadReport(const LoadReport&) = delete;
  LoadReport& operator=(const LoadReport&) = delete;

  const std::vector<LoadProblem>& problems() const { return m_problems; }
  const std::vector<std::string>& files() const { return m_files; }  // in order of first use

private:
  static void _sink(void* client, int severity, const char* text);
  static void _progress(uiWidget* widget, void* client, e_uiProgressEvent event);
  void _addFile(const std::string& file);

  std::string m_file;
  std::vector<LoadProblem> m_problems;
  std::vector<std::string> m_files;
  udLoggerSink m_previousSink = nullptr;
  void* m_previousSinkClient = nullptr;
  uiProgressCallback m_previousProgress = nullptr;
  void* m_previousProgressClient = nullptr;
};

// A logged message as a person reads it: colour codes dropped, form feeds and line ends turned
// into spaces, and the spaces at either end trimmed.
std::string plainMessage(const char* text);
// "file:line: message", or "file: message" for a problem of the whole file.
std::string formatProblem(const LoadProblem& problem);
