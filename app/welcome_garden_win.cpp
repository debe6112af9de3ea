#include "app/welcome_garden_win.h"

#include <string>

#include "app/app_win.h"
#include "app/canvas_ops_win.h"
#include "app/update_cycle_win.h"
#include "canvas/garden.h"
#include "canvas/garden_engine.h"
#include "canvas/records/settings.h"
#include "canvas/starter_garden.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "res/commands.h"
#include "trees/part_data.h"
#include "trees/planting.h"
#include "trees/tree.h"
#include "ui/welcome_win.h"

namespace sylvane::app {

void ShowWelcome(HWND main) {
  if (Engine().garden().canvas.exists) return;
  ShowWelcomeWindow(Windows().instance, main, CMD_RECOMMENDED_GARDEN, CMD_NEW_CANVAS);
  ShowTrayBalloon(kWelcomeCaption, "デスクトップに庭を作って、樹を育てましょう。");
}

void MakeRecommendedGarden(HWND main) {
  if (Engine().garden().canvas.exists && !AskToSaveCanvas(main)) return;
  // The desktop's size, as the new-canvas dialog's "desktop size" takes it.
  RECT desk{};
  GetClientRect(GetDesktopWindow(), &desk);
  const int width = desk.right - desk.left, height = desk.bottom - desk.top;
  const MInitInfo& settings = Settings();
  Surface no_picture;
  if (CreateCanvas(main, width, height, SettingsBackgroundColour(settings), kBackgroundColour, no_picture,
                   kRecommendedInterval, false) != 0)
    return;
  const std::string program = GetPlatform().ProgramFolder();
  const std::string folder = JoinPath(program, kStarterTreeFolder);
  const std::vector<StarterPlanting> plan = PlanStarterGarden(width, ListStarterTrees(program));
  Engine().Change([&](Garden& g) {
    ScatterOptions one;
    one.count = 1;
    one.mutation_handling = false;
    for (const StarterPlanting& p : plan) {
      const int slot = LoadTreeFileForPlanting(g.canvas, g.table, JoinPath(folder, p.file));
      if (slot >= 0) ScatterTree(g.table, slot, p.x, height - 1, width, height, one);
    }
  });
  // A little growth at once, so the seedlings show on the first wallpaper.
  for (int i = 0; i < kRecommendedFirstPasses; ++i) Engine().RunPassHere(settings, kPeriodicBudget);
  const Canvas& canvas = Engine().garden().canvas;
  Surface composed;
  if (ComposePlain(canvas.background, canvas.trees, canvas.weight, composed)) CopyIntoBackgroundPicture(main, composed);
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
  InvalidateRect(main, nullptr, FALSE);
  if (!UpdateTimerRunning()) StartUpdateTimer();
}

}  // namespace sylvane::app
