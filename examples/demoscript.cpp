#include "demoscript.h"

#include "uisubsystem.h"

#include "core.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

struct KeyName {
  const char* name;
  int code;
};

// The key codes the library and the demo read; the same codes as the buttons' hotkey names.
const KeyName k_keyNames[] = {
  {"ENTER", 13}, {"ESCAPE", 27}, {"TAB", 9}, {"BACKSPACE", 127}, {"SPACE", 32},
  {"ALT", 136},  {"CTRL", 137},  {"SHIFT", 138},
};
const int k_firstFunctionKey = 163;  // F1; F2 to F10 follow
const long k_largestGlide = 10000;      // frames; a glide longer than this is a typing slip
const long k_largestFrame = 10000000;  // about two days of frames
const long k_largestCoordinate = 100000;

// A whole decimal number; false for anything else, an empty token and overflow included.
bool readInt(const char* token, long* value) {
  if (!token || *token == '\0')
    return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(token, &end, 10);
  return errno == 0 && *end == '\0';
}

// Decodes one UTF-8 character of `text` and advances past it; a broken sequence gives its first
// byte as a character, so typed text never stops in the middle.
unsigned int nextCharacter(const unsigned char** text) {
  const unsigned char* at = *text;
  int length = at[0] >= 0xF0 ? 4 : at[0] >= 0xE0 ? 3 : at[0] >= 0xC0 ? 2 : 1;
  unsigned int value = length == 1 ? at[0] : at[0] & (0x3F >> (length - 1));
  for (int i = 1; i < length; ++i) {
    if ((at[i] & 0xC0) != 0x80) {
      *text = at + 1;
      return at[0];
    }
    value = (value << 6) | (at[i] & 0x3F);
  }
  *text = at + length;
  return value;
}

// The next argument of a command: null at the end of the line, and where a comment starts,
// which then takes the rest of the line.
const char* nextArgument(Parser& parser) {
  const char* token = parser.GetToken(" ");
  if (token && token[0] == '#') {
    parser.GetString();
    return nullptr;
  }
  return token;
}

}  // namespace

bool demoScript::load(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) {
    m_errors.push_back(std::string(path) + ": cannot be read");
    return false;
  }
  std::string text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    text.append(chunk, got);
  std::fclose(file);
  return parse(text.c_str(), path);
}

bool demoScript::parse(const char* text, const char* source) {
  m_source = source;
  std::vector<char> buffer(text, text + std::strlen(text) + 1);
  Parser parser(buffer.data());
  unsigned int previous = 0;
  while (parser.ParseLine()) {
    m_line = parser.GetLineNumber();
    char* first = parser.GetToken(" ");
    if (!first || first[0] == '#' || !_readFrame(first, &previous))
      continue;
    const char* command = nextArgument(parser);
    if (!command) {
      _error("frame %u has no command", previous);
      continue;
    }
    size_t errors = m_errors.size();
    _parseLine(parser, command, previous);
    const char* extra = m_errors.size() == errors ? nextArgument(parser) : nullptr;
    if (extra)
      _error("\"%s\" after the command's arguments", extra);
  }
  if (!m_ended && !m_events.empty())
    m_lastFrame = m_events.back().frame;
  return m_errors.empty();
}

// A line's frame: a number, or "+N" after the previous line's. False (reported) when it is
// malformed, too large, earlier than the previous line's, or follows the "end" line.
bool demoScript::_readFrame(const char* token, unsigned int* previous) {
  long value = 0;
  bool relative = token[0] == '+';
  if (!readInt(relative ? token + 1 : token, &value) || value < 0 || value > k_largestFrame) {
    _error("expected a frame number or +N, found \"%s\"", token);
    return false;
  }
  unsigned long frame = relative ? *previous + static_cast<unsigned long>(value) : value;
  if (frame > static_cast<unsigned long>(k_largestFrame)) {
    _error("frame %lu is beyond the last frame a script may use", frame);
    return false;
  }
  if (frame < *previous) {
    _error("frame %lu comes before frame %u of an earlier line", frame, *previous);
    return false;
  }
  if (m_ended) {
    _error("nothing may follow the \"end\" line");
    return false;
  }
  *previous = static_cast<unsigned int>(frame);
  return true;
}

void demoScript::_parseLine(Parser& parser, const char* command, unsigned int frame) {
  if (strcasecmp(command, "move") == 0) {
    _parseMove(parser, frame);
  } else if (strcasecmp(command, "press") == 0) {
    _add(demoEvent::PRESS, frame);
  } else if (strcasecmp(command, "release") == 0) {
    _add(demoEvent::RELEASE, frame);
  } else if (strcasecmp(command, "click") == 0) {
    _add(demoEvent::PRESS, frame);
    _add(demoEvent::RELEASE, frame + 1);
  } else if (strcasecmp(command, "key") == 0 || strcasecmp(command, "keydown") == 0 ||
             strcasecmp(command, "keyup") == 0) {
    _parseKey(parser, command, frame);
  } else if (strcasecmp(command, "type") == 0) {
    _parseType(parser, frame);
  } else if (strcasecmp(command, "shot") == 0) {
    const char* name = nextArgument(parser);
    if (!name || std::strpbrk(name, "/\\") || name[0] == '.')
      _error("\"shot\" needs a plain picture name");
    else
      _add(demoEvent::SHOT, frame, 0, name);
  } else if (strcasecmp(command, "end") == 0) {
    m_ended = true;
    m_lastFrame = frame;
  } else {
    _error("unknown command \"%s\"", command);
  }
}

// "move X Y" or "move X Y FRAMES": a glide sends one move per frame, the last one at the target.
void demoScript::_parseMove(Parser& parser, unsigned int frame) {
  long x, y, frames = 1;
  const char* third = nullptr;
  if (!readInt(nextArgument(parser), &x) || !readInt(nextArgument(parser), &y) ||
      ((third = nextArgument(parser)) && !readInt(third, &frames)) || frames < 1 ||
      frames > k_largestGlide || std::labs(x) > k_largestCoordinate ||
      std::labs(y) > k_largestCoordinate) {
    _error("expected \"move X Y\" or \"move X Y FRAMES\" (1 to %ld frames)", k_largestGlide);
    return;
  }
  long fromX = m_pointerX, fromY = m_pointerY;
  for (long step = 1; step <= frames; ++step) {
    m_pointerX = static_cast<int>(fromX + (x - fromX) * step / frames);
    m_pointerY = static_cast<int>(fromY + (y - fromY) * step / frames);
    _add(demoEvent::MOVE, frame + static_cast<unsigned int>(step - 1));
  }
}

// "key NAME" taps the key: down in this frame, up in the next.
void demoScript::_parseKey(Parser& parser, const char* command, unsigned int frame) {
  const char* name = nextArgument(parser);
  int code = keyCode(name);
  if (code < 0) {
    _error("unknown key \"%s\"", name ? name : "");
    return;
  }
  bool up = strcasecmp(command, "keyup") == 0;
  bool down = strcasecmp(command, "keydown") == 0;
  if (!up)
    _add(demoEvent::KEYDOWN, frame, code);
  if (!down)
    _add(demoEvent::KEYUP, up ? frame : frame + 1, code);
}

// "type TEXT": one character per frame; the text is the rest of the line.
void demoScript::_parseType(Parser& parser, unsigned int frame) {
  const unsigned char* text = reinterpret_cast<const unsigned char*>(parser.GetString());
  if (*text == '\0')
    _error("\"type\" needs a text");
  for (unsigned int at = frame; *text != '\0'; ++at)
    _add(demoEvent::CHAR, at, static_cast<int>(nextCharacter(&text)));
}

void demoScript::_add(demoEvent::Kind kind, unsigned int frame, int key, const char* name) {
  demoEvent event;
  event.frame = frame;
  event.kind = kind;
  if (kind == demoEvent::MOVE) {
    event.x = m_pointerX;
    event.y = m_pointerY;
  }
  event.key = key;
  event.name = name;
  // After every event of the same frame added before it: frames in order, lines in order.
  auto place = std::upper_bound(m_events.begin(), m_events.end(), frame,
                                [](unsigned int f, const demoEvent& e) { return f < e.frame; });
  m_events.insert(place, event);
}

void demoScript::_error(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  m_errors.push_back(m_source + ":" + std::to_string(m_line) + ": " + text);
}

void demoScript::dispatch(unsigned int frame, uiSubsystem& ui) const {
  static const e_uiEvent k_uiEvents[] = {UIE_MOUSEMOVE, UIE_MOUSEDOWN, UIE_MOUSEUP,
                                         UIE_KEYDOWN,   UIE_KEYUP,     UIE_CHAR};
  auto first = std::lower_bound(m_events.begin(), m_events.end(), frame,
                                [](const demoEvent& e, unsigned int f) { return e.frame < f; });
  for (auto event = first; event != m_events.end() && event->frame == frame; ++event) {
    if (event->kind == demoEvent::SHOT)
      continue;
    // The game's platform layer keeps the system cursor where the pointer is, and the button
    // goes down and up there, also in the middle of a glide.
    int x = ui.getMousePositionX(), y = ui.getMousePositionY();
    if (event->kind == demoEvent::MOVE) {
      x = event->x;
      y = event->y;
      Platform::SetCursorPos(x, y);
    }
    ui.inputEvent(k_uiEvents[event->kind], x, y, event->key);
  }
}

std::vector<std::string> demoScript::shotsAt(unsigned int frame) const {
  std::vector<std::string> names;
  for (const demoEvent& event : m_events) {
    if (event.frame == frame && event.kind == demoEvent::SHOT)
      names.push_back(event.name);
  }
  return names;
}

int demoScript::keyCode(const char* name) {
  if (!name || *name == '\0')
    return -1;
  for (const KeyName& key : k_keyNames) {
    if (strcasecmp(name, key.name) == 0)
      return key.code;
  }
  long number = 0;
  if ((name[0] == 'F' || name[0] == 'f') && readInt(name + 1, &number) && number >= 1 &&
      number <= 10)
    return k_firstFunctionKey + static_cast<int>(number) - 1;
  if (readInt(name, &number) && number >= 0 && number <= 0x10FFFF)
    return static_cast<int>(number);
  if (name[1] == '\0')
    return static_cast<unsigned char>(name[0]);
  return -1;
}
