#include "ui/AboutDialog.h"

#include <QApplication>
#include <QFrame>
#include <QStringList>
#include <memory>

#include "ui/AboutBox.h"

namespace torvik {

bool AboutDialog::Execute(QWidget* parent) {
  // Freed in every case, also when filling it raises.
  const auto box = std::make_unique<AboutBox>(*processor, version, totalPhysical, parent);
  if (ProductName.isEmpty()) ProductName = QApplication::applicationName();
  box->Company->setText(Company);
  box->Comment->setText(Comment);
  for (QLabel* name : {box->ProductName1, box->ProductName2, box->ProductName3}) {
    const QColor colour = name->palette().color(QPalette::WindowText);
    name->setFont(Font);
    QPalette p = name->palette();
    p.setColor(QPalette::WindowText, colour);
    name->setPalette(p);
    name->setText(ProductName);
  }
  box->VERSION->setText(Version);
  box->Copyright->setText(Copyright);
  box->URL->setText(URL);
  box->EMAIL->setText(EMail);
  for (QLabel* label : box->findChildren<QLabel*>()) {
    if (label->property("autoWidth").toBool()) label->adjustSize();
  }
  box->URL->adjustSize();
  box->EMAIL->adjustSize();
  // A long line (a Linux distribution's name) widens the box rather than
  // being cut; the right-hand controls keep their distance from the edge.
  int needed = box->width();
  for (QLabel* label : box->findChildren<QLabel*>()) needed = std::max(needed, label->geometry().right() + 12);
  if (const int grow = needed - box->width(); grow > 0) {
    box->setFixedWidth(needed);
    box->OKButton->move(box->OKButton->x() + grow, box->OKButton->y());
    box->PhysMem->move(box->PhysMem->x() + grow, box->PhysMem->y());
    if (auto* bevel = box->findChild<QFrame*>(QStringLiteral("Bevel1")))
      bevel->resize(bevel->width() + grow, bevel->height());
  }
  // A long line beside the OK button (the processor's) keeps above it,
  // however the screen's scale rounds their places.
  const QRect ok = box->OKButton->geometry();
  for (QLabel* label : box->findChildren<QLabel*>()) {
    const QRect place = label->geometry();
    if (place.intersects(ok) && place.top() < ok.top()) label->resize(place.width(), ok.top() - place.top());
  }
  box->setWindowTitle(ProductName + QStringLiteral(" Version information"));
  box->ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(box->ProgramIcon->size()));
  // Read out whole when the box is activated: its lines, top to bottom.
  QStringList lines;
  for (QLabel* label : std::initializer_list<QLabel*>{box->Company, box->ProductName2, box->VERSION, box->Copyright,
                                                      box->URL, box->EMAIL, box->Comment, box->OS}) {
    if (!label->text().isEmpty()) lines << label->text();
  }
  lines << box->Label3->text() + u' ' + box->PhysMem->text().trimmed() << box->LCPU->text();
  box->setAccessibleDescription(lines.join(u'\n'));
  return box->exec() == QDialog::Accepted;
}

}  // namespace torvik
