// The program's resources: the menu "MYMENU" with its Shift-JIS texts (some
// of whose characters end in the byte 0x5C), the lighting groups, icons and cursors.
#include <gtest/gtest.h>

#include <map>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(ProgramExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
    menu_ = LoadMenuA(module_, "MYMENU");
    ASSERT_NE(menu_, nullptr);
  }
  void TearDown() override {
    if (menu_) DestroyMenu(menu_);
    if (module_) FreeLibrary(module_);
  }
  static std::string Text(HMENU m, UINT pos) {
    char buf[256] = {};
    GetMenuStringA(m, pos, buf, sizeof(buf), MF_BYPOSITION);
    return buf;
  }
  // Every command item of a menu and its sub-menus: id -> text.
  static void Collect(HMENU m, std::map<int, std::string>& out) {
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
      if (HMENU sub = GetSubMenu(m, i)) {
        Collect(sub, out);
        continue;
      }
      int id = int(GetMenuItemID(m, i));
      if (id > 0) out[id] = Text(m, UINT(i));
    }
  }
  HMENU SubMenuNamed(HMENU m, const std::string& name) {
    for (int i = 0; i < GetMenuItemCount(m); ++i)
      if (GetSubMenu(m, i) && Text(m, UINT(i)) == name) return GetSubMenu(m, i);
    return nullptr;
  }
  HMODULE module_ = nullptr;
  HMENU menu_ = nullptr;
};

TEST_F(Resources, MainPopupHasEveryCommandWithItsText) {
  ASSERT_EQ(GetMenuItemCount(menu_), 2);
  EXPECT_EQ(Text(menu_, 1), "タスクトレイ用");
  std::map<int, std::string> items;
  Collect(GetSubMenu(menu_, 0), items);
  const std::map<int, std::string> expected = {
      {CMD_MAKE_WALLPAPER, "壁紙にする(&W)"}, {CMD_NEW_CANVAS, "キャンバスの新規作成(&N)"}, {CMD_CANVAS_SETTINGS, "キャンバスの設定(&I)"},
      {CMD_SAMPLE_GARDEN, "樹の新規作成(&K)"}, {CMD_SAVE_TREE, "樹を保存する(&W)"}, {CMD_PLANT_TREE, "樹を植える(&M)"},
      {CMD_SAVE_CANVAS, "キャンバスを保存する(&S)"}, {CMD_EXIT, "終了(&X)"}, {CMD_HIDE_WINDOWS, "ウインドウを非表示(&C)"},
      {CMD_SAVE_CANVAS_AS, "名前を付けてキャンバスを保存する(&A)"}, {CMD_OPEN_CANVAS, "キャンバス（SYLファイル）を開く(&L)"},
      {CMD_APP_SETTINGS, "アプリケーションの設定(&T)"}, {CMD_CHANGE_SKIN, "スキンを変更する(&K)"}, {CMD_SHOW_WINDOWS, "ウインドウを表示(&W)"},
      {CMD_ABOUT, "バージョン情報"}, {CMD_CANVAS_WINDOW, "キャンバスウインドウ(&W)"}, {CMD_REFRESH_CANVAS_WINDOW, "キャンバスウインドウを更新する(&R)"},
      {CMD_TRANSPARENCY, "透過ウインドウの設定"}, {CMD_SHOW_NAMES, "樹の名前を表示"}, {CMD_SHOW_NAMES_NORMAL, "樹の名前を表示（通常）"},
      {CMD_CHANGER, "壁紙チェンジャー(&F)"}, {CMD_PRINT, "印刷する"}, {CMD_SHOW_FILE_NAMES_NORMAL, "樹のファイル名を表示（通常）"},
      {CMD_LIGHT_FIRST, "なし（オフ）"}, {CMD_LIGHT_FIRST + 22, "ランダムモード"}, {CMD_LIGHT_FIRST + 3, "深海（光源移動）"}, {CMD_LIGHT_FIRST + 11, "3 colors"},
      {CMD_LIGHT_FIRST + 15, "シンプルスポットライト"}, {CMD_LIGHT_BG_FIRST, "シンプルスポットライト"}, {CMD_LIGHT_FIRST + 1, "一日の色彩（時刻ごとに変化）"},
  };
  for (const auto& [id, text] : expected) EXPECT_EQ(items[id], text) << id;
  for (int id = CMD_LIGHT_FIRST; id <= CMD_LIGHT_FIRST + 22; ++id) EXPECT_TRUE(items.count(id)) << "lighting item " << id;
  for (int id = CMD_LIGHT_BG_FIRST; id <= CMD_LIGHT_BG_FIRST + 4; ++id) EXPECT_TRUE(items.count(id)) << "lighting item " << id;
}

TEST_F(Resources, LightingMenuGroups) {
  HMENU lighting = SubMenuNamed(GetSubMenu(menu_, 0), "ライティング");
  ASSERT_NE(lighting, nullptr);
  EXPECT_EQ(GetMenuItemID(lighting, 0), 40035u);
  EXPECT_EQ(GetMenuItemID(lighting, 1), 40057u);
  const std::map<std::string, std::vector<UINT>> groups = {
      {"ノーマルライト", {CMD_LIGHT_FIRST + 15, CMD_LIGHT_FIRST + 7, CMD_LIGHT_FIRST + 9, CMD_LIGHT_FIRST + 10, CMD_LIGHT_FIRST + 14, CMD_LIGHT_FIRST + 16}},
      {"ノーマルライト（背景にも適用）", {CMD_LIGHT_BG_FIRST, CMD_LIGHT_BG_FIRST + 1, CMD_LIGHT_BG_FIRST + 2, CMD_LIGHT_BG_FIRST + 3, CMD_LIGHT_BG_FIRST + 4}},
      {"色ライト", {CMD_LIGHT_FIRST + 2, CMD_LIGHT_FIRST + 11, CMD_LIGHT_FIRST + 8, CMD_LIGHT_FIRST + 4, CMD_LIGHT_FIRST + 5, CMD_LIGHT_FIRST + 6}},
      {"光色変化・光源移動", {CMD_LIGHT_FIRST + 21, CMD_LIGHT_FIRST + 20, CMD_LIGHT_FIRST + 19, CMD_LIGHT_FIRST + 1, CMD_LIGHT_FIRST + 17, CMD_LIGHT_FIRST + 18, CMD_LIGHT_FIRST + 3}},
      {"格子", {CMD_LIGHT_FIRST + 12, CMD_LIGHT_FIRST + 13}},
  };
  for (const auto& [name, ids] : groups) {
    HMENU g = SubMenuNamed(lighting, name);
    ASSERT_NE(g, nullptr) << name;
    ASSERT_EQ(GetMenuItemCount(g), int(ids.size())) << name;
    for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(GetMenuItemID(g, int(i)), ids[i]) << name << " " << i;
  }
}

TEST_F(Resources, TrayPopupAndPictures) {
  std::map<int, std::string> tray;
  Collect(GetSubMenu(menu_, 1), tray);
  EXPECT_EQ(tray[CMD_SHOW_WINDOWS], "ウインドウを表示(&W)");
  EXPECT_EQ(tray[CMD_EXIT], "終了(&X)");
  EXPECT_NE(LoadImageA(module_, MAKEINTRESOURCEA(108), IMAGE_ICON, 16, 16, 0), nullptr);
  EXPECT_NE(LoadImageA(module_, MAKEINTRESOURCEA(109), IMAGE_ICON, 16, 16, 0), nullptr);
  EXPECT_NE(LoadImageA(module_, MAKEINTRESOURCEA(104), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE), nullptr);
  EXPECT_NE(LoadImageA(module_, MAKEINTRESOURCEA(105), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE), nullptr);
  for (int dialog : {101, 102, 114, 126, 127})
    EXPECT_NE(FindResourceA(module_, MAKEINTRESOURCEA(dialog), MAKEINTRESOURCEA(5)), nullptr) << dialog;
  EXPECT_NE(FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr) << "the manifest";
}

}  // namespace
}  // namespace e2e
