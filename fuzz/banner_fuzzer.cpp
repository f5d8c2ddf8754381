#include "fuzzsupport.h"

#include "uidigitalbanner.h"

// The banner's markup: the input holds up to four messages apart by NULs, queued with rising
// priority between frames that play, pause and draw them.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static FuzzGfx gfx;
  static bool ready = (fuzzSilenceLog(), g_gfx = &gfx, true);
  (void)ready;
  FuzzMemoryBalance balance;
  std::vector<char> text = fuzzText(data, size);
  {
    uiDigitalBanner banner;
    banner.width = 400, banner.height = 20, banner.maxMessages = 3;
    banner.setFont("font");
    banner.setWidgetStates(true, true, false, false);
    const char* message = text.data();
    for (unsigned int priority = 4; priority > 0 && message < &text.back(); --priority) {
      banner.print(priority, "%s", message);
      message += std::strlen(message) + 1;
      for (int frame = 0; frame < 40; ++frame) {
        banner.setPause(frame % 16 >= 12);
        uiWidget::s_iDeltaTime = 1u << (frame % 11);
        banner.update(0, 0);
        banner.render(0, 0);
      }
    }
  }
  balance.check();
  return 0;
}
