#include "ui/skin_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/text.h"
#include "support/recording_platform.h"
#include "res/commands.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;

// A layout whose every row has its own value (row n holds 1000 + n; colour
// components 10 + n so that they fit in a byte), VERSION set as given.
SkinLayout DistinctLayout(int version) {
  SkinLayout l;
  std::string text;
  for (int row = 1; row <= kSkinRowCount; ++row) {
    std::string key(SkinRowKey(row));
    bool component = key.find("COLOR_") != std::string::npos;
    int value = row == 1 ? version : (component ? 10 + row : 1000 + row);
    text += key + "=" + std::to_string(value) + "\n";
  }
  EXPECT_EQ(ParseSkinText(text, l), version < 1 ? 58 : version < 2 ? 63 : kSkinRowCount);
  return l;
}

// The first n lines of a complete skin.txt for layout.
std::string FirstLines(const SkinLayout& layout, int n) {
  std::string all = FormatSkinText(layout);
  size_t pos = 0;
  for (int i = 0; i < n; ++i) pos = all.find("\r\n", pos) + 2;
  return all.substr(0, pos);
}

TEST(SkinRowKeys, FollowTheFixedReadingOrder) {
  EXPECT_EQ(SkinRowKey(1), "VERSION");
  EXPECT_EQ(SkinRowKey(2), "CLOSE_L");
  EXPECT_EQ(SkinRowKey(9), "MINIMIZE_H");
  EXPECT_EQ(SkinRowKey(18), "LOAD_L");
  EXPECT_EQ(SkinRowKey(22), "SAVE_L");
  EXPECT_EQ(SkinRowKey(38), "TIMER_FONT_SIZE");
  EXPECT_EQ(SkinRowKey(41), "COLOR_R");
  EXPECT_EQ(SkinRowKey(43), "COLOR_B");
  EXPECT_EQ(SkinRowKey(44), "GROWING_KI_NUM_L");
  EXPECT_EQ(SkinRowKey(51), "COLOR_R");
  EXPECT_EQ(SkinRowKey(54), "MAP_ALPHA");
  EXPECT_EQ(SkinRowKey(58), "MAP_CANCEL_H");
  EXPECT_EQ(SkinRowKey(59), "LAYER_TYPE");
  EXPECT_EQ(SkinRowKey(60), "BG_COLOR_R");
  EXPECT_EQ(SkinRowKey(63), "LAYER_ALPHA");
  EXPECT_EQ(SkinRowKey(64), "CHANGER_BTN_L");
  EXPECT_EQ(SkinRowKey(68), "CTRL_BG_COLOR_R");
  EXPECT_EQ(SkinRowKey(71), "CHANGER_CLOSE_L");
  EXPECT_EQ(SkinRowKey(115), "CHANGER_PREV_IMG_L");
  EXPECT_EQ(SkinRowKey(119), "SYL_WND_BTN_L");
  EXPECT_EQ(SkinRowKey(123), "CTRL_BG_COLOR_R");
  EXPECT_EQ(SkinRowKey(126), "SYLWND_CLOSE_L");
  EXPECT_EQ(SkinRowKey(129), "SYLWND_CLOSE_H");
  EXPECT_EQ(SkinRowKey(0), "");
  EXPECT_EQ(SkinRowKey(130), "");
}

TEST(SkinParse, Version3ReadsEveryRowAndIsAPngSkin) {
  SkinLayout l = DistinctLayout(3);
  EXPECT_EQ(l.version, 3);
  EXPECT_TRUE(l.png_skin);
  EXPECT_EQ(l.close.left, 1002);
  EXPECT_EQ(l.close.height, 1005);
  EXPECT_EQ(l.menu0.width, 1032);
  EXPECT_EQ(l.timer_font_size, 1038);
  EXPECT_EQ(l.timer_x, 1039);
  EXPECT_EQ(l.timer_y, 1040);
  EXPECT_EQ(l.timer_color, SkinColor(51, 52, 53));
  EXPECT_EQ(l.growing_ki_num.left, 1044);
  EXPECT_EQ(l.growing_ki_num_color, SkinColor(61, 62, 63));
  EXPECT_EQ(l.map_alpha, 1054);
  EXPECT_EQ(l.map_cancel.height, 1058);
  EXPECT_EQ(l.layer_type, 1059);
  EXPECT_EQ(l.bg_color, SkinColor(70, 71, 72));
  EXPECT_EQ(l.layer_alpha, 1063);
  EXPECT_EQ(l.changer_btn.left, 1064);
  EXPECT_EQ(l.changer_ctrl_bg_color, SkinColor(78, 79, 80));
  EXPECT_EQ(l.changer_close.left, 1071);
  EXPECT_EQ(l.changer_prev_img.height, 1118);
  EXPECT_EQ(l.syl_wnd_btn.width, 1121);
  EXPECT_EQ(l.canvas_ctrl_bg_color, SkinColor(133, 134, 135));
  EXPECT_EQ(l.sylwnd_close.left, 1126);
  EXPECT_EQ(l.sylwnd_close.height, 1129);
  // Every row survives a write and a read.
  SkinLayout again;
  EXPECT_EQ(ParseSkinText(FormatSkinText(l), again), kSkinRowCount);
  EXPECT_EQ(SkinRowValues(again), SkinRowValues(l));
}

TEST(SkinParse, VersionAboveThreeIsAPngSkinToo) {
  SkinLayout l = DistinctLayout(7);
  EXPECT_TRUE(l.png_skin);
  EXPECT_FALSE(DistinctLayout(2).png_skin);
}

TEST(SkinParse, Version2ReadsEveryRowAsABitmapSkin) {
  SkinLayout l = DistinctLayout(2);
  EXPECT_EQ(l.version, 2);
  EXPECT_FALSE(l.png_skin);
  EXPECT_EQ(l.sylwnd_close.height, 1129);
  EXPECT_EQ(l.changer_list1.width, 1113);
}

// The values a skin below VERSION 1 gets for rows 59..129.
void ExpectBuiltInLayering(const SkinLayout& l) {
  EXPECT_EQ(l.layer_type, 0);
  EXPECT_EQ(l.bg_color, 0u);
  EXPECT_EQ(l.layer_alpha, 255);
}

void ExpectBuiltInChangerRows(const SkinLayout& l) {
  auto rect = [](const SkinRect& r) { return std::array<int32_t, 4>{r.left, r.top, r.width, r.height}; };
  using R = std::array<int32_t, 4>;
  EXPECT_EQ(rect(l.changer_btn), (R{0, 0, 0, 0}));
  EXPECT_EQ(l.changer_ctrl_bg_color, 0x00FFFFFFu);
  EXPECT_EQ(rect(l.changer_close), (R{232, 6, 7, 9}));
  EXPECT_EQ(rect(l.changer_button1), (R{88, 83, 150, 21}));
  EXPECT_EQ(rect(l.changer_button2), (R{125, 342, 48, 21}));
  EXPECT_EQ(rect(l.changer_button3), (R{176, 342, 64, 21}));
  EXPECT_EQ(rect(l.changer_ok_button), (R{29, 375, 75, 21}));
  EXPECT_EQ(rect(l.changer_cancel_button), (R{150, 375, 75, 21}));
  EXPECT_EQ(rect(l.changer_combo1), (R{151, 53, 93, 20}));
  EXPECT_EQ(rect(l.changer_combo2), (R{11, 342, 95, 20}));
  EXPECT_EQ(rect(l.changer_radio1), (R{81, 35, 14, 12}));
  EXPECT_EQ(rect(l.changer_radio2), (R{81, 56, 14, 12}));
  EXPECT_EQ(rect(l.changer_list1), (R{11, 108, 228, 225}));
  EXPECT_EQ(rect(l.changer_prev_img), (R{7, 30, 70, 70}));
  EXPECT_EQ(rect(l.syl_wnd_btn), (R{0, 0, 0, 0}));
  EXPECT_EQ(l.canvas_ctrl_bg_color, 0x00FFFFFFu);
  EXPECT_EQ(rect(l.sylwnd_close), (R{260, 6, 7, 9}));
}

TEST(SkinParse, Version0ReadsRows1To58AndGetsBuiltInValuesForTheRest) {
  // Start from a layout full of other values: the built-in ones must replace them.
  SkinLayout l = DistinctLayout(3);
  SkinLayout source = DistinctLayout(0);
  source.close = {5, 6, 7, 8};
  EXPECT_EQ(ParseSkinText(FirstLines(source, 58), l), 58);
  EXPECT_EQ(l.version, 0);
  EXPECT_FALSE(l.png_skin);
  EXPECT_EQ(l.close.left, 5);
  EXPECT_EQ(l.close.height, 8);
  EXPECT_EQ(l.map_cancel.height, 1058);
  ExpectBuiltInLayering(l);
  ExpectBuiltInChangerRows(l);
}

TEST(SkinParse, Version0IgnoresLaterRowsPresentInTheFile) {
  SkinLayout l;
  SkinLayout source = DistinctLayout(0);
  EXPECT_EQ(ParseSkinText(FormatSkinText(source), l), 58);
  ExpectBuiltInLayering(l);
  ExpectBuiltInChangerRows(l);
}

TEST(SkinParse, Version1ReadsTheLayeringRowsAndGetsBuiltInChangerRows) {
  SkinLayout l = DistinctLayout(3);
  SkinLayout source = DistinctLayout(1);
  EXPECT_EQ(ParseSkinText(FormatSkinText(source), l), 63);
  EXPECT_EQ(l.layer_type, 1059);
  EXPECT_EQ(l.bg_color, SkinColor(70, 71, 72));
  EXPECT_EQ(l.layer_alpha, 1063);
  ExpectBuiltInChangerRows(l);
}

TEST(SkinParse, MisspeltKeyStopsReadingAndLaterRowsKeepTheirValues) {
  SkinLayout l = DistinctLayout(3);
  // "CLOSE_W" misspelt in the fourth line.
  std::string text = "VERSION=2\r\nCLOSE_L=11\r\nCLOSE_T=12\r\nCLOSEW=13\r\nCLOSE_H=14\r\nMINIMIZE_L=15\r\n";
  EXPECT_EQ(ParseSkinText(text, l), 3);
  EXPECT_EQ(l.version, 2);
  EXPECT_FALSE(l.png_skin);
  EXPECT_EQ(l.close.left, 11);
  EXPECT_EQ(l.close.top, 12);
  EXPECT_EQ(l.close.width, 1004);   // kept
  EXPECT_EQ(l.close.height, 1005);  // kept: no search by name
  EXPECT_EQ(l.minimize.left, 1006);
  EXPECT_EQ(l.sylwnd_close.height, 1129);
}

TEST(SkinParse, KeysAreCaseSensitiveAndMayNotHaveABlankBeforeTheEqualsSign) {
  SkinLayout l = DistinctLayout(3);
  EXPECT_EQ(ParseSkinText("VERSION=3\nclose_L=5\n", l), 1);
  EXPECT_EQ(l.close.left, 1002);
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L =5\n", l), 1);
  EXPECT_EQ(l.close.left, 1002);
}

TEST(SkinParse, BlanksAndBlankLinesAroundNumbersAreSkipped) {
  SkinLayout l;
  EXPECT_EQ(ParseSkinText("VERSION=3\r\n\r\n\r\nCLOSE_L=   5\r\n  \t\nCLOSE_T=\n6 \nCLOSE_W=-7\nCLOSE_H=+8", l), 5);
  EXPECT_EQ(l.close.left, 5);
  EXPECT_EQ(l.close.top, 6);
  EXPECT_EQ(l.close.width, -7);
  EXPECT_EQ(l.close.height, 8);
}

TEST(SkinParse, ReorderedLinesStopTheReading) {
  SkinLayout l;
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_T=1\nCLOSE_L=2\n", l), 1);
  EXPECT_EQ(l.close.left, 0);
  EXPECT_EQ(l.close.top, 0);
}

TEST(SkinParse, BadNumbersStopTheReading) {
  SkinLayout l = DistinctLayout(3);
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L=abc\nCLOSE_T=5\n", l), 1);
  EXPECT_EQ(l.close.left, 1002);
  EXPECT_EQ(l.close.top, 1003);
  // Digits followed by other text: the number is read, the next key is not found.
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L=12abc\nCLOSE_T=5\n", l), 2);
  EXPECT_EQ(l.close.left, 12);
  EXPECT_EQ(l.close.top, 1003);
  // A sign without digits, an empty value, a number beyond 32 bits.
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L=-\nCLOSE_T=5\n", l), 1);
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L=\n", l), 1);
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L=2147483648\n", l), 1);
  EXPECT_EQ(l.close.left, 12);
  EXPECT_EQ(ParseSkinText("VERSION=3\nCLOSE_L=-2147483648\nCLOSE_T=2147483647\n", l), 3);
  EXPECT_EQ(l.close.left, INT32_MIN);
  EXPECT_EQ(l.close.top, INT32_MAX);
}

TEST(SkinParse, AFileWithoutVersionLineKeepsThePreviousVersion) {
  SkinLayout l = DistinctLayout(3);
  EXPECT_EQ(ParseSkinText("CLOSE_L=1\n", l), 0);
  EXPECT_EQ(l.version, 3);
  EXPECT_TRUE(l.png_skin);
  EXPECT_EQ(l.close.left, 1002);

  // On a first load (VERSION 0 before) the built-in rows are filled in.
  SkinLayout fresh;
  fresh.changer_close = {1, 1, 1, 1};
  EXPECT_EQ(ParseSkinText("", fresh), 0);
  EXPECT_EQ(fresh.version, 0);
  ExpectBuiltInChangerRows(fresh);
}

TEST(SkinParse, ColourComponentsAreCombinedIntoBgrValuesOfTheirLowBytes) {
  SkinLayout source = DistinctLayout(3);
  std::string text = FirstLines(source, 40) + "COLOR_R=300\nCOLOR_G=2\nCOLOR_B=-1\n";
  SkinLayout l;
  EXPECT_EQ(ParseSkinText(text, l), 43);
  EXPECT_EQ(l.timer_color, 0x00FF022Cu);  // red 300 & 255 = 44, blue -1 & 255 = 255
}

TEST(SkinParse, AColourWhoseComponentsWereOnlyPartlyReadKeepsTheOthers) {
  SkinLayout l;
  l.timer_color = SkinColor(1, 2, 3);
  SkinLayout source = DistinctLayout(3);
  std::string text = FirstLines(source, 40) + "COLOR_R=200\nCOLOUR_G=100\nCOLOR_B=50\n";
  EXPECT_EQ(ParseSkinText(text, l), 41);
  EXPECT_EQ(l.timer_color, SkinColor(200, 2, 3));
}

TEST(SkinParse, AByteOrderMarkBeforeTheFirstKeyIsIgnored) {
  SkinLayout l;
  EXPECT_EQ(ParseSkinText("\xEF\xBB\xBFVERSION=3\nCLOSE_L=4\n", l), 2);
  EXPECT_EQ(l.version, 3);
  EXPECT_EQ(l.close.left, 4);
}

TEST(SkinParse, TrailingTextAfterTheLastRowIsIgnored) {
  SkinLayout l;
  std::string text = FormatSkinText(DistinctLayout(3)) + "\r\nEXTRA=1\r\n";
  EXPECT_EQ(ParseSkinText(text, l), kSkinRowCount);
}

// --- Finding skin.txt -------------------------------------------------------

const char* kFolderMissing = "スキンフォルダが見つかりませんでした。デフォルトのスキンフォルダを読み込みます。";
const char* kDefaultMissing =
    "デフォルトスキンの読み込みに失敗しました。実行ファイルと同一フォルダに「skin」フォルダを入れてください。";
const char* kSkinTxtMissing = "「skin.txt」が見つかりません。";

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

struct SkinFolders {
  TempDir dir;
  std::string program = dir.path();
  std::string default_skin = JoinPath(program, "skin");
  std::string other_skin = JoinPath(program, "other");
};

TEST(SkinLoad, ReadsSkinTxtFromTheSkinFolder) {
  RecordingPlatform platform;
  SkinFolders f;
  std::filesystem::create_directory(f.other_skin);
  WriteText(JoinPath(f.other_skin, "skin.txt"), "VERSION=3\nCLOSE_L=21\n");
  std::string folder = f.other_skin;
  SkinLayout l;
  EXPECT_EQ(LoadSkinLayout(folder, f.program, l), 0);
  EXPECT_EQ(folder, f.other_skin);
  EXPECT_EQ(l.close.left, 21);
  EXPECT_TRUE(l.png_skin);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(SkinLoad, AFolderWithoutSkinTxtFallsBackSilentlyToTheDefaultSkin) {
  RecordingPlatform platform;
  SkinFolders f;
  std::filesystem::create_directory(f.other_skin);
  std::filesystem::create_directory(f.default_skin);
  WriteText(JoinPath(f.default_skin, "skin.txt"), "VERSION=2\nCLOSE_L=33\n");
  std::string folder = f.other_skin;
  SkinLayout l;
  EXPECT_EQ(LoadSkinLayout(folder, f.program, l), 0);
  EXPECT_EQ(folder, f.default_skin);
  EXPECT_EQ(l.close.left, 33);
  EXPECT_FALSE(l.png_skin);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(SkinLoad, AMissingSkinFolderIsReportedThenTheDefaultSkinIsRead) {
  RecordingPlatform platform;
  SkinFolders f;
  std::filesystem::create_directory(f.default_skin);
  WriteText(JoinPath(f.default_skin, "skin.txt"), "VERSION=3\nCLOSE_L=44\n");
  std::string folder = JoinPath(f.program, "gone");
  SkinLayout l;
  EXPECT_EQ(LoadSkinLayout(folder, f.program, l), 0);
  EXPECT_EQ(folder, f.default_skin);
  EXPECT_EQ(l.close.left, 44);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kFolderMissing);
  EXPECT_EQ(platform.messages[0].caption, "エラー");
}

TEST(SkinLoad, NoSkinAnywhereShowsAllThreeMessagesAndLeavesTheLayout) {
  RecordingPlatform platform;
  SkinFolders f;
  std::string folder = JoinPath(f.program, "gone");
  SkinLayout l = DistinctLayout(3);
  EXPECT_EQ(LoadSkinLayout(folder, f.program, l), -1);
  EXPECT_EQ(folder, JoinPath(f.program, "gone"));
  EXPECT_EQ(SkinRowValues(l), SkinRowValues(DistinctLayout(3)));
  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].text, kFolderMissing);
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(platform.messages[1].text, kDefaultMissing);
  EXPECT_EQ(platform.messages[1].caption, "エラー");
  EXPECT_EQ(platform.messages[2].text, kSkinTxtMissing);
  EXPECT_EQ(platform.messages[2].caption, "エラー(ToT)");
}

TEST(SkinLoad, ADefaultSkinFolderWithoutSkinTxtFailsWithOneMessage) {
  RecordingPlatform platform;
  SkinFolders f;
  std::filesystem::create_directory(f.other_skin);
  std::filesystem::create_directory(f.default_skin);
  std::string folder = f.other_skin;
  SkinLayout l;
  l.close.left = 99;
  EXPECT_EQ(LoadSkinLayout(folder, f.program, l), -1);
  // The default skin folder was entered, so it is the skin folder from now on.
  EXPECT_EQ(folder, f.default_skin);
  EXPECT_EQ(l.close.left, 99);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kSkinTxtMissing);
  EXPECT_EQ(platform.messages[0].caption, "エラー(ToT)");
}

TEST(SkinLoad, ASkinFolderGivenWithATrailingSeparatorIsFound) {
  RecordingPlatform platform;
  SkinFolders f;
  std::filesystem::create_directory(f.other_skin);
  WriteText(JoinPath(f.other_skin, "skin.txt"), "VERSION=1\n");
  std::string folder = f.other_skin + "/";
  SkinLayout l;
  EXPECT_EQ(LoadSkinLayout(folder, f.program, l), 0);
  EXPECT_EQ(l.version, 1);
  EXPECT_TRUE(platform.messages.empty());
}

// --- Elements and image sets -----------------------------------------------

TEST(SkinElements, NamesOwnersAndCommandsOfEveryElement) {
  struct Row {
    SkinElementId id;
    const char* name;
    SkinWindow owner;
    int command;
  };
  const Row rows[] = {
      {SkinElementId::kClose, "CLOSE", SkinWindow::kMain, CMD_EXIT},
      {SkinElementId::kMinimize, "MINIMIZE", SkinWindow::kMain, CMD_HIDE_WINDOWS},
      {SkinElementId::kChanger, "CHANGER", SkinWindow::kMain, CMD_CHANGER},
      {SkinElementId::kSylWnd, "SYL_WND", SkinWindow::kMain, CMD_CANVAS_WINDOW},
      {SkinElementId::kNewCanvas, "NEW_CANVAS", SkinWindow::kMain, CMD_NEW_CANVAS},
      {SkinElementId::kPlantTree, "PLANT_TREE", SkinWindow::kMain, CMD_PLANT_TREE},
      {SkinElementId::kSave, "SAVE", SkinWindow::kMain, CMD_SAVE_CANVAS},
      {SkinElementId::kLoad, "LOAD", SkinWindow::kMain, CMD_OPEN_CANVAS},
      {SkinElementId::kSettei, "SETTEI", SkinWindow::kMain, CMD_CANVAS_SETTINGS},
      {SkinElementId::kMenu0, "MENU0", SkinWindow::kMain, 0},
      {SkinElementId::kTimer, "TIMER", SkinWindow::kMain, 0},
      {SkinElementId::kKinumDisp, "KINUM_DISP", SkinWindow::kMain, 0},
      {SkinElementId::kMapView, "MAP_VIEW", SkinWindow::kMain, CMD_MAP_CLICKED},
      {SkinElementId::kMapCancel, "MAP_CANCEL", SkinWindow::kMap, CMD_MAP_CANCELLED},
      {SkinElementId::kChangerClose, "CHANGER_CLOSE", SkinWindow::kChanger, CMD_EXIT},
      {SkinElementId::kChangerButton1, "CHANGER_BUTTON1", SkinWindow::kChanger, 1003},
      {SkinElementId::kChangerButton2, "CHANGER_BUTTON2", SkinWindow::kChanger, 1042},
      {SkinElementId::kChangerButton3, "CHANGER_BUTTON3", SkinWindow::kChanger, 1046},
      {SkinElementId::kChangerOkButton, "CHANGER_OK_BUTTON", SkinWindow::kChanger, 1},
      {SkinElementId::kChangerCancelButton, "CHANGER_CANCEL_BUTTON", SkinWindow::kChanger, 2},
      {SkinElementId::kSylWndClose, "SYLWND_CLOSE", SkinWindow::kCanvasWindow, CMD_EXIT},
  };
  for (const Row& r : rows) {
    const SkinElementInfo& e = SkinElement(r.id);
    EXPECT_EQ(e.id, r.id) << r.name;
    EXPECT_STREQ(e.class_name, r.name);
    EXPECT_EQ(e.owner, r.owner) << r.name;
    EXPECT_EQ(e.command, r.command) << r.name;
  }
  EXPECT_EQ(SkinElement(SkinElementId::kMenu0).kind, SkinElementKind::kMenu);
  EXPECT_EQ(SkinElement(SkinElementId::kTimer).kind, SkinElementKind::kTimer);
  EXPECT_EQ(SkinElement(SkinElementId::kKinumDisp).kind, SkinElementKind::kTreeCount);
  EXPECT_EQ(SkinElement(SkinElementId::kMapView).rect, nullptr);
  EXPECT_EQ(SkinElement(SkinElementId::kChanger).rect, &SkinLayout::changer_btn);
  EXPECT_EQ(SkinElement(SkinElementId::kKinumDisp).rect, &SkinLayout::growing_ki_num);
}

std::string OrderNames(const std::array<SkinElementId, kSkinElementCount>& order) {
  std::string names;
  for (SkinElementId id : order) names += std::string(SkinElement(id).class_name) + " ";
  return names;
}

TEST(SkinElements, CreationAndReplaceOrders) {
  EXPECT_EQ(OrderNames(SkinCreationOrder()),
            "CHANGER_CLOSE CHANGER_BUTTON1 CHANGER_BUTTON2 CHANGER_BUTTON3 CHANGER_OK_BUTTON "
            "CHANGER_CANCEL_BUTTON SYLWND_CLOSE CLOSE MINIMIZE CHANGER SYL_WND NEW_CANVAS PLANT_TREE SAVE LOAD "
            "SETTEI MENU0 TIMER KINUM_DISP MAP_VIEW MAP_CANCEL ");
  EXPECT_EQ(OrderNames(SkinReplaceOrder()),
            "CHANGER SYL_WND CHANGER_CLOSE CHANGER_BUTTON1 CHANGER_BUTTON2 CHANGER_BUTTON3 CHANGER_OK_BUTTON "
            "CHANGER_CANCEL_BUTTON SYLWND_CLOSE CLOSE MINIMIZE NEW_CANVAS PLANT_TREE SAVE LOAD SETTEI MENU0 "
            "TIMER KINUM_DISP MAP_VIEW MAP_CANCEL ");
}

TEST(SkinElements, BitmapFileNames) {
  using F = std::array<std::string, 3>;
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kClose)), (F{"close_n.bmp", "close_o.bmp", "close_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kMinimize)), (F{"mini_n.bmp", "mini_o.bmp", "mini_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kChanger)), (F{"close_n.bmp", "close_o.bmp", "close_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kSylWnd)), (F{"close_n.bmp", "close_o.bmp", "close_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kNewCanvas)), (F{"new_n.bmp", "new_o.bmp", "new_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kPlantTree)), (F{"plant_n.bmp", "plant_o.bmp", "plant_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kSave)), (F{"save_n.bmp", "save_o.bmp", "save_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kLoad)), (F{"load_n.bmp", "load_o.bmp", "load_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kSettei)), (F{"settei_n.bmp", "settei_o.bmp", "settei_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kMenu0)), (F{"menu0_n.bmp", "menu0_o.bmp", "menu0_d.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kTimer)), (F{"timer.bmp", "timer.bmp", "timer.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kKinumDisp)), (F{"ki_num.bmp", "ki_num.bmp", "ki_num.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kMapView)),
            (F{"map_view.bmp", "map_view.bmp", "map_view.bmp"}));
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kMapCancel)),
            (F{"map_cancel_n.bmp", "map_cancel_o.bmp", "map_cancel_d.bmp"}));
  // Changer and canvas-window elements always draw from their image sets.
  EXPECT_EQ(ElementBitmapFiles(SkinElement(SkinElementId::kChangerOkButton)), (F{"", "", ""}));
}

TEST(SkinImageSets, FileNamesOfTheFourSets) {
  auto names = [](ImageSet s) {
    ImageSetFiles f = ImageSetFileNames(s);
    return std::string(f.back) + " " + f.normal + " " + f.over + " " + f.down;
  };
  EXPECT_EQ(names(ImageSet::kControl), "ctrl_back.png ctrl_normal.png ctrl_over.png ctrl_down.png");
  EXPECT_EQ(names(ImageSet::kMap), "map_back.png map_normal.png map_over.png map_down.png");
  EXPECT_EQ(names(ImageSet::kChanger), "changer_back.png changer_normal.png changer_over.png changer_down.png");
  EXPECT_EQ(names(ImageSet::kCanvasWindow),
            "canvas_wnd_back.png canvas_wnd_normal.png canvas_wnd_over.png canvas_wnd_down.png");
  EXPECT_EQ(ImageSetOf(SkinWindow::kMain), ImageSet::kControl);
  EXPECT_EQ(ImageSetOf(SkinWindow::kMap), ImageSet::kMap);
  EXPECT_EQ(ImageSetOf(SkinWindow::kChanger), ImageSet::kChanger);
  EXPECT_EQ(ImageSetOf(SkinWindow::kCanvasWindow), ImageSet::kCanvasWindow);
}

TEST(SkinRects, PlaceableOnlyWithNonNegativeOriginAndPositiveSize) {
  EXPECT_TRUE(IsPlaceableRect({0, 0, 1, 1}));
  EXPECT_FALSE(IsPlaceableRect({-1, 0, 1, 1}));
  EXPECT_FALSE(IsPlaceableRect({0, -1, 1, 1}));
  EXPECT_FALSE(IsPlaceableRect({0, 0, 0, 1}));
  EXPECT_FALSE(IsPlaceableRect({0, 0, 1, 0}));
}

}  // namespace
}  // namespace sylvane
