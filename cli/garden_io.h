// Reading and writing the garden of sylvane-cli: the commands that work on a
// canvas file (new, plant, grow, save-tree, render, gallery, info, sample)
// load it into the process's garden and save it back the way the program
// does, through the canvas file module (canvas/canvas_file.h). Messages of the
// program appear on stderr as "[caption] text".
#pragma once
#include <cstdint>
#include <set>
#include <string>

#include "canvas/garden.h"
#include "cli/command.h"

namespace sylvane::cli {

// Makes the process's settings those of "sylvane.ini" in the program folder
// (--home) when it holds a usable one; otherwise the reset values. Unlike the
// program's start-up, nothing is written.
void LoadSettingsForCli();

// The command line's garden, built on the first call: the commands call it
// before seeding the generator, so the draws of the table's 100 pens come
// before the seed, as in the program.
Garden& CliGarden();

// Opens the canvas file at path into the command line's garden. The caller has built the table and seeded the
// generator first, as the program does before it reads "default.syl".
// 0 when loaded; 1 after the reader's message.
int LoadGardenForCli(const std::string& path);

// Builds the tree table, seeds the generator and opens the canvas file at
// path, in the order the program does them. 0 when loaded; 1 after the
// reader's message.
int OpenGardenForCli(const GlobalOptions& global, const std::string& path);

// Saves the process's garden to path (atomically; the old file stays when the
// save fails). 0 when saved; 1 after the message.
int SaveGardenForCli(const std::string& path);

// The start of the sample commands, as at the program's start-up: the tree
// table exists before the generator is seeded, then the program folder's
// settings are read (or reset and written, as the program does). The mutant
// archive's tree files are counted then, so that the files archived while the
// command grows can be counted afterwards.
struct SampleStart {
  std::string program_folder;  // where the settings and sample parts are
  std::string archive;         // the mutant archive folder of the settings
  int64_t files_before = 0;    // "*.ki" files in it at the start
};
SampleStart StartSampleCommand(const GlobalOptions& global);
// The tree files added to the archive since the start (0 when some went).
int64_t ArchivedSinceStart(const SampleStart& start);

// The "*.ki" files of a folder by name, so that a command can tell which tree
// files mutation handling archived (pruning may delete others meanwhile).
std::set<std::string> TreeFileNames(const std::string& folder);
// The number of names in `after` that are not in `before`.
long long NewNames(const std::set<std::string>& before, const std::set<std::string>& after);

}  // namespace sylvane::cli
