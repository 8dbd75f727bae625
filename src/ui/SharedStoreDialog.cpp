#include "ui/SharedStoreDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/archive/ArchiveWrites.h"
#include "core/records/StoreLocation.h"
#include "core/settings/SettingsStore.h"

namespace torvik {

SharedStoreDialog::SharedStoreDialog(BackgroundArchive& archive, QWidget* parent) : QDialog(parent), archive_(archive) {
  setObjectName(QStringLiteral("SharedStore"));
  setWindowTitle(tr("共有の計測結果"));
  auto* about =
      new QLabel(tr("複数の PC の計測結果を集める PostgreSQL の URL です。パスワードは書かず、~/.pgpass "
                    "か PGPASSWORD で渡します。空にすると、この PC だけに保存します。"));
  about->setWordWrap(true);
  // A URL the settings hold with a password in it is not shown again.
  const QString kept = SharedStoreUrl();
  url_ = new QLineEdit(PasswordRefusal(kept).isEmpty() ? kept : QString());
  url_->setObjectName(QStringLiteral("SharedUrl"));
  url_->setPlaceholderText(QStringLiteral("postgresql://bench@db.example/torvik"));
  url_->setMinimumWidth(420);
  auto* urlLabel = new QLabel(tr("&URL:"));
  urlLabel->setBuddy(url_);
  status_ = new QLabel(PasswordRefusal(kept).isEmpty() ? QString() : Refusal(kept));
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox;
  try_ = buttons->addButton(tr("接続を試す(&T)"), QDialogButtonBox::ActionRole);
  // Both buttons in the window's language: キャンセル in Japanese.
  auto* ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr("キャンセル(&C)"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(about);
  layout->addWidget(urlLabel);
  layout->addWidget(url_);
  layout->addWidget(status_);
  layout->addWidget(buttons);
  connect(try_, &QPushButton::clicked, this, &SharedStoreDialog::TryConnection);
  connect(buttons, &QDialogButtonBox::accepted, this, &SharedStoreDialog::Keep);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void SharedStoreDialog::SetStatus(const QString& text) {
  status_->setText(text);
  KeepTextsWhole();
}

// The dialog may be resized; a word-wrapped text needs more height the
// narrower it is, which a window's layout does not ask for by itself.
void SharedStoreDialog::KeepTextsWhole() {
  const int needed = layout()->totalHeightForWidth(width());
  if (needed <= 0) return;
  setMinimumSize(layout()->totalMinimumSize().width(), needed);
  if (height() < needed) resize(width(), needed);
}

void SharedStoreDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  KeepTextsWhole();
}

void SharedStoreDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  KeepTextsWhole();
}

QString SharedStoreDialog::Refusal(const QString& url) {
  if (url.isEmpty()) return {};
  if (!IsServerUrl(url))
    return tr("PostgreSQL の URL (postgresql://ユーザー@ホスト/データベース) を入力してください。");
  const ServerAddress address = ParseServerUrl(url);
  if (!address.error.isEmpty()) return address.error;
  if (!PasswordRefusal(url).isEmpty()) {
    return tr("パスワードは URL に書かないでください。~/.pgpass、PGPASSWORD かサービスファイルで渡します。");
  }
  return {};
}

bool SharedStoreDialog::Keep() {
  const QString url = Url();
  if (const QString refusal = Refusal(url); !refusal.isEmpty()) {
    SetStatus(refusal);
    return false;
  }
  if (!SetSharedStoreUrl(url)) {
    SetStatus(tr("設定ファイルに書けません。"));
    return false;
  }
  accept();
  return true;
}

void SharedStoreDialog::TryConnection() {
  const QString url = Url();
  if (const QString refusal = Refusal(url); !refusal.isEmpty() || url.isEmpty()) {
    SetStatus(url.isEmpty() ? tr("URL がありません。") : refusal);
    emit tried(status_->text());
    return;
  }
  SetStatus(tr("接続しています…"));
  try_->setEnabled(false);
  archive_.Ask<ArchiveResult<int>>(
      this, [url](RunArchive& archive) { return TryStore(archive, url); },
      [this](const ArchiveResult<int>& runs) {
        SetStatus(runs.Ok() ? tr("接続できました。計測結果は %1 件です。").arg(runs.Value()) : runs.Text());
        try_->setEnabled(true);
        emit tried(status_->text());
      });
}

}  // namespace torvik
