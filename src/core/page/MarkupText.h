// The one way a text reaches the report page's HTML and SVG: the markup
// characters escaped (& < > " '), every character PrintableText blanks
// (C0 and C1 controls, DEL, line and paragraph separators, lone
// surrogates: the program's one rule for unprintable text) a space, and
// the two code points XML 1.0 forbids besides (U+FFFE, U+FFFF) U+FFFD, so
// that every SVG cut out of the page is well-formed XML and a name reads
// as it does in the store, the JSON and the sheet. Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// The replacement for a character a page may not hold.
inline constexpr char16_t kNotShown = 0xfffd;

QString MarkupText(const QString& text);

}  // namespace torvik
