#pragma once
// The text splitter shared by the settings files, version texts and paths.
//
// Rules: leading blanks and control characters are skipped; an item in double quotes may hold
// the delimiter and blanks, and a doubled quote inside it stands for one quote; an unquoted item
// ends at the delimiter or at any character up to the blank, so a blank inside it splits it;
// blanks around items and delimiters vanish; two delimiters in a row give an empty item between
// them, a delimiter at the start an empty first item and a delimiter as the very last character
// an empty last item. Any text splits into at least one item: an empty or blank text gives one
// empty item. A quote that is never closed takes the rest of the text.
#include <string>
#include <string_view>
#include <vector>

using TMojiArray = std::vector<std::string>;

class TMojiBunkatu {
 public:
  char Delimiter = ',';  // an ASCII character
  TMojiArray Items;
  int Count = 0;

  void SetText(std::string_view text);
  // The item at index, or empty outside 0..Count-1.
  void GetMoji(int index, std::string& text) const;
  void Clear();
};
