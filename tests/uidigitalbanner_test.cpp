#include "uidigitalbanner.h"

#include "testmemory.h"
#include "widgettest.h"

#include "udlogger.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

namespace {

const char* const kSyntaxStart =
    "Digital Banner message could not be added: Invalid Syntax ('^P').\f";
const char* const kSyntaxEnd =
    "Digital Banner message could not be added: Invalid Syntax ('^p').\f";
const char* const kSyntaxBar = "Digital Banner message could not be added: Invalid Syntax ('|').\f";
const char* const kSyntaxSemicolon =
    "Digital Banner message could not be added: Invalid Syntax (';').\f";
const char* const kTooWide =
    "Digital Banner message could not be added: Message Length Exceeds Banner Width.\f";
const char* const kOutOfMemory = "Digital Banner could not add message: Out of memory.\f";

// A ten-character text: 100 pixels with the test font, so it rests at x = 150 in a 400-pixel
// banner.
const char* const kTenChars = "ABCDEFGHIJ";

struct Draw {
  int x, y, maxHeight, alpha;
  std::string text;
  std::array<int, 4> seen() const { return {x, y, maxHeight, alpha}; }
};

// Keeps the banner's drawing as values next to the recorded call lines; what it keeps is not
// counted as the frame's allocation.
class BannerGfx : public RecordingGfx {
public:
  using RecordingGfx::print;
  void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, const char* text) override {
    GlobalNewPause notTheBanners;
    draws.push_back({x, y, maxHeight, alpha, text});
    RecordingGfx::print(depth, font, set, justify, x, y, maxHeight, alpha, text);
  }
  std::vector<Draw> draws;
};

class TestBanner : public uiDigitalBanner {
public:
  using uiDigitalBanner::_parseParams;
  using uiDigitalBanner::_removeAllMessages;
};

// A 400 x 40 banner with a font of 10-pixel characters, 16 pixels high.
struct Ticker {
  Ticker() {
    gfx.defineFont("ticker.fnt", 10, 16);
    banner.width = 400;
    banner.height = 40;
    EXPECT_TRUE(banner.setFont("ticker.fnt"));
    banner.maxMessages = 4;
    banner.setVisible(true, false);
  }
  ~Ticker() { EXPECT_EQ(gfx.failures, std::vector<std::string>()); }
  // One frame of the given length; returns what it drew.
  std::vector<Draw> frame(unsigned int ms) {
    uiWidget::s_iDeltaTime = ms;
    gfx.draws.clear();
    banner.render(0, 0);
    return gfx.draws;
  }
  uiDigitalBanner::dbMessagePiece_t& piece(unsigned int index = 0) {
    return banner.firstMessage->pieces[index];
  }
  std::vector<unsigned int> priorities() const {
    std::vector<unsigned int> result;
    for (auto* message = banner.firstMessage; message; message = message->next)
      result.push_back(message->priority);
    return result;
  }
  BannerGfx gfx;
  TestBanner banner;
};

std::string markup(const std::string& in, const std::string& text, int hold,
                   const std::string& out) {
  return "^P|" + in + "|" + text + ";" + std::to_string(hold) + "|" + out + "|^p";
}

}  // namespace

TEST(uiDigitalBanner, DefinitionKeysSetUpTheBanner) {
  CaptureLog log;
  log.expect("...expected: \"^C00FF00font = \"val\"^c\"\f");
  log.expect("...failed to create font: nofont.fnt for ticker\f");
  BannerGfx gfx;
  gfx.defineFont("big.fnt", 12, 20);
  uiDigitalBanner banner;
  uiCopyName(banner.name, "ticker", sizeof banner.name);
  applyKeys(banner, "width = 320\nmaxmessages = 3\nfont\nfont = nofont.fnt\nFONT = big.fnt\n"
                    "height = 24\nx = 5\n");
  EXPECT_EQ(std::vector<int>({banner.width, static_cast<int>(banner.maxMessages),
                              banner.charWidths['A'], banner.fontHeight, banner.height, banner.x}),
            std::vector<int>({320, 3, 12, 20, 24, 5}));
  EXPECT_EQ(banner.x2, 0);  // the banner's width key does not touch the rectangle
}

TEST(uiDigitalBanner, BadMarkupIsRefusedWithItsSyntaxMessage) {
  const std::string good = markup("ON;0;5", "A", 0, "OFF;0;5");
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
    {"HELLO", kSyntaxStart},
    {"x" + good, kSyntaxStart},
    {good + " " + good, kSyntaxStart},
    {"^P|ON;0;5|A^P;0|OFF;0;5|^p", kSyntaxStart},
    {"^P|ON;0;5|A;0|OFF;0;5|", kSyntaxEnd},
    {"^p" + good, kSyntaxEnd},
    {"^P|ON;0;5|A;0|OFF;0;5|x^p", kSyntaxEnd},
    {"^PON;0;5|A;0|OFF;0;5|^p", kSyntaxBar},
    {"^P|ON;0;5^p", kSyntaxBar},
    {"^P|ON;0;x|A;0|OFF;0;5|^p", kSyntaxBar},
    {"^P|ON;0;5|A;soon|OFF;0;5|^p", kSyntaxBar},
    {"^P|ON;0;5|A;0^p", kSyntaxBar},
    {"^P|ON;0;5|A;0|OFF;0;5^p", kSyntaxBar},
    {"^P|ON;0;5|A;0|OFF;0;z|^p", kSyntaxBar},
    {"^P|ON^p", kSyntaxSemicolon},
    {"^P|FLASH;x;0;5|A;0|OFF;0;5|^p", kSyntaxSemicolon},
    {"^P|ON;x;5|A;0|OFF;0;5|^p", kSyntaxSemicolon},
    {"^P|ON;0;5|A^p", kSyntaxSemicolon},
    {"^P|ON;0;5|A;0|OFF;y;5|^p", kSyntaxSemicolon},
    {"^P|ON;0;5|A;0|FLASH;0;5|^p", kSyntaxSemicolon},
    {"^P|on;0;500|X;0|OFF;0;500|^p",
     "Digital Banner message could not be added: Invalid Piece Action ('on').\f"},
    {"^P|ON;0;5|A;0|SIDEWAYS;0;5|^p",
     "Digital Banner message could not be added: Invalid Piece Action ('SIDEWAYS').\f"},
    {"^P|" + std::string(32, 'O') + ";0;5|A;0|OFF;0;5|^p",
     "Digital Banner message could not be added: Invalid Piece Action ('" + std::string(32, 'O') +
         "').\f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CaptureLog log;
    log.expect(c.message);
    Ticker ticker;
    ticker.banner.print(0u, "%s", c.text.c_str());
    EXPECT_TRUE(ticker.banner.isEmpty());
    EXPECT_EQ(ticker.banner.messageCount, 0);
  }
}

// Each piece as "in: action flashes delay duration | text hold | out: ...".
TEST(uiDigitalBanner, PiecesAreReadFromTheMarkup) {
  auto action = [](const uiDigitalBanner::dbPieceAction_t& a) {
    return std::to_string(a.action) + " " + std::to_string(a.flashes) + " " +
           std::to_string(a.delay) + " " + std::to_string(a.duration);
  };
  struct Case {
    const char* markup;
    std::vector<std::string> pieces;
    int width;
  } cases[] = {
      {"^P|FLASH;3;0;900|GO;-1|LEFT;0;400|^p", {"2 3 0 900 | GO -1 | 3 0 0 400"}, 20},
      // "%i" numbers: octal after a leading 0, hexadecimal after 0x, signed.
      {"^P|ON;010;0x10|A;-0x1|FLASH;2;-5;07|^p", {"0 0 8 16 | A -1 | 2 2 -5 7"}, 10},
      // Pieces back to back; text after the last one is ignored.
      {"^P|ON;0;1|AB;0|OFF;0;1|^p^P|UP;2;3|CDE;4|DOWN;5;6|^p and more",
       {"0 0 0 1 | AB 0 | 1 0 0 1", "5 0 2 3 | CDE 4 | 6 0 5 6"}, 50},
  };
  CaptureLog log;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.markup);
    Ticker ticker;
    ticker.banner.print(0u, "%s", c.markup);
    ASSERT_FALSE(ticker.banner.isEmpty());
    std::vector<std::string> pieces;
    for (unsigned int i = 0; i < ticker.banner.firstMessage->pieceCount; ++i) {
      const auto& piece = ticker.piece(i);
      pieces.push_back(action(piece.in) + " | " + piece.text + " " + std::to_string(piece.hold) +
                       " | " + action(piece.out));
    }
    EXPECT_EQ(pieces, c.pieces);
    EXPECT_EQ(ticker.banner.firstMessage->width, c.width);
  }
}

TEST(uiDigitalBanner, PrintFormatsOnceOnly) {
  CaptureLog log;
  Ticker ticker;
  ticker.banner.print(0u, "^P|ON;0;%d|%s;0|OFF;0;0|^p", 250, "LAP");
  EXPECT_EQ(ticker.piece().in.duration, 250);
  EXPECT_STREQ(ticker.piece().text, "LAP");
  ticker.banner._removeAllMessages();

  // The short form formats once and takes the result literally.
  ticker.banner.print("%s", "^P|ON;0;0|5%d;0|OFF;0;0|^p");
  EXPECT_STREQ(ticker.piece().text, "5%d");
  EXPECT_EQ(ticker.banner.firstMessage->priority, 0u);
  ticker.banner._removeAllMessages();

  // An empty text is dropped without a message.
  ticker.banner.print(0u, "%s", "");
  ticker.banner.print(nullptr);
  EXPECT_TRUE(ticker.banner.isEmpty());
}

TEST(uiDigitalBanner, TheListIsOrderedByPriorityAndBounded) {
  CaptureLog log;
  Ticker ticker;
  TestBanner& banner = ticker.banner;
  const std::string piece = markup("ON;0;0", "A", 0, "OFF;0;0");
  banner.maxMessages = 2;
  banner.print(7u, "%s", piece.c_str());
  banner.print(5u, "%s", piece.c_str());
  EXPECT_EQ(ticker.priorities(), (std::vector<unsigned int> {5, 7}));

  banner.print(6u, "%s", piece.c_str());  // evicts the 7
  EXPECT_EQ(ticker.priorities(), (std::vector<unsigned int> {5, 6}));
  banner.print(6u, "%s", piece.c_str());
  banner.print(9u, "%s", piece.c_str());
  EXPECT_EQ(ticker.priorities(), (std::vector<unsigned int> {5, 6}));
  EXPECT_EQ(banner.messageCount, 2);

  // Equal priorities keep the order they were queued in.
  banner._removeAllMessages();
  banner.maxMessages = 3;
  for (const char* text : {"X", "Y", "Z"})
    banner.print(2u, "%s", markup("ON;0;0", text, 0, "OFF;0;0").c_str());
  std::string order;
  for (auto* message = banner.firstMessage; message; message = message->next)
    order += message->pieces[0].text;
  EXPECT_EQ(order, "XYZ");

  // A limit lowered under the count: the new message evicts as many as it must.
  banner.maxMessages = 1;
  banner.print(1u, "%s", piece.c_str());
  EXPECT_EQ(ticker.priorities(), (std::vector<unsigned int> {1}));

  banner._removeAllMessages();
  banner.maxMessages = 0;
  banner.print(0u, "%s", piece.c_str());
  EXPECT_TRUE(banner.isEmpty());
}

TEST(uiDigitalBanner, AnEvictedMessageStaysEvictedWhenTheNewOneFails) {
  CaptureLog log;
  log.expect(kSyntaxStart);
  Ticker ticker;
  ticker.banner.maxMessages = 1;
  ticker.banner.print(5u, "%s", markup("ON;0;0", "A", 0, "OFF;0;0").c_str());
  ticker.banner.print(3u, "broken");
  EXPECT_TRUE(ticker.banner.isEmpty());
}

TEST(uiDigitalBanner, MessagesWiderThanTheBannerAreRefused) {
  CaptureLog log;
  log.expect(kTooWide);
  Ticker ticker;
  ticker.banner.width = 50;
  ticker.banner.print(0u, "^P|ON;0;0|AB;0|OFF;0;0|^p^P|ON;0;0|CDE;0|OFF;0;0|^p");
  EXPECT_EQ(ticker.banner.messageCount, 1);
  ticker.banner.print(0u, "^P|ON;0;0|ABC;0|OFF;0;0|^p^P|ON;0;0|DEF;0|OFF;0;0|^p");
  EXPECT_EQ(ticker.banner.messageCount, 1);
}

TEST(uiDigitalBanner, MessagesAreCentredInTheBanner) {
  CaptureLog log;
  struct Case {
    int bannerWidth;
    int expectedX;
  } cases[] = {{301, 101}, {300, 100}, {100, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bannerWidth);
    Ticker ticker;
    ticker.banner.width = c.bannerWidth;
    ticker.banner.x = 7;
    ticker.banner.y = 3;
    ticker.banner.print(0u, "%s", markup("ON;0;0", kTenChars, 0, "OFF;0;0").c_str());
    uiWidget::s_iDeltaTime = 0;
    ticker.banner.render(20, 10);
    ASSERT_EQ(ticker.gfx.draws.size(), 1u);
    EXPECT_EQ(ticker.gfx.draws[0].x, 20 + 7 + c.expectedX);
    EXPECT_EQ(ticker.gfx.draws[0].y, 10 + 3);
    EXPECT_EQ(ticker.gfx.draws[0].text, kTenChars);
  }
  // A banner narrowed after the message was queued shows it from its left edge.
  Ticker narrowed;
  narrowed.banner.print(0u, "%s", markup("ON;0;0", kTenChars, 0, "OFF;0;0").c_str());
  narrowed.banner.width = 50;
  EXPECT_EQ(narrowed.frame(0).at(0).x, 0);
}

// Each row: an action and what is drawn (x, y, visible height, alpha) when the phase's clock
// reads 0, 250, 500 and 1000 ms.
using Seen = std::array<int, 4>;
struct ActionCase {
  const char* action;
  std::array<Seen, 4> expected;
};

// Runs five frames of 250 ms from the start of a phase and keeps the draws at 0, 250, 500, 1000.
std::array<Seen, 4> playPhase(Ticker& ticker) {
  std::vector<Seen> seen;
  for (int frame = 0; frame < 5; ++frame) {
    std::vector<Draw> drawn = ticker.frame(250);
    EXPECT_EQ(drawn.size(), 1u);
    seen.push_back(drawn.empty() ? Seen {} : drawn[0].seen());
  }
  return {seen[0], seen[1], seen[2], seen[4]};
}

TEST(uiDigitalBanner, PiecesEnterAsTheirActionSays) {
  CaptureLog log;
  const ActionCase cases[] = {
    {"ON;0;1000", {{{150, 0, 16, 0}, {150, 0, 16, 63}, {150, 0, 16, 127}, {150, 0, 16, 255}}}},
    {"OFF;0;1000", {{{150, 0, 16, 0}, {150, 0, 16, 63}, {150, 0, 16, 127}, {150, 0, 16, 255}}}},
    {"FLASH;1;0;1000", {{{150, 0, 16, 0}, {150, 0, 16, 97}, {150, 0, 16, 180}, {150, 0, 16, 255}}}},
    {"LEFT;0;1000", {{{400, 0, 16, 255}, {337, 0, 16, 255}, {275, 0, 16, 255}, {150, 0, 16, 255}}}},
    {"RIGHT;0;1000",
     {{{-100, 0, 16, 255}, {-37, 0, 16, 255}, {25, 0, 16, 255}, {150, 0, 16, 255}}}},
    {"UP;0;1000", {{{150, 40, 0, 255}, {150, 30, 10, 255}, {150, 20, 20, 255}, {150, 0, 16, 255}}}},
    {"DOWN;0;1000",
     {{{150, -40, 16, 255}, {150, -30, 16, 255}, {150, -20, 16, 255}, {150, 0, 16, 255}}}},
    {"LEFT;500;500", {{{400, 0, 16, 0}, {400, 0, 16, 0}, {400, 0, 16, 255}, {150, 0, 16, 255}}}},
  };
  for (const ActionCase& c : cases) {
    SCOPED_TRACE(c.action);
    Ticker ticker;
    ticker.banner.print(0u, "%s", markup(c.action, kTenChars, 0, "OFF;0;0").c_str());
    EXPECT_EQ(playPhase(ticker), c.expected);
    EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_HOLDING);
  }
}

TEST(uiDigitalBanner, PiecesLeaveAsTheirActionSaysAndTheMessageGoes) {
  CaptureLog log;
  const ActionCase cases[] = {
    {"OFF;0;1000", {{{150, 0, 16, 255}, {150, 0, 16, 191}, {150, 0, 16, 127}, {150, 0, 16, 0}}}},
    {"ON;0;1000", {{{150, 0, 16, 0}, {150, 0, 16, 63}, {150, 0, 16, 127}, {150, 0, 16, 255}}}},
    {"FLASH;1;0;1000", {{{150, 0, 16, 255}, {150, 0, 16, 157}, {150, 0, 16, 74}, {150, 0, 16, 0}}}},
    {"LEFT;0;1000", {{{150, 0, 16, 255}, {87, 0, 16, 255}, {25, 0, 16, 255}, {-100, 0, 16, 255}}}},
    {"RIGHT;0;1000",
     {{{150, 0, 16, 255}, {212, 0, 16, 255}, {275, 0, 16, 255}, {400, 0, 16, 255}}}},
    {"UP;0;1000",
     {{{150, 0, 16, 255}, {150, -10, 16, 255}, {150, -20, 16, 255}, {150, -40, 16, 255}}}},
    {"DOWN;0;1000",
     {{{150, 0, 16, 255}, {150, 10, 30, 255}, {150, 20, 20, 255}, {150, 40, 0, 255}}}},
    {"LEFT;500;500", {{{150, 0, 16, 0}, {150, 0, 16, 0}, {150, 0, 16, 255}, {-100, 0, 16, 255}}}},
  };
  for (const ActionCase& c : cases) {
    SCOPED_TRACE(c.action);
    Ticker ticker;
    ticker.banner.print(0u, "%s", markup("ON;0;0", kTenChars, 0, c.action).c_str());
    // Entering and holding take no time here: one frame each, the holding one at the out start.
    EXPECT_EQ(ticker.frame(250).size(), 1u);
    std::vector<Draw> holding = ticker.frame(250);
    ASSERT_EQ(holding.size(), 1u);
    EXPECT_EQ(holding[0].seen(), (Seen {150, 0, 16, 255}));
    EXPECT_EQ(playPhase(ticker), c.expected);
    // Done in the last frame, counted and removed in the next, which draws nothing.
    EXPECT_FALSE(ticker.banner.isEmpty());
    EXPECT_TRUE(ticker.frame(250).empty());
    EXPECT_TRUE(ticker.banner.isEmpty());
  }
}

TEST(uiDigitalBanner, HoldMinusOneLastsUntilAnotherMessageWaits) {
  CaptureLog log;
  Ticker ticker;
  TestBanner& banner = ticker.banner;
  banner.print(0u, "%s", markup("ON;0;0", "A", -1, "OFF;0;100").c_str());
  for (int frame = 0; frame < 20; ++frame)
    ASSERT_EQ(ticker.frame(1000).size(), 1u);
  EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_HOLDING);
  // The clock of an endless hold stops at its limit rather than wrapping round.
  ticker.piece().time = INT_MAX - 10;
  ticker.frame(1000);
  EXPECT_EQ(ticker.piece().time, INT_MAX);

  banner.print(0u, "%s", markup("ON;0;0", "B", 0, "OFF;0;0").c_str());
  // The frame that sees the waiting message still draws the holding piece, then starts leaving.
  std::vector<Draw> drawn = ticker.frame(50);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].seen(), (std::array<int, 4> {195, 0, 16, 255}));
  EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_LEAVING);
  EXPECT_EQ(ticker.piece().time, 50);

  std::vector<std::string> texts;
  std::vector<int> alphas;
  for (int frame = 0; frame < 4; ++frame) {
    std::vector<Draw> frameDraws = ticker.frame(50);
    texts.push_back(frameDraws.empty() ? "-" : frameDraws[0].text);
    alphas.push_back(frameDraws.empty() ? -1 : frameDraws[0].alpha);
  }
  // Leaving at 50 and 100 ms, removed in the third frame, the next message in the fourth.
  EXPECT_EQ(texts, (std::vector<std::string> {"A", "A", "-", "B"}));
  EXPECT_EQ(alphas, (std::vector<int> {127, 0, -1, 255}));
}

TEST(uiDigitalBanner, PauseHoldsAHoldingPieceAndExtendsAMovingOne) {
  CaptureLog log;
  {
    Ticker ticker;
    ticker.banner.print(0u, "%s", markup("ON;0;0", "A", 500, "OFF;0;0").c_str());
    ticker.frame(400);
    ticker.banner.setPause(true);
    for (int frame = 0; frame < 5; ++frame)
      ticker.frame(400);
    EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_HOLDING);
    EXPECT_EQ(ticker.piece().time, 2000);
    ticker.banner.setPause(false);
    ticker.frame(400);
    EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_LEAVING);
  }
  {
    Ticker ticker;
    ticker.banner.print(0u, "%s", markup("LEFT;0;1000", kTenChars, 0, "OFF;0;0").c_str());
    ticker.banner.setPause(true);
    std::vector<int> xs;
    for (int frame = 0; frame < 4; ++frame)
      xs.push_back(ticker.frame(400).at(0).x);
    EXPECT_EQ(xs, (std::vector<int> {400, 300, 200, 100}));
    EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_ENTERING);
    ticker.banner.setPause(false);
    EXPECT_EQ(ticker.frame(400).at(0).x, 150);
    EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_HOLDING);
  }
}

// A paused piece runs past the end of its movement: its alpha stops at 255 instead of wrapping,
// and its visible height at 0 instead of going negative.
TEST(uiDigitalBanner, PausedPiecesPastTheirEndStayInRange) {
  CaptureLog log;
  Ticker ticker;
  ticker.banner.setPause(true);
  ticker.banner.print(0u, "%s", markup("ON;0;1000", "A", 0, "DOWN;0;1000").c_str());
  std::vector<int> alphas;
  for (int frame = 0; frame < 4; ++frame)
    alphas.push_back(ticker.frame(400).at(0).alpha);
  EXPECT_EQ(alphas, (std::vector<int> {0, 102, 204, 255}));

  ticker.banner.setPause(false);
  ticker.frame(400);  // pulled back to the end: holding from here
  ticker.frame(400);
  ticker.banner.setPause(true);
  std::vector<int> heights;
  for (int frame = 0; frame < 4; ++frame)
    heights.push_back(ticker.frame(400).at(0).maxHeight);
  EXPECT_EQ(heights, (std::vector<int> {16, 24, 8, 0}));
}

TEST(uiDigitalBanner, TimeScaleMultipliesTheFrameTime) {
  CaptureLog log;
  struct Case {
    float scale;
    int expectedTime;
  } cases[] = {{1.0f, 33}, {0.5f, 16}, {2.0f, 66}, {0.0f, 0}, {-1.0f, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    Ticker ticker;
    ticker.banner.setTimeScale(c.scale);
    ticker.banner.print(0u, "%s", markup("LEFT;0;1000", "A", 0, "OFF;0;0").c_str());
    ticker.frame(33);
    EXPECT_EQ(ticker.piece().time, c.expectedTime);
  }
  Ticker frozen;
  frozen.banner.setTimeScale(0.0f);
  frozen.banner.print(0u, "%s", markup("ON;0;100", "A", 100, "OFF;0;100").c_str());
  for (int frame = 0; frame < 50; ++frame)
    frozen.frame(33);
  EXPECT_FALSE(frozen.banner.isEmpty());
}

TEST(uiDigitalBanner, WithoutAFontNothingIsMeasuredOrDrawn) {
  CaptureLog log;
  BannerGfx gfx;
  uiDigitalBanner banner;
  banner.setVisible(true, false);
  EXPECT_FALSE(banner.setFont("missing.fnt"));
  EXPECT_EQ(banner.font, -1);
  banner.print(0u, "^P|LEFT;0;0|WIDE TEXT;0|OFF;0;0|^p");
  ASSERT_FALSE(banner.isEmpty());
  EXPECT_EQ(banner.firstMessage->width, 0);
  uiWidget::s_iDeltaTime = 10;
  for (int frame = 0; frame < 4; ++frame)
    banner.render(0, 0);
  EXPECT_TRUE(gfx.draws.empty());
  EXPECT_TRUE(banner.isEmpty());
}

TEST(uiDigitalBanner, MemoryIsFreedAndFramesDoNotAllocate) {
  CaptureLog log;
  log.expect(kSyntaxStart);
  CountingMemory memory;
  {
    Ticker ticker;
    uiWidget* widget = uiDigitalBanner::s_allocator();
    ASSERT_NE(widget, nullptr);
    auto* banner = static_cast<uiDigitalBanner*>(widget);
    *banner = ticker.banner;
    banner->maxMessages = 3;
    banner->setVisible(true, false);
    banner->print(1u, "^P|ON;0;0|A;0|OFF;0;0|^p^P|ON;0;0|B;0|OFF;0;0|^p");
    banner->print(2u, "^P|ON;0;0|C;0|OFF;0;0|^p");
    banner->print(3u, "nothing");
    EXPECT_EQ(banner->messageCount, 2);
    EXPECT_EQ(memory.liveCount(0), 0u);

    memory.resetCalls();
    GlobalNewCounter newCalls;
    uiWidget::s_iDeltaTime = 10;
    for (int frame = 0; frame < 10; ++frame)
      banner->render(0, 0);
    EXPECT_TRUE(banner->isEmpty());
    EXPECT_EQ(newCalls.calls(), 0);
    EXPECT_EQ(memory.allocCalls(), 0);
    EXPECT_EQ(memory.freeCalls(), 0);

    // Played records are used again.
    banner->print(0u, "^P|ON;0;0|D;0|OFF;0;0|^p");
    EXPECT_EQ(memory.allocCalls(), 1);  // the work buffer only
    delete banner;
  }
  EXPECT_EQ(memory.liveCount(9), 0u);
  EXPECT_EQ(memory.liveCount(0), 0u);
}

TEST(uiDigitalBanner, OutOfMemoryRefusesTheMessage) {
  const char* const text = "^P|ON;0;0|A;0|OFF;0;0|^p";
  // Allocations of one print: the work buffer, the record, the pieces.
  for (int failing : {1, 2, 3}) {
    SCOPED_TRACE(failing);
    CaptureLog log;
    log.expect(kOutOfMemory);
    {
      FailingMemory memory(failing);
      {
        Ticker ticker;
        ticker.banner.print(0u, "%s", text);
        EXPECT_TRUE(ticker.banner.isEmpty());
      }
      EXPECT_EQ(memory.liveCount(9), 0u);
      EXPECT_EQ(memory.liveCount(0), 0u);
    }
  }
}

TEST(uiDigitalBanner, ACopyTakesTheSettingsButNoMessage) {
  CaptureLog log;
  Ticker ticker;
  ticker.banner.print(0u, "^P|ON;0;0|A;0|OFF;0;0|^p");
  uiDigitalBanner copy(ticker.banner);
  EXPECT_EQ(copy.width, 400);
  EXPECT_EQ(copy.font, ticker.banner.font);
  EXPECT_EQ(copy.charWidths['A'], 10);
  EXPECT_TRUE(copy.isEmpty());
  EXPECT_FALSE(ticker.banner.isEmpty());
}

// Cuts and single-character damage of valid markup never take the parser outside the text.
TEST(uiDigitalBanner, DamagedMarkupIsHandledSafely) {
  int messages = 0;
  udLogger::setSink([](void* client, int, const char*) { ++*static_cast<int*>(client); },
                    &messages);
  Ticker ticker;
  ticker.banner.maxMessages = 1;
  const std::string valid =
      "^P|FLASH;2;0;10|AB;-1|RIGHT;0;10|^p^P|UP;010;0x1|C;5|FLASH;1;1;1|^p";
  const char damage[] = {'^', 'P', 'p', '|', ';', ' '};
  for (size_t at = 0; at <= valid.size(); ++at) {
    ticker.banner.print(0u, "%s", valid.substr(0, at).c_str());
    ticker.banner._removeAllMessages();
    for (char c : damage) {
      std::string text = valid;
      if (at < text.size())
        text[at] = c;
      else
        text += c;
      ticker.banner.print(0u, "%s", text.c_str());
      ticker.frame(3);
      ticker.banner._removeAllMessages();
    }
  }
  udLogger::setSink(nullptr, nullptr);
  EXPECT_GT(messages, 0);
}
