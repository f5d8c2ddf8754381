#pragma once

#include "uiwidget.h"

// A container that the dialog stack brings on screen and takes off again: a panel, a menu, a
// message box. It keeps a small state machine, a keyboard tab order over some of its descendants,
// a switch that makes it capture input while shown, a value for the game and a hide callback.
class uiDialog : public uiNonVisualWidget {
public:
  // One entry of the tab order.
  struct TabNode {
    uiWidget* widget;  // not owned
    TabNode* next;
  };
  typedef void (*HideCallback)(uiWidget* dialog, void* client);

  // Dialog states; the animated dialog adds the two moving ones.
  enum : int {
    STATE_HIDDEN = 0,
    STATE_IDLE = 1,
    STATE_ENTERING = 2,
    STATE_EXITING = 3,
  };

  uiDialog() = default;
  ~uiDialog() override;
  uiDialog(const uiDialog&) = delete;  // the tab nodes are owned
  uiDialog& operator=(const uiDialog&) = delete;

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Stack transitions: the dialog stack calls enter when it pushes and exit when it pops --
  virtual void reset();  // tab focus back to the current entry, particle systems restarted
  virtual void enter();
  virtual void exit();
  virtual void hide();  // state 0, then the hide callback
  virtual void idle();  // shown, active, focused, state 1
  virtual int getState();
  virtual int getLastState();  // a plain dialog keeps no history: the current state
  bool takesFocus();
  // Shows or hides the dialog's widgets without touching the state or calling the hide callback.
  void activate(bool on);

  // -- Tab order --
  void addTabEntry(uiWidget* widget);  // a node that cannot be allocated is not added
  // Drops the entries of the widget and of its descendants, before they are deleted; when the
  // current entry goes, the first one left takes the tab focus.
  void removeTabEntries(uiWidget* subtree);
  void resetTabFocus();

  // -- Game data --
  void setUserValue(int value) { userValue = value; }
  int getUserValue() { return userValue; }
  void dlgHideCb(HideCallback callback, void* client);  // null clears

  TabNode* tabHead = nullptr;  // owned
  TabNode* tabTail = nullptr;
  TabNode* tabCurrent = nullptr;  // the entry that holds the keyboard focus within the dialog
  int state = STATE_HIDDEN;
  bool takeFocus = true;  // the dialog captures input while it is shown
  int userValue = 0;
  HideCallback hideCb = nullptr;
  void* hideCbClient = nullptr;

protected:
  // Keys: "tabentry = path" (the path starts with the dialog's own name), "takefocus = BOOLEAN".
  void _parseParams(Parser* parser, char* key) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  void _resetParticleSystems(uiWidget* widget);

private:
  bool _takeTabFocus(int x, int y);
  void _moveTabFocus(TabNode* entry);
};
