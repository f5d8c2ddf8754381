#pragma once

#include "uinodepool.h"
#include "uiwidget.h"

class Preferences;
class uiDialog;
class uiLock;

// The UI manager: one per game, published in g_ui. It runs the frame (timing statics, dialog
// commands, update and drawing), dispatches input to the focus widget or the top-level widget,
// keeps the focus and dialog stacks, and draws the statistics overlay. It owns only its lock and
// the nodes of its lists; every widget it refers to belongs to the game.
class uiSubsystem {
public:
  // One entry of the input focus stack; the head is the top.
  struct FocusNode {
    uiWidget* widget;  // not owned; may be null
    FocusNode* next;
  };
  // One entry of the dialog stack; the head is the top.
  struct DialogNode {
    uiDialog* dialog;  // not owned
    DialogNode* next;
  };
  // One queued dialog stack command (codes 0 to 5).
  struct DialogStackCmd {
    int command;
    uiDialog* dialog;
    DialogStackCmd* next;
  };

  uiSubsystem();
  virtual ~uiSubsystem();
  uiSubsystem(const uiSubsystem&) = delete;
  uiSubsystem& operator=(const uiSubsystem&) = delete;

  bool mouseButtonDown = false;
  bool ctrlDown = false;
  bool shiftDown = false;
  bool altDown = false;
  uiWidget* topLevelWidget = nullptr;
  FocusNode* focusStack = nullptr;
  uiWidget* visibleWidget = nullptr;
  uiWidget* activeWidget = nullptr;
  uiWidget* customCursor = nullptr;
  uiLock* lock = nullptr;  // owned
  int mouseX = -50;
  int mouseY = -50;
  DialogNode* dialogStack = nullptr;
  DialogStackCmd* cmdQueueHead = nullptr;
  DialogStackCmd* cmdQueueTail = nullptr;
  int cmdQueueCount = 0;
  bool showGfxStatistics = false;
  int statsFont = -1;  // -1: no overlay

  // -- Lifecycle --
  int initialize(Preferences* preferences);
  int shutdown();
  void forceTerminate();  // any thread: stops a parse in progress
  static void s_registerWidget(const char* type, uiWidgetAllocator allocator);

  // -- Frames (milliseconds) --
  int update(unsigned int ms);
  int render(unsigned int ms);
  void updateLock(bool enter);  // balanced calls on one thread

  // -- Widgets --
  void setTopLevelWidget(uiWidget* widget);
  uiWidget* getTopLevelWidget() { return topLevelWidget; }
  void setVisibleWidget(uiWidget* widget);
  void setActiveWidget(uiWidget* widget);
  void setCustomCursor(uiWidget* widget);
  uiWidget* loadUI(const char* file);  // loaded and initialised; null on failure

  // -- Input and focus --
  bool ctrlKeyDown() { return ctrlDown; }
  bool shiftKeyDown() { return shiftDown; }
  bool altKeyDown() { return altDown; }
  int getMousePositionX() { return mouseX; }
  int getMousePositionY() { return mouseY; }
  void inputEvent(e_uiEvent event, int x, int y, int key);
  void setInputFocusWidget(uiWidget* widget);
  void pushInputFocusWidget(uiWidget* widget);
  void popInputFocusWidget();
  uiWidget* getInputFocusWidget();
  _uiTrace_s* trace(int carried, int x, int y, const char* type);

  // -- Dialog stack: commands are queued and worked off in the next frame --
  void pushDialog(uiDialog* dialog, bool animate);
  void popDialog(uiDialog* dialog, bool animate);  // null: whichever dialog is on top
  void clearDialogStack(bool animate);
  void clearPendingDialogs();
  uiDialog* topDialog();
  bool topDialogIsIdle(uiDialog* dialog);
  bool isDialogPushed(uiDialog* dialog);
  void reportDialogStack();

  // -- Statistics overlay --
  void gfxStatistics(bool show, const char* font);

protected:
  void _addDialogStackCmd(int command, uiDialog* dialog);
  void _removeDialogStackCmd();
  void _pushDialog(uiDialog* dialog);
  void _popDialog();
  void _updateDialogs();
  void _renderGfxStatistics();

private:
  // The commands of the dialog queue; each returns false when the queue waits for a later frame.
  bool _enterDialogCmd(uiDialog* dialog);
  bool _exitDialogCmd(int command, uiDialog* dialog);
  bool _idleDialogCmd(uiDialog* dialog);
  bool _hideDialogCmd(uiDialog* dialog);
  bool _clearDialogsCmd();
  bool _linkDialog(uiDialog* dialog);
  void _removeTopFocusHolding(uiWidget* widget);
  void _removeFocusEntries(uiWidget* widget);

  // Enough nodes for the usual depth of each list; deeper lists allocate.
  uiNodePool<FocusNode, 16> m_focusNodes;
  uiNodePool<DialogNode, 16> m_dialogNodes;
  uiNodePool<DialogStackCmd, 32> m_commands;
};

extern uiSubsystem* g_ui;  // set by the constructor, cleared by the destructor
