// The portable half of the application settings sheet: reading the number
// fields, checking them against their ranges with the sheet's messages, the
// radio-button mappings of its pages, the choice of the mutation sound in the
// sound list and the lighting list. The Windows sheet (settings_sheet_win)
// fills its controls from these and stores what they return.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sylvane {

struct MInitInfo;

// ---- number fields ----

// Reads a field as a signed decimal number the way a dialog's integer field
// is read: leading blanks, an optional sign, then digits and nothing else.
// False (value 0) for anything else, including numbers outside int32.
bool ParseSignedField(std::string_view text, int32_t& value);
// ParseSignedField's value, 0 when the text is no number.
int32_t SignedFieldValue(std::string_view text);

// ---- basic page ----

inline constexpr int32_t kMinMutantFiles = 1;
inline constexpr int32_t kMaxMutantFiles = 5000;
inline constexpr int32_t kDefaultMutantFiles = 5;
inline constexpr char kMutantFilesText[] =
    "自動保存の時のファイル数は1～5000までの半角数字で入力してください。\nファイル数は自動的に 5 に設定されます。";
inline constexpr char kMutantFilesCaption[] = "訂正願います";

// The count field's text as the number of kept mutant files: outside
// 1..5000 (no number counts as 0) the correction message is shown and 5 is
// returned.
int32_t CheckMutantFileCount(std::string_view text);

// Radio groups of the basic page, by the state of their buttons.
// Mutant handling: the first checked of 1018 (0), 1019 (1), 1020 (2);
// `previous` when none is checked.
int MutantHandlingFromRadios(bool r1018, bool r1019, bool r1020, int previous);
// On exit: 0 when 1010 is checked, else 1 when 1008 is, else 2.
int ExitSavingFromRadios(bool r1010, bool r1008);
// Wallpaper style: 0 when 1011 is checked, else 1 when 1017 is, else 2.
int WallpaperStyleFromRadios(bool r1011, bool r1017);
// The radio button of each stored value (unknown values check the last button).
int MutantHandlingRadio(int value);  // 1018, 1019, 1020
int ExitSavingRadio(int value);      // 1010, 1008, 1009
int WallpaperStyleRadio(int value);  // 1011, 1017, 1022

// ---- mutation sound ----

inline constexpr char kSoundFolder[] = "sound";
inline constexpr char kSoundPattern[] = "*.wav";
inline constexpr int kMaxSoundFiles = 256;
inline constexpr char kNoSoundText[] = "音声フォルダ（sound）内に画像ファイル(*.wav)が見つかりません。";
inline constexpr char kNoSoundCaption[] = "エラー";

// True when name begins with prefix, ASCII letters compared without case.
bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix);

struct SoundChoice {
  int selected = -1;        // index in the list to select, -1 when the list is empty
  std::string stored_name;  // the sound file setting afterwards
};

// Which entry of the sound list (in list order) the basic page selects when
// it opens: the first entry that begins with the stored name (case ignored);
// when there is none, the first file found in the folder (found, in the
// file system's order) becomes the stored name and its entry is selected.
SoundChoice ChooseSoundEntry(const std::vector<std::string>& list, const std::vector<std::string>& found,
                             const std::string& stored);

// ---- behaviour page ----

inline constexpr int32_t kMinScatterCount = 1;
inline constexpr int32_t kMaxScatterCount = 100;
inline constexpr int32_t kMinScatterRadius = 0;
inline constexpr int32_t kMaxScatterRadius = 1000;
inline constexpr char kScatterCountText[] =
    "ばらまき数は半角で 1 ～ 100 までの数を入れてください。自動的に修正いたします。";
inline constexpr char kScatterRadiusText[] =
    "ばらまき半径は半角で 0 ～ 1000 までの数を入れてください。自動的に修正いたします。";
inline constexpr char kScatterCaption[] = "警告";

struct ScatterFields {
  bool ask_each_time = false;  // 1028 checked
  std::string count_text;      // 1030
  std::string radius_text;     // 1031
};

// Applies the scatter part of the behaviour page to settings: asking each
// time keeps count and radius; otherwise both are read, the count checked
// first, each out-of-range value reported and clamped.
void ApplyScatterFields(MInitInfo& settings, const ScatterFields& fields);

// ---- lighting page ----

// The 28 entries of the lighting list, in mode order.
std::vector<std::string> LightingListLabels();
// The list index the page selects for a stored mode, -1 when it is outside 0..27.
int LightingListIndex(int32_t mode);
// The mode stored for a list selection: the index, or 0 when it is not 0..27.
int32_t LightingModeFromList(int index);

// ---- associations page ----

// The outcome of the associations page: each operation returns 0 or more
// for success and below 0 for failure.
struct AssociationOps {
  virtual ~AssociationOps() = default;
  virtual int AssociateCanvas() = 0;
  virtual int DissociateCanvas() = 0;
  virtual int AssociateTrees() = 0;
  virtual int DissociateTrees() = 0;
  virtual int CreateStartupShortcut() = 0;
  virtual int RemoveStartupShortcut() = 0;
};

inline constexpr char kAssociationErrorCaption[] = "エラー";
inline constexpr char kAssociateSylFailed[] = "関連付けに失敗しました。SYL";
inline constexpr char kDissociateSylFailed[] = "関連付け解除に失敗しました。SYL";
inline constexpr char kAssociateKiFailed[] = "関連付けに失敗しました。KI";
inline constexpr char kDissociateKiFailed[] = "関連付け解除に失敗しました。KI";
inline constexpr char kStartupFailed[] = "スタートアップ登録に失敗しました。";
inline constexpr char kStartupRemoveFailed[] = "スタートアップ解除に失敗しました。";

// In the order 1012, 1013, 1014: associate or create when checked, dissociate
// or remove when not; a failure shows the page's message and keeps the
// remembered flag, a success sets it to 1 or 0.
void ApplyAssociationPage(MInitInfo& settings, bool syl, bool ki, bool startup, AssociationOps& ops);

}  // namespace sylvane
