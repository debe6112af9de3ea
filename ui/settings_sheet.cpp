#include "ui/settings_sheet.h"

#include <algorithm>
#include <limits>

#include "canvas/records/settings.h"
#include "paint/lighting.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane {

bool ParseSignedField(std::string_view text, int32_t& value) {
  value = 0;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t SignedFieldValue(std::string_view text) {
  int32_t v = 0;
  return ParseSignedField(text, v) ? v : 0;
}

int32_t CheckMutantFileCount(std::string_view text) {
  const int32_t count = SignedFieldValue(text);
  if (count >= kMinMutantFiles && count <= kMaxMutantFiles) return count;
  ShowMessage(kMutantFilesText, kMutantFilesCaption);
  return kDefaultMutantFiles;
}

int MutantHandlingFromRadios(bool r1018, bool r1019, bool r1020, int previous) {
  if (r1018) return 0;
  if (r1019) return 1;
  if (r1020) return 2;
  return previous;
}

int ExitSavingFromRadios(bool r1010, bool r1008) { return r1010 ? 0 : r1008 ? 1 : 2; }

int WallpaperStyleFromRadios(bool r1011, bool r1017) { return r1011 ? 0 : r1017 ? 1 : 2; }

int MutantHandlingRadio(int value) { return value == 0 ? 1018 : value == 1 ? 1019 : 1020; }
int ExitSavingRadio(int value) { return value == 0 ? 1010 : value == 1 ? 1008 : 1009; }
int WallpaperStyleRadio(int value) { return value == 0 ? 1011 : value == 1 ? 1017 : 1022; }

bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix) {
  if (prefix.size() > name.size()) return false;
  bool trail = false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(name[i]);
    unsigned char b = static_cast<unsigned char>(prefix[i]);
    if (!trail) {
      if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
      if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    }
    if (a != b) return false;
    trail = !trail && IsSjisLeadByte(a);
  }
  return true;
}

SoundChoice ChooseSoundEntry(const std::vector<std::string>& list, const std::vector<std::string>& found,
                             const std::string& stored) {
  SoundChoice choice;
  choice.stored_name = stored;
  for (size_t i = 0; i < list.size(); ++i) {
    if (StartsWithIgnoringCase(list[i], stored)) {
      choice.selected = static_cast<int>(i);
      return choice;
    }
  }
  if (found.empty() || list.empty()) return choice;
  // The stored name is replaced by the first file of the folder; the list
  // shows that same file selected, so that what is stored and what is shown agree.
  choice.stored_name = found.front();
  auto it = std::find(list.begin(), list.end(), found.front());
  choice.selected = it == list.end() ? 0 : static_cast<int>(it - list.begin());
  return choice;
}

void ApplyScatterFields(MInitInfo& settings, const ScatterFields& fields) {
  if (fields.ask_each_time) {
    settings.scatter_mode = 1;
    return;
  }
  settings.scatter_mode = 0;
  int32_t count = SignedFieldValue(fields.count_text);
  int32_t radius = SignedFieldValue(fields.radius_text);
  if (count < kMinScatterCount || count > kMaxScatterCount) {
    ShowMessage(kScatterCountText, kScatterCaption);
    count = std::clamp(count, kMinScatterCount, kMaxScatterCount);
  }
  if (radius < kMinScatterRadius || radius > kMaxScatterRadius) {
    ShowMessage(kScatterRadiusText, kScatterCaption);
    radius = std::clamp(radius, kMinScatterRadius, kMaxScatterRadius);
  }
  settings.scatter_count = count;
  settings.scatter_radius = radius;
}

std::vector<std::string> LightingListLabels() {
  std::vector<std::string> labels;
  const LightingMode* modes = LightingModes();
  for (int i = 0; i < kLightingModeCount; ++i) labels.emplace_back(modes[i].list_label);
  return labels;
}

int LightingListIndex(int32_t mode) { return mode >= 0 && mode < kLightingModeCount ? mode : -1; }

int32_t LightingModeFromList(int index) { return index >= 0 && index < kLightingModeCount ? index : 0; }

void ApplyAssociationPage(MInitInfo& settings, bool syl, bool ki, bool startup, AssociationOps& ops) {
  if (syl) {
    if (ops.AssociateCanvas() < 0)
      ShowMessage(kAssociateSylFailed, kAssociationErrorCaption);
    else
      settings.associate_canvas = 1;
  } else {
    if (ops.DissociateCanvas() < 0)
      ShowMessage(kDissociateSylFailed, kAssociationErrorCaption);
    else
      settings.associate_canvas = 0;
  }
  if (ki) {
    if (ops.AssociateTrees() < 0)
      ShowMessage(kAssociateKiFailed, kAssociationErrorCaption);
    else
      settings.associate_trees = 1;
  } else {
    if (ops.DissociateTrees() < 0)
      ShowMessage(kDissociateKiFailed, kAssociationErrorCaption);
    else
      settings.associate_trees = 0;
  }
  if (startup) {
    if (ops.CreateStartupShortcut() < 0)
      ShowMessage(kStartupFailed, kAssociationErrorCaption);
    else
      settings.start_with_windows = 1;
  } else {
    if (ops.RemoveStartupShortcut() < 0)
      ShowMessage(kStartupRemoveFailed, kAssociationErrorCaption);
    else
      settings.start_with_windows = 0;
  }
}

}  // namespace sylvane
