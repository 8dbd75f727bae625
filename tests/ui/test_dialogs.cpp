// The settings dialog, the about box, the link label and the help window,
// under a real X server: what each shows, the drive check on paths of a
// captured machine, and the settings reaching (or never reaching) the store.
#include <QKeyEvent>
#include <QMenuBar>
#include <QTextBrowser>
#include <QtTest>

#include "RootedSources.h"
#include "StorageFakes.h"
#include "UiHelpers.h"
#include "core/machine/DriveType.h"
#include "core/workloads/WorkerThread.h"
#include "ui/AboutBox.h"
#include "ui/HelpWindow.h"
#include "ui/SettingsDialog.h"
#include "ui/ShellOpen.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

// A dialog over the laptop's drives: /home/user is a fixed disk, /tmp tmpfs,
// /mnt/nfs NFS, /media/cdrom a CD, "/media/user/USB STICK" a USB stick.
struct Dialog {
  MemorySettings settings;
  RootedSources sources{QStringLiteral("laptop-usb")};
  RootedPathRules rules{sources};
  std::unique_ptr<SettingsDialog> form;
  Dialog() {
    sources.system.hasPasswdEntry = true;
    sources.system.fullName = "Taro Suzuki";
    for (const char* path : {"/home/user", "/tmp", "/mnt/nfs", "/media/cdrom", "/media/user/USB STICK"}) {
      sources.volumes[path] = {4096, 1000, 500};
    }
    settings.Write(settings::kDrive, QStringLiteral("/home/user/"));
    form = std::make_unique<SettingsDialog>(settings, sources, &rules);
    form->show();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("the dialog is not active");
    form->fmDrv->setFocus();
  }
  // Types a path and leaves the field the way a user does, with Tab.
  void TypePathAndLeave(const QString& path) {
    form->fmDrv->setText(path);
    QTest::keyClick(form->fmDrv, Qt::Key_Tab);
  }
};

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setApplicationName(QStringLiteral("TORVIK")); }
  void cleanup() { WorkerThread::StopAllWorkers(); }

  void dialogLoadsTheStoreAndProposesTheOwner() {
    Dialog d;
    QCOMPARE(d.form->windowTitle(), QStringLiteral("環境設定"));
    QCOMPARE(d.form->fmDrv->text(), QStringLiteral("/home/user/"));
    QCOMPARE(d.form->fmYName->text(), QStringLiteral("Taro Suzuki"));  // nothing stored: the owner
    QVERIFY(d.form->fmPCName->text().isEmpty());
    QCOMPARE(d.form->fmDrv->maxLength(), 32767);  // a path, not three characters
    QCOMPARE(d.form->URLLabel1->text(), QStringLiteral("TORVIK"));
    QVERIFY(!d.form->URLLabel1->Executable());
  }

  void enterMovesTheFocusAndIsDiscarded() {
    Dialog d;
    QTest::keyClick(d.form->fmDrv, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), d.form->fmYName);
    QTest::keyClick(d.form->fmYName, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), d.form->fmPCName);
    QTest::keyClick(d.form->fmPCName, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), d.form->fmPCName);  // neither moves nor presses OK
    QVERIFY(d.form->isVisible());
    QVERIFY(d.settings.values.count(settings::kPcName) == 0);
  }

  void aFixedDiskPathGetsItsSlash() {
    Dialog d;
    d.TypePathAndLeave(QStringLiteral("/home/user"));
    QCOMPARE(d.form->fmDrv->text(), QStringLiteral("/home/user/"));
    QVERIFY(d.form->isVisible());
    QCOMPARE(d.form->MSysInfo.Facts().diMediaType, int32_t{kDriveFixed});
  }

  void everythingElseIsRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("RAM disk") << "/tmp/" << texts::NotAHardDisk();
    QTest::newRow("network") << "/mnt/nfs" << texts::NotAHardDisk();
    QTest::newRow("optical") << "/media/cdrom/" << texts::NotAHardDisk();
    QTest::newRow("removable") << "/media/user/USB STICK/" << texts::NotAHardDisk();
    QTest::newRow("missing") << "/no/such/dir/" << texts::FolderMissing();
    QTest::newRow("case matters") << "/HOME/USER/" << texts::FolderMissing();
    QTest::newRow("a file") << "/home/user/.keep" << texts::NotAFolder();
    QTest::newRow("a file with a slash") << "/home/user/.keep/" << texts::NotAFolder();
    QTest::newRow("not writable") << "/home" << texts::CannotCreateFiles();
    QTest::newRow("empty") << "" << texts::NotAbsolutePath();
    QTest::newRow("relative") << "home/user/" << texts::NotAbsolutePath();
  }
  void everythingElseIsRefused() {
    QFETCH(QString, path);
    QFETCH(QString, message);
    Dialog d;
    d.rules.readOnly << QStringLiteral("/home");
    MessageBoxAnswer answer;
    d.TypePathAndLeave(path);
    QCOMPARE(answer.texts, QStringList({message}));
    QCOMPARE(d.form->fmDrv->text(), QStringLiteral("/home/user/"));  // the saved path is back
    QVERIFY(!d.form->isVisible());                                   // and the dialog has closed
    QCOMPARE(d.settings.values[settings::kDrive], QStringLiteral("/home/user/"));
    QCOMPARE(d.settings.values.size(), size_t{1});  // nothing was written
  }

  void okStoresTheFieldsAsTheyStand() {
    Dialog d;
    d.TypePathAndLeave(QStringLiteral("/home/user"));
    d.form->fmYName->setText(QStringLiteral("鈴木"));
    d.form->fmPCName->setText(QString());
    QTest::mouseClick(d.form->fmOK, Qt::LeftButton);
    QCOMPARE(d.settings.values[settings::kDrive], QStringLiteral("/home/user/"));
    QCOMPARE(d.settings.values[settings::kUserName], QStringLiteral("鈴木"));
    QCOMPARE(d.settings.values[settings::kPcName], QString());  // empty texts are stored too
    QVERIFY(!d.form->isVisible());
    QCOMPARE(d.form->result(), int(QDialog::Accepted));
  }

  void okWithTheFocusInThePathChecksFirst() {
    Dialog d;
    MessageBoxAnswer answer;
    d.form->fmDrv->setText(QStringLiteral("/tmp"));
    d.form->fmDrv->setFocus();
    d.form->fmOKClick();
    QCOMPARE(answer.texts, QStringList({texts::NotAHardDisk()}));
    QCOMPARE(d.settings.values.count(settings::kUserName), size_t{0});  // refused: never stored
    d.form->show();
    d.form->fmDrv->setText(QStringLiteral("/home/user"));
    d.form->fmDrv->setFocus();
    d.form->fmOKClick();
    QCOMPARE(d.settings.values[settings::kDrive], QStringLiteral("/home/user/"));
  }

  void everyShowingStartsInThePathField() {
    Dialog d;
    d.form->fmPCName->setFocus();
    d.form->fmPCName->setText(QStringLiteral("typed"));
    d.form->close();  // by the title bar, the focus left in the PC name
    d.form->show();
    QVERIFY(QTest::qWaitForWindowActive(d.form.get()));
    QCOMPARE(QApplication::focusWidget(), d.form->fmDrv);
  }

  void cancelAndCloseDiscardTheEdits() {
    Dialog d;
    d.form->fmPCName->setText(QStringLiteral("typed"));
    QTest::mouseClick(d.form->fmNG, Qt::LeftButton);
    QVERIFY(!d.form->isVisible());
    QVERIFY(d.form->fmPCName->text().isEmpty());  // reverted to the store
    d.form->show();
    d.form->fmYName->setText(QStringLiteral("typed"));
    d.form->close();
    QCOMPARE(d.form->fmYName->text(), QStringLiteral("Taro Suzuki"));
    QVERIFY(d.settings.values.count(settings::kUserName) == 0);
  }

  void anotherWindowOfTheProgramTakesTheActivation() {
    Dialog d;
    d.form->fmYName->setText(QStringLiteral("typed"));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(!d.form->isVisible());
    QCOMPARE(d.form->fmYName->text(), QStringLiteral("Taro Suzuki"));
  }

  void linkLabelColoursAndOpens() {
    QStringList opened;
    SetShellOpener([&](const QString& target) { opened << target; });
    LinkLabel label(QStringLiteral("mailto:torvik@varn.example.org"));
    QPalette p = label.palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label.setPalette(p);
    label.resize(200, 20);
    label.SetExecutable(true);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QTest::mouseMove(&label, QPoint(5, 5));  // the mouse enters
    QTRY_COMPARE(label.FontColor(), QColor(0, 255, 255));
    QTest::mousePress(&label, Qt::RightButton, {}, QPoint(5, 5));  // any button opens, on the press
    QCOMPARE(opened, QStringList({"mailto:torvik@varn.example.org"}));
    QCOMPARE(label.FontColor(), QColor(255, 0, 0));
    QTest::mouseRelease(&label, Qt::RightButton, {}, QPoint(500, 5));  // released outside
    QCOMPARE(label.FontColor(), QColor(0, 0, 128));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));  // released over it
    QCOMPARE(label.FontColor(), QColor(0, 255, 255));
    // Without hot tracking the colour never changes, and it still opens.
    label.SetHotTrack(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    const QColor before = label.FontColor();
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(label.FontColor(), before);
    QCOMPARE(opened.size(), 3);
    SetShellOpener({});
  }

  void aboutBoxShowsTheMachine() {
    AboutDialog about;
    about.processor = &QuickProcessor();
    about.version = LinuxVersionRecord(QStringLiteral("6.18.44"), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    about.totalPhysical = int64_t{3} * 1024 * 1024 * 1024;
    QString caption, os, memory, cpu, product, product2, spoken;
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(qobject_cast<AboutBox*>(QApplication::activeModalWidget()));
      auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
      caption = box->windowTitle();
      os = box->OS->text();
      memory = box->PhysMem->text();
      cpu = box->LCPU->text();
      product = box->ProductName1->text();
      product2 = box->ProductName2->text();
      spoken = box->accessibleDescription();
      QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(about.Execute(nullptr));                                  // Escape presses OK
    QCOMPARE(caption, QStringLiteral("TORVIK Version information"));  // the application's title
    QCOMPARE(about.ProductName, QStringLiteral("TORVIK"));
    QCOMPARE(product, QStringLiteral("TORVIK"));
    QCOMPARE(product2, QStringLiteral("TORVIK"));
    QCOMPARE(os, QStringLiteral("Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))"));
    QCOMPARE(memory, QStringLiteral("3,145,728 KB"));
    QCOMPARE(cpu, QStringLiteral("GenuineIntel Pentium III   0.00MHz"));
    // What a screen reader reads when the box is activated: every line.
    for (const QString& line : {product, os, QStringLiteral("Memory Available to Windows: 3,145,728 KB"), cpu})
      QVERIFY2(spoken.split(u'\n').contains(line), qPrintable(spoken));

    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(qobject_cast<AboutBox*>(QApplication::activeModalWidget()));
      QApplication::activeModalWidget()->close();  // the title bar's close
    });
    QVERIFY(!about.Execute(nullptr));
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(qobject_cast<AboutBox*>(QApplication::activeModalWidget()));
      QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
    });
    QVERIFY(about.Execute(nullptr));
  }

  void menuEntriesOpenTheirWindows() {
    ComposedWindow composed;
    MemorySettings& settings = composed.settings;
    settings.Write(settings::kDrive, QStringLiteral("/home/user/"));
    MainWindow& window = composed.window;
    RootedSources sources(QStringLiteral("laptop-usb"));
    sources.volumes["/home/user"] = {4096, 1000, 500};
    RootedPathRules rules(sources);
    SettingsDialog form(settings, sources, &rules, &window);
    window.SetSettingsDialog(&form);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAction* set = window.findChild<QAction*>(QStringLiteral("MSet"));
    QAction* help = window.findChild<QAction*>(QStringLiteral("MHelp"));
    QAction* about = window.findChild<QAction*>(QStringLiteral("MAbout"));
    for (QAction* entry : {set, help, about}) QVERIFY(entry->isEnabled());

    // Settings round trip through the dialog to the store and the window's copies.
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(form.isVisible());
      form.fmYName->setText(QStringLiteral("Hanako"));
      form.fmPCName->setText(QStringLiteral("bench-pc"));
      QTest::mouseClick(form.fmOK, Qt::LeftButton);
    });
    set->trigger();
    QCOMPARE(settings.values[settings::kPcName], QStringLiteral("bench-pc"));
    QCOMPARE(composed.session.UserName(), QStringLiteral("Hanako"));
    QCOMPARE(composed.session.PcName(), QStringLiteral("bench-pc"));
    QCOMPARE(composed.bench.Workloads().Directory().TestPath(), QStringLiteral("/home/user/"));

    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(qobject_cast<AboutBox*>(QApplication::activeModalWidget()));
      aboutShown = true;
      QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
    });
    about->trigger();
    QVERIFY(aboutShown);

    help->trigger();
    auto* helpText = QApplication::topLevelWidgets().isEmpty() ? nullptr : [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("HelpWindow") && w->isVisible()) return w->findChild<QTextBrowser*>();
      }
      return static_cast<QTextBrowser*>(nullptr);
    }();
    QVERIFY2(helpText, "the help window did not open");
    QVERIFY(helpText->toPlainText().startsWith(QStringLiteral("TORVIK Ver3.03")));
    QVERIFY(helpText->toPlainText().contains(QStringLiteral("Prime Calc")));
  }

  // The keyboard alone: the focus ring shows from the start; F10 opens the
  // first menu; Esc closes the settings dialog, the comparison window and
  // the help window that F1 opens; Ctrl+Q ends the program.
  void theKeyboardAloneOpensAndClosesEveryWindow() {
    QTemporaryDir data;  // the comparison window remembers its size there
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    const auto restore = qScopeGuard([&dataHome] { qputenv("XDG_DATA_HOME", dataHome); });
    ComposedWindow composed;
    MainWindow& window = composed.window;
    SettingsDialog form(composed.settings, platform::SystemSources::Default(), &composed.bench.Rules(), &window);
    window.SetSettingsDialog(&form);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(window.testAttribute(Qt::WA_KeyboardFocusChange));  // what a style's focus ring asks
    QCOMPARE(window.focusWidget(), Find(window, "BAll"));
    QTest::keyClick(&window, Qt::Key_F10);
    QCOMPARE(window.menuBar()->activeAction(), window.menuBar()->actions().first());
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());

    for (const char* entry : {"MSet", "MCompare"}) {
      bool stuck = false;
      QTimer::singleShot(0, [] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
      });
      QTimer escape;  // closes what Esc did not, so that a failure ends
      connect(&escape, &QTimer::timeout, [&] {
        if (QWidget* open = QApplication::activeModalWidget()) stuck = open->close();
      });
      escape.start(5'000);
      window.findChild<QAction*>(QLatin1String(entry))->trigger();  // returns when closed
      QVERIFY2(!stuck, entry);
    }
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QWidget* help = window.findChild<QWidget*>(QStringLiteral("HelpWindow"));
    QVERIFY(help && help->isVisible());
    QCOMPARE(UnnamedFocusable(*help), QStringList());
    QTest::keyClick(help, Qt::Key_Escape);
    QVERIFY(!help->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window.isVisible());
  }

  // A help text's part for one language: the lines between its marker and
  // the next, and every line outside the parts; a text without parts whole.
  void helpTextKeepsItsLanguagesPart_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("kept");
    const QString both =
        QStringLiteral("<h1>T</h1>\n<!-- ja -->\n日本語\n<!-- en -->\nEnglish\n<!-- both -->\n</body>");
    QTest::newRow("Japanese") << both << "ja"
                              << "<h1>T</h1>\n日本語\n</body>";
    QTest::newRow("English") << both << "en"
                             << "<h1>T</h1>\nEnglish\n</body>";
    QTest::newRow("a language it lacks") << both << "fr"
                                         << "<h1>T</h1>\n</body>";
    QTest::newRow("no parts") << "<p>a</p>\n<p>b</p>"
                              << "en"
                              << "<p>a</p>\n<p>b</p>";
    QTest::newRow("a marker among blanks") << "a\n  <!--  en  -->  \nb\n<!--ja-->\nc"
                                           << "en"
                                           << "a\nb";
    QTest::newRow("a comment that is no marker") << "<!-- en: the English part -->\nx"
                                                 << "ja"
                                                 << "<!-- en: the English part -->\nx";
  }
  void helpTextKeepsItsLanguagesPart() {
    QFETCH(QString, text);
    QFETCH(QString, language);
    QFETCH(QString, kept);
    QCOMPARE(HelpInLanguage(text, language), kept);
  }

  void missingHelpFileGetsTheEnginesMessage() {
    MessageBoxAnswer answer;
    ShowHelpContents(nullptr, QStringLiteral("NOSUCH.HLP"));
    QCOMPARE(answer.texts, QStringList({QStringLiteral("ヘルプ ファイル \"NOSUCH.HLP\" が見つかりません。")}));
  }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
