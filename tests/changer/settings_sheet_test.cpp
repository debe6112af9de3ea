#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/records/settings.h"
#include "paint/lighting.h"
#include "support/recording_platform.h"
#include "ui/settings_sheet.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;

TEST(SettingsFields, SignedNumbers) {
  int32_t v = 99;
  EXPECT_TRUE(ParseSignedField("42", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(ParseSignedField("  -5", v));
  EXPECT_EQ(v, -5);
  EXPECT_TRUE(ParseSignedField("+7", v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(ParseSignedField("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_TRUE(ParseSignedField("2147483647", v));
  EXPECT_EQ(v, INT32_MAX);
  for (const char* bad : {"", " ", "-", "abc", "12abc", "1 2", "2147483648", "-2147483649", "99999999999999999999"}) {
    EXPECT_FALSE(ParseSignedField(bad, v)) << bad;
    EXPECT_EQ(v, 0) << bad;
    EXPECT_EQ(SignedFieldValue(bad), 0) << bad;
  }
}

TEST(SettingsBasic, MutantFileCountOutsideRangeBecomesFive) {
  RecordingPlatform platform;
  for (const char* text : {"0", "5001", "abc", "-3", ""}) {
    platform.messages.clear();
    EXPECT_EQ(CheckMutantFileCount(text), 5) << text;
    ASSERT_EQ(platform.messages.size(), 1u) << text;
    EXPECT_EQ(platform.messages[0].text,
              "自動保存の時のファイル数は1～5000までの半角数字で入力してください。\nファイル数は自動的に 5 に設定されます。");
    EXPECT_EQ(platform.messages[0].caption, "訂正願います");
  }
  platform.messages.clear();
  EXPECT_EQ(CheckMutantFileCount("1"), 1);
  EXPECT_EQ(CheckMutantFileCount("5000"), 5000);
  EXPECT_EQ(CheckMutantFileCount("17"), 17);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(SettingsBasic, RadioMappings) {
  EXPECT_EQ(MutantHandlingFromRadios(true, false, false, 2), 0);
  EXPECT_EQ(MutantHandlingFromRadios(false, true, true, 0), 1);
  EXPECT_EQ(MutantHandlingFromRadios(false, false, true, 0), 2);
  EXPECT_EQ(MutantHandlingFromRadios(false, false, false, 1), 1);
  EXPECT_EQ(ExitSavingFromRadios(true, true), 0);
  EXPECT_EQ(ExitSavingFromRadios(false, true), 1);
  EXPECT_EQ(ExitSavingFromRadios(false, false), 2);
  EXPECT_EQ(WallpaperStyleFromRadios(true, false), 0);
  EXPECT_EQ(WallpaperStyleFromRadios(false, true), 1);
  EXPECT_EQ(WallpaperStyleFromRadios(false, false), 2);
  EXPECT_EQ(MutantHandlingRadio(0), 1018);
  EXPECT_EQ(MutantHandlingRadio(1), 1019);
  EXPECT_EQ(MutantHandlingRadio(2), 1020);
  EXPECT_EQ(ExitSavingRadio(0), 1010);
  EXPECT_EQ(ExitSavingRadio(1), 1008);
  EXPECT_EQ(ExitSavingRadio(2), 1009);
  EXPECT_EQ(WallpaperStyleRadio(0), 1011);
  EXPECT_EQ(WallpaperStyleRadio(1), 1017);
  EXPECT_EQ(WallpaperStyleRadio(2), 1022);
}

TEST(SettingsSound, StoredNameSelectsTheFirstEntryBeginningWithIt) {
  const std::vector<std::string> list = {"bell.wav", "Chime.wav", "chime2.wav"};
  const std::vector<std::string> found = {"chime2.wav", "bell.wav", "Chime.wav"};
  SoundChoice c = ChooseSoundEntry(list, found, "chime");
  EXPECT_EQ(c.selected, 1);
  EXPECT_EQ(c.stored_name, "chime");
  c = ChooseSoundEntry(list, found, "CHIME2.WAV");
  EXPECT_EQ(c.selected, 2);
  EXPECT_EQ(c.stored_name, "CHIME2.WAV");
}

TEST(SettingsSound, MissingNameIsReplacedByTheFirstFileFound) {
  const std::vector<std::string> list = {"bell.wav", "chime.wav"};
  const std::vector<std::string> found = {"chime.wav", "bell.wav"};
  const SoundChoice c = ChooseSoundEntry(list, found, "gone.wav");
  EXPECT_EQ(c.stored_name, "chime.wav");
  EXPECT_EQ(c.selected, 1);  // the entry showing that same file
  const SoundChoice none = ChooseSoundEntry({}, {}, "gone.wav");
  EXPECT_EQ(none.selected, -1);
  EXPECT_EQ(none.stored_name, "gone.wav");
}

TEST(SettingsSound, PrefixRespectsShiftJis) {
  EXPECT_TRUE(StartsWithIgnoringCase("Bell.WAV", "bell"));
  EXPECT_FALSE(StartsWithIgnoringCase("bel", "bell"));
  // ア (83 41) is not ャ (83 61).
  EXPECT_FALSE(StartsWithIgnoringCase("\x83\x61.wav", "\x83\x41"));
  EXPECT_TRUE(StartsWithIgnoringCase("\x83\x41X.wav", "\x83\x41x"));
}

TEST(SettingsBehaviour, ScatterValuesAreClampedWithWarnings) {
  RecordingPlatform platform;
  MInitInfo s;
  ApplyScatterFields(s, {false, "0", "-5"});
  EXPECT_EQ(s.scatter_mode, 0);
  EXPECT_EQ(s.scatter_count, 1);
  EXPECT_EQ(s.scatter_radius, 0);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].text, "ばらまき数は半角で 1 ～ 100 までの数を入れてください。自動的に修正いたします。");
  EXPECT_EQ(platform.messages[0].caption, "警告");
  EXPECT_EQ(platform.messages[1].text,
            "ばらまき半径は半角で 0 ～ 1000 までの数を入れてください。自動的に修正いたします。");
  EXPECT_EQ(platform.messages[1].caption, "警告");
  platform.messages.clear();
  ApplyScatterFields(s, {false, "101", "1001"});
  EXPECT_EQ(s.scatter_count, 100);
  EXPECT_EQ(s.scatter_radius, 1000);
  EXPECT_EQ(platform.messages.size(), 2u);
  platform.messages.clear();
  ApplyScatterFields(s, {false, "1", "0"});
  EXPECT_EQ(s.scatter_count, 1);
  EXPECT_EQ(s.scatter_radius, 0);
  ApplyScatterFields(s, {false, "100", "1000"});
  EXPECT_EQ(s.scatter_count, 100);
  EXPECT_EQ(s.scatter_radius, 1000);
  EXPECT_TRUE(platform.messages.empty());
  ApplyScatterFields(s, {false, "abc", "50"});
  EXPECT_EQ(s.scatter_count, 1);
  EXPECT_EQ(s.scatter_radius, 50);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ばらまき数は半角で 1 ～ 100 までの数を入れてください。自動的に修正いたします。");
}

TEST(SettingsBehaviour, AskingEachTimeIgnoresTheFields) {
  RecordingPlatform platform;
  MInitInfo s;
  s.scatter_count = 7;
  s.scatter_radius = 30;
  ApplyScatterFields(s, {true, "0", "5000"});
  EXPECT_EQ(s.scatter_mode, 1);
  EXPECT_EQ(s.scatter_count, 7);
  EXPECT_EQ(s.scatter_radius, 30);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(SettingsLighting, ListLabelsInModeOrder) {
  const std::vector<std::string> labels = LightingListLabels();
  ASSERT_EQ(labels.size(), 28u);
  EXPECT_EQ(labels[0], "00 なし（オフ）");
  EXPECT_EQ(labels[11], "11 5 colors");
  EXPECT_EQ(labels[22], "22 ランダムモード");
  EXPECT_EQ(labels[27], "27 4 corners（背景も適用）");
  for (int i = 0; i < 28; ++i) EXPECT_EQ(labels[size_t(i)].substr(0, 2), (i < 10 ? "0" : "") + std::to_string(i));
}

TEST(SettingsLighting, SelectionToMode) {
  EXPECT_EQ(LightingModeFromList(27), 27);
  EXPECT_EQ(LightingModeFromList(0), 0);
  EXPECT_EQ(LightingModeFromList(-1), 0);
  EXPECT_EQ(LightingModeFromList(28), 0);
  EXPECT_EQ(LightingListIndex(13), 13);
  EXPECT_EQ(LightingListIndex(28), -1);
  EXPECT_EQ(LightingListIndex(-2), -1);
}

// Association operations that answer from a script and record their calls.
struct FakeOps : AssociationOps {
  int canvas_result = 0, trees_result = 0, startup_result = 0;
  std::vector<std::string> calls;
  int AssociateCanvas() override { return Call("associate syl", canvas_result); }
  int DissociateCanvas() override { return Call("dissociate syl", canvas_result); }
  int AssociateTrees() override { return Call("associate ki", trees_result); }
  int DissociateTrees() override { return Call("dissociate ki", trees_result); }
  int CreateStartupShortcut() override { return Call("create shortcut", startup_result); }
  int RemoveStartupShortcut() override { return Call("remove shortcut", startup_result); }
  int Call(const char* what, int result) {
    calls.emplace_back(what);
    return result;
  }
};

TEST(SettingsAssociations, SuccessSetsTheFlagsInOrder) {
  RecordingPlatform platform;
  MInitInfo s;
  FakeOps ops;
  ApplyAssociationPage(s, true, false, true, ops);
  EXPECT_EQ(ops.calls, (std::vector<std::string>{"associate syl", "dissociate ki", "create shortcut"}));
  EXPECT_EQ(s.associate_canvas, 1);
  EXPECT_EQ(s.associate_trees, 0);
  EXPECT_EQ(s.start_with_windows, 1);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(SettingsAssociations, FailuresKeepTheFlagsAndReport) {
  RecordingPlatform platform;
  MInitInfo s;
  s.associate_canvas = 0;
  s.associate_trees = 1;
  s.start_with_windows = 1;
  FakeOps ops;
  ops.canvas_result = -1;
  ops.trees_result = -1;
  ops.startup_result = -1;
  ApplyAssociationPage(s, true, false, false, ops);
  EXPECT_EQ(s.associate_canvas, 0);
  EXPECT_EQ(s.associate_trees, 1);
  EXPECT_EQ(s.start_with_windows, 1);
  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].text, "関連付けに失敗しました。SYL");
  EXPECT_EQ(platform.messages[1].text, "関連付け解除に失敗しました。KI");
  EXPECT_EQ(platform.messages[2].text, "スタートアップ解除に失敗しました。");
  for (const auto& m : platform.messages) EXPECT_EQ(m.caption, "エラー");
  platform.messages.clear();
  ApplyAssociationPage(s, false, true, true, ops);
  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].text, "関連付け解除に失敗しました。SYL");
  EXPECT_EQ(platform.messages[1].text, "関連付けに失敗しました。KI");
  EXPECT_EQ(platform.messages[2].text, "スタートアップ登録に失敗しました。");
}

}  // namespace
}  // namespace sylvane
