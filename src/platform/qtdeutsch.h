#pragma once

// Loads Qt's German texts (standard buttons, file and print dialogs) into a
// program, so that no dialog a teacher meets speaks English.
//
// Header only, depending on Qt Core alone: the template installer, which
// links nothing of the main program, includes it as well.

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qv {

// The installed translator (owned by the application), or nullptr when
// Qt's translations are not installed.
inline QTranslator* installQtTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace qv
