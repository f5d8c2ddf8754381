#include "uiwidget.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Journal;

std::string at(int x, int y) {
  return std::to_string(x) + "," + std::to_string(y);
}

// A widget that writes its hooks into a journal; the one named "dialog" also answers to
// "uiDialog", which the recursive setters must leave alone.
class Probe : public uiWidget {
public:
  Probe(const char* widgetName, Journal* journal) : m_journal(journal) {
    uiCopyName(name, widgetName, sizeof name);
  }
  const char* getType() override { return "probe"; }
  bool isType(const char* type) override {
    return uiNameEquals(type, "probe") || uiWidget::isType(type) ||
           (uiNameEquals(name, "dialog") && uiNameEquals(type, "uiDialog"));
  }

protected:
  void note(const std::string& text) { m_journal->push_back(std::string(name) + " " + text); }
  void _render(int x, int y) override { note("render " + at(x, y)); }
  void _update(int, int) override {}
  void _showWidget() override { note("show"); }
  void _hideWidget() override { note("hide"); }
  void _activate() override { note("activate"); }
  void _deactivate() override { note("deactivate"); }
  void _gainFocus() override { note("gain"); }
  void _loseFocus() override { note("lose"); }

private:
  Journal* m_journal;
};

uiWidget* place(uiWidget* parent, uiWidget* widget, int x, int y, int x2, int y2) {
  widget->x = x, widget->y = y, widget->x2 = x2, widget->y2 = y2;
  if (parent)
    parent->addChild(widget, false);
  return widget;
}

// A widget of a registered type with its rectangle.
uiWidget* make(uiWidget* parent, const char* widgetName, const char* type, int x = 0, int y = 0,
               int x2 = 0, int y2 = 0) {
  return place(parent, uiWidget::allocWidget(widgetName, type), x, y, x2, y2);
}

uiWidget* probe(uiWidget* parent, const char* widgetName, Journal& journal, int x = 0, int y = 0,
                int x2 = 0, int y2 = 0) {
  return place(parent, new Probe(widgetName, &journal), x, y, x2, y2);
}

// Callbacks that journal what they see and answer true for one chosen widget.
struct Listener {
  Journal calls;
  std::string handler;

  static bool note(uiWidget* w, void* client, const std::string& text) {
    Listener* self = static_cast<Listener*>(client);
    self->calls.push_back(std::string(w->name) + " " + text);
    return self->handler == w->name;
  }
  static bool bounds(uiWidget* w, void* c, int x, int y) {
    return note(w, c, "bounds " + at(x, y));
  }
  static bool press(uiWidget* w, void* c, int x, int y) { return note(w, c, "press " + at(x, y)); }
  static bool release(uiWidget* w, void* c, int x, int y) { return note(w, c, "up " + at(x, y)); }
  static bool key(uiWidget* w, void* c, int k) { return note(w, c, "key " + std::to_string(k)); }

  void listenTo(std::initializer_list<uiWidget*> widgets) {
    _WidgetMap_s map {nullptr, bounds, press, release, nullptr, key, key};
    for (uiWidget* widget : widgets)
      widget->assignCallbacks(&map, this);
  }
};

// Restores the type table afterwards.
struct TypeTableScope {
  _WidgetType_s saved[uiWidget::MAX_WIDGET_TYPES];
  unsigned int savedCount = uiWidget::s_widgetTypeCount;
  TypeTableScope() { std::memcpy(saved, uiWidget::s_widgetTypes, sizeof saved); }
  ~TypeTableScope() {
    std::memcpy(uiWidget::s_widgetTypes, saved, sizeof saved);
    uiWidget::s_widgetTypeCount = savedCount;
  }
};

}  // namespace

// Each row is one state with its setter, override and hooks; the rules are shared.
TEST(uiWidget, RecursiveSettersSkipOverriddenChildrenAndDialogs) {
  struct Row {
    void (uiWidget::*set)(bool, bool);
    void (uiWidget::*hold)(bool);
    bool (uiWidget::*get)() const;
    std::string on, off;
  };
  const Row rows[] = {
    {&uiWidget::setVisible, &uiWidget::overrideVisible, &uiWidget::getVisible, "show", "hide"},
    {&uiWidget::setActive, &uiWidget::overrideActive, &uiWidget::setActive, "activate",
     "deactivate"},
    {&uiWidget::setInputFocus, &uiWidget::overrideInputFocus, &uiWidget::getInputFocus, "gain",
     "lose"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.on);
    LeakCheck leaks;
    Journal journal;
    uiWidget* root = probe(nullptr, "root", journal);
    probe(probe(root, "dialog", journal), "d1", journal);
    uiWidget* held = probe(root, "held", journal);
    probe(held, "h1", journal);
    uiWidget* plain = probe(root, "plain", journal);
    uiWidget* leaf = probe(plain, "leaf", journal);
    (held->*row.hold)(true);
    (root->*row.set)(true, true);
    (root->*row.set)(true, true);  // no change: no hook
    (plain->*row.set)(false, false);
    EXPECT_EQ((Journal {"root " + row.on, "plain " + row.on, "leaf " + row.on, "plain " + row.off}),
              journal);
    EXPECT_TRUE((leaf->*row.get)() && !(held->*row.get)());
    // A child added with inherited states runs its own hooks and its subtree's.
    journal.clear();
    uiWidget* late = probe(nullptr, "late", journal);
    probe(late, "l1", journal);
    root->addChild(late, true);
    EXPECT_EQ((Journal {"late " + row.on, "l1 " + row.on}), journal);
    delete root;
  }
}

TEST(uiWidget, AddChildOutOfMemoryLeavesBothUnchanged) {
  LeakCheck leaks;
  Tree root(make(nullptr, "root", "uiNonVisualWidget"));
  Tree child(make(nullptr, "child", "uiNonVisualWidget"));
  FailingMemory failing(1);
  CaptureLog log;
  log.expect("root::addChild(child): Out of Memory\f");
  root->addChild(child.get(), true);
  EXPECT_EQ(nullptr, root->getChildren());
  EXPECT_EQ(nullptr, child->getParent());
}

// Children run newest first; a widget placed on the screen restarts the origin there.
TEST(uiWidget, TraversalOrderAndRootCoords) {
  LeakCheck leaks;
  Journal journal;
  uiWidget* top = probe(nullptr, "top", journal, 3, 4);
  uiWidget* parent = probe(top, "parent", journal, 10, 10);
  uiWidget* placed = probe(parent, "placed", journal, 100, 50);
  uiWidget* inner = probe(placed, "inner", journal);
  uiWidget* newest = probe(top, "newest", journal);
  for (uiWidget* w : {top, parent, placed, inner, newest})
    w->setWidgetFlags(WF_VISIBLE);
  placed->setWidgetFlags(WF_VISIBLE | WF_ROOT_COORDS);
  top->render(0, 0);
  EXPECT_EQ((Journal {"top render 0,0", "newest render 3,4", "parent render 3,4",
                      "placed render 0,0", "inner render 100,50"}),
            journal);
  delete top;
}

TEST(uiWidget, PathLookupIgnoresCaseAndLogsOnlyAtLevelZero) {
  LeakCheck leaks;
  Tree main(make(nullptr, "main", "uiNonVisualWidget"));
  uiWidget* ok = make(main.get(), "ok", "uiNonVisualWidget");
  uiWidget* panel = make(main.get(), "panel", "uiNonVisualWidget");
  uiWidget* deepOk = make(panel, "ok", "uiNonVisualWidget");
  EXPECT_EQ(ok, main->getWidget("MAIN.OK", 0));
  EXPECT_EQ(deepOk, main->getWidget("main.Panel.ok", 0));
  {
    CaptureLog log;
    log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFmain.panel.missing^c\f");
    EXPECT_EQ(nullptr, main->getWidget("main.panel.missing", 0));
    EXPECT_EQ(nullptr, main->getWidget("ok", 1));
  }
  // Only the first 129 characters of a path take part: 65 components of a 70-deep chain.
  std::vector<uiWidget*> chain = {make(nullptr, "a", "uiNonVisualWidget")};
  std::string path = "a";
  for (int i = 1; i < 70; ++i, path += ".a")
    chain.push_back(make(chain.back(), "a", "uiNonVisualWidget"));
  EXPECT_EQ(chain[64], chain[0]->getWidget(path.c_str(), 1));
  delete chain[0];
}

TEST(uiWidget, DetachUnlinksWithOrWithoutAManager) {
  LeakCheck leaks;
  Tree root(make(nullptr, "root", "uiNonVisualWidget"));
  Tree a(make(root.get(), "a", "uiNonVisualWidget"));
  Tree b(make(root.get(), "b", "uiNonVisualWidget"));
  b->detachFromParent();  // no UI manager exists: no lock to take
  EXPECT_TRUE(!b->getParent() && root->getChildren()->widget == a.get());
  uiSubsystem ui;
  a->detachFromParent();
  EXPECT_EQ(nullptr, root->getChildren());
  CaptureLog log;
  log.expect("Parent[root] child[a] mismatch detected on detachFromParent()\f");
  a->parent = root.get();
  a->detachFromParent();
  EXPECT_EQ(root.get(), a->getParent());
  a->parent = nullptr;
}

// Depth names past the table read as "" and long names are cut to 31 characters.
TEST(uiWidget, DepthNames) {
  LeakCheck leaks;
  Tree root(make(nullptr, "root", "uiNonVisualWidget"));
  uiWidget* child = make(root.get(), "child", "uiNonVisualWidget");
  EXPECT_STREQ("", uiWidget::s_getDepthName(500));
  CaptureLog log;
  log.expect("Unknown depth value: TOP\f", 1);
  log.expect("Depth #parent invalid for top-level widget.\f", 1);
  EXPECT_EQ(96, uiWidget::s_getDepthValue("TOP"));
  root->setDepth("#parent");
  uiWidget::defineDepth(std::string(40, 'd').c_str(), 40);
  EXPECT_EQ(std::string(31, 'd'), uiWidget::s_getDepthName(40));
  root->setDepth(40u);
  child->setDepth("#Parent");
  EXPECT_EQ(40u, child->getDepth());
  uiWidget::defineDepth("", 40);
}

// Every type is made by the name registered at its id, its name cut to 31 characters. A creation
// whose allocations fail is reported and leaves nothing (the progress bar also makes a lock).
TEST(uiWidget, EveryRegisteredTypeIsMadeByNameAndSurvivesFailedAllocations) {
  const std::string types[] = {
    "uiNonVisualWidget", "uiInputHandler", "uiVisualWidget", "uiButton", "uiToggleButton",
    "uiSprite", "uiTextWidget", "uiEntryWidget", "uiRadioButton", "uiRadioGroup", "uiSliderButton",
    "uiProgressBar", "uiParticleSystem", "uiDigitalBanner", "uiDialog", "uiAnimDialog",
    "uiFlowLayout", "uiGameContainer", "uiAnimWidget"};
  const std::string longName(40, 'n');
  LeakCheck leaks;
  for (const std::string& type : types) {
    SCOPED_TRACE(type);
    EXPECT_EQ(uiWidget::getTypeId(type.c_str()), &type - types + 1);
    Tree widget(uiWidget::allocWidget(longName.c_str(), type.c_str()));
    ASSERT_TRUE(widget);
    EXPECT_EQ(std::string(widget->name) + widget->getType(), std::string(31, 'n') + type);
  }
  for (long failing : {1, 2}) {
    FailingMemory memory(failing);
    CaptureLog log;
    if (failing == 2)
      log.expect("uiProgressBar(): Out of Memory creating the lock\f");
    log.expect("...Out of memory allocating widget: bar of type uiProgressBar\f");
    EXPECT_EQ(nullptr, uiWidget::allocWidget("bar", "uiProgressBar"));
  }
}

TEST(uiWidget, TypeRegistryLookupsAndLimits) {
  TypeTableScope table;
  const uiWidgetAllocator nullAllocator = []() -> uiWidget* { return nullptr; };
  CaptureLog log;
  log.expect("...attempt to instance an invalid ui type: \"uiWidget\"\f");
  EXPECT_EQ(nullptr, uiWidget::allocWidget("w", "uiWidget"));
  log.expect("uiSubsystem::s_registerWidget: uiButton already registered. Skipping.\f");
  uiSubsystem::s_registerWidget("uiButton", nullAllocator);
  EXPECT_NE(nullAllocator, uiWidget::s_widgetTypes[4].allocator);
  for (int i = 0; i < 235; ++i)
    uiSubsystem::s_registerWidget(("gameType" + std::to_string(i)).c_str(), nullAllocator);
  EXPECT_EQ(254, uiWidget::getTypeId("gameType234"));
  log.expect("uiSubsystem::s_registerWidget: Maximum Widget Count Exceeded: oneTooMany\f");
  uiSubsystem::s_registerWidget("oneTooMany", uiNonVisualWidget::s_allocator);
  EXPECT_EQ(255u, uiWidget::s_widgetTypeCount);
  log.expect("...Out of memory allocating widget: w of type gameType234\f");
  EXPECT_EQ(nullptr, uiWidget::allocWidget("w", "gameType234"));
}

// A non-visual top passes everything on without firing its own callbacks.
TEST(uiWidget, RoutingOffersTheWidgetThenChildrenNewestFirst) {
  LeakCheck leaks;
  Listener listener;
  Tree top(make(nullptr, "top", "uiNonVisualWidget", 0, 0, 300, 300));
  uiWidget* a = make(top.get(), "a", "uiInputHandler", 10, 10, 100, 100);
  uiWidget* b = make(top.get(), "b", "uiInputHandler", 50, 50, 150, 150);
  uiWidget* b1 = make(b, "b1", "uiInputHandler", 0, 0, 20, 20);
  listener.listenTo({top.get(), a, b, b1});
  struct Case { e_uiEvent event; int x, y; bool held, handledIn; const char* handler; bool result;
                Journal calls; };
  const Case cases[] = {
    {UIE_MOUSEDOWN, 60, 60, false, false, "", false,
     {"b bounds 60,60", "b press 60,60", "b1 bounds 10,10", "b1 press 10,10", "a bounds 60,60",
      "a press 60,60"}},
    {UIE_MOUSEUP, 60, 60, true, false, "b", true, {"b bounds 60,60", "b up 60,60"}},
    {UIE_MOUSEMOVE, 115, 112, false, true, "", false, {"b bounds 115,112"}},
    {UIE_KEYUP, 15, 15, false, false, "a", true,
     {"b key 65", "b1 key 65", "a bounds 15,15", "a key 65"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    listener.calls.clear();
    listener.handler = c.handler;
    top->setInputFocus(true, true);
    EXPECT_EQ(c.result, top->inputEvent(c.event, c.x, c.y, 65, c.held, c.handledIn));
    EXPECT_EQ(c.calls, listener.calls);
    top->setInputFocus(false, false);  // without focus the tree hears nothing
    EXPECT_EQ(c.handledIn, top->inputEvent(c.event, c.x, c.y, 65, c.held, c.handledIn));
    EXPECT_EQ(c.calls, listener.calls);
  }
}

// The trace reports the first widget of the type in pre-order, in its own frame; a widget placed
// on the screen is hit in screen terms. When the record cannot be made the search reports no hit
// rather than a deeper widget.
TEST(uiWidget, TraceFindsTheFirstMatchInPreOrder) {
  LeakCheck leaks;
  Journal journal;
  Tree root(make(nullptr, "root", "uiNonVisualWidget", 0, 0, 400, 400));
  uiWidget* handler = make(root.get(), "handler", "uiInputHandler", 100, 100, 200, 200);
  probe(handler, "probe", journal, 10, 10, 50, 50);
  make(handler, "placed", "uiInputHandler", 300, 300, 310, 310)->setWidgetFlags(WF_ROOT_COORDS);
  std::string hits;
  for (auto c : {std::make_pair(115, "PROBE"), {5, "uiInputHandler"}, {305, "uiInputHandler"}}) {
    _uiTrace_s* hit = root->trace(7, c.first, c.first, c.second);
    hits += hit ? std::string(hit->widget->name) + " " + at(hit->x, hit->y) + ", " : "-, ";
    if (hit)
      g_MemoryPtr->free(9, hit);
  }
  EXPECT_EQ(hits, "probe 15,15, -, placed 305,305, ");
  FailingMemory failing(1);
  EXPECT_EQ(nullptr, root->trace(0, 115, 115, nullptr));
}

// The pan is the widget's centre across the screen (800 pixels wide), or across the chosen width;
// with no width to measure against the sound plays centred.
TEST(uiWidget, PlayWithPanMeasuresAgainstTheChosenWidth) {
  RecordingGfx gfx;
  RecordingSound sound;
  LeakCheck leaks;
  Tree widget(make(nullptr, "w", "uiNonVisualWidget", 0, 0, 100, 0));
  for (auto c : {std::make_pair(0u, -0.7875f), std::make_pair(unsigned(WP_WIDTH), 0.0f)}) {
    ASSERT_NE(nullptr, widget->_playWithPan("click", c.first, 1.5f, 0));
    EXPECT_NEAR(c.second, sound.played.back().pan, 1e-5);
  }
  CaptureLog log;
  log.expect("_playWithPan( WP_WORLD ): Not Implemented\f ");
  widget->_playWithPan("click", WP_WORLD | WP_WIDTH, 1.0f, 100);
}
