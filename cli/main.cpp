// sylvane-cli: the headless garden tool.
//   sylvane-cli [--seed N] [--home DIR] COMMAND ...
// Messages of the program become one line on standard error, "[caption] text".
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/random.h"
#include "cli/command.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane::cli {
namespace {

void PrintUsage() {
  std::fprintf(stderr, "usage: sylvane-cli [--seed N] [--home DIR] COMMAND ...\ncommands:\n");
  for (const Command* c : Commands()) std::fprintf(stderr, "  %s\n", c->usage);
}

std::string ExecutableFolder(const char* argv0) {
#ifndef _WIN32
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    buf[n] = 0;
    return FolderPart(buf);
  }
#endif
  std::string folder = FolderPart(argv0);
  return folder.empty() ? "." : folder;
}

}  // namespace
}  // namespace sylvane::cli

int main(int argc, char** argv) {
  using namespace sylvane;
  using namespace sylvane::cli;
  static ConsolePlatform console;
  console.set_program_folder(ExecutableFolder(argv[0]));
  SetPlatform(&console);

  GlobalOptions global;
  int i = 1;
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--seed" && i + 1 < argc) {
      char* end = nullptr;
      unsigned long long v = std::strtoull(argv[++i], &end, 10);
      if (!end || *end) {
        std::fprintf(stderr, "sylvane-cli: --seed needs a number\n");
        return 2;
      }
      global.seed = static_cast<uint32_t>(v);
      global.has_seed = true;
    } else if (arg == "--home" && i + 1 < argc) {
      console.set_program_folder(argv[++i]);
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage();
      return 0;
    } else {
      break;
    }
  }
  if (i >= argc) {
    PrintUsage();
    return 2;
  }
  const Command* command = FindCommand(argv[i]);
  if (!command) {
    std::fprintf(stderr, "sylvane-cli: unknown command '%s'\n", argv[i]);
    PrintUsage();
    return 2;
  }
  global.console = &console;
  std::vector<std::string> args(argv + i + 1, argv + argc);
  return command->run(global, args);
}
