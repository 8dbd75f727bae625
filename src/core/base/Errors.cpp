#include "core/base/Errors.h"

#include <QCoreApplication>
#include <cerrno>

namespace torvik {

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > u'.') return message + u'.';
  return message;
}

QString TorvikError::BoxText() const { return WithFullStop(message_); }

IoError::IoError(int code, bool afterOpen) : TorvikError(IoErrorText(code)), code_(code), afterOpen_(afterOpen) {}

int IoCodeOfErrno(int error) {
  switch (error) {
    case ENOENT: return kIoFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return kIoInvalidName;
    case EMFILE:
    case ENFILE: return kIoTooManyFiles;
    case EACCES:
    case EPERM:
    case EROFS: return kIoAccessDenied;
    case EWOULDBLOCK: return kIoSharingViolation;
    case EEXIST: return kIoFileExists;
    case EISDIR: return kIoIsAFolder;
    case ENOSPC:
    case EDQUOT: return kIoDiskFull;
    // Errors whose numbers are also codes with a text of their own (EIO is
    // 5, "access denied") get the codes of the platform's own errors.
    case EIO: return 1117;  // the device reported an input/output error
    case ENETDOWN:
    case ENETUNREACH:
    case ENETRESET:
    case ECONNABORTED:
    case ECONNRESET: return 59;  // an unexpected network error
    default: return error;
  }
}

QString IoErrorText(int code) {
  switch (code) {
    case kIoFileNotFound: return QCoreApplication::translate("Errors", "ﾌｧｲﾙが見つかりません");
    case kIoInvalidName: return QCoreApplication::translate("Errors", "不正なﾌｧｲﾙ名です");
    case kIoTooManyFiles: return QCoreApplication::translate("Errors", "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます");
    case kIoAccessDenied: return QCoreApplication::translate("Errors", "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    case kIoReadPastEnd: return QCoreApplication::translate("Errors", "ﾌｧｲﾙの末尾以降を読み込みました");
    case kIoDiskFull: return QCoreApplication::translate("Errors", "ﾃﾞｨｽｸがいっぱいです");
    case kIoIsAFolder: return QCoreApplication::translate("Errors", "ﾌｧｲﾙではなくﾌｫﾙﾀﾞです");
    case 106: return QCoreApplication::translate("Errors", "入力値が数値ではありません");
    default: return QCoreApplication::translate("Errors", "I/O ｴﾗｰ (%1)").arg(code);
  }
}

QString WrongDataTypeText(const QString& name) {
  return QCoreApplication::translate("Errors", "'%1' のﾃﾞｰﾀ型が不正です").arg(name);
}

}  // namespace torvik
