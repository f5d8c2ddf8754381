#pragma once

#include <string>
#include <vector>

class Parser;
class uiSubsystem;

// One input step of a timeline, at the frame before which it is sent.
struct demoEvent {
  enum Kind { MOVE, PRESS, RELEASE, KEYDOWN, KEYUP, CHAR, SHOT };
  unsigned int frame = 0;
  Kind kind = MOVE;
  int x = 0, y = 0;  // MOVE: the pointer's new position (presses happen where the pointer is)
  int key = 0;       // KEYDOWN, KEYUP: key code; CHAR: character code
  std::string name;  // SHOT: the picture's name
};

// A timeline of input read from a text script: pointer moves, button presses and releases, keys,
// typed text and the frames to keep as pictures. The format is described in the header comment
// of the demo's own script (examples/demo/demo.script). Glides, clicks, key taps and typed text
// are spread over frames when the script is read, so the events are plain per-frame steps.
class demoScript {
public:
  // False when the file cannot be read or a line is wrong; errors() then says which.
  bool load(const char* path);
  // The same for a text in memory; `source` names it in the messages.
  bool parse(const char* text, const char* source);

  const std::vector<demoEvent>& events() const { return m_events; }
  const std::vector<std::string>& errors() const { return m_errors; }
  unsigned int lastFrame() const { return m_lastFrame; }  // the run's last frame, inclusive

  // Sends the input events of `frame` to the UI manager, in script order.
  void dispatch(unsigned int frame, uiSubsystem& ui) const;
  // The names of the pictures to keep after drawing `frame`.
  std::vector<std::string> shotsAt(unsigned int frame) const;

  // The key code for a name (ENTER, ESCAPE, F1, ..., a single character or a number); -1 when
  // the name means nothing.
  static int keyCode(const char* name);

private:
  bool _readFrame(const char* token, unsigned int* previous);
  void _parseLine(Parser& parser, const char* command, unsigned int frame);
  void _parseMove(Parser& parser, unsigned int frame);
  void _parseKey(Parser& parser, const char* command, unsigned int frame);
  void _parseType(Parser& parser, unsigned int frame);
  void _add(demoEvent::Kind kind, unsigned int frame, int key = 0, const char* name = "");
  void _error(const char* format, ...) __attribute__((format(printf, 2, 3)));

  std::vector<demoEvent> m_events;  // sorted by frame, script order within a frame
  std::vector<std::string> m_errors;
  std::string m_source;
  int m_line = 0;
  int m_pointerX = 0, m_pointerY = 0;  // where the pointer is as the script is read
  unsigned int m_lastFrame = 0;
  bool m_ended = false;  // an "end" line fixed the last frame
};
