#include "uidigitalbanner.h"

#include "testmemory.h"
#include "widgettest.h"

#include "udlogger.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::string refused(const std::string& reason) {
  return "Digital Banner message could not be added: " + reason + "\f";
}

// "x,y height alpha text" of each text the banner draws.
class BannerGfx : public RecordingGfx {
public:
  using RecordingGfx::print;
  void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, const char* text) override {
    draws.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(maxHeight) +
                    " " + std::to_string(alpha) + " " + text);
    RecordingGfx::print(depth, font, set, justify, x, y, maxHeight, alpha, text);
  }
  std::vector<std::string> draws;
};

class TestBanner : public uiDigitalBanner {
public:
  using uiDigitalBanner::_removeAllMessages;
};

// A 400 x 40 banner with a font of 10-pixel characters, 16 pixels high; a ten-character text is
// 100 pixels wide and rests at x = 150.
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
  // One frame of the given length; returns the first text it drew, or "-".
  std::string frame(unsigned int ms) {
    uiWidget::s_iDeltaTime = ms;
    gfx.draws.clear();
    banner.render(0, 0);
    return gfx.draws.empty() ? "-" : gfx.draws[0];
  }
  uiDigitalBanner::dbMessagePiece_t& piece() { return banner.firstMessage->pieces[0]; }
  std::string priorities() const {
    std::string result;
    for (auto* message = banner.firstMessage; message; message = message->next)
      result += std::to_string(message->priority) + message->pieces[0].text;
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

TEST(uiDigitalBanner, BadMarkupIsRefusedWithItsMessage) {
  const std::string good = markup("ON;0;5", "A", 0, "OFF;0;5");
  const std::string start = refused("Invalid Syntax ('^P').");
  struct Case { std::string text; std::string message; } cases[] = {
      {"HELLO", start},
      {good + " " + good, start},
      {"^P|ON;0;5|A;0|OFF;0;5|x^p", refused("Invalid Syntax ('^p').")},
      {"^P|ON;0;5|A;soon|OFF;0;5|^p", refused("Invalid Syntax ('|').")},
      {"^P|ON;0;5|A;0|FLASH;0;5|^p", refused("Invalid Syntax (';').")},
      {"^P|on;0;500|X;0|OFF;0;500|^p", refused("Invalid Piece Action ('on').")},
      {"^P|" + std::string(32, 'O') + ";0;5|A;0|OFF;0;5|^p",
       refused("Invalid Piece Action ('" + std::string(32, 'O') + "').")},
      {markup("ON;0;0", std::string(41, 'W'), 0, "OFF;0;0"),
       refused("Message Length Exceeds Banner Width.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CaptureLog log;
    log.expect(c.message);
    Ticker ticker;
    ticker.banner.print(0u, "%s", c.text.c_str());
    EXPECT_TRUE(ticker.banner.isEmpty());
  }
}

// Equal priorities keep their order; a full list evicts the highest, or refuses the new message.
// The short form formats once and takes the result literally.
TEST(uiDigitalBanner, TheListIsOrderedByPriorityAndBounded) {
  CaptureLog log;
  Ticker ticker;
  TestBanner& banner = ticker.banner;
  auto add = [&](unsigned int priority, const char* text) {
    banner.print(priority, "%s", markup("ON;0;0", text, 0, "OFF;0;0").c_str());
  };
  banner.maxMessages = 3;
  banner.print(0u, "%s", "");  // an empty text is dropped without a message
  banner.print(7u, "^P|ON;0;%d|%s;0|OFF;0;0|^p", 250, "A");
  add(5u, "B");
  banner.print("%s", "^P|ON;0;0|5%d;0|OFF;0;0|^p");
  EXPECT_EQ(ticker.priorities(), "05%d5B7A");
  add(6u, "D");  // evicts the 7
  add(9u, "E");  // refused
  EXPECT_EQ(ticker.priorities(), "05%d5B6D");
  // A limit lowered under the count: the new message evicts as many as it must, and when the
  // first still outranks it, it is refused and what was evicted stays evicted.
  banner.maxMessages = 1;
  add(1u, "F");
  EXPECT_EQ(ticker.priorities(), "05%d");
}

// Each row: an action as the piece enters and as it leaves, then what is drawn ("x,y height
// alpha") halfway through the phase's 1000 ms and at its end. Numbers are read as by "%i": the
// last row waits 500 ms (octal) and moves in 500 ms (hexadecimal).
TEST(uiDigitalBanner, PiecesMoveAsTheirActionsSay) {
  struct Case { const char *action, *inHalf, *inEnd, *outHalf, *outEnd; } cases[] = {
      {"ON;0;1000", "150,0 16 127", "150,0 16 255", "150,0 16 127", "150,0 16 255"},
      {"OFF;0;1000", "150,0 16 127", "150,0 16 255", "150,0 16 127", "150,0 16 0"},
      {"FLASH;1;0;1000", "150,0 16 180", "150,0 16 255", "150,0 16 74", "150,0 16 0"},
      {"LEFT;0;1000", "275,0 16 255", "150,0 16 255", "25,0 16 255", "-100,0 16 255"},
      {"RIGHT;0;1000", "25,0 16 255", "150,0 16 255", "275,0 16 255", "400,0 16 255"},
      {"UP;0;1000", "150,20 20 255", "150,0 16 255", "150,-20 16 255", "150,-40 16 255"},
      {"DOWN;0;1000", "150,-20 16 255", "150,0 16 255", "150,20 20 255", "150,40 0 255"},
      {"LEFT;0764;0x1F4", "400,0 16 255", "150,0 16 255", "150,0 16 255", "-100,0 16 255"},
  };
  CaptureLog log;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    Ticker ticker;
    ticker.banner.print(0u, "%s", markup(c.action, "ABCDEFGHIJ", 0, c.action).c_str());
    // In: clock 0 to 1000 ms over five frames; holding: one frame; out: five frames again.
    std::vector<std::string> seen;
    for (int frame = 0; frame < 11; ++frame)
      seen.push_back(ticker.frame(250));
    const std::string text = " ABCDEFGHIJ";
    EXPECT_EQ(std::vector<std::string>({seen[2], seen[4], seen[8], seen[10]}),
              std::vector<std::string>({c.inHalf + text, c.inEnd + text, c.outHalf + text,
                                        c.outEnd + text}));
    // Done in the last frame, counted and removed in the next, which draws nothing.
    EXPECT_EQ(ticker.frame(250), "-");
    EXPECT_TRUE(ticker.banner.isEmpty());
  }
}

// The clock of an endless hold stops at its limit rather than wrapping round; the piece leaves
// once another message waits.
TEST(uiDigitalBanner, HoldMinusOneLastsUntilAnotherMessageWaits) {
  CaptureLog log;
  Ticker ticker;
  ticker.banner.print(0u, "%s", markup("ON;0;0", "A", -1, "OFF;0;100").c_str());
  for (int frame = 0; frame < 20; ++frame)
    ticker.frame(1000);
  EXPECT_EQ(ticker.piece().phase, uiDigitalBanner::PHASE_HOLDING);
  ticker.piece().time = INT_MAX - 10;
  ticker.frame(1000);
  EXPECT_EQ(ticker.piece().time, INT_MAX);
  ticker.banner.print(0u, "%s", markup("ON;0;0", "B", 0, "OFF;0;0").c_str());
  std::vector<std::string> seen;
  for (int frame = 0; frame < 5; ++frame)
    seen.push_back(ticker.frame(50));
  EXPECT_EQ(seen, (std::vector<std::string> {"195,0 16 255 A", "195,0 16 127 A", "195,0 16 0 A",
                                             "-", "195,0 16 255 B"}));
}

// A paused piece that moves runs past its end, its alpha stopping at 255 and its visible height
// at 0 instead of wrapping or going negative. A negative time scale freezes the banner as 0 does.
TEST(uiDigitalBanner, PausedOrFrozenPiecesStayInRange) {
  CaptureLog log;
  for (float scale : {2.0f, -1.0f}) {
    Ticker ticker;
    ticker.banner.setTimeScale(scale);
    ticker.banner.print(0u, "%s", markup("LEFT;0;1000", "A", 0, "OFF;0;0").c_str());
    ticker.frame(33);
    EXPECT_EQ(ticker.piece().time, scale > 0 ? 66 : 0);
  }
  Ticker ticker;
  ticker.banner.setPause(true);
  ticker.banner.print(0u, "%s", markup("ON;0;1000", "A", 0, "DOWN;0;1000").c_str());
  std::vector<std::string> seen;
  for (int frame = 0; frame < 4; ++frame)
    seen.push_back(ticker.frame(400));
  ticker.banner.setPause(false);
  ticker.frame(400);  // pulled back to the end: holding from here
  ticker.frame(400);
  ticker.banner.setPause(true);
  for (int frame = 0; frame < 4; ++frame)
    seen.push_back(ticker.frame(400));
  EXPECT_EQ(seen, (std::vector<std::string> {
                      "195,0 16 0 A", "195,0 16 102 A", "195,0 16 204 A", "195,0 16 255 A",
                      "195,0 16 255 A", "195,16 24 255 A", "195,32 8 255 A", "195,48 0 255 A"}));
}

// A banner narrowed after the message was queued shows it from its left edge; one without a font
// measures every character as 0 wide and draws nothing.
TEST(uiDigitalBanner, NarrowedOrFontlessBannersStayInBounds) {
  CaptureLog log;
  Ticker narrowed;
  narrowed.banner.print(0u, "%s", markup("ON;0;0", "ABCDEFGHIJ", 0, "OFF;0;0").c_str());
  narrowed.banner.width = 50;
  EXPECT_EQ(narrowed.frame(0), "0,0 16 255 ABCDEFGHIJ");
  BannerGfx gfx;
  uiDigitalBanner banner;
  banner.setVisible(true, false);
  EXPECT_FALSE(banner.setFont("missing.fnt"));
  banner.print(0u, "^P|LEFT;0;0|WIDE TEXT;0|OFF;0;0|^p");
  ASSERT_FALSE(banner.isEmpty());
  EXPECT_EQ(banner.firstMessage->width, 0);
  uiWidget::s_iDeltaTime = 10;
  for (int frame = 0; frame < 4; ++frame)
    banner.render(0, 0);
  EXPECT_TRUE(gfx.draws.empty());
  EXPECT_TRUE(banner.isEmpty());
}

// Allocations of one print: the work buffer, the record, the pieces. A copy of a banner takes its
// settings but no message.
TEST(uiDigitalBanner, OutOfMemoryRefusesTheMessageAndACopyTakesNone) {
  for (int failing = 1; failing <= 3; ++failing) {
    SCOPED_TRACE(failing);
    CaptureLog log;
    if (failing > 1)
      log.expect("Digital Banner could not add message: Out of memory.\f");
    FailingMemory memory(failing);
    LeakCheck leaks;
    Ticker ticker;
    ticker.banner.print(0u, "%s", "^P|ON;0;0|A;0|OFF;0;0|^p");
    EXPECT_TRUE(ticker.banner.isEmpty());
  }
  Ticker ticker;
  ticker.banner.print(0u, "^P|ON;0;0|A;0|OFF;0;0|^p");
  uiDigitalBanner copy(ticker.banner);
  EXPECT_EQ(copy.width + copy.charWidths['A'], 410);
  EXPECT_TRUE(copy.isEmpty() && !ticker.banner.isEmpty());
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
  for (size_t at = 0; at <= valid.size(); ++at) {
    ticker.banner.print(0u, "%s", valid.substr(0, at).c_str());
    ticker.banner._removeAllMessages();
    for (char c : {'^', 'P', 'p', '|', ';', ' '}) {
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
