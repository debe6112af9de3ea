// The mode table, the lighting menu, the time-of-day table and the choice of
// renderer for a mode.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/random.h"
#include "canvas/records/settings.h"
#include "paint/lighting.h"
#include "support/recording_platform.h"
#include "res/commands.h"

namespace sylvane {
namespace {

TEST(LightingModes, TableHoldsTheListLabelsMenuIdsAndRenderers) {
  const LightingMode* modes = LightingModes();
  struct Row {
    const char* list_label;
    int menu_id;
    const char* menu_label;
    int renderer;
  };
  const Row expected[kLightingModeCount] = {
      {"00 なし（オフ）", CMD_LIGHT_FIRST, "なし（オフ）", 0},
      {"01 一日の色彩（時刻ごとに変化）", CMD_LIGHT_FIRST + 1, "一日の色彩（時刻ごとに変化）", kRendererByTimeOfDay},
      {"02 5 colors", CMD_LIGHT_FIRST + 2, "5 colors", 7},
      {"03 ブルーライト", CMD_LIGHT_FIRST + 8, "ブルーライト", 9},
      {"04 深海", CMD_LIGHT_FIRST + 3, "深海（光源移動）", 10},
      {"05 たそがれ", CMD_LIGHT_FIRST + 4, "たそがれ", 11},
      {"06 ピーチ", CMD_LIGHT_FIRST + 5, "ピーチ", 12},
      {"07 グリーングラデーション", CMD_LIGHT_FIRST + 6, "グリーングラデーション", 13},
      {"08 アッパーライト", CMD_LIGHT_FIRST + 7, "アッパーライト", 14},
      {"09 ダウンライト", CMD_LIGHT_FIRST + 9, "ダウンライト", 15},
      {"10 4 points", CMD_LIGHT_FIRST + 10, "4 points", 16},
      {"11 5 colors", CMD_LIGHT_FIRST + 11, "3 colors", 17},
      {"12 格子1（光源移動・光色変化）", CMD_LIGHT_FIRST + 12, "格子1（光源移動・光色変化）", 18},
      {"13 格子2（光源移動・光色変化）", CMD_LIGHT_FIRST + 13, "格子2（光源移動・光色変化）", 19},
      {"14 4 corners", CMD_LIGHT_FIRST + 14, "4 corners", 20},
      {"15 シンプルライト", CMD_LIGHT_FIRST + 15, "シンプルスポットライト", 21},
      {"16 ポップ", CMD_LIGHT_FIRST + 16, "ポップ", 22},
      {"17 many points（光色変化）", CMD_LIGHT_FIRST + 18, "many points（光色変化）", 23},
      {"18 ジュエル（光源移動・光色変化）", CMD_LIGHT_FIRST + 17, "ジュエル（光源移動・光色変化）", 24},
      {"19 ランダム3points", CMD_LIGHT_FIRST + 19, "ランダム3points", 25},
      {"20 ランダム2points", CMD_LIGHT_FIRST + 20, "ランダム2points", 26},
      {"21 ランダム1points", CMD_LIGHT_FIRST + 21, "ランダム1points", 27},
      {"22 ランダムモード", CMD_LIGHT_FIRST + 22, "ランダムモード", kRendererAtRandom},
      {"23 シンプルライト（背景も適用）", CMD_LIGHT_BG_FIRST, "シンプルスポットライト", 28},
      {"24 アッパーライト（背景も適用）", CMD_LIGHT_BG_FIRST + 1, "アッパーライト", 29},
      {"25 ダウンライト（背景も適用）", CMD_LIGHT_BG_FIRST + 2, "ダウンライト", 30},
      {"26 4 points（背景も適用）", CMD_LIGHT_BG_FIRST + 3, "4 points", 31},
      {"27 4 corners（背景も適用）", CMD_LIGHT_BG_FIRST + 4, "4 corners", 32},
  };
  for (int i = 0; i < kLightingModeCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(modes[i].mode, i);
    EXPECT_STREQ(modes[i].list_label, expected[i].list_label);
    EXPECT_EQ(modes[i].menu_id, expected[i].menu_id);
    EXPECT_STREQ(modes[i].menu_label, expected[i].menu_label);
    EXPECT_EQ(modes[i].renderer, expected[i].renderer);
  }
}

TEST(LightingModes, LabelsAreShiftJis) {
  // "な" is 0x82 0xC8 in Shift-JIS.
  const std::string label = LightingModes()[0].list_label;
  ASSERT_GE(label.size(), 5u);
  EXPECT_EQ(label.substr(0, 3), "00 ");
  EXPECT_EQ(uint8_t(label[3]), 0x82);
  EXPECT_EQ(uint8_t(label[4]), 0xC8);
}

TEST(LightingModes, MenuCommandFindsItsMode) {
  for (int i = 0; i < kLightingModeCount; ++i) EXPECT_EQ(LightingModeForMenuId(LightingModes()[i].menu_id), i);
  // "3 colors" in the menu is the entry "11 5 colors" of the settings list.
  const int mode = LightingModeForMenuId(CMD_LIGHT_FIRST + 11);
  ASSERT_EQ(mode, 11);
  EXPECT_STREQ(LightingModes()[mode].list_label, "11 5 colors");
  EXPECT_STREQ(LightingModes()[mode].menu_label, "3 colors");
  for (int id : {CMD_LIGHT_FIRST - 1, CMD_SHOW_NAMES, CMD_PRINT, CMD_CHANGER_REFRESH, 0, -1, CMD_PERIODIC_UPDATE}) EXPECT_EQ(LightingModeForMenuId(id), -1) << id;
}

TEST(LightingModes, MenuGroupsHoldEveryCommandOnce) {
  const LightingMenuGroup* groups = LightingMenuGroups();
  EXPECT_EQ(groups[0].label, nullptr);
  EXPECT_STREQ(groups[1].label, "ノーマルライト");
  EXPECT_STREQ(groups[2].label, "ノーマルライト（背景にも適用）");
  EXPECT_STREQ(groups[3].label, "色ライト");
  EXPECT_STREQ(groups[4].label, "光色変化・光源移動");
  EXPECT_STREQ(groups[5].label, "格子");
  EXPECT_EQ(groups[0].ids[0], CMD_LIGHT_FIRST);
  EXPECT_EQ(groups[0].ids[1], CMD_LIGHT_FIRST + 22);
  EXPECT_EQ(groups[4].ids[6], CMD_LIGHT_FIRST + 3);
  std::multiset<int> seen;
  for (int g = 0; g < kLightingMenuGroupCount; ++g) {
    for (int i = 0; i < groups[g].count; ++i) seen.insert(groups[g].ids[i]);
  }
  EXPECT_EQ(seen.size(), size_t(kLightingModeCount));
  for (int i = 0; i < kLightingModeCount; ++i) EXPECT_EQ(seen.count(LightingModes()[i].menu_id), 1u) << i;
}

TEST(LightingModes, TimeOfDayTable) {
  EXPECT_EQ(RendererForTimeOfDay(0, 5), 6);
  EXPECT_EQ(RendererForTimeOfDay(0, 10), 5);
  EXPECT_EQ(RendererForTimeOfDay(12, 30), 8);
  EXPECT_EQ(RendererForTimeOfDay(10, 59), 0);
  EXPECT_EQ(RendererForTimeOfDay(15, 0), 0);
  // Every minute of the day against the table, boundary by boundary.
  struct Span {
    int from;  // minutes since midnight
    int renderer;
  };
  const Span spans[] = {{0, 6},        {10, 5},       {4 * 60, 1},  {7 * 60, 2},  {10 * 60, 0},
                        {12 * 60, 8},  {13 * 60, 0},  {16 * 60, 3}, {19 * 60, 4}, {23 * 60, 5}};
  for (int minute = 0; minute < 24 * 60; ++minute) {
    int expected = 0;
    for (const Span& s : spans) {
      if (minute >= s.from) expected = s.renderer;
    }
    ASSERT_EQ(RendererForTimeOfDay(minute / 60, minute % 60), expected) << minute / 60 << ":" << minute % 60;
  }
}

TEST(LightingModes, ModeOneReadsThePlatformClock) {
  testing::RecordingPlatform platform;
  platform.now.hour = 0;
  platform.now.minute = 9;
  EXPECT_EQ(ChooseRenderer(1), 6);
  platform.now.minute = 10;
  EXPECT_EQ(ChooseRenderer(1), 5);
  platform.now.hour = 16;
  platform.now.minute = 0;
  EXPECT_EQ(ChooseRenderer(1), 3);
  platform.now.hour = 22;
  platform.now.minute = 59;
  EXPECT_EQ(ChooseRenderer(1), 4);
}

TEST(LightingModes, FixedModesAndOutOfRange) {
  SeedRandom(5);
  const uint32_t before = RandomState();
  for (int mode = 0; mode < kLightingModeCount; ++mode) {
    if (mode == 1 || mode == 22) continue;
    EXPECT_EQ(ChooseRenderer(mode), LightingModes()[mode].renderer) << mode;
  }
  EXPECT_EQ(ChooseRenderer(-1), 0);
  EXPECT_EQ(ChooseRenderer(28), 0);
  EXPECT_EQ(ChooseRenderer(1000), 0);
  EXPECT_EQ(RandomState(), before) << "fixed modes draw no random number";
}

TEST(LightingModes, ModeTwentyTwoDrawsAtEveryRender) {
  SeedRandom(777);
  std::set<int> seen;
  for (int i = 0; i < 400; ++i) {
    const uint32_t state = RandomState();
    const int expected = int(((state * 214013u + 2531011u) >> 16) & 0x7FFF) % 33;
    const int renderer = ChooseRenderer(22);
    ASSERT_EQ(renderer, expected);
    seen.insert(renderer);
  }
  EXPECT_EQ(seen.size(), 33u) << "every renderer, 0 and 1..8 included, can come up";
}

TEST(LightingModes, SetModeStoresTheSetting) {
  const int before = Settings().lighting_mode;
  SetLightingMode(13);
  EXPECT_EQ(CurrentLightingMode(), 13);
  EXPECT_EQ(Settings().lighting_mode, 13);
  SetLightingMode(before);
}

}  // namespace
}  // namespace sylvane
