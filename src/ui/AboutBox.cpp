#include "ui/AboutBox.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLocale>
#include <QStyle>
#include <memory>

#include "core/machine/AboutTexts.h"
#include "core/machine/ProcessorInfo.h"
#include "core/results/Timing.h"
#include "ui/DesignScale.h"
#include "ui/Labels.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

// A label that sizes itself to its text once the texts are set (autoWidth).
QLabel* Label(QWidget* parent, const char* name, const QRect& geometry, const QFont& font, const QColor& colour,
              bool autoWidth) {
  QLabel* label = MakeColouredLabel(parent, name, QString(), geometry, font, colour);
  label->setProperty("autoWidth", autoWidth);
  return label;
}

}  // namespace

AboutBox::AboutBox(const platform::ProcessorProbe& processor, const VersionRecord& version, int64_t totalPhysical,
                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  const DesignScale s = DesignScale::ForScreen();
  setFixedSize(s(341), s(249));
  setWindowTitle(QStringLiteral("About"));
  setFont(s.Font(QStringLiteral("ＭＳ Ｐゴシック"), 12));
  const QFont small = s.Font(QStringLiteral("ＭＳ Ｐゴシック"), 12);
  const QFont title = s.Font(QStringLiteral("ＭＳ Ｐ明朝"), 27, true);
  QFont arial = s.Font(QStringLiteral("Arial"), 12, true);

  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(s.Rect(14, 18, 39, 37));
  Company = Label(this, "Company", s.Rect(76, 18, 200, 15), arial, Qt::black, true);
  // Created 1, 3, 2: the black name lies on top, grey beneath, white lowest.
  ProductName1 = Label(this, "ProductName1", s.Rect(78, 34, 207, 34), title, Qt::white, false);
  ProductName3 = Label(this, "ProductName3", s.Rect(77, 32, 207, 34), title, QColor(0x80, 0x80, 0x80), false);
  ProductName2 = Label(this, "ProductName2", s.Rect(76, 31, 207, 34), title, Qt::black, false);
  VERSION = Label(this, "VERSION", s.Rect(76, 62, 250, 18), small, Qt::black, true);
  Copyright = Label(this, "Copyright", s.Rect(76, 79, 250, 18), small, Qt::black, true);
  QFont link = small;
  link.setUnderline(true);
  URL = new LinkLabel(QString(), this);
  URL->setObjectName(QStringLiteral("URL"));
  EMAIL = new LinkLabel(QString(), this);
  EMAIL->setObjectName(QStringLiteral("EMAIL"));
  for (auto [label, top] : {std::pair{URL, 102}, std::pair{EMAIL, 118}}) {
    label->setFont(link);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(p);
    label->setGeometry(s.Rect(77, top, 250, 14));
    label->SetExecutable(true);
  }
  Comment = Label(this, "Comment", s.Rect(77, 147, 250, 14), font(), palette().color(QPalette::WindowText), true);
  auto* bevel = new QFrame(this);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  bevel->setGeometry(s.Rect(76, 165, 258, 2));
  const QColor text = palette().color(QPalette::WindowText);
  OS = Label(this, "OS", s.Rect(76, 174, 255, 14), font(), text, true);
  Label3 = Label(this, "Label3", s.Rect(76, 189, 180, 14), font(), text, true);
  Label3->setText(QStringLiteral("Memory Available to Windows:"));
  PhysMem = Label(this, "PhysMem", QRect(s(200), s(189), s(330) - s(200), s(14)), font(), text, false);
  PhysMem->setAlignment(Qt::AlignRight | Qt::AlignTop);
  LCPU = Label(this, "LCPU", s.Rect(76, 205, 255, 14), font(), text, true);
  OKButton = new QPushButton(QStringLiteral("&OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(s.Rect(262, 218, 69, 23));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  // The machine lines, while the box is being created.
  OS->setText(AboutOsLine(version));
  PhysMem->setText(AboutMemoryLine(totalPhysical, QLocale::system().groupSeparator().front()));
  ProcessorInfo processorInfo(processor);
  LCPU->setText(AboutProcessorLine(processorInfo.VendorName(), processorInfo.CPUName(), processorInfo.GetSpeed(),
                                   DecimalPoint()));
  KeepCentredWhenShown(*this);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OKButton->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace torvik
