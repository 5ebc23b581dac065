#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace qv::shell {
namespace {
Opener& opener() {
  static Opener o;
  return o;
}
}  // namespace

bool OpenDocument(const QString& path) {
  if (opener()) return opener()(path);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setOpener(Opener o) { opener() = std::move(o); }

}  // namespace qv::shell
