// The one way a text reaches the report page's HTML and SVG: the markup
// characters escaped (& < > " '), and what XML 1.0 does not allow in a
// document (C0 controls but tab, line feed and carriage return; lone
// surrogates; U+FFFE and U+FFFF) or what shows as nothing on a page (DEL
// and the C1 controls) replaced by U+FFFD, so that every SVG cut out of
// the page is well-formed XML and a name that held a control character
// shows where it was. Tab, line feed and carriage return become spaces: a
// name on a page is one line. Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// The replacement for a character a page may not hold.
inline constexpr char16_t kNotShown = 0xfffd;

QString MarkupText(const QString& text);

}  // namespace torvik
