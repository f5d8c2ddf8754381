#include "uianimwidget.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An animated panel at (10, 20), 50 x 30, with one sprite child, as the top-level widget of a UI
// manager, so that each frame runs the whole frame loop. Sprite 1 is an 8 x 4 mask. Any message
// logged fails the test.
struct Stage : WidgetStage {
  explicit Stage(const std::string& keys, const char* flags = "WF_ACTIVE | WF_VISIBLE") {
    gfx.defineSprite("mask", 8, 4);
    gfx.defineSprite("dot", 2, 2);
    panel = static_cast<uiAnimWidget*>(uiAnimWidget::s_allocator());
    applyKeys(*panel, "x = 10\ny = 20\nwidth = 50\nheight = 30\nchild dot = uiVisualWidget\n{\n"
                      "sprite = dot\n}\n" + keys + "\nflags = " + flags + "\n");
    dot = static_cast<uiVisualWidget*>(panel->getChildWidget("dot", 0));
    ui.setTopLevelWidget(panel);
  }
  ~Stage() {
    delete panel;
    uiWidget::s_iDeltaTime = 0;
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

  std::string status() const {
    return std::to_string(panel->getState()) + "/" + std::to_string(panel->getLastState()) +
           (panel->getVisible() ? " visible" : "") + (panel->setActive() ? " active" : "") +
           (panel->getInputFocus() ? " focus" : "");
  }

  uiAnimWidget* panel = nullptr;
  uiVisualWidget* dot = nullptr;
};

}  // namespace

TEST(uiAnimWidget, BezierPositionsForTheControlPoints) {
  struct Case {
    const char* controls;
    const char* loc;
    std::vector<int> xs, ys;  // after each frame of 250 ms over 1000 ms
  } cases[] = {
      {"0 1", "1010 20", {10, 166, 510, 1010}, {20, 20, 20, 20}},  // slow, fast, slow
      {"0.3333333 0.6666667", "1011 20", {10, 260, 510, 1011}, {20, 20, 20, 20}},  // even
      {"0 0", "1010 20", {10, 25, 135, 1010}, {20, 20, 20, 20}},  // slow start
      {"1 1", "1010 20", {10, 588, 885, 1010}, {20, 20, 20, 20}},  // fast start
      {"0.3333333 0.6666667", "10 -981", {10, 10, 10, 10}, {20, -230, -480, -981}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.controls) + " to " + c.loc);
    Stage stage(std::string("AnimIn style = BezierLerp\nAnimIn Time = 1000\nAnimIn Loc = ") + c.loc +
                "\nAnimIn BezierControls = " + c.controls);
    stage.panel->enter();
    for (size_t i = 0; i < c.xs.size(); ++i) {
      stage.frame();
      EXPECT_EQ(stage.panel->x, c.xs[i]) << "frame " << i;
      EXPECT_EQ(stage.panel->y, c.ys[i]) << "frame " << i;
      EXPECT_EQ(stage.panel->getWidth() * 100 + stage.panel->getHeight(), 5030);
    }
    EXPECT_EQ(stage.status(), "1/2 visible active");
  }
}

TEST(uiAnimWidget, EachStyleOnItsSecondFrameAndAtTheEnd) {
  struct Case {
    const char* style;
    int x, dotAlpha, maskAlpha;  // after 250 of 1000 ms; mask alpha 0 draws no mask
    const char* status;
  } cases[] = {
      {"Trivial", 10, 255, 0, "2/1 visible active"},
      {"BezierLerp", 25, 255, 0, "2/1 visible active"},
      {"AlphaFade", 10, 100, 0, "2/1 visible active"},
      {"SpriteMask", 10, 255, 50, "2/1 visible active"},
      {"Hidden", 10, 255, 0, "2/1 active"},  // kept active, so that it still finishes
      {"AlphaFadeWithBezierLerp", 25, 100, 0, "2/1 visible active"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    Stage stage(std::string("AnimIn style = ") + c.style +
                "\nAnimIn Time = 1000\nAnimIn Loc = 72 82\nAnimIn BezierControls = 0.3333333 0.6666667\n"
                "AnimIn AlphaTarget = 200\nAnimIn sprite = mask\nAnimIn SpriteVertCount = 1\n"
                "AnimIn SpriteHorzCount = 1\n");
    stage.panel->enter();
    stage.frame();
    std::vector<std::string> masks = stage.frame();
    EXPECT_EQ(stage.panel->x, c.x);
    EXPECT_EQ(stage.dot->getAlpha(), c.dotAlpha);
    EXPECT_EQ(masks, c.maskAlpha ? std::vector<std::string> {"blt depth=0 sprite=1 x=10 y=20 anim=0 "
                                                             "frame=0 alpha=50"}
                                 : std::vector<std::string> {});
    EXPECT_EQ(stage.status(), c.status);
    stage.frame();
    stage.frame();
    EXPECT_EQ(stage.panel->getState(), uiAnimWidget::STATE_IDLE);
    EXPECT_EQ(std::vector<int>({stage.panel->x, stage.panel->y, stage.panel->x2, stage.panel->y2}),
              std::vector<int>({72, 82, 122, 112}));
  }
}

TEST(uiAnimWidget, StateMachineCatchesUpOneFrameLate) {
  Stage stage("AnimIn style = Trivial\nAnimIn Time = 500\nAnimIn sound = whoosh\n"
              "AnimOut style = Trivial\nAnimOut Time = 500\nAnimOut sound = swish\n",
              "WF_ACTIVE | WF_VISIBLE | WF_INPUT_FOCUS");
  std::vector<std::string> rows {stage.status()};
  auto after = [&](void (uiAnimWidget::*operation)(), int frames) {
    (stage.panel->*operation)();
    rows.push_back(stage.status());
    for (int i = 0; i < frames; ++i) {
      stage.frame();
      rows.push_back(stage.status());
    }
  };
  after(&uiAnimWidget::idle, 1);
  after(&uiAnimWidget::enter, 3);
  after(&uiAnimWidget::exit, 3);
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "1/0 visible active focus", "1/0 visible active focus",
                      "1/1 visible active focus",  // a new widget is idle, as loaded
                      "2/1 visible active", "2/1 visible active", "1/2 visible active",
                      "1/1 visible active",  // in: 500 ms, then one frame to catch up
                      "3/1 visible active", "3/1 visible active", "0/3", "0/3",  // out
                  }));
  ASSERT_EQ(stage.sound.played.size(), 2u);
  EXPECT_EQ(stage.sound.played[0].name + stage.sound.played[1].name, "whooshswish");

  stage.panel->animIn = _AnimData_s {};
  stage.panel->animOut = _AnimData_s {};
  stage.panel->enter();
  EXPECT_EQ(stage.status(), "1/0") << "no style: idle at once, states and place kept";
  stage.panel->exit();
  EXPECT_EQ(stage.status(), "0/1");

  stage.panel->animIn.style = ANIM_ALPHA_FADE_WITH_BEZIER_LERP;
  stage.panel->animIn.locX = 70;
  stage.panel->enter();
  stage.frame();
  EXPECT_EQ(stage.status(), "1/2 visible active") << "time 0 ends in the first frame";
  EXPECT_EQ(stage.panel->x, 70);
}

TEST(uiAnimWidget, MasksFadeAndTheOutMaskIsDrawnOnceMoreAfterTheEnd) {
  Stage stage("AnimIn style = SpriteMask\nAnimIn Time = 1000\nAnimIn Loc = 10 20\nAnimIn sprite = mask\n"
              "AnimIn spritedepth = 7\nAnimIn AlphaStart = 255\nAnimIn SpriteVertCount = 3\n"
              "AnimIn SpriteHorzCount = 4\nAnimOut style = SpriteMask\nAnimOut Time = 500\n"
              "AnimOut Loc = 10 20\nAnimOut sprite = mask\nAnimOut AlphaTarget = 300\n"
              "AnimOut SpriteVertCount = 1\nAnimOut SpriteHorzCount = 1\n");
  stage.panel->enter();
  std::vector<std::string> first = stage.frame();
  ASSERT_EQ(first.size(), 12u);
  EXPECT_EQ(first[5], "blt depth=7 sprite=1 x=18 y=24 anim=0 frame=0 alpha=255");
  EXPECT_EQ(first[11], "blt depth=7 sprite=1 x=34 y=28 anim=0 frame=0 alpha=255");
  EXPECT_EQ(stage.frame()[0], "blt depth=7 sprite=1 x=10 y=20 anim=0 frame=0 alpha=191");
  stage.frame();
  EXPECT_TRUE(stage.frame().empty()) << "the mask has reached 0";

  stage.panel->exit();
  EXPECT_TRUE(stage.frame().empty());
  EXPECT_EQ(stage.frame(), std::vector<std::string> {"blt depth=0 sprite=1 x=10 y=20 anim=0 "
                                                     "frame=0 alpha=255"})
      << "the end draws the out mask at its target, held at 255, and hides the widget";
  EXPECT_EQ(stage.status(), "0/3");
  stage.panel->animOut.maskAlpha = 9;
  stage.panel->hide();
  EXPECT_EQ(stage.panel->animOut.maskAlpha, 255);
}

TEST(uiAnimWidget, RecordKeysAndTheirMessages) {
  WidgetStage stage;
  CaptureLog& log = stage.log;
  RecordingGfx& gfx = stage.gfx;
  gfx.defineSprite("mask", 8, 4);
  gfx.defineSprite("other", 8, 4);
  auto* panel = static_cast<uiAnimWidget*>(uiWidget::allocWidget("panel", "uiAnimWidget"));
  const std::string longSound(140, 's');
  applyKeys(*panel, "animin STYLE = bezierlerp\nAnimIn time = 250\nAnimIn BezierControls = 0.25 0.75\n"
                    "AnimIn Loc = -5 6\nAnimIn AlphaStart = 10\nAnimIn AlphaTarget = 20\n"
                    "AnimIn sprite = other\nAnimIn sprite = mask\nAnimIn spritedepth = 17\n"
                    "AnimIn SpriteVertCount = 2\nAnimIn SpriteHorzCount = 3\nAnimIn sound = " +
                        longSound + "\nANIMOUT style = SpriteMask\n");
  const _AnimData_s& in = panel->animIn;
  EXPECT_EQ(std::vector<int>({in.style, static_cast<int>(in.time), in.locX, in.locY, in.alphaStart,
                              in.alphaTarget, in.spriteDepth, in.rows, in.columns}),
            std::vector<int>({ANIM_BEZIER_LERP, 250, -5, 6, 10, 20, 17, 2, 3}));
  EXPECT_EQ(in.control1 * 4 + in.control2 * 4, 4.0f);
  EXPECT_EQ(in.sprite, gfx.spriteId("mask"));
  EXPECT_EQ(gfx.spriteUses("other"), 0) << "a second sprite line gives the first back";
  EXPECT_EQ(std::string(in.sound), longSound.substr(0, 127));
  EXPECT_EQ(panel->animOut.style, ANIM_SPRITE_MASK);

  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"AnimIn style = Bounce", "...anim style type \"^C00FF00Bounce^c\" unknown\f"},
      {"AnimIn style Bounce", "...expected: \"^C00FF00style = \"val\"^c\"\f"},
      {"AnimIn Time = soon", "...expected: \"^C00FF00Time = unsigned integer^c\"\f"},
      {"AnimIn sprite", "...expected: \"^C00FF00sprite = val^c\"\f"},
      {"AnimIn spritedepth =", "...expected: \"^C00FF00spritedepth = val^c\"\f"},
      {"AnimIn sound", "...expected: \"^C00FF00sound = val^c\"\f"},
      {"AnimOut Bounce = 1", "...unknown command for anim: \"^C00FF00Bounce^c\"\f"},
      {"AnimOut", "...unknown command for anim: \"^C00FF00^c\"\f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    log.expect(c.message);
    applyKeys(*panel, c.line);
    log.check();
  }
  EXPECT_EQ(in.style, ANIM_BEZIER_LERP);
  EXPECT_EQ(in.time, 250u);
  panel->setAnimSound(true, "bye");
  EXPECT_STREQ(panel->animOut.sound, "bye");
  delete panel;
  EXPECT_EQ(gfx.spriteUses("mask"), 0);
}
