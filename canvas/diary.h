// The growth diary: one lit picture of the garden a day, kept as
//   <program folder>\diary\<garden name>\YYYY-MM-DD.jpg
// (JPEG quality 85, the garden's size). Each garden keeps at most 365
// pictures, and all gardens together at most the options' diary_max_mb; the
// oldest pictures go first. Files in the diary folders that are not named as
// diary pictures are never counted nor deleted.
//
// Writing the diary never disturbs the caller: a failure comes back as a
// status and a one-line reason for the caller to note once; no message box.
// Names and paths are Shift-JIS.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/image/surface.h"
#include "platform/platform.h"

namespace sylvane {

struct Options;

// The diary's folder in the program folder.
inline constexpr char kDiaryFolderName[] = "diary";
// JPEG quality of the pictures.
constexpr int kDiaryJpegQuality = 85;
// Pictures one garden keeps.
constexpr int kDiaryPicturesPerGarden = 365;

// A calendar day.
struct DiaryDate {
  int year = 0;   // 1..9999
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  auto operator<=>(const DiaryDate&) const = default;
};

// The day of a local time (the platform's Now()).
inline DiaryDate DiaryDateOf(const LocalTime& t) { return DiaryDate{t.year, t.month, t.day}; }

// "YYYY-MM-DD.jpg"
std::string DiaryPictureName(const DiaryDate& date);
// The date of a diary picture's name ("2026-12-07.jpg", extension in any
// case); false for any other name.
bool ParseDiaryPictureName(const std::string& name, DiaryDate& date);

// The garden's folder name: its name with the characters Windows refuses in
// file names (\ / : * ? " < > | and controls) replaced by '_' (Shift-JIS
// trail bytes kept), trailing dots and spaces dropped; "garden" when nothing
// is left.
std::string DiaryGardenFolderName(const std::string& garden_name);
// <program folder>\diary and <program folder>\diary\<garden folder name>.
std::string DiaryRoot(const std::string& program_folder);
std::string DiaryGardenFolder(const std::string& program_folder, const std::string& garden_name);

// Limits of the diary.
struct DiaryLimits {
  int pictures_per_garden = kDiaryPicturesPerGarden;  // pictures one garden keeps, >= 1
  uint64_t max_bytes = uint64_t(200) << 20;          // bytes of all gardens' pictures together
};
// The limits the options set.
DiaryLimits DiaryLimitsFor(const Options& options);

enum class DiaryStatus {
  kWritten,         // today's picture was written (and older ones pruned)
  kAlreadyWritten,  // today's picture exists; nothing done
  kDisabled,        // the diary is turned off in the options
  kFailed,          // nothing written; see reason
};

struct DiaryResult {
  DiaryStatus status = DiaryStatus::kFailed;
  std::string reason;  // one line when kFailed, else empty
  std::string path;    // the picture's path (written or existing)
};

// True when the diary is on and today's picture of the garden is not written
// yet: cheap (one file test), so that the caller renders the picture only
// when it is due.
bool DiaryPictureDue(const std::string& program_folder, const std::string& garden_name, const DiaryDate& today,
                     const Options& options);

// Writes today's picture of the garden (the lit picture, at its own size)
// unless it exists, then prunes the diary to the limits. The picture just
// written is never pruned.
DiaryResult WriteDiaryPicture(const std::string& program_folder, const std::string& garden_name,
                              const DiaryDate& today, const Surface& lit, const Options& options);

// Deletes the oldest diary pictures: in garden_folder beyond the picture
// count, then across every garden folder of diary_root beyond the total size
// (oldest date first). `keep` (a path) is never deleted. Returns the number
// of pictures deleted.
int PruneDiary(const std::string& diary_root, const std::string& garden_folder, const DiaryLimits& limits,
               const std::string& keep);

// One picture of a diary folder.
struct DiaryEntry {
  DiaryDate date;
  std::string path;
  uint64_t bytes = 0;
};

// The diary pictures of a folder in date order. The names of its other files
// go to `others` when given (sorted).
std::vector<DiaryEntry> ListDiaryFolder(const std::string& folder, std::vector<std::string>* others = nullptr);

}  // namespace sylvane
