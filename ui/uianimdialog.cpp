#include "uianimdialog.h"

#include "uikeytable.h"
#include "uisubsystem.h"

#include "core.h"
#include "udlogger.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>

namespace {

// A whole token of decimal digits with an optional sign, within the range of int.
bool readDecimal(const char* token, int* value) {
  if (!token || !*token)
    return false;
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(token, &end, 10);
  if (*end || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
    return false;
  *value = static_cast<int>(parsed);
  return true;
}

bool fadesOut(const _AnimData_s& record) {
  return record.style == ANIM_ALPHA_FADE || record.style == ANIM_ALPHA_FADE_WITH_BEZIER_LERP;
}

}  // namespace

uiWidget* uiAnimDialog::s_allocator() {
  return new ("uianimdialog", 85) uiAnimDialog;
}

const char* uiAnimDialog::getType() {
  return "uiAnimDialog";
}

bool uiAnimDialog::isType(const char* type) {
  return uiNameEquals(type, "uiAnimDialog") || uiDialog::isType(type);
}

uiAnimDialog::~uiAnimDialog() {
  uiAnimReleaseMask(&animIn);
  uiAnimReleaseMask(&animOut);
  _freeSubAnims();
}

// Sub-animated widgets start every in-animation from home, keeping their size, at their start
// alpha.
void uiAnimDialog::enter() {
  if (animIn.style == ANIM_NONE) {
    _setState(STATE_IDLE);
    return;
  }
  _setState(STATE_ENTERING);
  startX = x;
  startY = y;
  uiAnimPlaySound(&animIn);
  for (int i = 0; i < subAnimCount; ++i) {
    SubAnimData& entry = subAnims[i];
    if (!entry.widget)
      continue;
    uiAnimPlace(entry.widget, entry.homeX, entry.homeY);
    entry.widget->setAlpha(static_cast<unsigned char>(entry.animIn.alphaStart), 0, 0, true);
    entry.startX = entry.widget->x;
    entry.startY = entry.widget->y;
  }
}

void uiAnimDialog::exit() {
  if (animOut.style == ANIM_NONE) {
    _setState(STATE_HIDDEN);
    return;
  }
  _setState(STATE_EXITING);
  startX = x;
  startY = y;
  uiAnimPlaySound(&animOut);
  for (int i = 0; i < subAnimCount; ++i) {
    SubAnimData& entry = subAnims[i];
    if (entry.widget) {
      entry.startX = entry.widget->x;
      entry.startY = entry.widget->y;
    }
  }
}

// The end positions are taken before the dialog hides, so that the hide callback, which runs
// last, sees the dialog where it stays and may delete it.
void uiAnimDialog::hide() {
  uiAnimFinish(&animOut, this);
  for (int i = 0; i < subAnimCount; ++i) {
    if (subAnims[i].widget)
      uiAnimFinish(&subAnims[i].animOut, subAnims[i].widget);
  }
  uiDialog::hide();
}

void uiAnimDialog::idle() {
  uiDialog::idle();
  uiAnimFinish(&animIn, this);
  for (int i = 0; i < subAnimCount; ++i) {
    if (subAnims[i].widget)
      uiAnimFinish(&subAnims[i].animIn, subAnims[i].widget);
  }
}

int uiAnimDialog::getLastState() {
  return lastState;
}

void uiAnimDialog::setAnimSound(bool out, int subAnim, const char* sound) {
  _AnimData_s* record = nullptr;
  if (subAnim == -1)
    record = out ? &animOut : &animIn;
  else if (SubAnimData* entry = getSubAnim(subAnim))
    record = out ? &entry->animOut : &entry->animIn;
  if (record)
    uiCopyName(record->sound, sound, sizeof(record->sound));
}

uiAnimDialog::SubAnimData* uiAnimDialog::getSubAnim(int index) {
  return index >= 0 && index < subAnimCount ? &subAnims[index] : nullptr;
}

void uiAnimDialog::setVisible(bool on, bool recursive) {
  uiDialog::setVisible(on, false);
  if (!recursive)
    return;
  for (_WidgetList_s* node = children; node; node = node->next) {
    uiWidget* child = node->widget;
    if (child->isType("uiDialog"))
      continue;
    bool fading = false;
    for (int i = 0; state == STATE_EXITING && i < subAnimCount; ++i)
      fading = fading || (subAnims[i].widget == child && fadesOut(subAnims[i].animOut));
    if (!fading)
      child->setVisible(on, true);
  }
}

// The table is local so that its handlers may reach the private sub-animation readers.
void uiAnimDialog::_parseParams(Parser* parser, char* key) {
  static const uiKey<uiAnimDialog> keys[] = {
      {"AnimIn",
       [](uiAnimDialog& dialog, Parser& parser, const char*) {
         uiParseAnimKey(&dialog.animIn, &parser, parser.GetToken(" "));
         return true;
       }},
      {"AnimOut",
       [](uiAnimDialog& dialog, Parser& parser, const char*) {
         uiParseAnimKey(&dialog.animOut, &parser, parser.GetToken(" "));
         return true;
       }},
      {"SubAnimCount",
       [](uiAnimDialog& dialog, Parser& parser, const char* key) {
         dialog._parseSubAnimCount(&parser, key);
         return true;
       }},
      {"SubAnimIn",
       [](uiAnimDialog& dialog, Parser& parser, const char*) {
         dialog._parseSubAnim(&parser, false);
         return true;
       }},
      {"SubAnimOut",
       [](uiAnimDialog& dialog, Parser& parser, const char*) {
         dialog._parseSubAnim(&parser, true);
         return true;
       }},
  };
  if (!uiParseKey(keys, *this, *parser, key))
    uiDialog::_parseParams(parser, key);
}

// State    | this frame                                      | when the dialog and every entry
//          |                                                 | with a widget are done
// idle     | last state catches up: shown, focused           |
// hidden   | last state catches up                           |
// entering | anim in stepped on the dialog and every entry   | idle (activated one frame later)
// exiting  | anim out stepped on the dialog and every entry  | hidden, hide callback
// Every style of one frame is computed at the dialog's elapsed time before the frame.
void uiAnimDialog::_update(int, int) {
  if (state == STATE_HIDDEN || state == STATE_IDLE) {
    if (lastState != state)
      _setState(state);
    return;
  }
  if (state != STATE_ENTERING && state != STATE_EXITING)
    return;
  bool out = state == STATE_EXITING;
  _AnimData_s& record = out ? animOut : animIn;
  unsigned int before = elapsed;
  uiAnimApplyStyle(&record, this, before, startX, startY, ANIM_ON_SELF);
  elapsed = uiAnimAdvance(&record, this, before);
  _stepSubAnims(out, before);
  if (elapsed < record.time || !_subAnimsDone(out))
    return;
  _setState(out ? STATE_HIDDEN : STATE_IDLE);
}

// The dialog draws only the masks of the running animation; the children are drawn by the
// traversal. A dialog that has gone out hides itself after drawing its masks one last time.
void uiAnimDialog::_render(int originX, int originY) {
  bool out = state != STATE_IDLE && state != STATE_ENTERING;
  uiAnimDrawMask(out ? &animOut : &animIn, this, originX, originY);
  _drawSubAnimMasks(out, originX + x, originY + y);
  if (state == STATE_HIDDEN)
    setVisible(false, true);
}

// Input counts only while the dialog is idle; during an animation nothing below it sees it either.
bool uiAnimDialog::_inputEvent(e_uiEvent event, int eventX, int eventY, int key, bool buttonHeld,
                               bool handled) {
  if (state != STATE_IDLE)
    return false;
  return uiDialog::_inputEvent(event, eventX, eventY, key, buttonHeld, handled);
}

// An idle dialog coming out of its in-animation is activated only at the next update, once the
// animation's last positions have been drawn. The hide callback runs last.
void uiAnimDialog::_setState(int newState) {
  lastState = state;
  state = newState;
  elapsed = 0;
  for (int i = 0; i < subAnimCount; ++i) {
    if (subAnims[i].widget)
      subAnims[i].elapsed = 0;
  }
  if (newState == STATE_HIDDEN) {
    setActive(false, true);
    setInputFocus(false, true);
    if (hideCb)
      hideCb(this, hideCbClient);
  } else if (newState == STATE_IDLE) {
    if (lastState != STATE_ENTERING)
      _activateUnlessCovered();
    for (int i = 0; i < subAnimCount; ++i) {
      if (subAnims[i].widget && subAnims[i].animIn.style == ANIM_HIDDEN)
        subAnims[i].widget->setWidgetStates(false, false, false, true);
    }
  } else {
    setActive(true, true);
    setVisible(true, true);
    setInputFocus(false, true);
  }
}

// A dialog is activated one frame after its in-animation ends; by then the stack may have put
// another dialog over it, and the input focus stays with that one.
void uiAnimDialog::_activateUnlessCovered() {
  bool covered = g_ui && g_ui->isDialogPushed(this) && g_ui->topDialog() != this;
  if (!covered) {
    activate(true);
    return;
  }
  setActive(true, true);
  setVisible(true, true);
  setInputFocus(true, true);
}

// The entries made before go, with their mask sprites. A count the parser could not read leaves
// them as they are (the parser has said why); a negative count is refused.
void uiAnimDialog::_parseSubAnimCount(Parser* parser, const char* key) {
  int count = INT_MIN;
  parser->ParamEqualsInt32(key, "SubAnimCount", &count);
  if (count == INT_MIN)
    return;
  if (count < 0) {
    udLogger::log(2, "...invalid SubAnimCount: %d\f", count);
    return;
  }
  _freeSubAnims();
  if (count == 0)
    return;
  void* memory = g_MemoryPtr->alloc(0, sizeof(SubAnimData) * static_cast<size_t>(count),
                                    "uianimdialog", 580);
  if (!memory) {
    udLogger::log(2, "uiAnimDialog(): out of memory allocating SubAnimData\f");
    return;
  }
  subAnims = static_cast<SubAnimData*>(memory);
  for (int i = 0; i < count; ++i)
    new (&subAnims[i]) SubAnimData();
  subAnimCount = count;
}

void uiAnimDialog::_parseSubAnim(Parser* parser, bool out) {
  int id = 0;
  if (!readDecimal(parser->GetToken(" "), &id)) {
    uiReportExpected("subanimin id ...");
    return;
  }
  SubAnimData* entry = getSubAnim(id);
  if (!entry) {
    udLogger::log(2, "...invalid SubAnim id: %d\f", id);
    return;
  }
  const char* recordKey = parser->GetToken(" ");
  if (recordKey && uiNameEquals(recordKey, "widget"))
    _mapSubAnimWidget(parser, entry);
  else
    uiParseAnimKey(out ? &entry->animOut : &entry->animIn, parser, recordKey);
}

// A mapped widget starts its in-animation opaque unless an AlphaStart line follows.
void uiAnimDialog::_mapSubAnimWidget(Parser* parser, SubAnimData* entry) {
  const char* path = uiExpectValue(*parser, "widget = \"val\"");
  if (!path)
    return;
  entry->widget = getWidget(path, 0);
  if (!entry->widget) {
    udLogger::log(2, "uiAnimDialog[^CFFFF00%s^c]: Failed to map subAnim widget: ^CFF0000%s^c\f",
                  name, path);
    return;
  }
  entry->homeX = entry->widget->x;
  entry->homeY = entry->widget->y;
  entry->animIn.alphaStart = 255;
}

void uiAnimDialog::_freeSubAnims() {
  for (int i = 0; i < subAnimCount; ++i) {
    uiAnimReleaseMask(&subAnims[i].animIn);
    uiAnimReleaseMask(&subAnims[i].animOut);
  }
  if (subAnims)
    g_MemoryPtr->free(0, subAnims);
  subAnims = nullptr;
  subAnimCount = 0;
}

// Styles run at the dialog's elapsed time; each entry completes by its own.
void uiAnimDialog::_stepSubAnims(bool out, unsigned int dialogElapsed) {
  for (int i = 0; i < subAnimCount; ++i) {
    SubAnimData& entry = subAnims[i];
    if (!entry.widget)
      continue;
    _AnimData_s& record = out ? entry.animOut : entry.animIn;
    uiAnimApplyStyle(&record, entry.widget, dialogElapsed, entry.startX, entry.startY,
                     ANIM_ON_SUB_WIDGET);
    entry.elapsed = uiAnimAdvance(&record, entry.widget, entry.elapsed);
  }
}

// Entries without a widget never advance, so they do not hold the animation back.
bool uiAnimDialog::_subAnimsDone(bool out) const {
  for (int i = 0; i < subAnimCount; ++i) {
    const SubAnimData& entry = subAnims[i];
    if (entry.widget && entry.elapsed < (out ? entry.animOut.time : entry.animIn.time))
      return false;
  }
  return true;
}

// A mask lies over its widget, which may sit deeper in the tree than a direct child: the
// positions of the containers between the dialog and the widget count too.
void uiAnimDialog::_drawSubAnimMasks(bool out, int originX, int originY) {
  for (int i = 0; i < subAnimCount; ++i) {
    const SubAnimData& entry = subAnims[i];
    if (!entry.widget)
      continue;
    int maskX = originX, maskY = originY;
    for (uiWidget* above = entry.widget->parent; above && above != this; above = above->parent) {
      maskX += above->x;
      maskY += above->y;
    }
    uiAnimDrawMask(out ? &entry.animOut : &entry.animIn, entry.widget, maskX, maskY);
  }
}
