// The text of a name label. A garden that flowers for months holds thousands
// of labels but only a few dozen different names (every flower of a tree
// repeats its name), so copies of a label, and labels whose texts the list
// finds equal, share one immutable string instead of each holding its own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sylvane {

class LabelText {
 public:
  LabelText() = default;
  LabelText(std::string text)  // NOLINT: a label's text is written like a string
      : text_(text.empty() ? nullptr : std::make_shared<const std::string>(std::move(text))) {}
  LabelText(const char* text) : LabelText(std::string(text)) {}  // NOLINT

  const std::string& str() const { return text_ ? *text_ : Empty(); }
  operator const std::string&() const { return str(); }  // NOLINT
  operator std::string_view() const { return str(); }     // NOLINT
  const char* data() const { return str().data(); }
  const char* c_str() const { return str().c_str(); }
  size_t size() const { return str().size(); }
  bool empty() const { return str().empty(); }
  // True when both hold the very same string (not merely equal text).
  bool SharesWith(const LabelText& other) const { return text_ && text_ == other.text_; }

  friend bool operator==(const LabelText& a, const LabelText& b) { return a.str() == b.str(); }
  friend bool operator==(const LabelText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const LabelText& a, const char* b) { return a.str() == b; }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  std::shared_ptr<const std::string> text_;
};

}  // namespace sylvane
