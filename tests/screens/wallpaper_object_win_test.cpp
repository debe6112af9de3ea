// The per-monitor route through the desktop wallpaper object of Windows 8 and
// later, which Wine lacks: a stand-in object reports the monitors in its own
// order, one of them detached, and records what the program asks of it.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "canvas/image/image_io.h"
#include "canvas/monitor_layout.h"
#include "canvas/wallpaper_object_win.h"
#include "canvas/wallpaper_win.h"
#include "support/recording_platform.h"
// windows.h names LoadImageA "LoadImage", as the program's picture loader is called.
#undef LoadImage

namespace sylvane::testing {
namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class FakeWallpaperObject : public DesktopWallpaperObject {
 public:
  // Monitors as the object lists them; a monitor without a rectangle is detached.
  std::vector<std::pair<std::wstring, std::optional<RECT>>> monitors;
  std::map<std::wstring, std::wstring> set;  // monitor id -> wallpaper file
  int position = -1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR id, LPCWSTR file) override {
    set[id] = file;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
    if (index >= monitors.size()) return E_INVALIDARG;
    const std::wstring& name = monitors[index].first;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc((name.size() + 1) * sizeof(wchar_t)));
    wcscpy(*id, name.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
    *count = UINT(monitors.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR id, RECT* rect) override {
    for (const auto& [name, r] : monitors)
      if (name == id && r) {
        *rect = *r;
        return S_OK;
      }
    return S_FALSE;  // what the object answers for a detached monitor
  }
  HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetPosition(int p) override {
    position = p;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPosition(int*) override { return E_NOTIMPL; }
};

class WallpaperObjectTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  Surface lit;
  FakeWallpaperObject object;
  // The program's order: a portrait monitor left of and above the primary.
  const std::vector<MonitorRect> monitors{{-30, -10, 30, 50}, {0, 0, 80, 40}};
  static constexpr uint32_t kBackground = 0x00304050;

  void SetUp() override {
    platform.program_folder = dir.path();
    ASSERT_TRUE(lit.Create(36, 20));
    for (int y = 0; y < lit.height; ++y)
      for (int x = 0; x < lit.width; ++x) {
        uint8_t* p = lit.PixelAt(x, y);
        p[0] = uint8_t(x * 7), p[1] = uint8_t(y * 11), p[2] = 200;
      }
    lit.RefreshHeaders();
    // The object's order differs, and it knows a detached monitor too.
    object.monitors = {{L"\\\\?\\DISPLAY#B", RECT{0, 0, 80, 40}},
                       {L"\\\\?\\DISPLAY#DETACHED", std::nullopt},
                       {L"\\\\?\\DISPLAY#A", RECT{-30, -10, 0, 40}}};
  }

  // The monitor's file holds exactly the garden composed for its size.
  void ExpectMonitorFile(int index, MonitorFit fit) {
    const MonitorRect& m = monitors[size_t(index)];
    Surface want;
    ASSERT_EQ(ComposeMonitorPicture(lit, kBackground, fit, m.width, m.height, want), LayoutStatus::kOk);
    Surface got;
    ASSERT_EQ(LoadImage(dir.File(MonitorWallpaperFile(index)), got, false), 0) << index;
    ASSERT_EQ(got.width, m.width);
    ASSERT_EQ(got.height, m.height);
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x)
        ASSERT_EQ(std::memcmp(got.PixelAt(x, y), want.PixelAt(x, y), 3), 0) << index << " at " << x << "," << y;
  }
};

TEST_F(WallpaperObjectTest, EveryAttachedMonitorGetsItsOwnPicture) {
  PublishToWallpaperObject(object, lit, kBackground, MonitorFit::kStretch, monitors, false);
  ExpectMonitorFile(0, MonitorFit::kStretch);
  ExpectMonitorFile(1, MonitorFit::kStretch);
  Surface garden;
  ASSERT_EQ(LoadImage(dir.File(kCanvasWallpaperFile), garden, false), 0);
  EXPECT_EQ(garden.width, lit.width);
  EXPECT_EQ(object.position, kPositionFill);
  ASSERT_EQ(object.set.size(), 2u) << "the detached monitor is left alone";
  EXPECT_EQ(object.set[L"\\\\?\\DISPLAY#A"], Wide(dir.File(MonitorWallpaperFile(0))));
  EXPECT_EQ(object.set[L"\\\\?\\DISPLAY#B"], Wide(dir.File(MonitorWallpaperFile(1))));
}

TEST_F(WallpaperObjectTest, WhileTheChangerShowsAPictureOnlyTheFilesAreWritten) {
  PublishToWallpaperObject(object, lit, kBackground, MonitorFit::kCentre, monitors, true);
  ExpectMonitorFile(0, MonitorFit::kCentre);
  ExpectMonitorFile(1, MonitorFit::kCentre);
  EXPECT_TRUE(object.set.empty());
  EXPECT_EQ(object.position, -1);
}

}  // namespace
}  // namespace sylvane::testing
#endif  // _WIN32
