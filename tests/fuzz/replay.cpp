// The entry points of a fuzz target: libFuzzer's (QV_LIBFUZZER), or a main
// that feeds every file of the folders given to fuzzOne.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "fuzz.h"

namespace qvfuzz {

QString scratchFolder() {
  static const QString folder = [] {
    const QString base = qEnvironmentVariable("QV_FUZZ_TMP");
    if (!base.isEmpty() && QDir().mkpath(base)) return QDir(base).absolutePath();
    static QTemporaryDir own;
    return own.path();
  }();
  return folder;
}

QString scratch(const QString& name, const QByteArray& content) {
  const QString path = QDir(scratchFolder()).filePath(name);
  QFile f(path);
  expect(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size(),
         "scratch file written");
  return path;
}

}  // namespace qvfuzz

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Lives as long as the process: libFuzzer may end it from any input.
  [[maybe_unused]] static QGuiApplication* app = new QGuiApplication(*argc, *argv);
  return 0;
}
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzzOne(data, size); }
#else
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    for (const QFileInfo& fi : QDir(QString::fromLocal8Bit(argv[i])).entryInfoList(QDir::Files, QDir::Name)) {
      QFile f(fi.filePath());
      if (!f.open(QIODevice::ReadOnly)) return 2;
      const QByteArray b = f.readAll();
      std::printf("%s\n", qPrintable(fi.fileName()));
      std::fflush(stdout);
      fuzzOne(reinterpret_cast<const uint8_t*>(b.constData()), static_cast<size_t>(b.size()));
      ++files;
    }
  }
  std::printf("%d inputs\n", files);
  return files > 0 ? 0 : 1;
}
#endif
