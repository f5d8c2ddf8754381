#include "softsound.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void listen(void* client, const softSound::Played& sound) {
  static_cast<std::vector<std::string>*>(client)->push_back(
      std::string(sound.name) + " " + std::to_string(sound.pan) + " " +
      std::to_string(sound.frequencyScale));
}

}  // namespace

// A flush reports each sound with the pan and scale its handle was given last. Handles are
// reused in turn, so a handle kept past the flush changes nothing, and a name too long for its
// record is cut.
TEST(softSound, FlushReportsWhatPlayedWithItsLastPanAndScale) {
  CaptureLog log;
  softSound sound;
  std::vector<std::string> heard;
  sound.setListener(&listen, &heard);
  snd3dHandle* click = sound.playSound(SND3D_UI, "click", false, false);
  click->setPan(-0.25f);
  click->setPan(-0.5f);
  sound.playSound(SND3D_UI, "whoosh", false, false)->setFrequencyScale(1.5f);
  sound.flush();
  EXPECT_EQ(heard,
            (std::vector<std::string> {"click -0.500000 1.000000", "whoosh 0.000000 1.500000"}));

  heard.clear();
  snd3dHandle* next = sound.playSound(SND3D_UI, "next", false, false);
  click->setPan(1.0f);
  for (int i = 1; i < softSound::HANDLES; ++i)
    EXPECT_NE(sound.playSound(SND3D_UI, "middle", false, false), next);
  std::string longName(300, 'x');
  EXPECT_EQ(sound.playSound(SND3D_UI, longName.c_str(), false, false), next);
  sound.playSound(SND3D_UI, nullptr, false, false);
  sound.flush();
  ASSERT_EQ(heard.size(), size_t(softSound::HANDLES) + 2);
  EXPECT_EQ(heard[0], "next 0.000000 1.000000");
  EXPECT_EQ(heard[softSound::HANDLES], std::string(127, 'x') + " 0.000000 1.000000");
  EXPECT_EQ(heard.back(), " 0.000000 1.000000");
  EXPECT_EQ(sound.pendingCount(), 0u);
}

TEST(softSound, WithoutAListenerTheLogHearsIt) {
  CaptureLog log;
  softSound sound;
  sound.playSound(SND3D_UI, "click", false, false)->setPan(0.5f);
  log.expect("Sound ^C00FF00click^c pan 0.50 frequency 1.00\f", 0);
  sound.flush();
}
