// What the windows and dialogs of this folder ask of the program around them.
// The program (app/) fills it in once at start-up; the windows reach the
// program only through it, never by including app/.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "canvas/image/surface.h"
#include "canvas/records/options.h"

namespace sylvane {

class GardenEngine;

struct AppServices {
  GardenEngine* engine = nullptr;  // the garden and the gate for changing it
  HWND main = nullptr;             // the main window: owner of dialogs, target of commands
  HWND changer = nullptr;          // the wallpaper changer, null while there is none
  // The lit garden as the wallpaper shows it; false (out empty) without a canvas.
  std::function<bool(Surface& out)> render_lit;
  // Sends a command to the main window (synchronously).
  std::function<void(int id)> send_command;
  // Opens a canvas file (0) or loads a tree file for planting (1; the slot in
  // *slot); -1 on failure (reported). The caller has stopped and holds the worker.
  std::function<int(const std::string& path, int* slot)> open_or_load_file;
  // Everything that follows an opened canvas: panels, windows, the clock and
  // the daily check.
  std::function<void()> after_canvas_opened;
  // Creates a new canvas with its windows' side (see app/canvas_ops_win.h);
  // 0 or the set-up's failure. The caller has stopped the worker.
  std::function<int(int width, int height, uint32_t colour, int kind, const Surface& picture,
                    int update_interval, bool stretch)>
      create_canvas;
  // Redoes the memory picture of the canvas's background.
  std::function<void()> refresh_background_picture;
  // Starts and stops the one-second clock.
  std::function<void()> start_clock;
  std::function<void()> stop_clock;
  // True while the map window waits with a loaded tree for its position.
  std::function<bool()> planting_pending;
  // The options of "sylvane-options.ini" (null before start-up filled them in)
  // and their saving.
  Options* options = nullptr;
  std::function<void()> save_options;
};

// The program's services, set once at start-up.
const AppServices& Services();
void SetServices(const AppServices& services);

}  // namespace sylvane
