#pragma once

#include "uiallocator.h"

#include <atomic>

class Parser;
class snd3dHandle;
class uiLock;
class uiWidget;

// The abstract base of every widget: a named rectangle with states, a parent, an owned list of
// children, input callbacks and the traversals that update, draw and route input through a tree.

// The flags word. States, then options, then the override marks that stop recursive setters;
// bits from 0x10000 up belong to subclasses.
enum : unsigned int {
  WF_ACTIVE = 0x1,
  WF_VISIBLE = 0x2,
  WF_INPUT_FOCUS = 0x4,
  WF_ALPHA_TEST = 0x8,
  WF_ROOT_COORDS = 0x10,
  WF_IGNORE_ALPHA = 0x20,
  WF_OVERRIDE_ACTIVE = 0x100,
  WF_OVERRIDE_VISIBLE = 0x200,
  WF_OVERRIDE_INPUT_FOCUS = 0x400,
};

// Input events. For the keyboard events the UI manager supplies the last mouse position. Any int
// is a valid value, as a game may pass events of its own that no widget knows.
enum e_uiEvent : int {
  UIE_MOUSEMOVE = 0,
  UIE_MOUSEDOWN = 1,
  UIE_MOUSEUP = 2,
  UIE_KEYDOWN = 3,
  UIE_KEYUP = 4,
  UIE_CHAR = 5,
  UIE_OTHERKEY = 6,
};

// Key codes the library itself reads.
enum : int {
  UIK_TAB = 9,
  UIK_ENTER = 13,
  UIK_ERASE = 127,
  UIK_ALT = 136,
  UIK_CTRL = 137,
  UIK_SHIFT = 138,
  UIK_ENTER2 = 154,
};

// Mode bits of _playWithPan: where the sound sits, and what width the pan is measured against.
enum : unsigned int {
  WP_LEFT = 0x1,
  WP_RIGHT = 0x2,
  WP_POSITION = 0x4,
  WP_WORLD = 0x8,
  WP_PARENT = 0x10,
  WP_WIDTH = 0x20,
};

// What a parse reports to the progress callback.
enum e_uiProgressEvent {
  UIPROG_CREATED = 0,  // a header became a widget (null when it failed to)
  UIPROG_PARAM = 1,    // a key line was handled
  UIPROG_DONE = 2,     // a widget's block was parsed
};

// Callbacks receive the widget and the client pointer given with them.
typedef bool (*uiPointCallback)(uiWidget* widget, void* client, int x, int y);
typedef bool (*uiKeyCallback)(uiWidget* widget, void* client, int key);
typedef bool (*uiFocusCallback)(uiWidget* widget, void* client);  // false vetoes the focus
typedef void (*uiProgressCallback)(uiWidget* widget, void* client, e_uiProgressEvent event);
typedef uiWidget* (*uiWidgetAllocator)();

// One node of a child list; the list runs from the newest child to the oldest.
struct _WidgetList_s {
  uiWidget* widget;  // owned
  _WidgetList_s* next;
};

// One global input focus entry: a dotted path resolved at initialisation.
struct _WidgetNameList_s {
  char name[128];
  uiWidget* widget;  // not owned; null until resolved or when the path does not resolve
  _WidgetNameList_s* next;
};

// The callback set handed to assignCallbacks.
struct _WidgetMap_s {
  void* reserved;  // not read by the library
  uiPointCallback boundsCb;
  uiPointCallback pressCb;
  uiPointCallback releaseCb;
  uiPointCallback dragCb;
  uiKeyCallback keyDownCb;
  uiKeyCallback keyUpCb;
};

// The result of a point search: the hit widget and the point in its parent's frame. The caller
// owns it and frees it with g_MemoryPtr->free(9, record).
struct _uiTrace_s {
  int x, y;
  uiWidget* widget;
};

// One entry of the most-recently-used scriptlet cache.
struct _ScriptletCache_s {
  char name[128];
  unsigned char* data;  // the file text and a NUL (tag 0); null when no memory was left
  unsigned int size;    // bytes of data, NUL included
  _ScriptletCache_s* next;
  _ScriptletCache_s* prev;
};

// One entry of a thread's stack of files being parsed. It lives in the frame of the function that
// parses the file, from its push to its pop, so the stack allocates nothing.
struct _ParsePosition_s {
  const char* file;      // as named to the loader or to applyScriptlet; not owned
  const Parser* parser;  // null until the file's parser exists
  _ParsePosition_s* outer;
};

// One record of the widget type table.
struct _WidgetType_s {
  char name[32];
  uiWidgetAllocator allocator;
};

class uiWidget : public Allocator<9> {
public:
  static const int MAX_WIDGET_TYPES = 256;
  static const int MAX_DEPTH_NAMES = 96;
  static const int MAX_SCRIPTLETS = 32;

  uiWidget();
  uiWidget(const uiWidget&) = default;
  uiWidget& operator=(const uiWidget&) = default;

  // Input callbacks, all handed cbClient.
  uiPointCallback boundsCb = nullptr;  // every event inside the widget; its result is not used
  uiPointCallback pressCb = nullptr;
  uiPointCallback dragCb = nullptr;  // called by sliders only
  uiPointCallback releaseCb = nullptr;
  uiKeyCallback keyDownCb = nullptr;
  uiKeyCallback keyUpCb = nullptr;
  char name[32] {};
  int x = 0, y = 0, x2 = 0, y2 = 0;  // right and bottom exclusive, relative to the parent
  void* cbClient = nullptr;
  unsigned int depth = 0;
  unsigned int flags = 0;
  uiWidget* parent = nullptr;                     // not owned
  _WidgetList_s* children = nullptr;              // owned, newest first
  uiFocusCallback focusCb = nullptr;              // asked before the widget gains input focus
  void* focusCbClient = nullptr;
  _WidgetNameList_s* globalFocusList = nullptr;  // owned
  unsigned int globalFocusEvent = 0;  // the input event that last reached the global focus list

  // Frame statics, written by the UI manager each frame.
  static unsigned int s_iDeltaTime;  // milliseconds
  static float s_fDeltaTime;         // seconds
  static unsigned long long s_frameNumber;
  static std::atomic<bool> s_terminate;  // asks a running parse to stop; set from any thread
  static bool s_dynamicLoading;      // visual widgets release their sprite when deactivated
  static char s_depthNames[MAX_DEPTH_NAMES][32];
  static uiProgressCallback _progCb;
  static void* _progClient;
  static _ScriptletCache_s* s_scriptletCacheHead;
  static _ScriptletCache_s* s_scriptletCacheTail;
  static uiLock* s_scriptletLock;
  static _WidgetType_s s_widgetTypes[MAX_WIDGET_TYPES];
  static unsigned int s_widgetTypeCount;

  // -- Virtual operations, in slot order --
  virtual void applyScriptlet(const char* file);
  virtual bool _parseBoolean(Parser* parser);  // also read by the key readers shared by classes

protected:
  virtual void _parseParams(Parser* parser, char* key);
  virtual void _parseFlags(Parser* parser);
  virtual void _parseSingleFlag(const char* flag);

public:
  virtual void update(int x, int y);
  virtual void render(int x, int y);
  virtual bool inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled);
  virtual void initialize();
  virtual const char* getType() = 0;
  virtual bool isType(const char* type);
  virtual ~uiWidget();  // deletes the subtree; does not detach from the parent
  virtual bool testBounds(int x, int y);
  virtual void setVisible(bool on, bool recursive);
  virtual void setInputFocus(bool on, bool recursive);
  virtual bool setActive() const;  // the WF_ACTIVE bit
  virtual void setActive(bool on, bool recursive);
  virtual void overrideVisible(bool on);
  virtual void overrideInputFocus(bool on);
  virtual void overrideActive(bool on);
  virtual bool getVisible() const;
  virtual bool getInputFocus() const;
  virtual bool getOverrideVisible() const;
  virtual bool getOverrideInputFocus() const;
  virtual bool getOverrideActive() const;
  virtual int getWidth() const;
  virtual int getHeight() const;
  virtual void setWidth(int width);
  virtual void setHeight(int height);
  // Point search; the first argument is carried through unchanged. The record is the caller's.
  virtual _uiTrace_s* trace(int carried, int x, int y, const char* type);
  virtual snd3dHandle* _playWithPan(const char* sound, unsigned int mode, float frequencyScale,
                                    int value);

protected:
  virtual void _initialize();
  virtual void _render(int x, int y) = 0;
  virtual void _update(int x, int y) = 0;
  virtual bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled);
  virtual _uiTrace_s* _trace(int carried, int x, int y, const char* type);
  virtual void _showWidget();
  virtual void _hideWidget();
  virtual void _activate();
  virtual void _deactivate();
  virtual void _gainFocus();
  virtual void _loseFocus();

public:
  // Alpha propagation; the two values are the fade duration and the delay before it (ms).
  virtual void setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                        bool propagate);

  // -- Tree --
  void addChild(uiWidget* child, bool inheritStates);
  void detachFromParent();  // under the UI manager's lock when g_ui exists
  uiWidget* getParent() { return parent; }
  _WidgetList_s* getChildren() const { return children; }
  uiWidget* getRootWidget();
  // Dotted path lookups. A non-zero level silences the miss message.
  uiWidget* getWidget(const char* path, int level);
  uiWidget* getChildWidget(const char* path, int level);
  void getBasisCoords(int* basisX, int* basisY);

  // -- States --
  void setWidgetStates(bool visible, bool active, bool inputFocus, bool recursive);
  unsigned int getWidgetFlags() const { return flags; }
  void setWidgetFlags(unsigned int newFlags) { flags = newFlags; }

  // -- Depth --
  void setDepth(const char* depthName);
  void setDepth(unsigned int value) { depth = value; }
  unsigned int getDepth() const { return depth; }
  static void defineDepth(const char* depthName, unsigned int value);
  static const char* s_getDepthName(unsigned int value);
  static int s_getDepthValue(const char* depthName);  // 96 when the name is unknown

  // -- Callbacks --
  void assignCallbacks(_WidgetMap_s* map, void* client);
  void inputFocusCb(uiFocusCallback callback, void* client);

  // -- Global input focus --
  void addGlobalInputFocusWidget(const char* path);

  // -- Type registry --
  static int getTypeId(const char* type);  // 0 when the type is not registered
  static uiWidget* allocWidget(const char* widgetName, const char* type);

  // -- UI definition files --
  static uiWidget* loadUI(const char* file, uiWidget* parentWidget);
  static uiWidget* parseObjHeader(Parser* parser, uiWidget* parentWidget);
  void parse(Parser* parser, bool inBlock);
  static void registerProgCb(uiProgressCallback callback, void* client);
  // Where the innermost parse of the calling thread is reading: the file as it was named to
  // loadUI or applyScriptlet, and the line (0 before the first). False when no parse is running.
  // A log sink reads it to place the loader's messages.
  static bool s_getParsePosition(const char** file, int* line);

  // -- Scriptlets --
  static void s_freeScripletCache();

protected:
  // Hands a recursive state change down to every child except those that override the state and
  // dialogs, whose states belong to the dialog stack.
  void _propagateState(void (uiWidget::*set)(bool on, bool recursive),
                       bool (uiWidget::*overridden)() const, bool on);
  int _getDepthValue(const char* depthName);
  void _addGlobalInputFocusWidget(_WidgetNameList_s* entry);
  static int _createSprite(const char* file);  // one use of the sprite; -1 when none is made
  static void _releaseSprite(int sprite);
  void _releaseParticleSystemInstance(int instance);

  static uiWidget* _parseUI(unsigned char* text, int length, uiWidget* parentWidget);
  static uiWidget* _parseChildHeader(Parser* parser, uiWidget* parentWidget);
  static void _progressReport(uiWidget* widget, e_uiProgressEvent event);
  static void _parseError(const char* message);
  // Reads a whole file into a NUL-terminated tag 0 buffer that the caller frees; size counts the
  // NUL. Null after the message when the file cannot be opened or no memory is left; a short read
  // is reported and the text ends after the bytes read.
  static unsigned char* _readFileText(const char* file, unsigned int* size, const char* source,
                                      unsigned int line);
  static void _pushParsePosition(_ParsePosition_s* position);
  static void _popParsePosition(_ParsePosition_s* position);

  void _parseScriptlet(const char* file);
  unsigned char* _loadCachedScriptlet(const char* file, unsigned int* size);
};

// The concrete widget that draws nothing: a named rectangle that groups children. It fires none of
// its callbacks; containers derive from it.
class uiNonVisualWidget : public uiWidget {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

protected:
  void _render(int x, int y) override;
  void _update(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
};

// Copies at most size - 1 bytes of a name and always terminates; names are cut, never overflowed.
void uiCopyName(char* destination, const char* source, unsigned int size);
// Name comparison without regard to case, as every name of the library but type names.
bool uiNameEquals(const char* a, const char* b);
