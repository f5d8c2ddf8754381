#include "uiwidget.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::string> Journal;

std::string at(int x, int y) {
  return std::to_string(x) + "," + std::to_string(y);
}

// A widget that writes its hooks and traversal calls into a journal; with `dialog` it also
// answers to "uiDialog", which the recursive setters must leave alone.
class Probe : public uiWidget {
public:
  Probe(const char* widgetName, Journal* journal, bool dialog = false)
      : m_journal(journal), m_dialog(dialog) {
    uiCopyName(name, widgetName, sizeof name);
  }
  const char* getType() override { return "probe"; }
  bool isType(const char* type) override {
    return uiNameEquals(type, "probe") || (m_dialog && uiNameEquals(type, "uiDialog")) ||
           uiWidget::isType(type);
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
  bool m_dialog;
};

// Builds a widget of a registered type (or a Probe for "probe") with its rectangle.
uiWidget* make(uiWidget* parent, const char* widgetName, const char* type, int x = 0, int y = 0,
               int x2 = 0, int y2 = 0, Journal* journal = nullptr) {
  uiWidget* widget = journal ? new Probe(widgetName, journal, std::strcmp(type, "dialog") == 0)
                             : uiWidget::allocWidget(widgetName, type);
  widget->x = x, widget->y = y, widget->x2 = x2, widget->y2 = y2;
  if (parent)
    parent->addChild(widget, false);
  return widget;
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

// Restores the type table afterwards. Rows of classes not built yet get a stand-in allocator so
// that lookups reach the end record.
struct TypeTableScope {
  _WidgetType_s saved[uiWidget::MAX_WIDGET_TYPES];
  unsigned int savedCount = uiWidget::s_widgetTypeCount;
  TypeTableScope() {
    std::memcpy(saved, uiWidget::s_widgetTypes, sizeof saved);
    for (unsigned int i = 1; i < savedCount; ++i) {
      if (!uiWidget::s_widgetTypes[i].allocator)
        uiWidget::s_widgetTypes[i].allocator = uiNonVisualWidget::s_allocator;
    }
  }
  ~TypeTableScope() {
    std::memcpy(uiWidget::s_widgetTypes, saved, sizeof saved);
    uiWidget::s_widgetTypeCount = savedCount;
  }
};

uiWidget* nullAllocator() {
  return nullptr;
}

// The key hook belongs to the loader and to subclasses; a game reaches keys through files only.
template <typename W, typename = void>
struct KeyHookIsPublic : std::false_type {};
template <typename W>
struct KeyHookIsPublic<W, std::void_t<decltype(std::declval<W&>()._parseParams(nullptr, nullptr))>>
    : std::true_type {};
static_assert(!KeyHookIsPublic<uiWidget>::value, "_parseParams is protected");

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
    uiWidget* root = make(nullptr, "root", "probe", 0, 0, 0, 0, &journal);
    make(make(root, "dialog", "dialog", 0, 0, 0, 0, &journal), "d1", "probe", 0, 0, 0, 0, &journal);
    uiWidget* held = make(root, "held", "probe", 0, 0, 0, 0, &journal);
    make(held, "h1", "probe", 0, 0, 0, 0, &journal);
    uiWidget* plain = make(root, "plain", "probe", 0, 0, 0, 0, &journal);
    uiWidget* leaf = make(plain, "leaf", "probe", 0, 0, 0, 0, &journal);
    (held->*row.hold)(true);

    (root->*row.set)(true, true);
    (root->*row.set)(true, true);  // no change: no hook
    (plain->*row.set)(false, false);
    EXPECT_EQ((Journal {"root " + row.on, "plain " + row.on, "leaf " + row.on, "plain " + row.off}),
              journal);
    EXPECT_TRUE((leaf->*row.get)());
    EXPECT_FALSE((held->*row.get)());

    // A child added with inherited states runs its own hooks and its subtree's.
    journal.clear();
    uiWidget* late = make(nullptr, "late", "probe", 0, 0, 0, 0, &journal);
    make(late, "l1", "probe", 0, 0, 0, 0, &journal);
    root->addChild(late, true);
    EXPECT_EQ((Journal {"late " + row.on, "l1 " + row.on}), journal);
    delete root;
  }
}

TEST(uiWidget, FocusVetoLeavesTheSubtreeUnchanged) {
  LeakCheck leaks;
  Journal journal;
  uiWidget* root = make(nullptr, "root", "probe", 0, 0, 0, 0, &journal);
  uiWidget* child = make(root, "child", "probe", 0, 0, 0, 0, &journal);
  int asked = 0;
  root->inputFocusCb([](uiWidget*, void* count) { return ++*static_cast<int*>(count) > 1; },
                     &asked);
  root->setInputFocus(true, true);
  EXPECT_EQ(1, asked);
  EXPECT_FALSE(root->getInputFocus() || child->getInputFocus());
  EXPECT_TRUE(journal.empty());
  root->setInputFocus(true, true);  // the veto now allows it
  EXPECT_EQ((Journal {"root gain", "child gain"}), journal);
  delete root;
}

TEST(uiWidget, AddChildOutOfMemoryLeavesBothUnchanged) {
  LeakCheck leaks;
  uiWidget* root = make(nullptr, "root", "uiNonVisualWidget");
  uiWidget* child = make(nullptr, "child", "uiNonVisualWidget");
  {
    FailingMemory failing(1);
    CaptureLog log;
    log.expect("root::addChild(child): Out of Memory\f");
    root->addChild(child, true);
  }
  EXPECT_EQ(nullptr, root->getChildren());
  EXPECT_EQ(nullptr, child->getParent());
  delete child;
  delete root;
}

// Children run newest first; a widget placed on the screen restarts the origin there.
TEST(uiWidget, TraversalOrderAndRootCoords) {
  LeakCheck leaks;
  Journal journal;
  uiWidget* top = make(nullptr, "top", "probe", 3, 4, 0, 0, &journal);
  uiWidget* parent = make(top, "parent", "probe", 10, 10, 0, 0, &journal);
  uiWidget* placed = make(parent, "placed", "probe", 100, 50, 0, 0, &journal);
  uiWidget* inner = make(placed, "inner", "probe", 1, 2, 0, 0, &journal);
  uiWidget* newest = make(top, "newest", "probe", 0, 0, 0, 0, &journal);
  for (uiWidget* w : {top, parent, placed, inner, newest})
    w->setWidgetFlags(WF_VISIBLE);
  placed->setWidgetFlags(WF_VISIBLE | WF_ROOT_COORDS);
  top->render(0, 0);
  EXPECT_EQ((Journal {"top render 0,0", "newest render 3,4", "parent render 3,4",
                      "placed render 0,0", "inner render 100,50"}),
            journal);

  const std::pair<uiWidget*, std::string> bases[] = {
    {inner, "100,50"}, {placed, "0,0"}, {parent, "3,4"}, {top, "0,0"}};
  for (const auto& basis : bases) {
    int bx = -1, by = -1;
    basis.first->getBasisCoords(&bx, &by);
    EXPECT_EQ(basis.second, at(bx, by)) << basis.first->name;
  }
  // A hidden parent takes its visible children with it.
  journal.clear();
  parent->setWidgetFlags(0);
  top->render(0, 0);
  EXPECT_EQ((Journal {"top render 0,0", "newest render 3,4"}), journal);
  delete top;
}

TEST(uiWidget, PathLookupIgnoresCaseAndLogsOnlyAtLevelZero) {
  LeakCheck leaks;
  uiWidget* main = make(nullptr, "main", "uiNonVisualWidget");
  uiWidget* ok = make(main, "ok", "uiNonVisualWidget");
  uiWidget* panel = make(main, "panel", "uiNonVisualWidget");
  uiWidget* deepOk = make(panel, "ok", "uiNonVisualWidget");
  const std::pair<const char*, uiWidget*> paths[] = {
    {"main", main},           {"main.ok", ok},        {"MAIN.OK", ok},
    {"main.panel.ok", deepOk}, {"Main.Panel", panel}};
  for (const auto& path : paths)
    EXPECT_EQ(path.second, main->getWidget(path.first, 0)) << path.first;
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
  std::vector<uiWidget*> chain = {make(nullptr, "a", "uiNonVisualWidget")};
  std::string path = "a";
  for (int i = 1; i < 70; ++i, path += ".a")
    chain.push_back(make(chain.back(), "a", "uiNonVisualWidget"));
  EXPECT_EQ(chain[64], chain[0]->getWidget(path.c_str(), 1));
  delete chain[0];
  delete main;
}

TEST(uiWidget, DetachUnlinksWithOrWithoutAManager) {
  LeakCheck leaks;
  uiWidget* root = make(nullptr, "root", "uiNonVisualWidget");
  uiWidget* a = make(root, "a", "uiNonVisualWidget");
  uiWidget* b = make(root, "b", "uiNonVisualWidget");
  b->detachFromParent();  // no UI manager exists: no lock to take
  EXPECT_EQ(nullptr, b->getParent());
  EXPECT_EQ(a, root->getChildren()->widget);
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
  LeakCheck leaks;
  uiWidget* root = make(nullptr, "root", "uiNonVisualWidget");
  uiWidget* child = make(root, "child", "uiNonVisualWidget");
  EXPECT_EQ(17, uiWidget::s_getDepthValue("17"));
  EXPECT_EQ(32, uiWidget::s_getDepthValue(""));
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
  child->setDepth("#Parent");
  root->setDepth(3u);
  EXPECT_EQ(40u, child->getDepth());
  uiWidget::defineDepth("", 40);
  uiWidget::defineDepth("", 41);
  delete root;
}

// Each row is the type registered at its id, a base it answers to and a type it does not. Every
// allocation a widget's creation makes may fail: the failure is reported and nothing is left.
TEST(uiWidget, EveryRegisteredTypeIsMadeByNameAndSurvivesFailedAllocations) {
  struct Row {
    const char* type;
    const char* base;
    const char* notA;
  };
  const Row rows[] = {
    {"uiNonVisualWidget", "uiWidget", "uiVisualWidget"},
    {"uiInputHandler", "UINONVISUALWIDGET", "uiDialog"},
    {"uiVisualWidget", "uiWidget", "uiNonVisualWidget"},
    {"uiButton", "uiVisualWidget", "uiToggleButton"},
    {"uiToggleButton", "uiButton", "uiRadioButton"},
    {"uiSprite", "uiVisualWidget", "uiButton"},
    {"uiTextWidget", "uiWidget", "uiVisualWidget"},
    {"uiEntryWidget", "uiTextWidget", "uiVisualWidget"},
    {"uiRadioButton", "uiButton", "uiToggleButton"},
    {"uiRadioGroup", "uiNonVisualWidget", "uiRadioButton"},
    {"uiSliderButton", "uiButton", "uiProgressBar"},
    {"uiProgressBar", "uiVisualWidget", "uiSliderButton"},
    {"uiParticleSystem", "uiWidget", "uiVisualWidget"},
    {"uiDigitalBanner", "uiWidget", "uiTextWidget"},
    {"uiDialog", "uiNonVisualWidget", "uiAnimDialog"},
    {"uiAnimDialog", "uiDialog", "uiAnimWidget"},
    {"uiFlowLayout", "uiNonVisualWidget", "uiDialog"},
    {"uiGameContainer", "uiNonVisualWidget", "uiFlowLayout"},
    {"uiAnimWidget", "uiVisualWidget", "uiDialog"},
  };
  const std::string longName(40, 'n'), cutName(31, 'n');
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    EXPECT_EQ(uiWidget::getTypeId(row.type), &row - rows + 1);
    LeakCheck leaks;
    Tree widget(uiWidget::allocWidget(longName.c_str(), row.type));
    ASSERT_TRUE(widget);
    EXPECT_EQ(cutName, widget->name);
    EXPECT_STREQ(row.type, widget->getType());
    std::string upper = row.type;
    for (char& c : upper)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(widget->isType(upper.c_str()) && widget->isType(row.base));
    EXPECT_FALSE(widget->isType(row.notA));
    widget.reset();
    for (long failing = 1;; ++failing) {
      FailingMemory memory(failing);
      CaptureLog log;
      if (std::strcmp(row.type, "uiProgressBar") == 0 && failing == 2)
        log.expect("uiProgressBar(): Out of Memory creating the lock\f");
      log.expect("...Out of memory allocating widget: " + longName + " of type " + row.type +
                 "\f");
      widget.reset(uiWidget::allocWidget(longName.c_str(), row.type));
      if (!memory.failures()) {
        log.clear();
        break;
      }
      EXPECT_FALSE(widget);
    }
  }
}

TEST(uiWidget, TypeRegistryLookupsAndLimits) {
  TypeTableScope table;
  for (const char* unknown : {"uiWidget", "UIBUTTON", "", "uiButto"})
    EXPECT_EQ(0, uiWidget::getTypeId(unknown)) << unknown;

  CaptureLog log;
  log.expect("...attempt to instance an invalid ui type: \"uiWidget\"\f");
  EXPECT_EQ(nullptr, uiWidget::allocWidget("w", "uiWidget"));
  {
    // A null allocator ends the table: neither it nor anything after it is found.
    TypeTableScope again;
    uiSubsystem::s_registerWidget("broken", nullptr);
    uiSubsystem::s_registerWidget("later", uiNonVisualWidget::s_allocator);
    EXPECT_EQ(0, uiWidget::getTypeId("later"));
    log.expect("...attempt to instance an invalid ui type: \"later\"\f");
    EXPECT_EQ(nullptr, uiWidget::allocWidget("w", "later"));
  }
  log.expect("uiSubsystem::s_registerWidget: uiButton already registered. Skipping.\f");
  uiWidgetAllocator buttonAllocator = uiWidget::s_widgetTypes[4].allocator;
  uiSubsystem::s_registerWidget("uiButton", nullAllocator);
  EXPECT_EQ(buttonAllocator, uiWidget::s_widgetTypes[4].allocator);
  uiSubsystem::s_registerWidget("gameType0", uiNonVisualWidget::s_allocator);
  EXPECT_EQ(20, uiWidget::getTypeId("gameType0"));
  EXPECT_EQ(nullptr, uiWidget::s_widgetTypes[21].allocator);

  for (int i = 1; i < 235; ++i)
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
  uiWidget* top = make(nullptr, "top", "uiNonVisualWidget", 0, 0, 300, 300);
  uiWidget* a = make(top, "a", "uiInputHandler", 10, 10, 100, 100);
  uiWidget* b = make(top, "b", "uiInputHandler", 50, 50, 150, 150);
  uiWidget* b1 = make(b, "b1", "uiInputHandler", 0, 0, 20, 20);
  listener.listenTo({top, a, b, b1});
  struct Case {
    e_uiEvent event;
    int x, y;
    bool held, handledIn;
    const char* handler;
    bool result;
    Journal calls;
  };
  const Case cases[] = {
    {UIE_MOUSEDOWN, 60, 60, false, false, "", false,
     {"b bounds 60,60", "b press 60,60", "b1 bounds 10,10", "b1 press 10,10", "a bounds 60,60",
      "a press 60,60"}},
    {UIE_MOUSEUP, 60, 60, true, false, "b", true, {"b bounds 60,60", "b up 60,60"}},
    {UIE_MOUSEDOWN, 15, 15, true, false, "", false, {"a bounds 15,15"}},
    {UIE_MOUSEMOVE, 115, 112, false, true, "", false, {"b bounds 115,112"}},
    {UIE_KEYDOWN, 500, 500, false, false, "b1", true, {"b key 65", "b1 key 65"}},
    {UIE_KEYUP, 15, 15, false, false, "a", true, {"b key 65", "b1 key 65", "a bounds 15,15",
                                                  "a key 65"}},
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
  delete top;
}

// (115, 112) on the screen reaches a grandchild at (10, 10) under (100, 100) as (15, 12); a child
// placed on the screen gets the point back in screen terms.
TEST(uiWidget, RoutingConvertsIntoEachChildsFrame) {
  LeakCheck leaks;
  Listener listener;
  uiWidget* top = make(nullptr, "top", "uiNonVisualWidget", 0, 0, 640, 480);
  uiWidget* grandchild = make(make(top, "child", "uiNonVisualWidget", 100, 100, 200, 200),
                              "grandchild", "uiInputHandler", 10, 10, 16, 13);
  uiWidget* framed = make(top, "framed", "uiNonVisualWidget", 20, 30, 300, 300);
  uiWidget* onScreen = make(framed, "onScreen", "uiInputHandler", 60, 70, 80, 90);
  uiWidget* inner = make(onScreen, "inner", "uiInputHandler", 5, 5, 10, 10);
  onScreen->setWidgetFlags(WF_ROOT_COORDS);
  top->setInputFocus(true, true);
  listener.listenTo({grandchild, onScreen, inner});
  top->inputEvent(UIE_MOUSEMOVE, 115, 112, 0, false, false);
  top->inputEvent(UIE_MOUSEMOVE, 67, 77, 0, false, false);
  EXPECT_EQ((Journal {"grandchild bounds 15,12", "onScreen bounds 67,77", "inner bounds 7,7"}),
            listener.calls);
  delete top;
}

TEST(uiWidget, GlobalFocusWidgetsHearWhatTheOwnerDeclines) {
  LeakCheck leaks;
  Listener listener;
  uiWidget* root = make(nullptr, "root", "uiNonVisualWidget", 0, 0, 400, 400);
  uiWidget* target = make(make(root, "panel", "uiNonVisualWidget", 100, 100, 300, 300), "target",
                          "uiInputHandler", 10, 10, 50, 50);
  uiWidget* owner = make(root, "owner", "uiInputHandler", 20, 20, 60, 60);
  uiWidget* ownerChild = make(owner, "ownerChild", "uiInputHandler", 0, 0, 500, 500);
  root->setInputFocus(true, true);
  listener.listenTo({target, owner, ownerChild});
  owner->addGlobalInputFocusWidget("ROOT.panel.target");
  owner->addGlobalInputFocusWidget("root.nowhere");
  {
    FailingMemory failing(1);
    owner->addGlobalInputFocusWidget("lost");
  }
  CaptureLog log;
  log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFroot.nowhere^c\f");
  log.expect("addGlobalInputFocusWidget(): unknown widget: ^CFFFF00root.nowhere^c\f");
  root->initialize();
  EXPECT_EQ(target, owner->globalFocusList->next->widget);
  EXPECT_EQ(nullptr, owner->globalFocusList->next->next);

  // The owner gets the point in its parent's frame; the target hears it in its own.
  EXPECT_FALSE(owner->inputEvent(UIE_MOUSEDOWN, 115, 115, 0, false, false));
  listener.handler = "ownerChild";
  EXPECT_TRUE(owner->inputEvent(UIE_MOUSEDOWN, 115, 115, 0, false, false));
  EXPECT_EQ((Journal {"ownerChild bounds 95,95", "ownerChild press 95,95", "target bounds 15,15",
                      "target press 15,15", "ownerChild bounds 95,95", "ownerChild press 95,95"}),
            listener.calls);
  delete root;
}

TEST(uiWidget, TraceFindsTheFirstMatchInPreOrder) {
  LeakCheck leaks;
  Journal journal;
  uiWidget* root = make(nullptr, "root", "uiNonVisualWidget", 0, 0, 400, 400);
  uiWidget* handler = make(root, "handler", "uiInputHandler", 100, 100, 200, 200);
  uiWidget* probe = make(handler, "probe", "probe", 10, 10, 50, 50, &journal);
  uiWidget* placed = make(handler, "placed", "uiInputHandler", 300, 300, 310, 310);
  placed->setWidgetFlags(WF_ROOT_COORDS);
  struct Case {
    int x, y;
    const char* type;
    uiWidget* hit;
    std::string hitAt;
  };
  const Case cases[] = {
    {115, 115, nullptr, root, "115,115"},         {115, 115, "uiInputHandler", handler, "115,115"},
    {115, 115, "PROBE", probe, "15,15"},          {5, 5, "uiInputHandler", nullptr, ""},
    {305, 305, "uiInputHandler", placed, "305,305"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(at(c.x, c.y));
    _uiTrace_s* hit = root->trace(7, c.x, c.y, c.type);
    EXPECT_EQ(c.hit, hit ? hit->widget : nullptr);
    EXPECT_EQ(c.hitAt, hit ? at(hit->x, hit->y) : "");
    if (hit)
      g_MemoryPtr->free(9, hit);
  }
  // When the record cannot be made the search reports no hit rather than a deeper widget.
  FailingMemory failing(1);
  EXPECT_EQ(nullptr, root->trace(0, 115, 115, nullptr));
  delete root;
}

TEST(uiWidget, PlayWithPanMeasuresAgainstTheChosenWidth) {
  RecordingGfx gfx;  // 800 pixels wide
  RecordingSound sound;
  LeakCheck leaks;
  uiWidget* parent = make(nullptr, "parent", "uiNonVisualWidget", 100, 0, 500, 10);
  uiWidget* widget = make(parent, "w", "uiNonVisualWidget");
  struct Case {
    int x, x2;
    unsigned int mode;
    int value;
    float pan;
  };
  const Case cases[] = {
    {0, 100, 0, 0, -0.7875f},                     {1, 4, 0, 0, 2.0f / 800 * 1.8f - 0.9f},
    {400, 500, WP_LEFT, 0, 0.0f},                 {700, 900, WP_RIGHT, 0, 0.9f},
    {0, 800, WP_LEFT | WP_RIGHT, 0, -0.9f},       {0, 10, WP_POSITION | WP_WIDTH, 50, 0.9f},
    {0, 100, WP_PARENT | WP_POSITION, 100, -0.45f}, {0, 100, WP_WIDTH, 100, 0.0f},
    {0, 100, WP_WIDTH, 0, 0.0f},  // no width to measure against: centred
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    widget->x = c.x, widget->x2 = c.x2;
    ASSERT_NE(nullptr, widget->_playWithPan("click", c.mode, 1.5f, c.value));
    EXPECT_EQ("click", sound.played.back().name);
    EXPECT_NEAR(c.pan, sound.played.back().pan, 1e-5);
    EXPECT_FLOAT_EQ(1.5f, sound.played.back().frequencyScale);
  }
  CaptureLog log;
  log.expect("_playWithPan( WP_WORLD ): Not Implemented\f ");
  widget->x = 0, widget->x2 = 800;
  widget->_playWithPan("click", WP_WORLD | WP_WIDTH, 1.0f, 100);
  EXPECT_NEAR(0.0f, sound.played.back().pan, 1e-5);
  EXPECT_EQ(10u, sound.played.size());
  delete parent;
}
