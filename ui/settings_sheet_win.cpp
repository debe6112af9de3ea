#include "ui/settings_sheet_win.h"

#include <commctrl.h>
#include <prsht.h>
#include <windowsx.h>

#include <array>

#include "canvas/records/settings.h"
#include "paint/lighting.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "res/changer_resource.h"
#include "ui/app_services_win.h"
#include "ui/associations_win.h"
#include "ui/settings_sheet.h"
#include "ui/settings_sheet_options.h"

namespace sylvane {
namespace {

constexpr char kSheetCaption[] = "アプリケーションの設定";
constexpr int kFieldChars = 64;  // enough for any number a field may hold

std::string SoundFolder() { return JoinPath(GetPlatform().ProgramFolder(), kSoundFolder); }

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void Check(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

std::string FieldText(HWND page, int id) {
  char text[kFieldChars] = {};
  GetDlgItemTextA(page, id, text, kFieldChars);
  return text;
}

void SetSignedField(HWND page, int id, int32_t value) { SetDlgItemInt(page, id, UINT(value), TRUE); }

std::string ListText(HWND list, int index) {
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, WPARAM(index), 0);
  if (length == LB_ERR || length <= 0) return std::string();
  std::string text(size_t(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(size_t(length));
  return text;
}

// ---- basic page (111) ----

void OnBasicInit(HWND page) {
  MInitInfo& s = Settings();
  HWND list = GetDlgItem(page, IDC_SET_SOUND_LIST);
  const std::vector<std::string> found = ListSoundFiles();
  if (found.empty()) ShowMessage(kNoSoundText, kNoSoundCaption);
  for (const std::string& name : found) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  // The list box sorts: read back the order it shows.
  std::vector<std::string> shown;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) shown.push_back(ListText(list, i));
  Check(page, IDC_SET_SOUND_ON, s.mutation_sound != 0);
  const SoundChoice choice = ChooseSoundEntry(shown, found, s.sound_file);
  s.sound_file = choice.stored_name;
  if (choice.selected >= 0) SendMessageA(list, LB_SETCURSEL, WPARAM(choice.selected), 0);
  Check(page, MutantHandlingRadio(s.mutant_handling), true);
  SetSignedField(page, IDC_SET_MUTANT_FILES, s.mutant_file_count);
  Check(page, ExitSavingRadio(s.exit_saving), true);
  Check(page, WallpaperStyleRadio(s.wallpaper_style), true);
}

void OnSoundTest(HWND page) {
  HWND list = GetDlgItem(page, IDC_SET_SOUND_LIST);
  const int sel = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  if (sel < 0) return;
  GetPlatform().PlaySound(JoinPath(SoundFolder(), ListText(list, sel)));
}

void OnBasicApply(HWND page) {
  MInitInfo& s = Settings();
  s.mutant_handling = static_cast<uint8_t>(MutantHandlingFromRadios(
      Checked(page, IDC_SET_MUTANT_ASK), Checked(page, IDC_SET_MUTANT_NEVER), Checked(page, IDC_SET_MUTANT_AUTO),
      s.mutant_handling));
  s.mutant_file_count = CheckMutantFileCount(FieldText(page, IDC_SET_MUTANT_FILES));
  s.mutation_sound = Checked(page, IDC_SET_SOUND_ON) ? 1 : 0;
  HWND list = GetDlgItem(page, IDC_SET_SOUND_LIST);
  const int sel = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  s.sound_file = sel >= 0 ? ListText(list, sel) : std::string();
  s.exit_saving =
      static_cast<uint8_t>(ExitSavingFromRadios(Checked(page, IDC_SET_EXIT_NONE), Checked(page, IDC_SET_EXIT_AUTO)));
  s.wallpaper_style = static_cast<uint8_t>(
      WallpaperStyleFromRadios(Checked(page, IDC_SET_WALL_TILE), Checked(page, IDC_SET_WALL_CENTRE)));
}

// ---- behaviour page (112) ----

void OnBehaviourInit(HWND page) {
  const MInitInfo& s = Settings();
  Check(page, IDC_SET_LOOP, s.tree_loop != 0);
  Check(page, IDC_SET_SPLIT, s.tree_split != 0);
  Check(page, IDC_SET_RISING_ANYWHERE, s.rising_anywhere != 0);
  Check(page, s.scatter_mode == 1 ? IDC_SET_SCATTER_ASK : IDC_SET_SCATTER_FIXED, true);
  SetSignedField(page, IDC_SET_SCATTER_COUNT, s.scatter_count);
  SetSignedField(page, IDC_SET_SCATTER_RADIUS, s.scatter_radius);
  HWND slider = GetDlgItem(page, IDC_SET_IRREGULARITY_SLIDER);
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageA(slider, TBM_SETPOS, TRUE, LPARAM(s.loop_irregularity));
  SetSignedField(page, IDC_SET_IRREGULARITY, s.loop_irregularity);
}

void OnSliderMoved(HWND page, HWND control) {
  if (control != GetDlgItem(page, IDC_SET_IRREGULARITY_SLIDER)) return;
  const LRESULT position = SendMessageA(control, TBM_GETPOS, 0, 0);
  SetSignedField(page, IDC_SET_IRREGULARITY, static_cast<int32_t>(position));
}

void OnBehaviourApply(HWND page) {
  MInitInfo& s = Settings();
  s.tree_loop = Checked(page, IDC_SET_LOOP) ? 1 : 0;
  s.tree_split = Checked(page, IDC_SET_SPLIT) ? 1 : 0;
  s.rising_anywhere = Checked(page, IDC_SET_RISING_ANYWHERE) ? 1 : 0;
  ScatterFields fields;
  fields.ask_each_time = Checked(page, IDC_SET_SCATTER_ASK);
  fields.count_text = FieldText(page, IDC_SET_SCATTER_COUNT);
  fields.radius_text = FieldText(page, IDC_SET_SCATTER_RADIUS);
  ApplyScatterFields(s, fields);
  // Stored as typed, without a range check.
  s.loop_irregularity = SignedFieldValue(FieldText(page, IDC_SET_IRREGULARITY));
}

// ---- associations page (113) ----

class WinAssociationOps : public AssociationOps {
 public:
  explicit WinAssociationOps(std::string folder) : folder_(std::move(folder)) {}
  int AssociateCanvas() override { return AssociateDocuments(DocumentKind::kCanvas, folder_); }
  int DissociateCanvas() override { return DissociateDocuments(DocumentKind::kCanvas, folder_); }
  int AssociateTrees() override { return AssociateDocuments(DocumentKind::kTree, folder_); }
  int DissociateTrees() override { return DissociateDocuments(DocumentKind::kTree, folder_); }
  int CreateStartupShortcut() override { return sylvane::CreateStartupShortcut(folder_); }
  int RemoveStartupShortcut() override { return sylvane::RemoveStartupShortcut(); }

 private:
  std::string folder_;
};

void OnAssociationsInit(HWND page) {
  const std::string folder = GetPlatform().ProgramFolder();
  Check(page, IDC_SET_ASSOC_SYL, DocumentsAssociated(DocumentKind::kCanvas, folder));
  Check(page, IDC_SET_ASSOC_KI, DocumentsAssociated(DocumentKind::kTree, folder));
  Check(page, IDC_SET_STARTUP, StartupShortcutExists() == 1);
}

void OnAssociationsApply(HWND page) {
  WinAssociationOps ops(GetPlatform().ProgramFolder());
  ApplyAssociationPage(Settings(), Checked(page, IDC_SET_ASSOC_SYL), Checked(page, IDC_SET_ASSOC_KI),
                       Checked(page, IDC_SET_STARTUP), ops);
}

// ---- lighting page (115) ----

void OnLightingInit(HWND page) {
  HWND list = GetDlgItem(page, IDC_SET_LIGHTING_LIST);
  for (const std::string& label : LightingListLabels())
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
  const int index = LightingListIndex(CurrentLightingMode());
  SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
}

void OnLightingApply(HWND page) {
  const int index = static_cast<int>(SendDlgItemMessageA(page, IDC_SET_LIGHTING_LIST, LB_GETCURSEL, 0, 0));
  const int before = CurrentLightingMode();
  SetLightingMode(LightingModeFromList(index));
  // Choosing another mode ends following the sun (as the lighting menu does);
  // the options page, applied after this one, may choose the sun again.
  Options* options = Services().options;
  if (options && CurrentLightingMode() != before && options->lighting_source != kLightingSourceSettings) {
    options->lighting_source = kLightingSourceSettings;
    if (Services().save_options) Services().save_options();
    SetSunLighting(SunLightingFromOptions(*options));
  }
}

// ---- options page (116) ----

// Whether the sun box was checked when the page opened (one sheet at a time).
bool g_follow_sun_at_open = false;

OptionsFields ReadOptionsPage(HWND page) {
  OptionsFields f;
  f.diary_enabled = Checked(page, IDC_OPT_DIARY);
  f.diary_max_mb = FieldText(page, IDC_OPT_DIARY_MB);
  f.wallpaper_per_monitor = Checked(page, IDC_OPT_PER_MONITOR);
  f.growth_catch_up = Checked(page, IDC_OPT_CATCH_UP);
  f.follow_sun = Checked(page, IDC_OPT_FOLLOW_SUN);
  f.latitude = FieldText(page, IDC_OPT_LATITUDE);
  f.longitude = FieldText(page, IDC_OPT_LONGITUDE);
  f.utc_offset = FieldText(page, IDC_OPT_UTC_OFFSET);
  return f;
}

// The sun's times of today for the place as typed (nothing while a field is wrong).
void ShowSunTimes(HWND page) {
  const OptionsFields f = ReadOptionsPage(page);
  SunPlace place;
  std::string text;
  if (ParseDecimalField(f.latitude, place.latitude) && ParseDecimalField(f.longitude, place.longitude) &&
      ParseDecimalField(f.utc_offset, place.utc_offset) && place.latitude >= kMinLatitude &&
      place.latitude <= kMaxLatitude && place.longitude >= kMinLongitude && place.longitude <= kMaxLongitude &&
      place.utc_offset >= kMinUtcOffset && place.utc_offset <= kMaxUtcOffset) {
    text = SunTimesText(place, GetPlatform().Now());
  }
  SetDlgItemTextA(page, IDC_OPT_SUN_TIMES, text.c_str());
}

void OnOptionsInit(HWND page) {
  const Options defaults;
  const Options& options = Services().options ? *Services().options : defaults;
  const OptionsFields f = OptionsFieldsFrom(options);
  g_follow_sun_at_open = f.follow_sun;
  Check(page, IDC_OPT_DIARY, f.diary_enabled);
  SetDlgItemTextA(page, IDC_OPT_DIARY_MB, f.diary_max_mb.c_str());
  Check(page, IDC_OPT_PER_MONITOR, f.wallpaper_per_monitor);
  Check(page, IDC_OPT_CATCH_UP, f.growth_catch_up);
  Check(page, IDC_OPT_FOLLOW_SUN, f.follow_sun);
  SetDlgItemTextA(page, IDC_OPT_LATITUDE, f.latitude.c_str());
  SetDlgItemTextA(page, IDC_OPT_LONGITUDE, f.longitude.c_str());
  SetDlgItemTextA(page, IDC_OPT_UTC_OFFSET, f.utc_offset.c_str());
  ShowSunTimes(page);
}

// Leaving the page or confirming the sheet with a wrong field: the message,
// the field selected, and the page stays.
bool OnOptionsValidate(HWND page) {
  Options scratch;
  const char* message = nullptr;
  const OptionsField bad = ReadOptionsFields(ReadOptionsPage(page), g_follow_sun_at_open, scratch, &message);
  if (bad == OptionsField::kNone) return true;
  ShowMessage(message, kOptionsCaption);
  const int control = bad == OptionsField::kDiaryMaxMb ? IDC_OPT_DIARY_MB
                      : bad == OptionsField::kLatitude ? IDC_OPT_LATITUDE
                      : bad == OptionsField::kLongitude ? IDC_OPT_LONGITUDE
                                                        : IDC_OPT_UTC_OFFSET;
  HWND field = GetDlgItem(page, control);
  SetFocus(field);
  SendMessageA(field, EM_SETSEL, 0, -1);
  return false;
}

void OnOptionsApply(HWND page) {
  Options* options = Services().options;
  if (!options) return;
  const Options before = *options;
  if (ReadOptionsFields(ReadOptionsPage(page), g_follow_sun_at_open, *options, nullptr) != OptionsField::kNone) return;
  if (*options == before) return;
  if (Services().save_options) Services().save_options();
  SetSunLighting(SunLightingFromOptions(*options));
}

// ---- page procedures ----

// One page: how it fills its controls and how it stores them.
struct PageKind {
  int template_id;
  void (*init)(HWND page);
  void (*apply)(HWND page);
  bool (*validate)(HWND page) = nullptr;  // false keeps the page open; null: always fine
};

const std::array<PageKind, 5> kPages = {{
    {IDD_SETTINGS_BASIC, OnBasicInit, OnBasicApply},
    {IDD_SETTINGS_BEHAVIOUR, OnBehaviourInit, OnBehaviourApply},
    {IDD_SETTINGS_ASSOCIATIONS, OnAssociationsInit, OnAssociationsApply},
    {IDD_SETTINGS_LIGHTING, OnLightingInit, OnLightingApply},
    {IDD_SETTINGS_OPTIONS, OnOptionsInit, OnOptionsApply, OnOptionsValidate},
}};

const PageKind* AttachedPage(HWND page) {
  return reinterpret_cast<const PageKind*>(GetWindowLongPtrA(page, DWLP_USER));
}

void OnPageCommand(HWND page, int id, int code) {
  if (id == IDC_SET_SOUND_TEST && code == BN_CLICKED) OnSoundTest(page);
  if ((id == IDC_OPT_LATITUDE || id == IDC_OPT_LONGITUDE || id == IDC_OPT_UTC_OFFSET) && code == EN_CHANGE)
    ShowSunTimes(page);
}

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    const auto* sheet_page = reinterpret_cast<const PROPSHEETPAGEA*>(lparam);
    const auto* kind = reinterpret_cast<const PageKind*>(sheet_page->lParam);
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(kind));
    kind->init(page);
    return TRUE;
  }
  const PageKind* kind = AttachedPage(page);
  if (!kind) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      OnPageCommand(page, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_HSCROLL:
      OnSliderMoved(page, reinterpret_cast<HWND>(lparam));
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lparam)->code == PSN_KILLACTIVE) {
        const bool fine = !kind->validate || kind->validate(page);
        return SetDlgMsgResult(page, msg, fine ? FALSE : TRUE);
      }
      if (reinterpret_cast<const NMHDR*>(lparam)->code == PSN_APPLY) {
        kind->apply(page);
        return SetDlgMsgResult(page, msg, PSNRET_NOERROR);
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::vector<std::string> ListSoundFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE h = FindFirstFileA(JoinPath(SoundFolder(), kSoundPattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (names.size() < size_t(kMaxSoundFiles) && FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

int ShowSettingsSheet(HWND owner) {
  const int before = CurrentLightingMode();
  const SunLighting sun_before = CurrentSunLighting();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  std::array<PROPSHEETPAGEA, kPages.size()> pages{};
  for (size_t i = 0; i < kPages.size(); ++i) {
    PROPSHEETPAGEA& p = pages[i];
    p.dwSize = sizeof(p);
    p.dwFlags = PSP_DEFAULT;
    p.hInstance = instance;
    p.pszTemplate = MAKEINTRESOURCEA(kPages[i].template_id);
    p.pfnDlgProc = PageProc;
    p.lParam = reinterpret_cast<LPARAM>(&kPages[i]);
  }
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  header.hwndParent = owner;
  header.hInstance = instance;
  header.pszCaption = kSheetCaption;
  header.nPages = static_cast<UINT>(pages.size());
  header.ppsp = pages.data();
  if (PropertySheetA(&header) < 0) return -1;
  const SunLighting sun = CurrentSunLighting();
  const bool sun_changed = sun.follow_sun != sun_before.follow_sun ||
                           (sun.follow_sun && (sun.place.latitude != sun_before.place.latitude ||
                                               sun.place.longitude != sun_before.place.longitude ||
                                               sun.place.utc_offset != sun_before.place.utc_offset));
  return CurrentLightingMode() != before || sun_changed ? 1 : 0;
}

}  // namespace sylvane
