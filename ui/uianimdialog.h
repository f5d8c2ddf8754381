#pragma once

#include "uianimwidget.h"
#include "uidialog.h"

// A dialog that slides, fades or unmasks itself when the dialog stack brings it on screen and
// again when it takes it off, and animates chosen descendants on their own (sub-animations). The
// stack waits while it is entering or exiting.
class uiAnimDialog : public uiDialog {
public:
  // One sub-animated descendant with its own two records.
  struct SubAnimData {
    _AnimData_s animIn;
    _AnimData_s animOut;
    uiWidget* widget = nullptr;  // not owned; null: the entry animates nothing
    unsigned int elapsed = 0;    // ms
    int startX = 0, startY = 0;
    int homeX = 0, homeY = 0;  // where the widget stood when it was mapped
  };

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiAnimDialog() = default;
  ~uiAnimDialog() override;  // releases every mask sprite and frees the entries

  // -- Stack transitions --
  void enter() override;  // plays anim in, or becomes idle at once when it has no style
  void exit() override;   // plays anim out, or hides at once when it has no style
  void hide() override;   // hidden at once, at the end positions of the out-animation
  void idle() override;   // idle at once, at the end positions of the in-animation
  int getLastState() override;
  // subAnim -1 names the dialog's own records; any other id that is not an entry changes
  // nothing. Cut at 127 characters.
  virtual void setAnimSound(bool out, int subAnim, const char* sound);

  // -- Sub-animations --
  int getSubAnimCount() const { return subAnimCount; }
  SubAnimData* getSubAnim(int index);  // null when there is no such entry

  // Children that are dialogs keep their own visibility, and so do widgets that fade out while
  // the dialog exits. Override marks are not looked at.
  void setVisible(bool on, bool recursive) override;

  _AnimData_s animIn;
  _AnimData_s animOut;

protected:
  // Keys: "AnimIn KEY ...", "AnimOut KEY ...", "SubAnimCount = n", "SubAnimIn id KEY ...",
  // "SubAnimOut id KEY ...", where KEY is a record key or "widget = path".
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  void _setState(int newState);

private:
  void _activateUnlessCovered();
  void _parseSubAnimCount(Parser* parser, const char* key);
  void _parseSubAnim(Parser* parser, bool out);
  void _mapSubAnimWidget(Parser* parser, SubAnimData* entry);
  void _freeSubAnims();
  void _stepSubAnims(bool out, unsigned int dialogElapsed);
  bool _subAnimsDone(bool out) const;
  void _drawSubAnimMasks(bool out, int originX, int originY);

  unsigned int elapsed = 0;  // ms since the running animation started
  int startX = 0, startY = 0;
  int subAnimCount = 0;
  SubAnimData* subAnims = nullptr;  // owned, subAnimCount entries
  int lastState = STATE_HIDDEN;
};
