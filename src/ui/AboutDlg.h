// TAboutDialog holds the texts of the about box and shows it (Execute);
// TAboutBox is the box itself: the embossed product name, version, the
// maker's links, and three lines about this machine (operating system,
// physical memory, processor with its clock measured anew, about a second).
// GUI thread only.
#pragma once

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "core/MSysInfo.h"
#include "platform/ProcessorProbe.h"
#include "ui/URLLabel.h"

namespace torvik {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // Fills the three machine lines (the processor measurement blocks ~1 s).
  TAboutBox(const platform::ProcessorProbe& processor, const VersionRecord& version, int64_t totalPhysical,
            QWidget* parent = nullptr);

  QLabel* Company = nullptr;
  QLabel* ProductName1 = nullptr;
  QLabel* ProductName2 = nullptr;
  QLabel* ProductName3 = nullptr;
  QLabel* VERSION = nullptr;
  QLabel* Copyright = nullptr;
  TURLLabel* URL = nullptr;
  TURLLabel* EMAIL = nullptr;
  QLabel* Comment = nullptr;
  QLabel* OS = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* PhysMem = nullptr;
  QLabel* LCPU = nullptr;
  QLabel* ProgramIcon = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  // Enter and Escape both press OK.
  void keyPressEvent(QKeyEvent* event) override;
};

class TAboutDialog {
 public:
  QString Company = QStringLiteral("Varn");
  QString Comment;
  QString ProductName;
  QFont Font;
  QString Version = QStringLiteral("Version");
  QString Copyright = QStringLiteral("Copyright (C) Varn. All rights reserved.");
  QString URL = QStringLiteral("https://varn.example.org/torvik/");
  QString EMail = QStringLiteral("mailto:torvik@varn.example.org");

  // What the box reports about the machine.
  const platform::ProcessorProbe* processor = &platform::HardwareProcessor();
  VersionRecord version;
  int64_t totalPhysical = 0;

  // Shows the box modally; true when it was closed with OK (or Enter or
  // Escape), false from the title bar.
  bool Execute(QWidget* parent);
};

}  // namespace torvik
