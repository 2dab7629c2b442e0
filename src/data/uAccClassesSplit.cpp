#include "data/uAccClassesSplit.h"

namespace {

// Texts are UTF-8: every byte of a multi-byte character is 0x80 or above, so scanning bytes for
// ASCII delimiters, quotes and blanks never lands inside a character (as the Shift-JIS scan has
// to take care to avoid).
bool IsBlankOrControl(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 1 && b <= 32;
}

}  // namespace

void TMojiBunkatu::SetText(std::string_view text) {
  Clear();
  // A zero byte ends the text, as it ends the original's character buffer.
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

  const size_t n = text.size();
  size_t p = 0;
  auto skipBlanks = [&] {
    while (p < n && IsBlankOrControl(text[p])) ++p;
  };

  skipBlanks();
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;  // the closing quote
          break;
        }
        item += text[p++];
      }
    } else {
      const size_t start = p;
      while (p < n && static_cast<unsigned char>(text[p]) > 32 && text[p] != Delimiter) ++p;
      item.assign(text.substr(start, p - start));
    }
    Items.push_back(std::move(item));

    skipBlanks();
    if (p < n && text[p] == Delimiter) {
      if (p + 1 == n) Items.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  if (Items.empty()) Items.emplace_back();
  Count = static_cast<int>(Items.size());
}

void TMojiBunkatu::GetMoji(int index, std::string& text) const {
  if (index >= 0 && index < Count) {
    text = Items[static_cast<size_t>(index)];
  } else {
    text.clear();
  }
}

void TMojiBunkatu::Clear() {
  Items.clear();
  Count = 0;
}
