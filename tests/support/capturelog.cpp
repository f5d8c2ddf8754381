#include "capturelog.h"

#include "testmemory.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Shows form feeds and line ends, so that a missing form feed is visible in a failure report.
std::string printable(const std::string& text) {
  std::string shown;
  for (char c : text)
    shown += c == '\f' ? std::string("\\f") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return shown;
}

template <class Message>
void list(std::ostringstream& out, const char* title, const std::vector<Message>& all) {
  out << title << " (" << all.size() << "):\n";
  for (const Message& message : all)
    out << "  [" << message.severity << "] \"" << printable(message.text) << "\"\n";
}

}  // namespace

CaptureLog::CaptureLog() {
  m_previousSink = udLogger::getSink(&m_previousClient);
  udLogger::setSink(&CaptureLog::sink, this);
}

CaptureLog::~CaptureLog() {
  udLogger::setSink(m_previousSink, m_previousClient);
  check();
}

void CaptureLog::expect(const std::string& text, int severity) {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_expected.push_back({severity, text});
}

bool CaptureLog::check() {
  std::lock_guard<std::mutex> hold(m_mutex);
  bool same = m_received == m_expected;
  if (!same) {
    std::ostringstream report;
    report << "The log differs from what the test expected.\n";
    list(report, "Expected", m_expected);
    list(report, "Received", m_received);
    ADD_FAILURE() << report.str();
  }
  m_received.clear();
  m_expected.clear();
  return same;
}

void CaptureLog::clear() {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_received.clear();
  m_expected.clear();
}

std::vector<std::string> CaptureLog::messages() const {
  std::lock_guard<std::mutex> hold(m_mutex);
  std::vector<std::string> texts;
  for (const Message& message : m_received)
    texts.push_back(message.text);
  return texts;
}

void CaptureLog::sink(void* client, int severity, const char* text) {
  GlobalNewPause notCounted;
  auto* log = static_cast<CaptureLog*>(client);
  std::lock_guard<std::mutex> hold(log->m_mutex);
  log->m_received.push_back({severity, text ? text : ""});
}
