#include "students/fileengine.h"

#include <QSaveFile>

namespace qv {

bool WriteFileAtomically(const QString& target, const QByteArray& bytes, QString* error) {
  QSaveFile f(target);
  f.setDirectWriteFallback(false);
  if (!f.open(QIODevice::WriteOnly)) {
    if (error) *error = f.errorString();
    return false;
  }
  if (f.write(bytes) != bytes.size()) {
    if (error) *error = f.errorString();
    f.cancelWriting();
    return false;
  }
  if (!f.commit()) {
    if (error) *error = f.errorString();
    return false;
  }
  return true;
}

}  // namespace qv
