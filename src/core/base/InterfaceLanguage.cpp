#include "core/base/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QTranslator>

namespace torvik {
namespace {

bool IsCLocale(const QString& locale) { return locale == u"C" || locale == u"POSIX"; }

}  // namespace

LanguageEnvironment LanguageEnvironment::Current() {
  return {qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
          qEnvironmentVariable("LANG")};
}

bool SpeaksJapanese(const LanguageEnvironment& environment) {
  QString messages = environment.lcAll;
  if (messages.isEmpty()) messages = environment.lcMessages;
  if (messages.isEmpty()) messages = environment.lang;
  if (messages.isEmpty() || IsCLocale(messages)) return false;
  const QString preferred = environment.language.section(u':', 0, 0);
  const QString chosen = preferred.isEmpty() ? messages : preferred;
  return chosen == u"ja" || chosen.startsWith(u"ja_") || chosen.startsWith(u"ja.") || chosen.startsWith(u"ja@");
}

bool InstallInterfaceLanguage(const LanguageEnvironment& environment) {
  if (SpeaksJapanese(environment)) return false;
  static QTranslator english;
  if (english.isEmpty() && !english.load(QStringLiteral(":/i18n/torvik_en.qm"))) return false;
  return QCoreApplication::installTranslator(&english);
}

}  // namespace torvik
