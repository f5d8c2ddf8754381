#include "uiwidget.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "recordingsound.h"
#include "testmemory.h"
#include "uisubsystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Journal;

std::string at(int x, int y) {
  return std::to_string(x) + "," + std::to_string(y);
}

// A widget that writes its hooks, traversal calls and own reactions into a journal.
class Probe : public uiWidget {
public:
  Probe(const char* widgetName, Journal* journal) : m_journal(journal) {
    uiCopyName(name, widgetName, sizeof name);
  }
  const char* getType() override { return "probe"; }
  bool isType(const char* type) override {
    return uiNameEquals(type, "probe") || uiWidget::isType(type);
  }
  void setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                bool propagate) override {
    note("alpha " + std::to_string(alpha) + " " + std::to_string(duration) + " " +
         std::to_string(delay));
    uiWidget::setAlpha(alpha, duration, delay, propagate);
  }

protected:
  void note(const std::string& text) {
    if (m_journal)
      m_journal->push_back(std::string(name) + " " + text);
  }
  void _render(int x, int y) override { note("render " + at(x, y)); }
  void _update(int x, int y) override { note("update " + at(x, y)); }
  void _showWidget() override { note("show"); }
  void _hideWidget() override { note("hide"); }
  void _activate() override { note("activate"); }
  void _deactivate() override { note("deactivate"); }
  void _gainFocus() override { note("gain"); }
  void _loseFocus() override { note("lose"); }

private:
  Journal* m_journal;
};

// Stands in for a dialog: the recursive setters must leave it alone.
class FakeDialog : public Probe {
public:
  using Probe::Probe;
  bool isType(const char* type) override {
    return uiNameEquals(type, "uiDialog") || Probe::isType(type);
  }
};

template <typename Widget = Probe>
Widget* addWidget(uiWidget* parent, const char* widgetName, Journal* journal, int x = 0,
                  int y = 0, int x2 = 0, int y2 = 0) {
  Widget* widget = new Widget(widgetName, journal);
  widget->x = x;
  widget->y = y;
  widget->x2 = x2;
  widget->y2 = y2;
  if (parent)
    parent->addChild(widget, false);
  return widget;
}

uiWidget* plainWidget(uiWidget* parent, const char* widgetName, const char* type, int x, int y,
                      int x2, int y2) {
  uiWidget* widget = uiWidget::allocWidget(widgetName, type);
  widget->x = x;
  widget->y = y;
  widget->x2 = x2;
  widget->y2 = y2;
  if (parent)
    parent->addChild(widget, false);
  return widget;
}

// Every test builds and deletes its trees; the memory manager must end where it started.
class NoLeaks {
public:
  NoLeaks() : m_widgets(g_MemoryPtr->liveCount(9)), m_buffers(g_MemoryPtr->liveCount(0)) {}
  ~NoLeaks() {
    EXPECT_EQ(m_widgets, g_MemoryPtr->liveCount(9));
    EXPECT_EQ(m_buffers, g_MemoryPtr->liveCount(0));
  }

private:
  size_t m_widgets;
  size_t m_buffers;
};

// Callbacks that journal what they see and answer true for one chosen widget.
struct Listener {
  Journal calls;
  std::string handler;

  bool note(uiWidget* widget, const std::string& text) {
    calls.push_back(std::string(widget->name) + " " + text);
    return handler == widget->name;
  }
  static bool bounds(uiWidget* w, void* c, int x, int y) {
    return static_cast<Listener*>(c)->note(w, "bounds " + at(x, y));
  }
  static bool press(uiWidget* w, void* c, int x, int y) {
    return static_cast<Listener*>(c)->note(w, "press " + at(x, y));
  }
  static bool release(uiWidget* w, void* c, int x, int y) {
    return static_cast<Listener*>(c)->note(w, "release " + at(x, y));
  }
  static bool keyDown(uiWidget* w, void* c, int key) {
    return static_cast<Listener*>(c)->note(w, "keydown " + std::to_string(key));
  }
  static bool keyUp(uiWidget* w, void* c, int key) {
    return static_cast<Listener*>(c)->note(w, "keyup " + std::to_string(key));
  }

  void listenTo(uiWidget* widget) {
    _WidgetMap_s map {nullptr, bounds, press, release, nullptr, keyDown, keyUp};
    widget->assignCallbacks(&map, this);
  }
};

// Saves the type table and restores it, so registry tests cannot leak into other tests. Rows of
// classes that are not built yet get a stand-in allocator, so lookups reach the end record.
class TypeTableScope {
public:
  TypeTableScope() {
    std::memcpy(m_saved, uiWidget::s_widgetTypes, sizeof m_saved);
    m_savedCount = uiWidget::s_widgetTypeCount;
    for (unsigned int i = 1; i < m_savedCount; ++i) {
      if (!uiWidget::s_widgetTypes[i].allocator)
        uiWidget::s_widgetTypes[i].allocator = uiNonVisualWidget::s_allocator;
    }
  }
  ~TypeTableScope() {
    std::memcpy(uiWidget::s_widgetTypes, m_saved, sizeof m_saved);
    uiWidget::s_widgetTypeCount = m_savedCount;
  }

private:
  _WidgetType_s m_saved[uiWidget::MAX_WIDGET_TYPES];
  unsigned int m_savedCount;
};

uiWidget* nullAllocator() {
  return nullptr;
}

}  // namespace

TEST(uiWidget, FreshWidgetDoesNothingUntilItsStatesAreSet) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal, 0, 0, 10, 10);
  EXPECT_EQ(0u, root->getWidgetFlags());
  EXPECT_EQ(0u, root->getDepth());
  root->update(0, 0);
  root->render(0, 0);
  EXPECT_FALSE(root->inputEvent(UIE_MOUSEDOWN, 1, 1, 0, false, false));
  EXPECT_TRUE(journal.empty());

  uiWidget* plain = new uiNonVisualWidget;
  EXPECT_STREQ("", plain->name);
  delete plain;
  delete root;
}

TEST(uiWidget, TraversalsVisitNewestChildFirstWithOrigins) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal, 5, 5);
  Probe* a = addWidget(root, "a", &journal, 10, 20);
  Probe* b = addWidget(root, "b", &journal, 30, 40);
  addWidget(a, "a1", &journal);
  ASSERT_EQ(b, root->getChildren()->widget);
  ASSERT_EQ(a, root->getChildren()->next->widget);

  for (uiWidget* w : {(uiWidget*)root, (uiWidget*)a, (uiWidget*)b, a->getChildren()->widget})
    w->setWidgetFlags(WF_VISIBLE | WF_ACTIVE);
  root->render(100, 200);
  root->update(0, 0);
  Journal expected = {"root render 100,200", "b render 105,205", "a render 105,205",
                      "a1 render 115,225",  "root update 0,0",  "b update 5,5",
                      "a update 5,5",       "a1 update 15,25"};
  EXPECT_EQ(expected, journal);

  // A hidden parent takes its visible child with it, and the child still reads as visible.
  journal.clear();
  a->setWidgetFlags(WF_ACTIVE);
  root->render(0, 0);
  EXPECT_EQ((Journal {"root render 0,0", "b render 5,5"}), journal);
  EXPECT_TRUE(a->getChildren()->widget->getVisible());
  delete root;
}

// The three setters share their rules; each row names one state and its hooks.
TEST(uiWidget, RecursiveSettersSkipOverriddenChildrenAndDialogs) {
  struct Row {
    const char* state;
    void (uiWidget::*set)(bool, bool);
    void (uiWidget::*override)(bool);
    bool (uiWidget::*get)() const;
    const char* on;
    const char* off;
  };
  const Row rows[] = {
    {"visible", &uiWidget::setVisible, &uiWidget::overrideVisible, &uiWidget::getVisible, "show",
     "hide"},
    {"active", &uiWidget::setActive, &uiWidget::overrideActive, &uiWidget::setActive,
     "activate", "deactivate"},
    {"focus", &uiWidget::setInputFocus, &uiWidget::overrideInputFocus, &uiWidget::getInputFocus,
     "gain", "lose"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.state);
    NoLeaks noLeaks;
    Journal journal;
    Probe* root = addWidget(nullptr, "root", &journal);
    Probe* dialog = addWidget<FakeDialog>(root, "dialog", &journal);
    addWidget(dialog, "inDialog", &journal);
    Probe* held = addWidget(root, "held", &journal);
    addWidget(held, "inHeld", &journal);
    Probe* plain = addWidget(root, "plain", &journal);
    Probe* leaf = addWidget(plain, "leaf", &journal);
    (held->*row.override)(true);

    (root->*row.set)(true, true);
    std::string on = row.on;
    EXPECT_EQ((Journal {"root " + on, "plain " + on, "leaf " + on}), journal);
    EXPECT_TRUE((leaf->*row.get)());
    EXPECT_FALSE((held->*row.get)());
    EXPECT_FALSE((dialog->*row.get)());

    journal.clear();
    (root->*row.set)(true, true);
    EXPECT_TRUE(journal.empty());

    (plain->*row.set)(false, false);
    EXPECT_EQ((Journal {std::string("plain ") + row.off}), journal);
    EXPECT_TRUE((leaf->*row.get)());
    delete root;
  }
}

TEST(uiWidget, FocusVetoLeavesTheSubtreeUnchanged) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal);
  Probe* child = addWidget(root, "child", &journal);
  int asked = 0;
  root->inputFocusCb(
      [](uiWidget*, void* client) {
        ++*static_cast<int*>(client);
        return false;
      },
      &asked);
  root->setInputFocus(true, true);
  EXPECT_EQ(1, asked);
  EXPECT_FALSE(root->getInputFocus());
  EXPECT_FALSE(child->getInputFocus());
  EXPECT_TRUE(journal.empty());
  delete root;
}

TEST(uiWidget, AddChildWithInheritedStatesRunsTheChildsHooks) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal);
  root->setWidgetFlags(WF_VISIBLE | WF_INPUT_FOCUS);
  Probe* child = addWidget(nullptr, "child", &journal);
  child->setWidgetFlags(WF_ACTIVE);
  Probe* kept = addWidget(child, "kept", &journal);
  kept->overrideVisible(true);

  root->addChild(child, true);
  EXPECT_EQ(root, child->getParent());
  EXPECT_EQ((Journal {"child show", "child deactivate", "child gain", "kept gain"}), journal);
  EXPECT_EQ(WF_VISIBLE | WF_INPUT_FOCUS, child->getWidgetFlags());
  delete root;
}

TEST(uiWidget, AddChildOutOfMemoryLeavesBothUnchanged) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal);
  Probe* child = addWidget(nullptr, "child", &journal);
  {
    FailingMemory failing(1);
    CaptureLog log;
    log.expect("root::addChild(child): Out of Memory\f");
    root->addChild(child, true);
  }
  EXPECT_EQ(nullptr, root->getChildren());
  EXPECT_EQ(nullptr, child->getParent());
  EXPECT_TRUE(journal.empty());
  delete child;
  delete root;
}

TEST(uiWidget, RootCoordsRestartTheOriginAtTheScreen) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* top = addWidget(nullptr, "top", &journal, 3, 4);
  Probe* parent = addWidget(top, "parent", &journal, 10, 10);
  Probe* placed = addWidget(parent, "placed", &journal, 100, 50);
  Probe* inner = addWidget(placed, "inner", &journal, 1, 2);
  placed->setWidgetFlags(WF_ROOT_COORDS);
  for (Probe* w : {top, parent, placed, inner})
    w->setWidgetFlags(w->getWidgetFlags() | WF_VISIBLE);

  top->render(0, 0);
  EXPECT_EQ((Journal {"top render 0,0", "parent render 3,4", "placed render 0,0",
                      "inner render 100,50"}),
            journal);

  struct Case {
    uiWidget* widget;
    int x, y;
  };
  for (const Case& c : {Case {inner, 100, 50}, Case {placed, 0, 0}, Case {parent, 3, 4},
                        Case {top, 0, 0}}) {
    SCOPED_TRACE(c.widget->name);
    int bx = -1, by = -1;
    c.widget->getBasisCoords(&bx, &by);
    EXPECT_EQ(at(c.x, c.y), at(bx, by));
  }
  EXPECT_EQ(top, inner->getRootWidget());
  delete top;
}

TEST(uiWidget, PathLookupIgnoresCaseAndLogsOnlyAtLevelZero) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* main = addWidget(nullptr, "main", &journal);
  Probe* ok = addWidget(main, "ok", &journal);
  Probe* panel = addWidget(main, "panel", &journal);
  Probe* deepOk = addWidget(panel, "ok", &journal);
  struct Case {
    const char* path;
    uiWidget* found;
  };
  for (const Case& c : {Case {"main", main}, Case {"main.ok", ok}, Case {"MAIN.OK", ok},
                        Case {"main.panel.ok", deepOk}, Case {"Main.Panel", panel}}) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.found, main->getWidget(c.path, 0));
  }
  EXPECT_EQ(deepOk, main->getChildWidget("panel.ok", 0));

  {
    CaptureLog log;
    log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFmain.panel.missing^c\f");
    log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFok.panel^c\f");
    EXPECT_EQ(nullptr, main->getWidget("main.panel.missing", 0));
    EXPECT_EQ(nullptr, main->getChildWidget("ok.panel", 0));
    EXPECT_EQ(nullptr, main->getWidget("main.", 1));
    EXPECT_EQ(nullptr, main->getWidget("ok", 1));
  }

  // Only the first 129 characters of a path take part: 65 components of a 70-deep chain.
  std::vector<Probe*> chain = {addWidget(nullptr, "a", &journal)};
  std::string path = "a";
  for (int i = 1; i < 70; ++i) {
    chain.push_back(addWidget(chain.back(), "a", &journal));
    path += ".a";
  }
  EXPECT_EQ(chain[64], chain[0]->getWidget(path.c_str(), 1));
  delete chain[0];
  delete main;
}

TEST(uiWidget, DetachUnlinksUnderTheManagersLock) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal);
  Probe* a = addWidget(root, "a", &journal);
  Probe* b = addWidget(root, "b", &journal);

  b->detachFromParent();  // no UI manager: detached without a lock
  EXPECT_EQ(nullptr, b->getParent());
  EXPECT_EQ(a, root->getChildren()->widget);
  EXPECT_EQ(nullptr, root->getChildren()->next);
  {
    uiSubsystem ui;
    a->detachFromParent();
    EXPECT_EQ(nullptr, root->getChildren());

    CaptureLog log;
    log.expect("Parent[root] child[a] mismatch detected on detachFromParent()\f");
    a->parent = root;
    a->detachFromParent();
    EXPECT_EQ(root, a->getParent());
    a->parent = nullptr;
  }
  delete a;
  delete b;
  delete root;
}

TEST(uiWidget, DepthNames) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal);
  Probe* child = addWidget(root, "child", &journal);
  EXPECT_EQ(17, uiWidget::s_getDepthValue("17"));
  EXPECT_STREQ("31", uiWidget::s_getDepthName(31));
  EXPECT_STREQ("", uiWidget::s_getDepthName(500));
  {
    CaptureLog log;
    log.expect("Unknown depth value: TOP\f", 1);
    log.expect("Depth #parent invalid for top-level widget.\f", 1);
    EXPECT_EQ(96, uiWidget::s_getDepthValue("TOP"));
    root->setDepth("#parent");
    EXPECT_EQ(0u, root->getDepth());
  }
  uiWidget::defineDepth("top", 40);
  uiWidget::defineDepth(std::string(40, 'd').c_str(), 41);
  uiWidget::defineDepth("lost", 96);
  EXPECT_EQ(std::string(31, 'd'), uiWidget::s_getDepthName(41));
  root->setDepth("TOP");
  EXPECT_EQ(40u, root->getDepth());
  child->setDepth("#Parent");
  root->setDepth(3u);
  EXPECT_EQ(40u, child->getDepth());
  EXPECT_EQ(32, uiWidget::s_getDepthValue(""));
  uiWidget::defineDepth("", 40);
  uiWidget::defineDepth("", 41);
  delete root;
}

TEST(uiWidget, AlphaPropagationStopsAtIgnoreAlpha) {
  NoLeaks noLeaks;
  Journal journal;
  Probe* root = addWidget(nullptr, "root", &journal);
  Probe* deaf = addWidget(root, "deaf", &journal);
  addWidget(deaf, "hidden", &journal);
  addWidget(root, "hears", &journal);
  deaf->setWidgetFlags(WF_IGNORE_ALPHA);
  root->setAlpha(128, 500, 100, true);
  EXPECT_EQ((Journal {"root alpha 128 500 100", "hears alpha 128 500 100",
                      "deaf alpha 128 500 100"}),
            journal);
  journal.clear();
  root->setAlpha(7, 0, 0, false);
  EXPECT_EQ((Journal {"root alpha 7 0 0"}), journal);
  delete root;
}

TEST(uiWidget, TypeLookupIsExactAndStopsAtANullAllocator) {
  TypeTableScope table;
  struct Case {
    const char* type;
    int id;
  };
  for (const Case& c : {Case {"uiNonVisualWidget", 1}, Case {"uiInputHandler", 2},
                        Case {"uiButton", 4}, Case {"uiAnimWidget", 19}, Case {"uiWidget", 0},
                        Case {"UIBUTTON", 0}, Case {"", 0}, Case {"uiButto", 0}}) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(c.id, uiWidget::getTypeId(c.type));
  }

  CaptureLog log;
  log.expect("uiSubsystem::s_registerWidget: uiButton already registered. Skipping.\f");
  uiWidgetAllocator buttonAllocator = uiWidget::s_widgetTypes[4].allocator;
  uiSubsystem::s_registerWidget("uiButton", nullAllocator);
  EXPECT_EQ(buttonAllocator, uiWidget::s_widgetTypes[4].allocator);

  uiSubsystem::s_registerWidget("gameWidget", uiNonVisualWidget::s_allocator);
  EXPECT_EQ(20, uiWidget::getTypeId("gameWidget"));
  EXPECT_STREQ("", uiWidget::s_widgetTypes[21].name);
  EXPECT_EQ(nullptr, uiWidget::s_widgetTypes[21].allocator);

  // A null allocator ends the table: neither it nor anything after it is found.
  uiSubsystem::s_registerWidget("broken", nullptr);
  uiSubsystem::s_registerWidget("later", uiNonVisualWidget::s_allocator);
  EXPECT_EQ(0, uiWidget::getTypeId("broken"));
  EXPECT_EQ(0, uiWidget::getTypeId("later"));
  EXPECT_EQ(20, uiWidget::getTypeId("gameWidget"));
  log.expect("...attempt to instance an invalid ui type: \"later\"\f");
  EXPECT_EQ(nullptr, uiWidget::allocWidget("x", "later"));
}

TEST(uiWidget, RegistryHoldsTwoHundredThirtyFiveGameTypes) {
  TypeTableScope table;
  char typeName[32];
  for (int i = 0; i < 235; ++i) {
    std::snprintf(typeName, sizeof typeName, "gameType%d", i);
    uiSubsystem::s_registerWidget(typeName, uiNonVisualWidget::s_allocator);
  }
  EXPECT_EQ(254, uiWidget::getTypeId("gameType234"));
  EXPECT_EQ(255u, uiWidget::s_widgetTypeCount);
  CaptureLog log;
  log.expect("uiSubsystem::s_registerWidget: Maximum Widget Count Exceeded: oneTooMany\f");
  uiSubsystem::s_registerWidget("oneTooMany", uiNonVisualWidget::s_allocator);
  EXPECT_EQ(0, uiWidget::getTypeId("oneTooMany"));
  EXPECT_EQ(255u, uiWidget::s_widgetTypeCount);
}

TEST(uiWidget, AllocWidgetNamesTheWidgetAndReportsFailures) {
  NoLeaks noLeaks;
  TypeTableScope table;
  uiWidget* handler =
      uiWidget::allocWidget("a-name-of-forty-characters-for-the-table", "uiInputHandler");
  ASSERT_NE(nullptr, handler);
  EXPECT_STREQ("a-name-of-forty-characters-for-", handler->name);
  EXPECT_STREQ("uiInputHandler", handler->getType());
  struct Case {
    const char* type;
    bool is;
  };
  for (const Case& c : {Case {"uiInputHandler", true}, Case {"UINONVISUALWIDGET", true},
                        Case {"uiwidget", true}, Case {"uiDialog", false}}) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(c.is, handler->isType(c.type));
  }
  EXPECT_EQ(0u, handler->getWidgetFlags());
  delete handler;

  CaptureLog log;
  log.expect("...attempt to instance an invalid ui type: \"uiWidget\"\f");
  EXPECT_EQ(nullptr, uiWidget::allocWidget("w", "uiWidget"));
  log.expect("...Out of memory allocating widget: w of type uiNonVisualWidget\f");
  FailingMemory failing(1);
  EXPECT_EQ(nullptr, uiWidget::allocWidget("w", "uiNonVisualWidget"));
}

TEST(uiWidget, RoutingOffersTheWidgetThenChildrenNewestFirst) {
  NoLeaks noLeaks;
  Listener listener;
  uiWidget* top = plainWidget(nullptr, "top", "uiInputHandler", 0, 0, 300, 300);
  uiWidget* a = plainWidget(top, "a", "uiInputHandler", 10, 10, 100, 100);
  uiWidget* b = plainWidget(top, "b", "uiInputHandler", 50, 50, 150, 150);
  uiWidget* b1 = plainWidget(b, "b1", "uiInputHandler", 0, 0, 20, 20);
  for (uiWidget* w : {top, a, b, b1}) {
    w->setInputFocus(true, false);
    listener.listenTo(w);
  }
  struct Case {
    const char* what;
    e_uiEvent event;
    int x, y;
    bool held, handledIn;
    const char* handler;
    bool result;
    Journal calls;
  };
  const Case cases[] = {
    {"nobody handles", UIE_MOUSEDOWN, 60, 60, false, false, "", false,
     {"top bounds 60,60", "top press 60,60", "b bounds 60,60", "b press 60,60",
      "b1 bounds 10,10", "b1 press 10,10", "a bounds 60,60", "a press 60,60"}},
    {"b stops it", UIE_MOUSEUP, 60, 60, true, false, "b", true,
     {"top bounds 60,60", "top release 60,60", "b bounds 60,60", "b release 60,60"}},
    {"held button", UIE_MOUSEDOWN, 15, 15, true, false, "", false,
     {"top bounds 15,15", "a bounds 15,15"}},
    {"already handled", UIE_MOUSEMOVE, 60, 60, false, true, "", false,
     {"b bounds 60,60", "b1 bounds 10,10", "a bounds 60,60"}},
    {"key anywhere", UIE_KEYDOWN, 500, 500, false, false, "", false,
     {"top keydown 65", "b keydown 65", "b1 keydown 65", "a keydown 65"}},
    {"key up handled", UIE_KEYUP, 500, 500, false, false, "top", true, {"top keyup 65"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    listener.calls.clear();
    listener.handler = c.handler;
    EXPECT_EQ(c.result, top->inputEvent(c.event, c.x, c.y, 65, c.held, c.handledIn));
    EXPECT_EQ(c.calls, listener.calls);
  }
  delete top;
}

// The screen point (115, 112) reaches a grandchild at (10, 10) under a child at (100, 100) as
// (15, 12); a child placed on the screen gets the point back in screen terms.
TEST(uiWidget, RoutingConvertsIntoEachChildsFrame) {
  NoLeaks noLeaks;
  Listener listener;
  uiWidget* top = plainWidget(nullptr, "top", "uiNonVisualWidget", 0, 0, 640, 480);
  uiWidget* child = plainWidget(top, "child", "uiNonVisualWidget", 100, 100, 200, 200);
  uiWidget* grandchild = plainWidget(child, "grandchild", "uiInputHandler", 10, 10, 16, 13);
  uiWidget* framed = plainWidget(nullptr, "framed", "uiNonVisualWidget", 20, 30, 300, 300);
  uiWidget* onScreen = plainWidget(framed, "onScreen", "uiInputHandler", 60, 70, 80, 90);
  uiWidget* inner = plainWidget(onScreen, "inner", "uiInputHandler", 5, 5, 10, 10);
  top->addChild(framed, false);
  onScreen->setWidgetFlags(WF_ROOT_COORDS);
  top->setInputFocus(true, true);
  for (uiWidget* w : {grandchild, onScreen, inner})
    listener.listenTo(w);

  top->inputEvent(UIE_MOUSEMOVE, 115, 112, 0, false, false);
  top->inputEvent(UIE_MOUSEMOVE, 67, 77, 0, false, false);
  EXPECT_EQ((Journal {"grandchild bounds 15,12", "onScreen bounds 67,77", "inner bounds 7,7"}),
            listener.calls);
  delete top;
}

TEST(uiWidget, GlobalFocusWidgetsHearWhatTheOwnerDeclines) {
  NoLeaks noLeaks;
  Listener listener;
  uiWidget* root = plainWidget(nullptr, "root", "uiNonVisualWidget", 0, 0, 400, 400);
  uiWidget* panel = plainWidget(root, "panel", "uiNonVisualWidget", 100, 100, 300, 300);
  uiWidget* target = plainWidget(panel, "target", "uiInputHandler", 10, 10, 50, 50);
  uiWidget* owner = plainWidget(root, "owner", "uiInputHandler", 20, 20, 60, 60);
  uiWidget* ownerChild = plainWidget(owner, "ownerChild", "uiInputHandler", 0, 0, 500, 500);
  root->setInputFocus(true, true);
  for (uiWidget* w : {target, owner, ownerChild})
    listener.listenTo(w);
  owner->addGlobalInputFocusWidget("ROOT.panel.target");
  owner->addGlobalInputFocusWidget("root.nowhere");
  {
    CaptureLog log;
    log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFroot.nowhere^c\f");
    log.expect("addGlobalInputFocusWidget(): unknown widget: ^CFFFF00root.nowhere^c\f");
    root->initialize();
  }
  EXPECT_EQ(nullptr, owner->globalFocusList->widget);
  EXPECT_EQ(target, owner->globalFocusList->next->widget);

  // The event goes to the owner in its parent's frame; the target hears it in its own.
  EXPECT_FALSE(owner->inputEvent(UIE_MOUSEDOWN, 115, 115, 0, false, false));
  EXPECT_EQ((Journal {"ownerChild bounds 95,95", "ownerChild press 95,95", "target bounds 15,15",
                      "target press 15,15"}),
            listener.calls);

  listener.calls.clear();
  listener.handler = "ownerChild";
  EXPECT_TRUE(owner->inputEvent(UIE_MOUSEDOWN, 115, 115, 0, false, false));
  EXPECT_EQ((Journal {"ownerChild bounds 95,95", "ownerChild press 95,95"}), listener.calls);

  listener.calls.clear();
  listener.handler = "";
  target->setInputFocus(false, false);
  owner->inputEvent(UIE_KEYDOWN, 0, 0, 32, false, false);
  EXPECT_EQ((Journal {"owner keydown 32", "ownerChild keydown 32"}), listener.calls);
  delete root;
}

TEST(uiWidget, GlobalFocusEntryOutOfMemoryAddsNothing) {
  NoLeaks noLeaks;
  uiWidget* owner = uiWidget::allocWidget("owner", "uiNonVisualWidget");
  {
    FailingMemory failing(1);
    owner->addGlobalInputFocusWidget("owner");
  }
  EXPECT_EQ(nullptr, owner->globalFocusList);
  delete owner;
}

TEST(uiWidget, TraceFindsTheFirstMatchInPreOrder) {
  NoLeaks noLeaks;
  Journal journal;
  uiWidget* root = plainWidget(nullptr, "root", "uiNonVisualWidget", 0, 0, 400, 400);
  uiWidget* handler = plainWidget(root, "handler", "uiInputHandler", 100, 100, 200, 200);
  Probe* probe = addWidget(handler, "probe", &journal, 10, 10, 50, 50);
  uiWidget* placed = plainWidget(handler, "placed", "uiInputHandler", 300, 300, 310, 310);
  placed->setWidgetFlags(WF_ROOT_COORDS);
  struct Case {
    int x, y;
    const char* type;
    uiWidget* hit;
    int hitX, hitY;
  };
  const Case cases[] = {
    {115, 115, nullptr, root, 115, 115},   {115, 115, "uiInputHandler", handler, 115, 115},
    {115, 115, "PROBE", probe, 15, 15},    {5, 5, "uiInputHandler", nullptr, 0, 0},
    {500, 500, nullptr, nullptr, 0, 0},    {305, 305, "uiInputHandler", placed, 305, 305},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(at(c.x, c.y) + (c.type ? c.type : ""));
    _uiTrace_s* hit = root->trace(7, c.x, c.y, c.type);
    ASSERT_EQ(c.hit != nullptr, hit != nullptr);
    if (!hit)
      continue;
    EXPECT_EQ(c.hit, hit->widget);
    EXPECT_EQ(at(c.hitX, c.hitY), at(hit->x, hit->y));
    g_MemoryPtr->free(9, hit);
  }

  // When the record cannot be made the search reports no hit rather than a deeper widget.
  FailingMemory failing(1);
  EXPECT_EQ(nullptr, root->trace(0, 115, 115, nullptr));
  delete root;
}

TEST(uiWidget, PlayWithPanMeasuresAgainstTheChosenWidth) {
  RecordingGfx gfx;
  gfx.screenWidth = 800;
  RecordingSound sound;
  NoLeaks noLeaks;
  uiWidget* parent = plainWidget(nullptr, "parent", "uiNonVisualWidget", 100, 0, 500, 10);
  uiWidget* widget = plainWidget(parent, "w", "uiNonVisualWidget", 0, 0, 100, 10);
  struct Case {
    const char* what;
    int x, x2;
    unsigned int mode;
    int value;
    float pan;
  };
  const Case cases[] = {
    {"centre", 0, 100, 0, 0, 50.0f / 800 * 1.8f - 0.9f},
    {"centre truncates", 1, 4, 0, 0, 2.0f / 800 * 1.8f - 0.9f},
    {"left edge", 400, 500, WP_LEFT, 0, 0.0f},
    {"right beyond the screen", 700, 900, WP_RIGHT, 0, 0.9f},
    {"left wins over right", 0, 800, WP_LEFT | WP_RIGHT, 0, -0.9f},
    {"one value for both", 0, 10, WP_POSITION | WP_WIDTH, 50, 0.9f},
    {"parent width", 0, 100, WP_PARENT | WP_POSITION, 100, -0.45f},
    {"explicit width", 0, 100, WP_WIDTH, 100, 0.0f},
    {"empty width plays centred", 0, 100, WP_WIDTH, 0, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    widget->x = c.x;
    widget->x2 = c.x2;
    size_t before = sound.played.size();
    EXPECT_NE(nullptr, widget->_playWithPan("click", c.mode, 1.5f, c.value));
    ASSERT_EQ(before + 1, sound.played.size());
    EXPECT_EQ("click", sound.played.back().name);
    EXPECT_NEAR(c.pan, sound.played.back().pan, 1e-5);
    EXPECT_FLOAT_EQ(1.5f, sound.played.back().frequencyScale);
  }

  CaptureLog log;
  log.expect("_playWithPan( WP_WORLD ): Not Implemented\f ");
  widget->x = 0;
  widget->x2 = 800;
  widget->_playWithPan("click", WP_WORLD | WP_WIDTH, 1.0f, 100);
  EXPECT_NEAR(0.0f, sound.played.back().pan, 1e-5);
  delete parent;
}

TEST(uiWidget, ReleaseHelpersSkipMissingResources) {
  struct Helper : uiNonVisualWidget {
    using uiWidget::_releaseParticleSystemInstance;
    using uiWidget::_releaseSprite;
  } helper;
  helper._releaseSprite(7);  // no graphics library: nothing to ask
  RecordingGfx gfx;
  gfx.defineSprite("button.png", 10, 10);
  gfx.defineParticleSystem("sparks.psys");
  int sprite = gfx.createSprite("button.png");
  int instance = gfx.createParticleSystemInstance("sparks", "sparks.psys");
  gfx.clearCalls();
  helper._releaseSprite(-1);
  helper._releaseParticleSystemInstance(-1);
  helper._releaseSprite(99);  // unknown id: no name comes back
  helper._releaseSprite(sprite);
  helper._releaseParticleSystemInstance(instance);
  EXPECT_EQ((Journal {"releaseSprite name=button.png",
                      "releaseParticleSystemInstance instance=" + std::to_string(instance)}),
            gfx.calls);
  EXPECT_TRUE(gfx.failures.empty());
}

TEST(uiNonVisualWidget, SwallowsNoInputWhileTheInputHandlerFiresCallbacks) {
  NoLeaks noLeaks;
  Listener listener;
  uiWidget* container = plainWidget(nullptr, "container", "uiNonVisualWidget", 0, 0, 50, 50);
  uiWidget* handler = plainWidget(nullptr, "handler", "uiInputHandler", 0, 0, 50, 50);
  uiWidget* inner = plainWidget(handler, "inner", "uiInputHandler", 0, 0, 50, 50);
  for (uiWidget* w : {container, handler, inner})
    listener.listenTo(w);
  listener.handler = "handler";

  EXPECT_FALSE(handler->inputEvent(UIE_MOUSEDOWN, 5, 5, 0, false, false));
  EXPECT_TRUE(listener.calls.empty());

  container->setInputFocus(true, true);
  handler->setInputFocus(true, true);
  EXPECT_FALSE(container->inputEvent(UIE_MOUSEDOWN, 5, 5, 0, false, false));
  EXPECT_TRUE(handler->inputEvent(UIE_MOUSEDOWN, 5, 5, 0, false, false));
  EXPECT_EQ((Journal {"handler bounds 5,5", "handler press 5,5"}), listener.calls);
  delete container;
  delete handler;
}
