// A result sheet's date line read back as a time. The sheet writes it in the
// writing machine's locale (its short date, a blank and its long time without
// the zone; the date alone at midnight), so it is read with the formats that
// same code gives: first the locale that wrote it, then the locales this
// program speaks (Japanese, every English one, C), then the forms older
// sheets used. A two-digit year is put in the century that places it from 70
// years before `today` to 29 years after. Pure; any thread.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace torvik {

// The date of a sheet's date line (the text after its label), or none when
// no known form reads it; `writer` is the locale most likely to have written
// it (this machine's).
std::optional<QDateTime> SheetDate(const QString& text, const QLocale& writer = QLocale::system(),
                                   QDate today = QDate::currentDate());

}  // namespace torvik
