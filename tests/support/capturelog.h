#pragma once

#include "udlogger.h"

#include <mutex>
#include <string>
#include <vector>

// Captures every log message while it lives. A test states the messages it expects, in order and
// with their exact text (trailing form feed included); when the log is checked (at the latest on
// destruction) any message that was not expected, or expected and missing, fails the test.
//
//   CaptureLog log;
//   log.expect("Unknown flag: WF_NOPE\f");
//   widget->load(...);
//
// Nested logs are allowed; the inner one takes the messages while it lives.
class CaptureLog {
public:
  CaptureLog();
  ~CaptureLog();
  CaptureLog(const CaptureLog&) = delete;
  CaptureLog& operator=(const CaptureLog&) = delete;

  void expect(const std::string& text, int severity = 2);
  // Compares the messages so far with the expected ones, reports any difference as a test
  // failure, and starts again with no messages and no expectations. Returns true when they match.
  bool check();
  // Forgets the messages and expectations so far without checking them.
  void clear();
  std::vector<std::string> messages() const;  // the texts received so far

private:
  struct Message {
    int severity;
    std::string text;
    bool operator==(const Message& other) const {
      return severity == other.severity && text == other.text;
    }
  };

  static void sink(void* client, int severity, const char* text);

  mutable std::mutex m_mutex;  // a worker thread may log
  std::vector<Message> m_received;
  std::vector<Message> m_expected;
  udLoggerSink m_previousSink = nullptr;
  void* m_previousClient = nullptr;
};
