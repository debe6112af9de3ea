// What mutation handling reads of the program's settings, copied when a pass
// is set up: a pass on the growth worker never reads the settings that the
// interface thread edits (the settings sheet may change them mid-pass).
#pragma once
#include <cstdint>
#include <string>

namespace sylvane {

struct MutationSettings {
  uint8_t mutant_handling = 0;     // 0 ask, 1 never save, 2 save automatically
  std::string save_trees_folder;   // start folder of the "ask" save dialog
  // Receives the folder the user ended in with that dialog. On the worker it
  // points at a string of the garden engine, which hands it to the interface
  // thread after the pass; null: not kept.
  std::string* chosen_folder = nullptr;
  std::string archive_folder;      // where automatic saving writes mutants
  int32_t archive_limit = 5;       // files kept by automatic saving, 1..5000
  bool sound = false;              // play sound_file when a mutant appears
  std::string sound_file;          // wave file in program_folder/sound
  std::string program_folder;      // holds sound/ and prj_data/
};

}  // namespace sylvane
