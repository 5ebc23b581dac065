#include "common/umgebung.h"

#include <QDir>
#include <QFile>
#include <QTextCursor>

#include "common/testutil.h"
#include "platform/docengine.h"
#include "platform/produkt.h"

namespace qvtest {

Env::Env(std::initializer_list<std::pair<const char*, QByteArray>> vars) {
  for (const auto& [name, value] : vars) set(name, value);
}

Env::~Env() {
  for (auto it = old_.crbegin(); it != old_.crend(); ++it) it->had ? qputenv(it->name, it->value) : qunsetenv(it->name);
}

void Env::set(const char* name, const QByteArray& value) {
  old_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
  value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

Umgebung::Umgebung() {
  env.set("QV_PROGRAM_FOLDER", program.path().toUtf8());
  env.set("QV_TEMPLATES_DIR", templates.path().toUtf8());
  env.set("QV_ENGINE_UNAVAILABLE", QByteArray());
  // The folders the dialogs remember go to the program folder's settings.
  env.set("QV_USER_DATA", daten.path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"), templates.filePath(qv::kTemplateName));
}

QString Umgebung::log() const { return QString::fromLatin1(readFile(QDir(program.path()).filePath("log.txt"))); }

QTextCharFormat formatAt(const qv::engine::Document& doc, int pos) {
  QTextCursor c(doc.data().body());
  c.setPosition(pos + 1);
  return c.charFormat();
}

int headerWordField(const qv::engine::Document& doc, int n) {
  for (int i = 1; i <= doc.fieldCount(); ++i)
    if (doc.field(i)->kind == qv::FieldKind::MacroButton && --n == 0) return i;
  return 0;
}

}  // namespace qvtest
