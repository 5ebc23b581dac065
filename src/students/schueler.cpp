#include "students/schueler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "students/ergebnisse.h"

namespace qv {

QList<SchuelerDaten> gSchueler;
QString gQuelle;

namespace {
DistributionEngine* gEngine = nullptr;
ExerciseRecognizer gRecognizer;
const QString kListFilter = QStringLiteral("Textdatei (*.txt)|*.txt|Alle Dateien *.*|*.*");

int idNumber(const QString& id) { return id.toInt(); }
}  // namespace

void setDistributionEngine(DistributionEngine* engine) { gEngine = engine; }
DistributionEngine* distributionEngine() { return gEngine; }
void setExerciseRecognizer(ExerciseRecognizer recognizer) { gRecognizer = std::move(recognizer); }

bool IsExerciseDocument(const QString& path) {
  if (!gRecognizer || !files::FileExists(path)) return false;
  ui().setWaitCursor(true);
  const bool ok = gRecognizer(path);
  ui().setWaitCursor(false);
  return ok;
}

QString SchuelerDateiname(const QString& name) {
  QString s = name;
  s.replace(QLatin1Char(','), QLatin1Char(' '));
  s.replace(QStringLiteral("  "), QStringLiteral(" "));  // one pass, non-overlapping
  s.replace(QLatin1Char(' '), QLatin1Char('_'));
  s.replace(QStringLiteral("ä"), QStringLiteral("ae"), Qt::CaseInsensitive);
  s.replace(QStringLiteral("ö"), QStringLiteral("oe"), Qt::CaseInsensitive);
  s.replace(QStringLiteral("ü"), QStringLiteral("ue"), Qt::CaseInsensitive);
  s.replace(QStringLiteral("ß"), QStringLiteral("ss"), Qt::CaseInsensitive);
  return s;
}

QString SichererDateiname(const QString& stem) { return lastfolder::safeFileName(stem); }

namespace {
bool vorName(const SchuelerZeile& a, const SchuelerZeile& b) { return QString::localeAwareCompare(a.Name, b.Name) < 0; }
}  // namespace

void SchuelerListe::sortRows() { std::stable_sort(rows.begin(), rows.end(), vorName); }

bool SchuelerListe::addRow(const SchuelerZeile& row) {
  if (row.hasKey)
    for (const auto& r : rows)
      if (r.hasKey && r.key == row.key) return false;
  // Behind every row of the same name, where a stable sort would put it; a
  // sort after every row made a list of thousands take minutes to read.
  rows.insert(std::upper_bound(rows.begin(), rows.end(), row, vorName), row);
  return true;
}

int SchuelerListe::indexOfId(int id) const {
  for (int i = 0; i < rows.size(); ++i)
    if (idNumber(rows[i].ID) == id) return i;
  return -1;
}

QString SchuelerListe::iniPath() { return files::studentListIni(); }

void SchuelerListe::LeseIni() {
  // Read from where SchreibeIni writes, so the teacher's paths come back.
  const QString path = iniPath();
  if (!files::FileExists(path)) return;
  const auto text = textfile::read(path);
  if (!text) return;
  const QStringList f = textfile::splitLines(*text).value(0).split(QLatin1Char(';'));
  if (files::FolderExists(f.value(0))) txtBasisverzeichnis = f.value(0).trimmed();
  if (f.size() > 1 && files::FileExists(f.value(1))) {
    txtQuelle = f.value(1).trimmed();
    gQuelle = txtQuelle;
  }
}

bool SchuelerListe::SchreibeIni() const {
  const QString path = iniPath();
  if (textfile::writeLines(path, {txtBasisverzeichnis + QLatin1Char(';') + txtQuelle})) return true;
  showMessage(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden:\r\n") + path, Icon::Exclamation);
  return false;
}

bool SchuelerListe::ImportiereDatei(const QString& path, bool loeschen) {
  const auto text = textfile::read(path);
  if (!text) return false;
  if (loeschen) {
    rows.clear();
    gSchueler = {SchuelerDaten{}};
  } else if (rows.isEmpty()) {
    // The table outlives the window: pupils of a list read at an earlier
    // opening have no row now and must not come back with this one.
    gSchueler.clear();
  }
  // Appended behind every present record: a record whose name repeats an
  // earlier one has no row, and counting rows would write over the pupil
  // behind it.
  qsizetype n = loeschen ? 0 : gSchueler.size();
  // Of the present records only those of the pupils the grid shows get a row
  // again: one removed from the grid stays out.
  const qsizetype bisher = n;
  QSet<int> gezeigt;
  for (const SchuelerZeile& z : rows) gezeigt.insert(idNumber(z.ID));
  QStringList lines = textfile::splitLines(*text);
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (const QString& line : lines) {
    ++n;
    while (gSchueler.size() < n) gSchueler.append(SchuelerDaten{});
    const QStringList f = line.split(QLatin1Char(';'));
    SchuelerDaten& d = gSchueler[n - 1];
    d = SchuelerDaten{};
    d.Name = f.value(0);
    if (f.size() > 1) {
      const bool exists = files::FolderExists(f.value(1));
      d.Verzeichnis = exists ? f.value(1) : txtBasisverzeichnis;
      if (exists) d.Dateiname = f.value(2);
    }
    if (f.size() == 4) d.Rechnername = f.value(3);
  }
  rows.clear();
  const int digits = QString::number(gSchueler.size()).size();
  for (qsizetype i = 1; i <= gSchueler.size(); ++i) {
    if (i <= bisher && !gezeigt.contains(static_cast<int>(i))) continue;
    const SchuelerDaten& d = gSchueler[i - 1];
    SchuelerZeile z;
    z.ID = QStringLiteral("%1").arg(i, digits, 10, QLatin1Char('0'));
    z.checked = true;
    z.Name = d.Name;
    z.Verzeichnis = d.Verzeichnis;
    z.Dateiname = d.Dateiname;
    z.Rechnername = d.Rechnername;
    z.key = d.Name;
    addRow(z);
  }
  if (!gSchueler.isEmpty() && files::FolderExists(gSchueler[0].Verzeichnis))
    txtBasisverzeichnis = gSchueler[0].Verzeichnis;
  return true;
}

void SchuelerListe::LadeSchuelerliste() {
  FileDialogRequest r;
  r.filter = kListFilter;
  r.title = QStringLiteral("Schülerliste öffnen...");
  const QString path = lastfolder::askOpenPath(r, lastfolder::kListe);
  if (path.isEmpty() || !files::FileExists(path)) return;
  bool loeschen = false;
  if (!rows.isEmpty())
    loeschen = showMessage(QStringLiteral("Soll die bisherige Liste gelöscht werden?"), Icon::Question,
                           Buttons::YesNo) == Answer::Yes;
  ImportiereDatei(path, loeschen);
}

void SchuelerListe::SpeichereSchuelerliste() {
  FileDialogRequest r;
  r.filter = kListFilter;
  r.title = QStringLiteral("Schülerliste speichern ...");
  const QString path = lastfolder::askSavePath(r, lastfolder::kListe, QStringLiteral("txt"));
  if (path.isEmpty()) return;
  QStringList lines;
  for (const auto& z : rows)
    lines << z.Name + QLatin1Char(';') + z.Verzeichnis + QLatin1Char(';') + z.Dateiname + QLatin1Char(';') +
                 z.Rechnername;
  if (!textfile::writeLines(path, lines))
    showMessage(QStringLiteral("Die Schülerliste konnte nicht gespeichert werden:\r\n") + path, Icon::Exclamation);
}

namespace {
// A file name holds at most 255 bytes on the usual file systems: a very long
// name loses whole characters at its end, so that the copy can be written.
QString kurzGenug(QString name, const QString& endung) {
  for (qsizetype zuViel; (zuViel = QFile::encodeName(name + endung).size() - 255) > 0;) {
    name.chop(std::max<qsizetype>(1, zuViel / 4));
    if (!name.isEmpty() && name.back().isHighSurrogate()) name.chop(1);
  }
  return name + endung;
}
}  // namespace

void SchuelerListe::ErzeugeDateinamen() {
  for (auto& z : rows) {
    const QString s = SichererDateiname(SchuelerDateiname(z.Name));
    if (z.Verzeichnis.size() < 3) z.Verzeichnis = txtBasisverzeichnis.trimmed();
    z.Dateiname = files::JoinPath(z.Verzeichnis, kurzGenug(z.ID + QLatin1Char('_') + s, QStringLiteral(".doc")));
  }
}

void SchuelerListe::setTitle(const QString& t) {
  title = t;
  if (titleChanged) titleChanged(title);
}

bool SchuelerListe::pruefeListe() const {
  if (!rows.isEmpty()) return true;
  showMessage(QStringLiteral("Es ist noch keine Schülerliste vorhanden!"), Icon::Exclamation);
  return false;
}

void SchuelerListe::WaehleQuelle() {
  FileDialogRequest r;
  r.filter = QStringLiteral("Interaktive Übung (*.doc)|*.doc");
  r.title = QStringLiteral("Interaktive Übung auswählen ...");
  const QString path = lastfolder::askOpenPath(r, lastfolder::kUebung);
  if (!files::FileExists(path)) return;
  if (!IsExerciseDocument(path)) {
    showMessage(QStringLiteral("'") + path + QStringLiteral("' ist keine Datei für interaktive Übungen"),
                Icon::Exclamation);
    return;
  }
  gQuelle = path;
  txtQuelle = path;
  duplizierenEnabled = !rows.isEmpty();
  ErzeugeDateinamen();
}

void SchuelerListe::WaehleVerzeichnis() {
  const QString folder = lastfolder::askFolder(QStringLiteral("Zielverzeichnis"), lastfolder::kKopien,
                                               txtBasisverzeichnis.trimmed());
  if (files::FolderExists(folder)) {
    txtBasisverzeichnis = folder;
    for (auto& z : rows) z.Verzeichnis = txtBasisverzeichnis.trimmed();
  }
  ErzeugeDateinamen();
}

void SchuelerListe::VerlasseQuelle() {
  txtQuelle = txtQuelle.trimmed();
  if (txtQuelle.isEmpty()) return;
  if (!files::FileExists(txtQuelle)) {
    showMessage(txtQuelle + QStringLiteral(" ist nicht vorhanden!"), Icon::Exclamation);
    txtQuelle.clear();
    return;
  }
  if (txtQuelle == gQuelle) return;
  // A typed document is handed out as a chosen one is, after the same check;
  // one that is no exercise gives way to the document chosen before.
  if (IsExerciseDocument(txtQuelle)) {
    gQuelle = txtQuelle;
    return;
  }
  showMessage(QStringLiteral("'") + txtQuelle + QStringLiteral("' ist keine Datei für interaktive Übungen"),
              Icon::Exclamation);
  txtQuelle = gQuelle;
}

void SchuelerListe::VerlasseVerzeichnis() {
  txtBasisverzeichnis = txtBasisverzeichnis.trimmed();
  if (txtBasisverzeichnis.isEmpty()) return;
  if (files::FolderExists(txtBasisverzeichnis)) {
    for (auto& z : rows) z.Verzeichnis = txtBasisverzeichnis;
    return;
  }
  showMessage(txtBasisverzeichnis + QStringLiteral(" ist nicht vorhanden"), Icon::Exclamation);
  WaehleVerzeichnis();
}

QString LeerenFrage() {
  return QStringLiteral("Die Übung enthält bereits Antworten. Sollen die Kopien mit leeren Lücken geschrieben werden?");
}

QString UeberschreibenFrage(const QString& datei, int ausgefuellt, int luecken) {
  QString text = datei + QStringLiteral(" überschreiben?");
  if (ausgefuellt > 0)
    text += QStringLiteral("\r\nIn dieser Kopie sind bereits %1 von %2 Lücken ausgefüllt.").arg(ausgefuellt).arg(luecken);
  return text;
}

namespace {
// The reason a row gets no copy before anything is asked or written, or an
// empty text. A name without a folder, or below a relative folder, would
// land in whatever folder the program runs in; a link in a pupil's folder
// may point anywhere.
QString ohneKopie(const QString& target, const QString& master) {
  if (target.isEmpty()) return QStringLiteral("kein Dateiname");
  const QFileInfo fi(target);
  if (fi.isRelative()) return QStringLiteral("kein Zielordner");
  if (const QString link = files::linkGrund(target); !link.isEmpty()) return link;
  if (fi.exists() && fi.canonicalFilePath() == QFileInfo(master).canonicalFilePath())
    return fi.fileName() + QStringLiteral(" ist die Übungsvorlage selbst und wird nicht überschrieben");
  return {};
}
}  // namespace

VerteilLauf Verteile(const QList<SchuelerZeile>& rows, const QString& master, const VerteilRegeln& regeln) {
  VerteilLauf lauf;
  DistributionEngine* engine = gEngine;
  const bool ready = engine && engine->start() && engine->openMaster(master);
  if (ready && engine->masterHasAnswers() && regeln.leeren && regeln.leeren()) engine->emptyAnswers();
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const SchuelerZeile& z = rows[i];
    if (!z.checked) continue;
    VerteilKopie k{z.ID, z.Name, z.Dateiname, VerteilKopie::Ergebnis::Fehler, ohneKopie(z.Dateiname, master)};
    if (k.grund.isEmpty() && files::FileExists(k.datei)) {
      const Ausfuellung a = AusgefuellteLuecken(k.datei);
      const Answer antwort = regeln.ueberschreiben ? regeln.ueberschreiben(k.datei, a.ausgefuellt, a.luecken)
                                                   : Answer::No;
      if (antwort == Answer::Cancel) {
        // This pupil and every ticked one after are left out.
        lauf.abgebrochen = static_cast<int>(
            std::count_if(rows.begin() + i, rows.end(), [](const SchuelerZeile& r) { return r.checked; }));
        break;
      }
      if (antwort != Answer::Yes) {
        k.ergebnis = VerteilKopie::Ergebnis::Vorhanden;
        lauf.kopien << k;
        continue;
      }
      // The earlier copy is replaced by the engine's rename, so a failed copy
      // never destroys it.
    }
    if (k.grund.isEmpty()) {
      if (regeln.kopiere) regeln.kopiere(k.datei);
      if (!ready)
        k.grund = QStringLiteral("Übungsvorlage konnte nicht geöffnet werden");
      else if (engine->personaliseCopy(k.datei, z.Name, z.Rechnername, &k.grund))
        k.ergebnis = VerteilKopie::Ergebnis::Geschrieben;
      else if (k.grund.isEmpty())
        k.grund = QStringLiteral("nicht geschrieben");
    }
    lauf.kopien << k;
  }
  if (engine) engine->quit();
  return lauf;
}

SchuelerListe::Ergebnis SchuelerListe::DupliziereUebungen() {
  Ergebnis e;
  focusQuelle = false;
  // The run hands out what the source field shows: a path typed there and
  // not yet checked is checked now.
  if (txtQuelle.trimmed() != gQuelle) VerlasseQuelle();
  if (txtQuelle.isEmpty()) {
    showMessage(QStringLiteral("Bitte zuerst noch die Übungsvorlage festlegen!"), Icon::Exclamation);
    focusQuelle = true;
    return e;
  }
  if (!files::FileExists(gQuelle)) {
    showMessage(QStringLiteral("Die Übungsvorlage '") + gQuelle + QStringLiteral("' wurden nicht gefunden"),
                Icon::Exclamation);
    focusQuelle = true;
    return e;
  }
  if (rows.isEmpty() || rows[0].Dateiname.isEmpty()) {
    showMessage(QStringLiteral("Bitte zuerst noch die Dateinamen erzeugen"), Icon::Exclamation);
    ErzeugeDateinamen();
    return e;
  }
  e.gelaufen = true;
  const QString heldTitle = title;
  ui().setWaitCursor(true);
  VerteilRegeln regeln;
  regeln.leeren = [] { return showMessage(LeerenFrage(), Icon::Question, Buttons::YesNo) == Answer::Yes; };
  // "Nein" is the default: Enter keeps a pupil's work.
  regeln.ueberschreiben = [](const QString& datei, int ausgefuellt, int luecken) {
    return showMessage(UeberschreibenFrage(datei, ausgefuellt, luecken), Icon::Question, Buttons::YesNoCancel,
                       kProductName, 1);
  };
  regeln.kopiere = [this](const QString& datei) { setTitle(QStringLiteral("Kopiere: ") + datei); };
  const VerteilLauf lauf = Verteile(rows, gQuelle, regeln);
  for (const VerteilKopie& k : lauf.kopien) {
    if (k.ergebnis == VerteilKopie::Ergebnis::Vorhanden) continue;
    ++e.versucht;
    if (k.ergebnis == VerteilKopie::Ergebnis::Geschrieben)
      ++e.geschrieben;
    else
      e.fehler << (k.datei.isEmpty() ? k.name : k.datei) + QStringLiteral(": ") + k.grund;
  }
  e.abgebrochen = lauf.abgebrochen;
  setTitle(heldTitle);
  ui().setWaitCursor(false);
  showMessage(Abschlussmeldung(e), e.fehler.isEmpty() ? Icon::Information : Icon::Exclamation);
  return e;
}

QString SchuelerListe::Abschlussmeldung(const Ergebnis& e) {
  QString text = QStringLiteral("Es wurden %1 von %2 Kopien geschrieben.").arg(e.geschrieben).arg(e.versucht);
  if (e.abgebrochen > 0)
    text += QStringLiteral("\r\n\r\nAbgebrochen: %1 weitere Kopien wurden nicht geschrieben.").arg(e.abgebrochen);
  if (e.fehler.isEmpty()) return text;
  // A whole class that failed would make a message taller than the screen.
  constexpr qsizetype kZeilen = 20;
  text += QStringLiteral("\r\n\r\nNicht geschrieben:\r\n") + e.fehler.mid(0, kZeilen).join(QStringLiteral("\r\n"));
  if (e.fehler.size() > kZeilen)
    text += QStringLiteral("\r\n... und %1 weitere").arg(e.fehler.size() - kZeilen);
  return text;
}

}  // namespace qv
