// sylvane-cli info FILE
// Shows a stored file as one JSON object on standard output: a tree file
// (".ki", as stored: no load-time length jitter), a canvas file (".syl", its
// trees shown likewise) or the settings file ("sylvane.ini"). The kind is
// told by the magic at the start of the file; a ".ki" or ".syl" file whose
// first bytes are not its magic gets the loader's own refusal
// ("このファイルはKIファイルではありません。LoadKi", ...), as opening it in the
// program would.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/file_io.h"
#include "canvas/canvas_file.h"
#include "canvas/records/settings.h"
#include "cli/canvas_json.h"
#include "cli/command.h"
#include "cli/tree_json.h"
#include "platform/platform.h"
#include "trees/ki_file.h"

namespace sylvane::cli {
namespace {

bool StartsWith(const std::vector<uint8_t>& bytes, const char* magic) {
  const size_t n = std::strlen(magic);
  return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
}

// The extension of path in lower case ("" when there is none).
std::string Extension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return ext;
}

void Print(const nlohmann::ordered_json& j) { std::printf("%s\n", j.dump(2).c_str()); }

int InfoTree(const std::vector<uint8_t>& bytes) {
  ByteReader in(bytes);
  KiRecord record;
  const int status = ParseTreeRecord(in, record);
  if (status != kKiOk) {
    // The program's own refusal, as it would show it.
    ShowMessage(KiRefusalMessage(status), "エラー");
    return 1;
  }
  nlohmann::ordered_json j = TreeRecordToJson(record);
  if (!in.at_end()) j["trailing_bytes"] = in.remaining();
  Print(j);
  return 0;
}

int InfoCanvas(const std::vector<uint8_t>& bytes) {
  ByteReader in(bytes);
  ParsedCanvas canvas;
  const int status = ParseCanvas(in, canvas);
  if (status != kSylOk) {
    // The program's own refusal, as it would show it.
    ShowMessage(status == kSylNotSyl   ? "このファイルはSYLファイルではありません。Load_SYL"
                : status == kSylNewer ? "このSYLファイルを読み込むには、本体のバージョンアップが必要です。Load_SYL"
                                      : "このファイルには対応していません。Load_SYL",
                "エラー");
    return 1;
  }
  nlohmann::ordered_json j = CanvasFileToJson(canvas);
  if (canvas.skipped_entries > 0) j["skipped_tree_entries"] = canvas.skipped_entries;
  Print(j);
  return 0;
}

int InfoSettings(const std::vector<uint8_t>& bytes) {
  float version = 0;
  if (!ReadSettingsVersion(bytes, version)) {
    std::fprintf(stderr, "info: the settings file is too short\n");
    return 1;
  }
  const char* raw = reinterpret_cast<const char*>(bytes.data());
  const std::string magic(raw, strnlen(raw, 16));
  MInitInfo settings;
  if (!settings.FromBytes(bytes)) {
    // Only version 1.39 has a known layout; the program would discard this file.
    Print({{"magic", magic}, {"version", ShortestFloat(version)}});
    std::fprintf(stderr, "info: a settings file of this version or length is not read by the program\n");
    return 1;
  }
  Print(SettingsToJson(settings, magic, version));
  return 0;
}

int RunInfo(const GlobalOptions&, const std::vector<std::string>& raw) {
  Args args(raw);
  std::vector<std::string> rest;
  std::string error;
  if (!args.Positional(rest, error) || rest.size() != 1) {
    return UsageError("info", "info FILE", error.empty() ? "one file expected" : error);
  }
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(rest[0], bytes) != ReadFileStatus::kOk) {
    std::fprintf(stderr, "info: cannot read %s\n", rest[0].c_str());
    return 1;
  }
  if (StartsWith(bytes, "sylvanewood_syl")) return InfoCanvas(bytes);
  if (StartsWith(bytes, "sylvanewood_ki")) return InfoTree(bytes);
  if (StartsWith(bytes, "sylvanewood_ini")) return InfoSettings(bytes);
  // Named as a tree or canvas file: the loader's refusal of its first bytes.
  const std::string ext = Extension(rest[0]);
  if (ext == "ki") return InfoTree(bytes);
  if (ext == "syl") return InfoCanvas(bytes);
  std::fprintf(stderr, "info: %s is not a tree, canvas or settings file\n", rest[0].c_str());
  return 1;
}

const Command kInfo{"info", "info FILE            (tree, canvas or settings file as JSON)", RunInfo};
Registration reg{kInfo};

}  // namespace
}  // namespace sylvane::cli
