// One rule for the text a user gives (a PC name, a user name, a path) and
// the texts read from outside (a sheet, a store) wherever it is kept or
// written: the local store, the shared store, the JSON, the sheet, an
// imported sheet's run, the report page and the server's
// application_name. Every character that does not print becomes a blank:
// the C0 controls (NUL, tab, line feed, ESC...), DEL, the C1 controls
// (0x80-0x9F), the line and paragraph separators, the invisible format
// characters that could hide or reorder text (bidirectional overrides, a
// byte order mark; the zero-width joiners that build a character are
// kept), and a surrogate without its partner. Everything else, wide
// characters and pairs beyond the BMP included, is kept, and nothing is
// trimmed or joined, so one name is one text everywhere. Pure; any thread.
#pragma once

#include <QString>

namespace torvik {

// `text` with each character that does not print (above) as one blank; the
// length in UTF-16 units is unchanged.
QString PrintableText(const QString& text);

}  // namespace torvik
