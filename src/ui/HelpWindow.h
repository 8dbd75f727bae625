// The help engine: a small window that shows a help file's contents from
// its start, in the window's language. Help files are looked up beside the
// executable, then in the current directory; a missing file gets the
// engine's own message. GUI thread only (HelpInLanguage: any thread).
#pragma once

#include <QString>

class QWidget;

namespace torvik {

// Shows the contents of `helpFile` (a bare file name such as "TORVIK.HLP").
void ShowHelpContents(QWidget* parent, const QString& helpFile);

// Where `helpFile` is found; empty when it is nowhere.
QString LocateHelpFile(const QString& helpFile);

// The part of help text `text` for `language` ("ja", "en"): a line that is
// only "<!-- ja -->" or "<!-- en -->" starts that language's part, one that
// is only "<!-- both -->" ends it; the lines outside every part stay, as does
// all of a text without parts. The marker lines themselves go.
QString HelpInLanguage(const QString& text, const QString& language);

}  // namespace torvik
