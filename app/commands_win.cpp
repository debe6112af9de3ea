// The command dispatch of the main window: one table of command ids, routed
// through OnCommand, and the two planting paths (a tree file, and scattering
// it around the point picked in the map window).
#include <algorithm>
#include <string>

#include "app/app_win.h"
#include "app/canvas_ops_win.h"
#include "app/diary_win.h"
#include "app/update_cycle_win.h"
#include "app/welcome_garden_win.h"
#include "base/random.h"
#include "ui/canvas_dialogs_win.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "canvas/wallpaper_win.h"
#include "paint/canvas.h"
#include "paint/lighting.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "res/resource.h"
#include "canvas/garden.h"
#include "canvas/garden_engine.h"
#include "trees/growth.h"
#include "trees/ki_dialogs_win.h"
#include "trees/ki_file.h"
#include "trees/mutation.h"
#include "trees/part_data.h"
#include "trees/planting.h"
#include "trees/tree.h"
#include "ui/about_win.h"
#include "ui/app_services_win.h"
#include "ui/canvas_dialogs_win.h"
#include "ui/changer_win.h"
#include "ui/print_win.h"
#include "ui/settings_sheet_win.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

GardenEngine& TheEngine() { return Engine(); }
const Canvas& TheCanvas() { return Engine().garden().canvas; }

void NoCanvasMessage() { ShowNoCanvasMessage(); }

void ToCanvasWindow(int id) {
  if (Windows().canvas_window) SendMessageA(Windows().canvas_window, WM_COMMAND, WPARAM(id), 0);
}

void ToChanger(int id) {
  if (Windows().changer) SendMessageA(Windows().changer, WM_COMMAND, WPARAM(id), 0);
}

void StoreWindowRect(HWND window, WindowRect& into) {
  RECT r;
  if (!window || !GetWindowRect(window, &r)) return;
  into = WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// ---- the update cycle ----
void OnPeriodicUpdate(HWND main, int) { PeriodicUpdate(main); }
void OnDailyUpdate(HWND main, int) { DailyUpdate(main); }
void OnFirstUpdate(HWND main, int) { FirstUpdate(main); }

void OnMakeWallpaper(HWND main, int) {
  if (!TheCanvas().exists) return;
  Surface lit;
  if (!RenderLitCanvas(lit)) return;
  const MInitInfo& s = Settings();
  if (AppOptions().wallpaper_per_monitor) {
    PublishMonitorWallpapers(main, lit, TheCanvas().background_colour, s.wallpaper_style, s.changer_active != 0);
    return;
  }
  PublishCanvasWallpaper(main, lit, s.wallpaper_style, s.changer_active != 0);
}

// ---- canvases ----
void OnNewCanvas(HWND main, int) {
  if (TheCanvas().exists && !AskToSaveCanvas(main)) return;
  if (NewCanvasDialog(main) == 1) {
    ToCanvasWindow(CMD_REFRESH_CANVAS_WINDOW);
    if (ChangerShowsGarden()) ToChanger(CMD_CHANGER_REFRESH);
  }
}

void OnCanvasSettings(HWND main, int) {
  if (!TheCanvas().exists) {
    NoCanvasMessage();
    return;
  }
  CanvasSettingsDialog(main);
}

void OnSaveCanvas(HWND main, int) {
  TheEngine().Change([&](Garden& garden) {
    if (!garden.canvas.exists) {
      NoCanvasMessage();
      return;
    }
    SaveCanvasToOwnFileOrAsk(main);
  });
}

void OnSaveCanvasAs(HWND main, int) {
  TheEngine().Change([&](Garden& garden) {
    if (!garden.canvas.exists) {
      NoCanvasMessage();
      return;
    }
    SaveCanvasDialog(main);
  });
}

// What follows every opened canvas: the count panel, the canvas window, the clock.
void AfterCanvasOpened(HWND main, bool loaded) {
  const Canvas& c = TheCanvas();
  if (loaded) {
    TreeCountPanelSetCount(TheEngine().garden().table.growing_count());
    TimerPanelRefresh(c.elapsed_hours, c.elapsed_minutes, c.elapsed_seconds);
    ToCanvasWindow(CMD_REFRESH_CANVAS_WINDOW);
  }
  if (c.exists) {
    StartUpdateTimer();
    if (c.update_interval == 0) DailyCheck(main);
  }
}

void OnOpenCanvas(HWND main, int) {
  if (TheCanvas().exists && !AskToSaveCanvas(main)) return;
  bool loaded = false;
  if (!TheEngine().Change([&](Garden&) {
        KillUpdateTimer();
        loaded = OpenCanvasDialog(main) == 0;
      }))
    return;
  AfterCanvasOpened(main, loaded);
}

// ---- trees ----
// The sample garden replaces the current one: like a new or opened canvas it
// first offers to save it (Cancel keeps everything as it is).
void OnSampleGarden(HWND main, int) {
  if (TheCanvas().exists && !AskToSaveCanvas(main)) return;
  const MInitInfo& settings = Settings();
  Surface no_picture;
  int created = -1;
  if (!TheEngine().Change([&](Garden& g) {
        created = CreateCanvas(main, kSampleGardenWidth, kSampleGardenHeight, SettingsBackgroundColour(settings),
                               kBackgroundColour, no_picture, 0, false);
        if (created == 0) PlantAndGrowSample(g.canvas, g.table, g.labels, settings, GetPlatform().ProgramFolder());
      }))
    return;
  if (created != 0) return;
  const Canvas& canvas = TheCanvas();
  Surface composed;
  if (ComposePlain(canvas.background, canvas.trees, canvas.weight, composed))
    CopyIntoBackgroundPicture(main, composed);
  InvalidateRect(main, nullptr, FALSE);
  // The canvas window was refreshed when the canvas was made, before the tree grew.
  ToCanvasWindow(CMD_REFRESH_CANVAS_WINDOW);
  // The garden's clock runs from now on (its once-a-day update included).
  if (!UpdateTimerRunning()) StartUpdateTimer();
  // The wallpaper made with the empty canvas is remade with the grown tree.
  SendCommand(CMD_MAKE_WALLPAPER);
}

void OnSaveTree(HWND main, int) {
  if (TheEngine().garden().table[0].ops.empty()) return;
  TheEngine().Change([&](Garden& g) {
    // The file gets the tree as it would start afresh (state 1, cursor 0);
    // the growing tree itself goes on where it is.
    Tree copy = g.table[0];
    copy.state = 1;
    copy.cursor = 0;
    std::string& folder = Settings().folders[kFolderSaveTrees];
    if (SaveTreeDialog(main, copy, folder) == 0) g.table[0].file_name = copy.file_name;
  });
}

void OnPlantTree(HWND main, int) { PlantTreeFile(main, nullptr); }

void OnMapClicked(HWND, int) {
  GardenEngine& engine = TheEngine();
  const int slot = engine.PlantingSlot();
  engine.EndPlanting();
  engine.Change([&](Garden& g) {
    if (!g.canvas.exists || slot < 0) return;
    const CanvasPoint click = MapPlantingPosition();
    ScatterOptions options = ScatterOptionsFromSettings(Settings());
    options.mutation.chosen_folder = &Settings().folders[kFolderSaveTrees];
    ScatterTree(g.table, slot, click.x, click.y, g.canvas.width(), g.canvas.height(), options);
  });
  AfterPlanted(slot);
}

// ---- windows ----
void OnExit(HWND main, int) {
  MInitInfo& s = Settings();
  if (s.changer_state > 0) StoreChangerPosition();
  if (s.canvas_window_state > 0) StoreWindowRect(Windows().canvas_window, s.canvas_window);
  SendMessageA(main, WM_CLOSE, 0, 0);
}

void OnHideWindows(HWND main, int) {
  ShowWindow(main, SW_HIDE);
  if (Windows().changer) ShowWindow(Windows().changer, SW_HIDE);
  if (Windows().canvas_window) ShowWindow(Windows().canvas_window, SW_HIDE);
  Settings().windows_hidden = 1;
}

void OnShowWindows(HWND main, int) {
  const MInitInfo& s = Settings();
  ShowWindow(main, SW_SHOW);
  if (s.changer_state > 0 && Windows().changer) {
    ShowWindow(Windows().changer, SW_SHOW);
    SetWindowPos(Windows().changer, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  if (s.canvas_window_state > 0 && Windows().canvas_window) {
    ShowWindow(Windows().canvas_window, SW_SHOW);
    SetWindowPos(Windows().canvas_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  Settings().windows_hidden = 0;
}

void OnCanvasWindow(HWND, int) {
  if (!TheCanvas().exists) {
    ShowMessage(kNoCanvasText, "キャンバスウインドウ");
    return;
  }
  HWND w = Windows().canvas_window;
  if (!w) return;
  MInitInfo& s = Settings();
  if (s.canvas_window_state > 0) {
    s.canvas_window_state = 0;
    ShowWindow(w, SW_HIDE);
  } else {
    s.canvas_window_state = 1;
    ToCanvasWindow(CMD_REFRESH_CANVAS_WINDOW);
    ShowWindow(w, SW_SHOW);
  }
}

void OnRefreshCanvasWindow(HWND, int) { ToCanvasWindow(CMD_REFRESH_CANVAS_WINDOW); }

void OnShowNames(HWND main, int) {
  // The display mode is the interface's own field of the list.
  LabelList& labels = TheEngine().Unguarded().labels;
  if (labels.display_mode == kLabelsOff) {
    ToCanvasWindow(CMD_NAMES_TO_CANVAS_WINDOW);
  } else {
    labels.display_mode = kLabelsOff;
    OnCanvasWindow(main, CMD_CANVAS_WINDOW);
  }
}

void OnShowNamesNormal(HWND, int) { ToCanvasWindow(CMD_NAMES_TO_CANVAS_WINDOW); }
void OnShowFileNamesNormal(HWND, int) { ToCanvasWindow(CMD_FILE_NAMES_TO_CANVAS_WINDOW); }

// After the lighting mode changed: the wallpaper, the canvas window and,
// while the changer shows the garden, its picture.
void LightingRefresh() {
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
  if (ChangerShowsGarden()) ToChanger(CMD_CHANGER_USE_CANVAS);
}

void OnChanger(HWND, int) { ToggleChanger(); }

void OnAppSettings(HWND, int) {
  if (ShowSettingsSheet(Windows().main) == 1) LightingRefresh();
}

void OnAbout(HWND main, int) { ShowAboutDialog(main); }
void OnPrint(HWND main, int) { PrintCanvasDialog(main); }

void OnTransparency(HWND main, int) { TransparencyDialog(main); }
void OnChangeSkin(HWND, int) { ChangeSkin(); }

// Stores where the lighting comes from in the options file and applies it.
void SetLightingSource(const char* source) {
  Options& options = AppOptions();
  if (options.lighting_source == source) return;
  options.lighting_source = source;
  SaveAppOptions();
  SetSunLighting(SunLightingFromOptions(options));
}

void OnWelcome(HWND main, int) { ShowWelcome(main); }
void OnRecommendedGarden(HWND main, int) { MakeRecommendedGarden(main); }

void OnLighting(HWND, int id) {
  int mode = LightingModeForMenuId(id);
  if (mode < 0) return;
  SetLightingMode(mode);
  // One of the 28 modes ends following the sun.
  SetLightingSource(kLightingSourceSettings);
  LightingRefresh();
}

void OnFollowSun(HWND, int) {
  SetLightingSource(kLightingSourceSun);
  LightingRefresh();
}

void OnExportDiary(HWND main, int) { ExportDiary(main); }

struct CommandEntry {
  int id;
  void (*run)(HWND main, int id);
};

const CommandEntry kCommands[] = {
    {CMD_PERIODIC_UPDATE, OnPeriodicUpdate},
    {CMD_MAKE_WALLPAPER, OnMakeWallpaper},
    {CMD_NEW_CANVAS, OnNewCanvas},
    {CMD_CANVAS_SETTINGS, OnCanvasSettings},
    {CMD_SAMPLE_GARDEN, OnSampleGarden},
    {CMD_SAVE_TREE, OnSaveTree},
    {CMD_PLANT_TREE, OnPlantTree},
    {CMD_SAVE_CANVAS, OnSaveCanvas},
    {CMD_EXIT, OnExit},
    {CMD_HIDE_WINDOWS, OnHideWindows},
    {CMD_SAVE_CANVAS_AS, OnSaveCanvasAs},
    {CMD_OPEN_CANVAS, OnOpenCanvas},
    {CMD_MAP_CLICKED, OnMapClicked},
    {CMD_APP_SETTINGS, OnAppSettings},
    {CMD_CHANGE_SKIN, OnChangeSkin},
    {CMD_SHOW_WINDOWS, OnShowWindows},
    {CMD_ABOUT, OnAbout},
    {CMD_CANVAS_WINDOW, OnCanvasWindow},
    {CMD_REFRESH_CANVAS_WINDOW, OnRefreshCanvasWindow},
    {CMD_TRANSPARENCY, OnTransparency},
    {CMD_SHOW_NAMES, OnShowNames},
    {CMD_SHOW_NAMES_NORMAL, OnShowNamesNormal},
    {CMD_CHANGER, OnChanger},
    {CMD_PRINT, OnPrint},
    {CMD_SHOW_FILE_NAMES_NORMAL, OnShowFileNamesNormal},
    {CMD_DAILY_UPDATE, OnDailyUpdate},
    {CMD_FIRST_UPDATE, OnFirstUpdate},
    {CMD_LIGHT_FOLLOW_SUN, OnFollowSun},
    {CMD_EXPORT_DIARY, OnExportDiary},
    {CMD_BREED, OnBreed},  // app/breed_win.cpp
    {CMD_WELCOME, OnWelcome},
    {CMD_RECOMMENDED_GARDEN, OnRecommendedGarden},
};

}  // namespace

void OnCommand(HWND main, int id) {
  // The 28 lighting commands are two ranges of the catalogue.
  if (IsLightingCommand(id)) {
    OnLighting(main, id);
    return;
  }
  for (const CommandEntry& c : kCommands) {
    if (c.id == id) {
      c.run(main, id);
      return;
    }
  }
}

void SendCommand(int id) {
  if (Windows().main) SendMessageA(Windows().main, WM_COMMAND, WPARAM(id), 0);
}

bool PlantingPending() {
  GardenEngine& engine = TheEngine();
  // The map's cancel button hides it: the planting it waited for is over.
  if (engine.PlantingSlot() >= 0 && !IsWindowVisible(MapWindowHandle())) engine.EndPlanting();
  return engine.PlantingSlot() >= 0;
}

// The open-tree dialog starts in the folder the user last opened a tree from
// or, before that (the setting is empty or still the program folder it is
// reset to), in the starter trees beside the program.
int OpenTreeStartingInStarterFolder(HWND main, Tree& tree) {
  std::string& stored = Settings().folders[kFolderOpenTrees];
  const std::string program = GetPlatform().ProgramFolder();
  const std::string starter = JoinPath(program, kStarterTreeFolder);
  const bool not_chosen = stored.empty() || lstrcmpiA(stored.c_str(), program.c_str()) == 0;
  std::string folder = not_chosen && GetFileAttributesA(starter.c_str()) != INVALID_FILE_ATTRIBUTES ? starter : stored;
  const int rc = OpenTreeDialog(main, tree, folder);
  if (rc == 0) stored = folder;
  return rc;
}

int PlantWithLoader(HWND main, const SlotLoader& load) {
  GardenEngine& engine = TheEngine();
  // The checks come first, so that a full table is reported before any dialog.
  if (FindPlantingSlot(engine.garden().canvas, engine.garden().table) < 0) return -1;
  // The table must not change under a running growth pass, nor may one start
  // from the clock while the dialogs are open.
  int slot = -1;
  if (!engine.Change([&](Garden& g) {
        slot = load(g);
        if (slot >= 0 && Settings().scatter_mode == 1 && ScatterDialog(main) != 0) slot = -1;
      }))
    return -1;
  if (slot < 0) return -1;
  return ShowMapForPlanting(main, slot);
}

int PlantTreeFile(HWND main, const std::string* path) {
  return PlantWithLoader(main, [&](Garden& g) {
    return path ? LoadTreeFileForPlanting(g.canvas, g.table, *path)
                : LoadTreeForPlanting(g.canvas, g.table, [&](Tree& tree) {
                    return OpenTreeStartingInStarterFolder(main, tree);
                  });
  });
}

int ShowMapForPlanting(HWND main, int slot) {
  TheEngine().ReservePlanting(slot);
  Surface lit;
  RenderLitCanvas(lit);
  MapWindowShowCanvas(lit);
  PlaceMapWindowFirstTime(main);
  EnableWindow(main, FALSE);
  ShowWindow(MapWindowHandle(), SW_SHOW);
  return 0;
}

MenuCheckState CurrentMenuCheckState() {
  const MInitInfo& s = Settings();
  MenuCheckState state;
  state.changer_shown = s.changer_state == 1 || s.changer_state == 2;
  state.canvas_window_shown = s.canvas_window_state == 1 || s.canvas_window_state == 2;
  state.names_are_tree_names = TheEngine().garden().labels.display_mode == kLabelsNames;
  state.lighting_mode = CurrentLightingMode();
  state.follow_sun = AppOptions().lighting_source == kLightingSourceSun;
  return state;
}

int OpenOrPlantFile(HWND main, const std::string& path) {
  // A canvas file is loaded at once: no growth pass may run, and none may
  // start from the clock while a message of the loader is on screen.
  int kind = -1;
  if (!TheEngine().Change([&](Garden&) { kind = SortTreeOrCanvasFile(main, path); })) return -1;
  if (kind == 0) {
    AfterCanvasOpened(main, true);
    return 0;
  }
  if (kind == 1) return PlantTreeFile(main, &path) == 0 ? 1 : -1;
  return -1;
}

void InstallAppServices(HWND main) {
  AppServices services;
  services.engine = &Engine();
  services.main = main;
  services.changer = Windows().changer;
  services.render_lit = [](Surface& out) { return RenderLitCanvas(out); };
  services.send_command = [](int id) { SendCommand(id); };
  services.open_or_load_file = [main](const std::string& path, int* slot) {
    int kind = SortTreeOrCanvasFile(main, path);
    if (kind == 1) {
      Garden& g = Engine().Unguarded();
      *slot = LoadTreeFileForPlanting(g.canvas, g.table, path);
      if (*slot < 0) kind = -1;
    }
    return kind;
  };
  services.after_canvas_opened = [main] { AfterCanvasOpened(main, true); };
  services.create_canvas = [main](int width, int height, uint32_t colour, int kind, const Surface& picture,
                                  int update_interval, bool stretch) {
    return CreateCanvas(main, width, height, colour, kind, picture, update_interval, stretch);
  };
  services.refresh_background_picture = [main] { RefreshBackgroundPicture(main); };
  services.start_clock = [] { StartUpdateTimer(); };
  services.stop_clock = [] { KillUpdateTimer(); };
  services.planting_pending = [] { return PlantingPending(); };
  services.options = &AppOptions();
  services.save_options = [] { SaveAppOptions(); };
  SetServices(services);
}

}  // namespace sylvane::app
