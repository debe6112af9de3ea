// Fuzz target for the settings file ("sylvane.ini"): any bytes must either be
// taken whole as a settings file of version 1.39 or leave the settings
// untouched; settings that were taken write back into a file that reads again
// to the same settings. Loading the bytes from the program folder must give
// the same verdict and, on refusal, leave a good file behind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "base/file_io.h"
#include "platform/text.h"
#include "canvas/records/settings.h"
#include "support/recording_platform.h"

namespace {

using sylvane::fuzz::Check;
using sylvane::fuzz::WriteQuickly;

using namespace sylvane;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::RecordingPlatform* platform = new testing::RecordingPlatform();
  static testing::TempDir* folder = new testing::TempDir();
  platform->messages.clear();
  platform->program_folder = folder->path();

  const std::vector<uint8_t> bytes(data, data + size);
  float version = 0.0f;
  const bool has_version = ReadSettingsVersion(bytes, version);

  MInitInfo settings;
  const std::vector<uint8_t> defaults = settings.ToBytes();
  const bool taken = settings.FromBytes(bytes);
  if (!taken) {
    Check(settings.ToBytes() == defaults);  // a refused file changes nothing
  } else {
    Check(has_version && version == kSettingsVersion);
    const std::vector<uint8_t> once = settings.ToBytes();
    MInitInfo again;
    Check(again.FromBytes(once));
    Check(again.ToBytes() == once);
  }
  Check(platform->messages.empty());

  // The same bytes as the file in the program folder.
  if (!WriteQuickly(JoinPath(folder->path(), kSettingsFileName), bytes)) return 0;
  MInitInfo loaded;
  const int status = loaded.Load();
  if (taken) {
    Check(status == kSettingsOk && loaded.ToBytes() == settings.ToBytes());
    return 0;
  }
  Check(status == kSettingsReset || status == kSettingsNewerVersion);
  Check(platform->messages.size() == (status == kSettingsNewerVersion ? 1u : 0u));
  // The refused file was replaced by one that the next start takes.
  MInitInfo next;
  Check(next.Load() == kSettingsOk && next.ToBytes() == loaded.ToBytes());
  return 0;
}
