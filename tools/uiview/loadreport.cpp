#include "loadreport.h"

#include <algorithm>
#include <cstring>

namespace {

// The loader's message for a file it cannot open names the file between these two marks.
const char kCannotOpen[] = "uiSubsystem: could not open file: \"^C00FF00";
const char kCannotOpenEnd[] = "^c\"";

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "^C" and six hexadecimal digits start a colour; "^c" ends it.
size_t colourCodeLength(const char* at) {
  if (at[0] != '^')
    return 0;
  if (at[1] == 'c')
    return 2;
  if (at[1] != 'C')
    return 0;
  for (int i = 2; i < 8; ++i)
    if (!isHexDigit(at[i]))
      return 0;
  return 8;
}

// The file named by a "could not open file" message, or "" for any other message.
std::string unopenedFile(const char* text) {
  if (std::strncmp(text, kCannotOpen, sizeof kCannotOpen - 1) != 0)
    return std::string();
  const char* name = text + sizeof kCannotOpen - 1;
  const char* end = std::strstr(name, kCannotOpenEnd);
  return end ? std::string(name, end) : std::string();
}

}  // namespace

LoadReport::LoadReport(std::string file) : m_file(std::move(file)) {
  m_previousSink = udLogger::getSink(&m_previousSinkClient);
  udLogger::setSink(&LoadReport::_sink, this);
  m_previousProgress = uiWidget::_progCb;
  m_previousProgressClient = uiWidget::_progClient;
  uiWidget::registerProgCb(&LoadReport::_progress, this);
  _addFile(m_file);
}

LoadReport::~LoadReport() {
  uiWidget::registerProgCb(m_previousProgress, m_previousProgressClient);
  udLogger::setSink(m_previousSink, m_previousSinkClient);
}

void LoadReport::_sink(void* client, int, const char* text) {
  auto* report = static_cast<LoadReport*>(client);
  LoadProblem problem;
  const char* file = nullptr;
  if (uiWidget::s_getParsePosition(&file, &problem.line))
    problem.file = file;
  else
    problem.file = report->m_file;
  problem.message = plainMessage(text);
  report->_addFile(problem.file);
  std::string unopened = unopenedFile(text);
  if (!unopened.empty())
    report->_addFile(unopened);
  report->m_problems.push_back(std::move(problem));
}

// Every parsed file reports progress while it is the innermost one being read.
void LoadReport::_progress(uiWidget*, void* client, e_uiProgressEvent) {
  const char* file = nullptr;
  int line = 0;
  if (uiWidget::s_getParsePosition(&file, &line))
    static_cast<LoadReport*>(client)->_addFile(file);
}

void LoadReport::_addFile(const std::string& file) {
  if (std::find(m_files.begin(), m_files.end(), file) == m_files.end())
    m_files.push_back(file);
}

std::string plainMessage(const char* text) {
  std::string plain;
  for (const char* at = text; *at;) {
    if (size_t length = colourCodeLength(at)) {
      at += length;
      continue;
    }
    char c = *at++;
    plain += c == '\f' || c == '\n' || c == '\r' ? ' ' : c;
  }
  size_t first = plain.find_first_not_of(' ');
  if (first == std::string::npos)
    return std::string();
  return plain.substr(first, plain.find_last_not_of(' ') - first + 1);
}

std::string formatProblem(const LoadProblem& problem) {
  std::string place = problem.file;
  if (problem.line > 0)
    place += ":" + std::to_string(problem.line);
  return place + ": " + problem.message;
}
