#include "cli/command.h"

#include <cstdlib>
#include <cstdio>

#include "base/random.h"

namespace sylvane::cli {
namespace {
std::vector<const Command*>& Table() {
  static std::vector<const Command*> table;
  return table;
}
}  // namespace

void GlobalOptions::SeedNow() const {
  SeedRandom(has_seed ? seed : static_cast<uint32_t>(GetPlatform().Seconds()));
}

const std::vector<const Command*>& Commands() { return Table(); }

const Command* FindCommand(const std::string& name) {
  for (const Command* c : Table())
    if (name == c->name) return c;
  return nullptr;
}

Registration::Registration(const Command& c) { Table().push_back(&c); }

int UsageError(const char* name, const char* usage, const std::string& text) {
  std::fprintf(stderr, "%s: %s\nusage: %s\n", name, text.c_str(), usage);
  return 2;
}

std::optional<std::string> Args::Value(const std::string& name) {
  for (size_t i = 0; i + 1 < args_.size(); ++i) {
    if (!used_[i] && args_[i] == name) {
      used_[i] = used_[i + 1] = true;
      return args_[i + 1];
    }
  }
  return std::nullopt;
}

bool Args::Flag(const std::string& name) {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (!used_[i] && args_[i] == name) {
      used_[i] = true;
      return true;
    }
  }
  return false;
}

bool Args::Positional(std::vector<std::string>& out, std::string& error) const {
  out.clear();
  for (size_t i = 0; i < args_.size(); ++i) {
    if (used_[i]) continue;
    if (args_[i].size() > 2 && args_[i].compare(0, 2, "--") == 0) {
      error = "unknown option " + args_[i];
      return false;
    }
    out.push_back(args_[i]);
  }
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end || v < -2147483647L - 1 || v > 2147483647L) return false;
  value = static_cast<int>(v);
  return true;
}

static bool ParsePair(const std::string& text, char sep, int& a, int& b) {
  size_t p = text.find(sep);
  return p != std::string::npos && ParseInt(text.substr(0, p), a) && ParseInt(text.substr(p + 1), b);
}

bool ParseSize(const std::string& text, int& width, int& height) {
  return ParsePair(text, 'x', width, height) && width > 0 && height > 0;
}

bool ParsePoint(const std::string& text, int& x, int& y) { return ParsePair(text, ',', x, y); }

}  // namespace sylvane::cli
