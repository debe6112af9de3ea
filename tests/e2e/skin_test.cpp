// Skins of each VERSION, a misspelt key, and a skin folder without skin.txt.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace e2e {
namespace {

// The element's rectangle in the main window's client area.
RECT ElementRect(const App& app, const char* cls) {
  RECT r{};
  HWND e = app.Element(cls);
  if (!e) return r;
  GetWindowRect(e, &r);
  MapWindowPoints(nullptr, app.main(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

App& StartWithSkin(App& app, int version, int misspell_row = 0) {
  MakeSkin(app.File("skin"), version, misspell_row);
  EXPECT_TRUE(app.Start());
  EXPECT_TRUE(app.WaitNoBox(3000)) << "no message for a readable skin";
  return app;
}

void ExpectMainSize(const App& app, int w, int h) {
  RECT r;
  ASSERT_TRUE(GetWindowRect(app.main(), &r));
  EXPECT_EQ(r.right - r.left, w);
  EXPECT_EQ(r.bottom - r.top, h);
}

TEST(Skin, VersionZeroHasNoChangerOrCanvasWindowButton) {
  App app("skin_v0", false);
  StartWithSkin(app, 0);
  ExpectMainSize(app, kTestSkinWidth, kTestSkinHeight);
  RECT close = ElementRect(app, "CLOSE");
  EXPECT_EQ(close.left, 240);
  EXPECT_EQ(close.top, 4);
  EXPECT_EQ(close.right - close.left, 14);
  HWND changer = app.Element("CHANGER");
  EXPECT_TRUE(changer == nullptr || !IsWindowVisible(changer));
  HWND canvas_button = app.Element("SYL_WND");
  EXPECT_TRUE(canvas_button == nullptr || !IsWindowVisible(canvas_button));
  SaveScreenshot(app.main(), "skin_version0");
  ASSERT_TRUE(app.Close());
}

TEST(Skin, VersionTwoPlacesTheChangerButton) {
  App app("skin_v2", false);
  StartWithSkin(app, 2);
  HWND changer = app.Element("CHANGER");
  ASSERT_NE(changer, nullptr);
  EXPECT_TRUE(IsWindowVisible(changer));
  RECT r = ElementRect(app, "CHANGER");
  EXPECT_EQ(r.left, 210);
  EXPECT_EQ(r.top, 34);
  EXPECT_EQ(r.right - r.left, 14);
  EXPECT_EQ(r.bottom - r.top, 24);
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.skin_option, 0);
}

TEST(Skin, VersionThreeDrawsTheMainWindowFromThePngSet) {
  App app("skin_v3", false);
  StartWithSkin(app, 3);
  ExpectMainSize(app, kTestSkinWidth, kTestSkinHeight);
  Sleep(500);
  sylvane::Surface shot;
  ASSERT_TRUE(CaptureWindow(app.Element("CLOSE"), shot));
  // The normal image (70, 150, 90) at alpha 200 over the back image (90, 40, 110).
  const uint8_t* p = shot.PixelAt(shot.width / 2, shot.height / 2);
  EXPECT_NEAR(p[2], 74, 2);
  EXPECT_NEAR(p[1], 126, 2);
  EXPECT_NEAR(p[0], 94, 2);
  SaveScreenshot(app.main(), "skin_version3");
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.skin_option, 1);
}

TEST(Skin, MisspeltKeyStopsTheReadingThere) {
  App app("skin_misspelt", false);
  StartWithSkin(app, 2, 64);  // CHANGER_BTN_L misspelt: it and every later row stay unread
  RECT close = ElementRect(app, "CLOSE");
  EXPECT_EQ(close.left, 240) << "rows before the misspelt one were read";
  HWND changer = app.Element("CHANGER");
  EXPECT_TRUE(changer == nullptr || !IsWindowVisible(changer)) << "its width stayed 0";
  ASSERT_TRUE(app.Close());
}

TEST(Skin, SkinFolderWithoutSkinTxtFallsBackToTheDefaultFolderSilently) {
  App app("skin_fallback");
  CreateDirectoryA(app.File("empty_skin").c_str(), nullptr);
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.folders[sylvane::kFolderSkin] = app.File("empty_skin");
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(app.WaitNoBox(3000));
  ASSERT_TRUE(app.Close());
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(_stricmp(s.folders[sylvane::kFolderSkin].c_str(), app.File("skin").c_str()), 0)
      << s.folders[sylvane::kFolderSkin];
}

// Command 40020 choosing folder in the folder browser, until `took` holds:
// the browser sometimes keeps the folder it preselected itself, and the
// choice is then made again.
template <class Took>
bool ChangeSkinUntil(App& app, const std::string& folder, Took took) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!app.ChangeSkinTo(folder)) continue;
    if (WaitUntil(took, 3000)) return true;
  }
  return false;
}

// True while the CLOSE button shows the bitmap skin's normal picture
// (red 40), not the PNG set's composite (red 74).
bool BitmapSkinShown(const App& app) {
  sylvane::Surface shot;
  if (!CaptureWindow(app.Element("CLOSE"), shot)) return false;
  const uint8_t* p = shot.PixelAt(shot.width / 2, shot.height / 2);
  return p[2] < 60;
}

TEST(Skin, ChangeSkinToAPngSkinResizesTheMainWindowInPlace) {
  App app("skin_change_v3");
  ASSERT_TRUE(app.Start());
  RECT before;
  ASSERT_TRUE(GetWindowRect(app.main(), &before));
  MakeSkin(app.File("skin3"), 3);
  ASSERT_TRUE(ChangeSkinUntil(app, app.File("skin3"), [&] {
    RECT r;
    GetWindowRect(app.main(), &r);
    return r.right - r.left == kTestSkinWidth && r.bottom - r.top == kTestSkinHeight;
  })) << "the main window takes the new background's size";
  RECT after;
  GetWindowRect(app.main(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_TRUE(app.Boxes().empty());
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(_stricmp(s.folders[sylvane::kFolderSkin].c_str(), app.File("skin3").c_str()), 0);
  EXPECT_EQ(s.skin_option, 1);
}

TEST(Skin, ChangeSkinToAFolderWithoutSkinTxtFallsBackSilently) {
  App app("skin_change_empty", false);
  MakeSkin(app.File("skin"), 2);
  MakeSkin(app.File("skin3"), 3);
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.folders[sylvane::kFolderSkin] = app.File("skin3");
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  CreateDirectoryA(app.File("empty").c_str(), nullptr);
  EXPECT_FALSE(BitmapSkinShown(app)) << "the PNG skin is in use before the change";
  ASSERT_TRUE(ChangeSkinUntil(app, app.File("empty"), [&] { return BitmapSkinShown(app); }))
      << "the default folder's bitmap skin is in use";
  EXPECT_TRUE(app.Boxes().empty()) << "no message";
  HWND changer = app.Element("CHANGER");
  EXPECT_TRUE(changer && IsWindowVisible(changer)) << "the default folder's VERSION 2 skin is in use";
  ASSERT_TRUE(app.Close());
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(_stricmp(s.folders[sylvane::kFolderSkin].c_str(), app.File("skin").c_str()), 0)
      << s.folders[sylvane::kFolderSkin];
  EXPECT_EQ(s.skin_option, 0);
}

}  // namespace
}  // namespace e2e
