// The language the program speaks. Its texts are written in Japanese, and
// Japanese users see exactly those; everyone else sees the English
// translation built into the program. What is stored or written for other
// programs (the result sheet, the JSON, the results store) never changes
// with the language.
#pragma once

#include <QString>

namespace torvik {

// The locale variables that choose the language of messages.
struct LanguageEnvironment {
  QString language;    // LANGUAGE: a preference list, "ja:en"
  QString lcAll;       // LC_ALL
  QString lcMessages;  // LC_MESSAGES
  QString lang;        // LANG

  static LanguageEnvironment Current();
};

// As the C library picks the messages language: LC_ALL, else LC_MESSAGES,
// else LANG; outside the C locale, LANGUAGE's first entry goes before it.
// True when that language is Japanese ("ja", "ja_JP.UTF-8", "ja_JP.eucJP").
bool SpeaksJapanese(const LanguageEnvironment& environment);

// Installs the English translation in the running application unless
// `environment` asks for Japanese. Call once, after the application object
// exists; returns whether English was installed.
bool InstallInterfaceLanguage(const LanguageEnvironment& environment);

}  // namespace torvik
