#include "softsound.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void listen(void* client, const softSound::Played& sound) {
  static_cast<std::vector<std::string>*>(client)->push_back(std::string(sound.name) + " " +
                                                            std::to_string(sound.pan));
}

}  // namespace

// A flush reports each sound with the pan its handle was given last. Handles are reused in turn,
// so one kept past the flush changes nothing; a name too long for its record is cut.
TEST(softSound, FlushReportsWhatPlayedWithItsLastPan) {
  CaptureLog log;
  softSound sound;
  std::vector<std::string> heard;
  sound.setListener(&listen, &heard);
  snd3dHandle* click = sound.playSound(SND3D_UI, "click", false, false);
  click->setPan(-0.25f);
  click->setPan(-0.5f);
  sound.flush();
  snd3dHandle* next = sound.playSound(SND3D_UI, "next", false, false);
  click->setPan(1.0f);
  for (int i = 1; i < softSound::HANDLES; ++i)
    EXPECT_NE(sound.playSound(SND3D_UI, "middle", false, false), next);
  EXPECT_EQ(sound.playSound(SND3D_UI, std::string(300, 'x').c_str(), false, false), next);
  sound.flush();
  ASSERT_EQ(heard.size(), size_t(softSound::HANDLES) + 2);
  EXPECT_EQ(heard[0] + "|" + heard[1], "click -0.500000|next 0.000000");
  EXPECT_EQ(heard.back(), std::string(127, 'x') + " 0.000000");

  softSound quiet;
  quiet.playSound(SND3D_UI, "click", false, false)->setFrequencyScale(1.5f);
  log.expect("Sound ^C00FF00click^c pan 0.00 frequency 1.50\f", 0);  // no listener: the log hears
  quiet.flush();
}
