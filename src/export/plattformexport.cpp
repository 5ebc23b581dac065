#include "export/plattformexport.h"

#include <QFileInfo>

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "exercise/uebungstyp.h"
#include "export/h5ppaket.h"
#include "export/moodlexml.h"
#include "html/htmlexercise.h"
#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/ui.h"

namespace qv {

ExportBlatt AktuellesExportBlatt() {
  ExportBlatt b;
  b.caption = gCaption;
  b.id = gArbeitsblattID;
  b.text = gTextTXT;
  b.luecken = gLuecken;
  b.uebungstyp = gUebungstyp;
  b.wortliste = gWortliste;
  // Field 5 of a row: NUL, each alternative, NUL ...; "{AL}" or empty when
  // none were given.
  for (const QString& zeile : std::as_const(gDetailZeilen)) {
    const QString feld = zeile.section(QLatin1Char(';'), 5, 5);
    b.alternativen << (feld.startsWith(QChar(0)) ? feld.split(QChar(0), Qt::SkipEmptyParts) : QStringList{});
  }
  return b;
}

QString ExportEndung(Plattform p) { return p == Plattform::Moodle ? QStringLiteral(".xml") : QStringLiteral(".h5p"); }

ExportErgebnis BaueExport(Plattform p) {
  const ExportBlatt b = AktuellesExportBlatt();
  return p == Plattform::Moodle ? BaueMoodleXml(files::FileTitle(gMappenPfad), {b}) : BaueH5pPaket(b);
}

void CreatePlattformExercise(Plattform p) {
  if (!LueckenPassenZumText()) return;
  bool withDetails = true;
  BuildGapList(true, withDetails);
  // Platforms accept several answers: the same question as for a form document.
  if (uebungstyp::fragtAlternativen(gUebungstyp) && !gLuecken.isEmpty()) AskAlternatives(gDetailZeilen);
  const ExportErgebnis e = BaueExport(p);
  if (!e.fehler.isEmpty()) {
    showMessage(e.fehler, Icon::Exclamation);
    return;
  }
  // The dialog starts where the last export went, at first in the
  // workbook's folder; an existing file is replaced only after asking.
  const QString endung = ExportEndung(p).mid(1);
  FileDialogRequest r;
  r.title = QStringLiteral("Übung speichern");
  r.filter = p == Plattform::Moodle ? QStringLiteral("Moodle-XML (*.xml)|*.xml") : QStringLiteral("H5P-Paket (*.h5p)|*.h5p");
  r.initialFolder = lastfolder::folderFor(lastfolder::kExport,
                                          gMappenPfad.isEmpty() ? QString() : QFileInfo(gMappenPfad).absolutePath());
  r.fileName = lastfolder::proposedName(gCaption, endung, QStringLiteral("Übung"));
  const QString path = lastfolder::askSavePath(r, lastfolder::kExport, endung);
  if (path.isEmpty()) return;
  QString grund;
  if (!files::saveWhole(path, e.daten, &grund)) {
    showMessage(QStringLiteral("Die Datei konnte nicht gespeichert werden:") + QStringLiteral("\r\n\r\n") + path +
                    (grund.isEmpty() ? QString() : QStringLiteral("\r\n") + grund),
                Icon::Exclamation);
    return;
  }
  showMessage(htmlGespeichertText(e.luecken, path), Icon::Information, Buttons::Ok, kProductName, 0, true);
}

}  // namespace qv
