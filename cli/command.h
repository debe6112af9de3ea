// The command table of sylvane-cli. Each cli/*.cpp registers its commands with
// a static Registration; main() finds them by name.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sylvane::cli {

struct GlobalOptions {
  bool has_seed = false;
  uint32_t seed = 0;
  ConsolePlatform* console = nullptr;

  // Seeds the random generator with --seed, or with the time when none was
  // given. A command calls it at the point where the program would seed: after
  // the objects that the program builds before seeding exist.
  void SeedNow() const;
};

struct Command {
  const char* name;
  const char* usage;  // one line: "name ARGS ..."
  int (*run)(const GlobalOptions& global, const std::vector<std::string>& args);
};

const std::vector<const Command*>& Commands();
const Command* FindCommand(const std::string& name);

struct Registration {
  explicit Registration(const Command& c);
};

// Prints "NAME: TEXT" and "usage: USAGE" on stderr and returns 2, the exit
// status of a command given arguments it cannot use.
int UsageError(const char* name, const char* usage, const std::string& text);

// A small parser for "--flag value" options and positional arguments.
class Args {
 public:
  explicit Args(const std::vector<std::string>& args) : args_(args), used_(args.size(), false) {}
  // The value after --name, if present (marks both as used).
  std::optional<std::string> Value(const std::string& name);
  // True if --name is present (marks it as used).
  bool Flag(const std::string& name);
  // Unused arguments in order, after all options were taken. An unused
  // argument that starts with "--" is reported as unknown (returns false).
  bool Positional(std::vector<std::string>& out, std::string& error) const;

 private:
  const std::vector<std::string>& args_;
  std::vector<bool> used_;
};

// "WxH" -> width, height (both positive).
bool ParseSize(const std::string& text, int& width, int& height);
// "X,Y" -> x, y.
bool ParsePoint(const std::string& text, int& x, int& y);
// A whole decimal integer.
bool ParseInt(const std::string& text, int& value);

}  // namespace sylvane::cli
