#pragma once
// Texts broken into lines and lines joined into a text. A line ends at CR, at LF or at CR LF,
// whichever the text uses (message texts mostly break with a lone CR).
#include <string>
#include <string_view>
#include <vector>

namespace textlines {

// Every piece between the line breaks: a break at the very end leaves an empty last line,
// and an empty text is one empty line. Message boxes show their texts this way.
std::vector<std::string> Split(std::string_view text);

// The lines of a text the way a string list reads it: a break at the very end does not start
// another (empty) line, and an empty text has no lines.
std::vector<std::string> FromText(std::string_view text);

// The text of lines the way a string list writes it: every line followed by CR LF.
std::string ToText(const std::vector<std::string>& lines);

}  // namespace textlines
