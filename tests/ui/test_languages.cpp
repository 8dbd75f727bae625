// The program in English and in Japanese: every text the windows show or a
// screen reader speaks is translated, or is the same in both because it is
// not Japanese (the window's English captions); none goes empty. The
// translation file is complete and keeps each text's placeholders and
// mnemonic, and every English menu entry has one; the result sheet does
// not change with the language. The settings dialog's texts fit their places
// in both languages, at whatever scale the screen of the run has (CTest runs
// it at 100 % to 200 %).
#include <QHeaderView>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "UiHelpers.h"
#include "core/base/Errors.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "core/run/GroupSequencer.h"
#include "core/workloads/WorkerThread.h"
#include "ui/ComparisonWindow.h"
#include "ui/DesignScale.h"
#include "ui/SettingsDialog.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

bool HasJapanese(const QString& text) {
  static const QRegularExpression japanese(
      QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
  return text.contains(japanese);
}

// What a user sees of `root` and its visible children, and what a screen
// reader says of them, keyed by where it is (the same key in every language).
QMap<QString, QString> TextsOf(const QWidget& root) {
  QMap<QString, QString> texts;
  texts[QStringLiteral("title")] = root.windowTitle();
  const QList<const QWidget*> widgets = root.findChildren<const QWidget*>();
  for (qsizetype i = 0; i < widgets.size(); ++i) {
    const QWidget* w = widgets[i];
    if (!w->isVisibleTo(&root) || w->objectName().startsWith(u"qt_")) continue;  // Qt's own parts
    const QString key =
        QStringLiteral("%1 %2 %3").arg(i).arg(QLatin1String(w->metaObject()->className()), w->objectName());
    if (auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty()) texts[key] = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) texts[key] = button->text();
    if (!w->accessibleName().isEmpty()) texts[key + QStringLiteral(" name")] = w->accessibleName();
    if (!w->accessibleDescription().isEmpty()) texts[key + QStringLiteral(" description")] = w->accessibleDescription();
    if (auto* bar = qobject_cast<const QMenuBar*>(w)) {
      for (const QAction* menu : bar->actions()) {
        texts[key + QStringLiteral(" menu ") + menu->menu()->objectName()] = menu->text();
        for (const QAction* entry : menu->menu()->actions()) {
          if (!entry->isSeparator()) texts[key + QStringLiteral(" menu ") + entry->objectName()] = entry->text();
        }
      }
    }
    if (auto* header = qobject_cast<const QHeaderView*>(w); header && header->orientation() == Qt::Horizontal) {
      for (int column = 0; column < header->model()->columnCount(); ++column) {
        texts[key + QString::number(column)] = header->model()->headerData(column, Qt::Horizontal).toString();
      }
    }
  }
  return texts;
}

// The texts of the three windows, built in the language installed now.
QMap<QString, QString> WindowTexts(const QString& storeFolder) {
  QMap<QString, QString> texts;
  const auto add = [&texts](const QString& window, const QMap<QString, QString>& more) {
    for (auto it = more.begin(); it != more.end(); ++it) texts[window + u'/' + it.key()] = it.value();
  };
  ComposedWindow composed;
  add(QStringLiteral("main"), TextsOf(composed.window));
  SettingsDialog settings(composed.settings, platform::SystemSources::Default(), nullptr, &composed.window);
  add(QStringLiteral("settings"), TextsOf(settings));
  BackgroundArchive archive(storeFolder + QStringLiteral("/results.sqlite"), QStringLiteral("torvik"), QString());
  ComparisonWindow comparison(archive);
  if (!QTest::qWaitFor([&comparison] { return !comparison.Runs().Loading(); }, 10'000)) qWarning("no list read");
  add(QStringLiteral("comparison"), TextsOf(comparison));
  // What the core says through the windows: a status, a box, an error.
  texts[QStringLiteral("status")] = StatusText(Test::Write1);
  texts[QStringLiteral("finished box")] = texts::CompletedBox();
  texts[QStringLiteral("disk full")] = IoError(kIoDiskFull).BoxText();
  return texts;
}

QByteArray MemorySheet() {
  RunRecord run;
  run.pcName = QStringLiteral("pc");
  run.results[Test::Memory].elapsed = TimeValue::FromTenths(25);
  run.results.Total() = TimeValue::FromTenths(25);
  SheetInputs sheet;
  sheet.locale = QLocale::c();
  sheet.now = QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0));
  sheet.captions[ResultLabel::KMemory] = FormatSeconds(TimeValue::FromTenths(25), u'.');
  sheet.captions[ResultLabel::KAll] = sheet.captions[ResultLabel::KMemory];
  return SheetBytes(BuildReport(run, sheet));
}

}  // namespace

class LanguagesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { RegisterFontSubstitutes(); }  // the faces the windows are drawn in
  void cleanup() { WorkerThread::StopAllWorkers(); }

  void everyTextIsTranslatedOrKept() {
    QTemporaryDir folder;
    {
      ResultStore store(folder.path() + QStringLiteral("/results.sqlite"));
      StoredRun run;
      run.started = QStringLiteral("2026-12-08T09:00:00");
      run.group = QStringLiteral("memory");
      QVERIFY(store.Record(run));
    }
    const QMap<QString, QString> japanese = WindowTexts(folder.path());
    const QByteArray japaneseSheet = MemorySheet();
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/i18n/torvik_en.qm")));
    QVERIFY(QCoreApplication::installTranslator(&english));
    const QMap<QString, QString> translated = WindowTexts(folder.path());
    const QByteArray englishSheet = MemorySheet();
    QCoreApplication::removeTranslator(&english);

    for (const QString& key : translated.keys()) QVERIFY2(japanese.contains(key), qPrintable(key));
    QCOMPARE(translated.size(), japanese.size());
    int changed = 0;
    for (auto it = japanese.begin(); it != japanese.end(); ++it) {
      const QString& en = translated[it.key()];
      const QString where = it.key() + QStringLiteral(": ") + it.value() + QStringLiteral(" -> ") + en;
      QVERIFY2(!HasJapanese(en), qPrintable(where));
      QVERIFY2(it.value().isEmpty() || !en.isEmpty(), qPrintable(where));
      QVERIFY2(en != it.value() || !HasJapanese(it.value()), qPrintable(where));
      changed += en != it.value();
      // In English every menu and entry has its Alt key.
      if (it.key().contains(QStringLiteral(" menu "))) QVERIFY2(en.contains(u'&'), qPrintable(where));
    }
    QVERIFY(changed >= 20);
    QCOMPARE(translated[QStringLiteral("disk full")], QStringLiteral("Disk full."));
    QCOMPARE(englishSheet, japaneseSheet);
  }

  // Each translation is finished, without Japanese, with the placeholders
  // of its source and a mnemonic where the source has one.
  void theTranslationFileIsComplete() {
    QFile file(QStringLiteral(TORVIK_TS_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    static const QRegularExpression mnemonic(QStringLiteral("&[^&\\s]"));
    const auto sorted = [](const QString& text) {
      QStringList found;
      for (const auto& match : placeholder.globalMatch(text)) found << match.captured();
      found.sort();
      return found;
    };
    QString source;
    int messages = 0;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      if (xml.name() == u"source") source = xml.readElementText();
      if (xml.name() != u"translation") continue;
      const bool unfinished = xml.attributes().hasAttribute(QStringLiteral("type"));
      const QString translation = xml.readElementText();
      ++messages;
      QVERIFY2(!unfinished && !translation.isEmpty(), qPrintable(source));
      QVERIFY2(!HasJapanese(translation), qPrintable(translation));
      QVERIFY2(sorted(translation) == sorted(source), qPrintable(source));
      QVERIFY2(!source.contains(mnemonic) || translation.contains(mnemonic), qPrintable(source));
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(messages > 80);
  }

  // No text runs past its place and no two controls overlap.
  void settingsDialogTextsFitTheirPlaces() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    qInfo("%g dpi, device pixel ratio %g", screen->logicalDotsPerInch(), screen->devicePixelRatio());
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/i18n/torvik_en.qm")));
    for (const bool inEnglish : {false, true}) {
      if (inEnglish) QVERIFY(QCoreApplication::installTranslator(&english));
      ComposedWindow composed;
      SettingsDialog dialog(composed.settings, platform::SystemSources::Default(), nullptr, &composed.window);
      QList<const QWidget*> controls;
      for (const QWidget* w : dialog.findChildren<const QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisibleTo(&dialog)) controls << w;
      }
      for (const QWidget* w : controls) {
        QString text;
        int room = w->contentsRect().width();
        if (auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
        if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
          text = QString(button->text()).remove(u'&');
          room -= 8;  // the button's frame and padding
        }
        const QString where = w->objectName() + QStringLiteral(": ") + text;
        QVERIFY2(w->fontMetrics().horizontalAdvance(text) <= room, qPrintable(where));
        QVERIFY2(dialog.rect().contains(w->geometry()), qPrintable(where));
        for (const QWidget* other : controls) {
          QVERIFY2(other == w || !other->geometry().intersects(w->geometry()),
                   qPrintable(where + QStringLiteral(" / ") + other->objectName()));
        }
      }
    }
    QCoreApplication::removeTranslator(&english);
  }
};

QTEST_MAIN(LanguagesTest)
#include "test_languages.moc"
