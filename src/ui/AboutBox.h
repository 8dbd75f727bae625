// AboutBox: the about box itself: the embossed product name, version, the
// maker's links, and three lines about this machine (operating system,
// physical memory, processor with its clock measured anew, about a second).
// AboutDialog fills it and shows it. GUI thread only.
#pragma once

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "core/machine/SystemInfo.h"
#include "platform/ProcessorProbe.h"
#include "ui/LinkLabel.h"

namespace torvik {

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  // Fills the three machine lines (the processor measurement blocks ~1 s).
  AboutBox(const platform::ProcessorProbe& processor, const VersionRecord& version, int64_t totalPhysical,
           QWidget* parent = nullptr);

  QLabel* Company = nullptr;
  QLabel* ProductName1 = nullptr;
  QLabel* ProductName2 = nullptr;
  QLabel* ProductName3 = nullptr;
  QLabel* VERSION = nullptr;
  QLabel* Copyright = nullptr;
  LinkLabel* URL = nullptr;
  LinkLabel* EMAIL = nullptr;
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

}  // namespace torvik
