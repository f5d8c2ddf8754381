#include "softsound.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Heard {
  std::string name;
  float pan, frequencyScale;
};

void listen(void* client, const softSound::Played& sound) {
  static_cast<std::vector<Heard>*>(client)->push_back(
      Heard {sound.name, sound.pan, sound.frequencyScale});
}

}  // namespace

TEST(softSound, FlushReportsWhatPlayedWithItsLastPanAndScale) {
  CaptureLog log;
  softSound sound;
  std::vector<Heard> heard;
  sound.setListener(&listen, &heard);
  snd3dHandle* click = sound.playSound(SND3D_UI, "click", false, false);
  snd3dHandle* whoosh = sound.playSound(SND3D_UI, "whoosh", false, false);
  ASSERT_NE(click, nullptr);
  ASSERT_NE(whoosh, click);
  click->setPan(-0.25f);
  click->setPan(-0.5f);
  whoosh->setFrequencyScale(1.5f);
  EXPECT_EQ(sound.pendingCount(), 2u);
  sound.flush();
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].name, "click");
  EXPECT_FLOAT_EQ(heard[0].pan, -0.5f);
  EXPECT_FLOAT_EQ(heard[0].frequencyScale, 1.0f);
  EXPECT_EQ(heard[1].name, "whoosh");
  EXPECT_FLOAT_EQ(heard[1].pan, 0.0f);
  EXPECT_FLOAT_EQ(heard[1].frequencyScale, 1.5f);

  // A handle kept past the flush changes nothing, not even the next sound in its old place.
  snd3dHandle* next = sound.playSound(SND3D_UI, "next", false, false);
  click->setPan(1.0f);
  (void)next;
  heard.clear();
  sound.flush();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_FLOAT_EQ(heard[0].pan, 0.0f);
  EXPECT_EQ(sound.pendingCount(), 0u);
}

TEST(softSound, HandlesAreReusedInTurnAndNamesAreCut) {
  CaptureLog log;
  softSound sound;
  std::vector<Heard> heard;
  sound.setListener(&listen, &heard);
  snd3dHandle* first = sound.playSound(SND3D_UI, "first", false, false);
  for (int i = 1; i < softSound::HANDLES; ++i)
    EXPECT_NE(sound.playSound(SND3D_UI, "middle", false, false), first);
  std::string longName(300, 'x');
  EXPECT_EQ(sound.playSound(SND3D_UI, longName.c_str(), false, false), first);
  first->setPan(0.75f);  // now the handle of the newest sound
  sound.playSound(SND3D_UI, nullptr, false, false);
  sound.flush();
  ASSERT_EQ(heard.size(), size_t(softSound::HANDLES) + 2);
  EXPECT_FLOAT_EQ(heard[0].pan, 0.0f);
  EXPECT_EQ(heard[softSound::HANDLES].name, std::string(127, 'x'));
  EXPECT_FLOAT_EQ(heard[softSound::HANDLES].pan, 0.75f);
  EXPECT_EQ(heard.back().name, "");
}

TEST(softSound, WithoutAListenerTheLogHearsIt) {
  CaptureLog log;
  softSound sound;
  sound.playSound(SND3D_UI, "click", false, false)->setPan(0.5f);
  log.expect("Sound ^C00FF00click^c pan 0.50 frequency 1.00\f", 0);
  sound.flush();
}
