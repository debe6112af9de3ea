// The program's resources: the menu "MYMENU" with its Shift-JIS texts (some
// of whose characters end in the byte 0x5C), the lighting groups, icons and cursors.
#include <gtest/gtest.h>

#include <map>

#include "e2e_support.h"

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
      {40005, "壁紙にする(&W)"}, {40006, "キャンバスの新規作成(&N)"}, {40007, "キャンバスの設定(&I)"},
      {40008, "樹の新規作成(&K)"}, {40009, "樹を保存する(&W)"}, {40010, "樹を植える(&M)"},
      {40011, "キャンバスを保存する(&S)"}, {40012, "終了(&X)"}, {40013, "ウインドウを非表示(&C)"},
      {40014, "名前を付けてキャンバスを保存する(&A)"}, {40015, "キャンバス（SYLファイル）を開く(&L)"},
      {40019, "アプリケーションの設定(&T)"}, {40020, "スキンを変更する(&K)"}, {40022, "ウインドウを表示(&W)"},
      {40024, "バージョン情報"}, {40031, "キャンバスウインドウ(&W)"}, {40032, "キャンバスウインドウを更新する(&R)"},
      {40033, "透過ウインドウの設定"}, {40058, "樹の名前を表示"}, {40060, "樹の名前を表示（通常）"},
      {40073, "壁紙チェンジャー(&F)"}, {40077, "印刷する"}, {40085, "樹のファイル名を表示（通常）"},
      {40035, "なし（オフ）"}, {40057, "ランダムモード"}, {40038, "深海（光源移動）"}, {40046, "3 colors"},
      {40050, "シンプルスポットライト"}, {40078, "シンプルスポットライト"}, {40036, "一日の色彩（時刻ごとに変化）"},
  };
  for (const auto& [id, text] : expected) EXPECT_EQ(items[id], text) << id;
  for (int id = 40035; id <= 40057; ++id) EXPECT_TRUE(items.count(id)) << "lighting item " << id;
  for (int id = 40078; id <= 40082; ++id) EXPECT_TRUE(items.count(id)) << "lighting item " << id;
}

TEST_F(Resources, LightingMenuGroups) {
  HMENU lighting = SubMenuNamed(GetSubMenu(menu_, 0), "ライティング");
  ASSERT_NE(lighting, nullptr);
  EXPECT_EQ(GetMenuItemID(lighting, 0), 40035u);
  EXPECT_EQ(GetMenuItemID(lighting, 1), 40057u);
  const std::map<std::string, std::vector<UINT>> groups = {
      {"ノーマルライト", {40050, 40042, 40044, 40045, 40049, 40051}},
      {"ノーマルライト（背景にも適用）", {40078, 40079, 40080, 40081, 40082}},
      {"色ライト", {40037, 40046, 40043, 40039, 40040, 40041}},
      {"光色変化・光源移動", {40056, 40055, 40054, 40036, 40052, 40053, 40038}},
      {"格子", {40047, 40048}},
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
  EXPECT_EQ(tray[40022], "ウインドウを表示(&W)");
  EXPECT_EQ(tray[40012], "終了(&X)");
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
