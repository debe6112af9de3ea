// sylvane-cli convert IN OUT [--alpha] [--quality Q]
// Loads a picture the way the program does (its type detection, acceptance
// rules and messages) and writes it as PNG, BMP or JPEG by OUT's extension.
// A failure is reported in one line on stderr that names the file and carries
// the program's own message.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/image/image_io.h"
#include "cli/command.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane::cli {
namespace {

// Keeps the messages of the picture readers and writers instead of printing
// them, so that a failure makes one line; everything else goes to the
// platform that was installed.
class MessageKeeper : public Platform {
 public:
  MessageKeeper() : outer_(GetPlatform()) { SetPlatform(this); }
  ~MessageKeeper() override { SetPlatform(&outer_); }
  MessageKeeper(const MessageKeeper&) = delete;
  MessageKeeper& operator=(const MessageKeeper&) = delete;

  void ShowMessage(std::string_view text, std::string_view) override {
    if (!kept_.empty()) kept_ += " ";
    kept_ += SjisToUtf8(text);
  }
  Answer Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) override {
    return outer_.Ask(text, caption, buttons);
  }
  LocalTime Now() override { return outer_.Now(); }
  unsigned long long Seconds() override { return outer_.Seconds(); }
  ScreenSize PrimaryScreenSize() override { return outer_.PrimaryScreenSize(); }
  std::string ProgramFolder() override { return outer_.ProgramFolder(); }
  void PlaySound(const std::string& path) override { outer_.PlaySound(path); }

  // The kept messages as " (text text)", or "" when there were none; emptied.
  std::string Take() {
    std::string s = kept_.empty() ? std::string() : " (" + kept_ + ")";
    kept_.clear();
    return s;
  }

 private:
  Platform& outer_;
  std::string kept_;
};

enum class OutputType { kUnknown, kPng, kBmp, kJpeg };

OutputType OutputTypeFor(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return OutputType::kUnknown;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "png") return OutputType::kPng;
  if (ext == "bmp") return OutputType::kBmp;
  if (ext == "jpg" || ext == "jpeg") return OutputType::kJpeg;
  return OutputType::kUnknown;
}

int RunConvert(const GlobalOptions&, const std::vector<std::string>& raw) {
  Args args(raw);
  const bool with_alpha = args.Flag("--alpha");
  int quality = 80;
  if (auto q = args.Value("--quality")) {
    if (!ParseInt(*q, quality) || quality < 0 || quality > 100) {
      std::fprintf(stderr, "convert: --quality needs a number 0..100\n");
      return 2;
    }
  }
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error) || files.size() != 2) {
    return UsageError("convert", "convert IN OUT [--alpha] [--quality Q]", error.empty() ? "needs IN and OUT" : error);
  }
  const std::string& in = files[0];
  const std::string& out = files[1];
  const OutputType type = OutputTypeFor(out);
  if (type == OutputType::kUnknown) {
    std::fprintf(stderr, "convert: cannot tell the output type of '%s' (use .png, .bmp, .jpg or .jpeg)\n",
                 out.c_str());
    return 2;
  }

  MessageKeeper messages;
  Surface picture;
  AlphaPlane alpha;
  const int loaded = with_alpha ? LoadImageWithAlpha(in, picture, alpha) : LoadImage(in, picture, true);
  if (loaded != 0) {
    std::fprintf(stderr, "convert: cannot read '%s'%s\n", in.c_str(), messages.Take().c_str());
    return 1;
  }
  int written = -1;
  switch (type) {
    case OutputType::kPng: written = WritePng(out, picture, with_alpha ? &alpha : nullptr); break;
    case OutputType::kBmp: written = WriteBmp(out, picture); break;
    case OutputType::kJpeg: written = WriteJpeg(out, picture, quality); break;
    case OutputType::kUnknown: break;
  }
  if (written != 0) {
    std::fprintf(stderr, "convert: cannot write '%s'%s\n", out.c_str(), messages.Take().c_str());
    return 1;
  }
  std::printf("%s: %dx%d -> %s\n", in.c_str(), picture.width, picture.height, out.c_str());
  return 0;
}

const Command kConvert{"convert", "convert IN OUT [--alpha] [--quality Q]", RunConvert};
static Registration reg{kConvert};

}  // namespace
}  // namespace sylvane::cli
