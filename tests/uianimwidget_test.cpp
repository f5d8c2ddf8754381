#include "uianimwidget.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An animated panel at (10, 20), 50 x 30, with one sprite child, as the top-level widget of a UI
// manager, so that each frame runs the whole frame loop. Sprite 1 is an 8 x 4 mask.
struct Stage : WidgetStage {
  explicit Stage(const std::string& keys, const char* flags = "WF_ACTIVE | WF_VISIBLE") {
    gfx.defineSprite("mask", 8, 4);
    gfx.defineSprite("dot", 2, 2);
    panel.reset(uiAnimWidget::s_allocator());
    applyKeys(*panel, "x = 10\ny = 20\nwidth = 50\nheight = 30\nchild dot = uiVisualWidget\n{\n"
                      "sprite = dot\n}\n" + keys + "\nflags = " + flags + "\n");
    ui.setTopLevelWidget(panel.get());
  }
  ~Stage() { uiWidget::s_iDeltaTime = 0; }

  uiAnimWidget& anim() { return *static_cast<uiAnimWidget*>(panel.get()); }
  int dotAlpha() {
    return static_cast<uiVisualWidget*>(panel->getChildWidget("dot", 0))->getAlpha();
  }

  // One frame of 250 ms; returns the masks drawn.
  std::vector<std::string> frame() {
    gfx.clearCalls();
    ui.render(250);
    std::vector<std::string> masks;
    for (const std::string& call : gfx.callsOf("blt"))
      if (call.find("sprite=1 ") != std::string::npos)
        masks.push_back(call);
    return masks;
  }

  std::string status() {
    return std::to_string(anim().getState()) + "/" + std::to_string(anim().getLastState()) +
           (panel->getVisible() ? " visible" : "") + (panel->setActive() ? " active" : "") +
           (panel->getInputFocus() ? " focus" : "");
  }

  Tree panel;
};

}  // namespace

// On the second frame, 250 of 1000 ms in, and at the end, where every style rests at its loc.
TEST(uiAnimWidget, EachStyleOnItsSecondFrameAndAtTheEnd) {
  // x, the child's alpha, the mask drawn, the state. The curve starts fast: a quarter of the way
  // in, x is past the straight line's 25. A Hidden widget is kept active, so that it finishes.
  const std::pair<const char*, const char*> cases[] = {
      {"BezierLerp", "45 255 - 2/1 visible active"},
      {"AlphaFade", "10 100 - 2/1 visible active"},
      {"SpriteMask", "10 255 alpha=50 2/1 visible active"},
      {"Hidden", "10 255 - 2/1 active"},
      {"AlphaFadeWithBezierLerp", "45 100 - 2/1 visible active"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    Stage stage(std::string("AnimIn style = ") + c.first +
                "\nAnimIn Time = 1000\nAnimIn Loc = 72 82\nAnimIn AlphaTarget = 200\n"
                "AnimIn BezierControls = 1 1\nAnimIn sprite = mask\n"
                "AnimIn SpriteVertCount = 1\nAnimIn SpriteHorzCount = 1\n");
    stage.anim().enter();
    stage.frame();
    std::vector<std::string> masks = stage.frame();
    EXPECT_EQ(std::to_string(stage.panel->x) + " " + std::to_string(stage.dotAlpha()) + " " +
                  (masks.empty() ? "-" : masks.at(0).substr(masks.at(0).find("alpha="))) + " " +
                  stage.status(),
              c.second);
    stage.frame();
    stage.frame();
    EXPECT_EQ(stage.anim().getState(), uiAnimWidget::STATE_IDLE);
    EXPECT_EQ(std::vector<int>({stage.panel->x, stage.panel->y, stage.panel->x2, stage.panel->y2}),
              std::vector<int>({72, 82, 122, 112}));
  }
}

// In: 500 ms, then one frame to catch up; out: 500 ms. A record with time 0 ends in its first
// frame instead of dividing by zero.
TEST(uiAnimWidget, StateMachineCatchesUpOneFrameLate) {
  Stage stage("AnimIn style = Trivial\nAnimIn Time = 500\nAnimIn sound = whoosh\n"
              "AnimOut style = Trivial\nAnimOut Time = 500\nAnimOut sound = swish\n",
              "WF_ACTIVE | WF_VISIBLE | WF_INPUT_FOCUS");
  std::vector<std::string> rows {stage.status()};
  for (auto operation : {&uiAnimWidget::enter, &uiAnimWidget::exit}) {
    (stage.anim().*operation)();
    for (int i = 0; i < 3; ++i) {
      stage.frame();
      rows.push_back(stage.status());
    }
  }
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "1/0 visible active focus",  // a new widget is idle, as loaded
                      "2/1 visible active", "1/2 visible active", "1/1 visible active",
                      "3/1 visible active", "0/3", "0/3"}));
  ASSERT_EQ(stage.sound.played.size(), 2u);
  EXPECT_EQ(stage.sound.played[0].name + stage.sound.played[1].name, "whooshswish");
  stage.anim().animIn = _AnimData_s {};
  stage.anim().animIn.style = ANIM_ALPHA_FADE_WITH_BEZIER_LERP;
  stage.anim().animIn.locX = 70;
  stage.anim().enter();
  stage.frame();
  EXPECT_EQ(stage.status(), "1/2 visible active");
  EXPECT_EQ(stage.panel->x, 70);
}

// The mask grid covers the widget; the out mask is drawn once more at its target, held at 255.
TEST(uiAnimWidget, MasksFadeAndTheOutMaskIsDrawnOnceMoreAfterTheEnd) {
  Stage stage("AnimIn style = SpriteMask\nAnimIn Time = 1000\nAnimIn Loc = 10 20\n"
              "AnimIn sprite = mask\nAnimIn spritedepth = 7\nAnimIn AlphaStart = 255\n"
              "AnimIn SpriteVertCount = 3\nAnimIn SpriteHorzCount = 4\n"
              "AnimOut style = SpriteMask\nAnimOut Time = 500\nAnimOut Loc = 10 20\n"
              "AnimOut sprite = mask\nAnimOut AlphaTarget = 300\nAnimOut SpriteVertCount = 1\n"
              "AnimOut SpriteHorzCount = 1\n");
  stage.anim().enter();
  std::vector<std::string> first = stage.frame();
  ASSERT_EQ(first.size(), 12u);
  EXPECT_EQ(first[11], "blt depth=7 sprite=1 x=34 y=28 anim=0 frame=0 alpha=255");
  EXPECT_EQ(stage.frame()[0], "blt depth=7 sprite=1 x=10 y=20 anim=0 frame=0 alpha=191");
  stage.frame();
  stage.frame();
  stage.anim().exit();
  stage.frame();
  EXPECT_EQ(stage.frame(), std::vector<std::string> {"blt depth=0 sprite=1 x=10 y=20 anim=0 "
                                                     "frame=0 alpha=255"});
  EXPECT_EQ(stage.status(), "0/3");
}

TEST(uiAnimWidget, RecordKeysAndTheirMessages) {
  WidgetStage stage;
  stage.gfx.defineSprite("mask", 8, 4);
  stage.gfx.defineSprite("other", 8, 4);
  Tree widget(uiWidget::allocWidget("panel", "uiAnimWidget"));
  auto& panel = *static_cast<uiAnimWidget*>(widget.get());
  applyKeys(panel, "animin STYLE = bezierlerp\nAnimIn time = 250\nAnimIn sprite = other\n"
                   "AnimIn sprite = mask\nAnimIn sound = " + std::string(140, 's') + "\n");
  const _AnimData_s& in = panel.animIn;
  EXPECT_EQ(in.sprite, stage.gfx.spriteId("mask"));
  EXPECT_EQ(stage.gfx.spriteUses("other"), 0) << "a second sprite line gives the first back";
  EXPECT_EQ(std::string(in.sound), std::string(127, 's'));
  struct Case { const char* line; const char* message; } cases[] = {
      {"AnimIn style = Bounce", "...anim style type \"^C00FF00Bounce^c\" unknown\f"},
      {"AnimIn Time = soon", "...expected: \"^C00FF00Time = unsigned integer^c\"\f"},
      {"AnimIn sprite", "...expected: \"^C00FF00sprite = val^c\"\f"},
      {"AnimIn sound", "...expected: \"^C00FF00sound = val^c\"\f"},
      {"AnimOut Bounce = 1", "...unknown command for anim: \"^C00FF00Bounce^c\"\f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    stage.log.expect(c.message);
    applyKeys(panel, c.line);
    stage.log.check();
  }
  EXPECT_EQ(in.style + in.time, ANIM_BEZIER_LERP + 250u);
  widget.reset();
  EXPECT_EQ(stage.gfx.spriteUses("mask"), 0);
}
