#pragma once

// German reasons for the system's error codes, for every message that adds
// why something failed. Qt's own texts (QFileDevice::errorString) are the
// English ones of the C library, so the reason is built from the codes.
//
// Header only, depending on Qt Core alone: the template installer, which
// links nothing of the main program, includes it as well.

#include <QFileDevice>
#include <QString>
#include <cerrno>

namespace qv::fehlergrund {

// The reason for an errno value; empty when there is none to tell.
inline QString ausErrno(int nummer) {
  switch (nummer) {
    case EACCES:
    case EPERM: return QStringLiteral("nicht erlaubt");
    case ENOENT: return QStringLiteral("nicht gefunden");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return QStringLiteral("Datenträger voll");
    case EROFS: return QStringLiteral("schreibgeschützt");
    case ENOTDIR: return QStringLiteral("ein Teil des Pfads ist kein Ordner");
    case EISDIR: return QStringLiteral("ist ein Ordner");
    case ENAMETOOLONG: return QStringLiteral("Name zu lang");
    case EEXIST: return QStringLiteral("ist schon vorhanden");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("wird gerade benutzt");
    case EMFILE:
    case ENFILE: return QStringLiteral("zu viele offene Dateien");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler");
    case EFBIG: return QStringLiteral("Datei zu groß");
    case ELOOP: return QStringLiteral("zu viele Verknüpfungen im Pfad");
    case EXDEV: return QStringLiteral("liegt auf einem anderen Datenträger");
    default: return {};
  }
}

// The reason for a failed file operation: the errno value taken right after
// the failing call when it names one, else the kind of failure Qt reports.
inline QString ausDateifehler(QFileDevice::FileError fehler, int nummer = 0) {
  const QString genau = ausErrno(nummer);
  if (!genau.isEmpty()) return genau;
  switch (fehler) {
    case QFileDevice::NoError: return {};
    case QFileDevice::ReadError: return QStringLiteral("Lesefehler");
    case QFileDevice::WriteError: return QStringLiteral("Schreibfehler");
    case QFileDevice::FatalError: return QStringLiteral("schwerer Fehler");
    case QFileDevice::ResourceError: return QStringLiteral("Datenträger voll");
    case QFileDevice::OpenError: return QStringLiteral("kann nicht geöffnet werden");
    case QFileDevice::AbortError: return QStringLiteral("abgebrochen");
    case QFileDevice::TimeOutError: return QStringLiteral("Zeitüberschreitung");
    case QFileDevice::RemoveError: return QStringLiteral("kann nicht gelöscht werden");
    case QFileDevice::RenameError: return QStringLiteral("kann nicht umbenannt werden");
    case QFileDevice::PositionError: return QStringLiteral("Position nicht erreichbar");
    case QFileDevice::ResizeError: return QStringLiteral("Größe nicht änderbar");
    case QFileDevice::PermissionsError: return QStringLiteral("nicht erlaubt");
    case QFileDevice::CopyError: return QStringLiteral("kann nicht kopiert werden");
    case QFileDevice::UnspecifiedError: break;
  }
  return QStringLiteral("unbekannter Fehler");
}

// The reason for a failed file operation of f, with the errno value taken
// right after the failing call.
// Empty when f reports no error.
inline QString ausDatei(const QFileDevice& f, int nummer) {
  return f.error() == QFileDevice::NoError ? QString() : ausDateifehler(f.error(), nummer);
}

// The classic run-time error numbers the template installer reports.
inline QString ausFehlernummer(int nummer) {
  switch (nummer) {
    case 53: return QStringLiteral("Datei nicht gefunden");
    case 70: return QStringLiteral("Zugriff nicht erlaubt");
    case 75: return QStringLiteral("Fehler beim Zugriff auf Pfad oder Datei");
    case 76: return QStringLiteral("Pfad nicht gefunden");
    case 429: return QStringLiteral("Vorlagenordner nicht bestimmbar");
    default: return QStringLiteral("Fehler ") + QString::number(nummer);
  }
}

}  // namespace qv::fehlergrund
