// AboutDialog: the texts of the about box (company, product, version,
// copyright, links) and the machine facts it reports; Execute() builds an
// AboutBox from them, shows it modally and frees it. Held by the main window
// for the whole program run. GUI thread only.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "core/machine/OsDescription.h"
#include "platform/ProcessorProbe.h"

namespace torvik {

class AboutDialog {
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
