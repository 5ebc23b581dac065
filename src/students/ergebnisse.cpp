#include "students/ergebnisse.h"

#include <QAbstractTextDocumentLayout>
#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/docengine.h"
#include "platform/filehelper.h"
#include "platform/formcontent.h"
#include "platform/textfile.h"
#include "word/modword.h"

namespace qv {
namespace {

// The master, read whole as the document window reads it: the gap rows live
// in its variables.
std::unique_ptr<engine::Document> lies(const QString& path) {
  const auto bytes = textfile::readBytes(path);
  if (!bytes) return nullptr;
  auto data = std::make_unique<RichDocument>();
  if (!data->readRtf(*bytes)) return nullptr;
  return std::make_unique<engine::Document>(nullptr, std::move(data), path, true);
}

// The leading digits of a copy's file name before "_" ("07_Mueller.doc").
QString idAusDatei(const QString& path) {
  static const QRegularExpression re(QStringLiteral("^(\\d+)_"));
  return re.match(QFileInfo(path).fileName()).captured(1);
}

// The file types a pupil's word processor may have saved the copy as.
const QStringList kKopieMuster = {QStringLiteral("*.doc"), QStringLiteral("*.rtf"), QStringLiteral("*.odt"),
                                  QStringLiteral("*.docx")};

// Of the files that belong to one pupil, the newest counts (a pupil who
// saved under a new name left the old copy beside it); the note names the
// files passed over.
void neuesteZaehlt(Einsendung& e, QFileInfoList dateien) {
  if (dateien.isEmpty()) return;
  // The named copy is gone, the pupil's one file under another name or type
  // (07_kind.odt for 07_kind.doc) is the copy handed in.
  if (dateien.size() == 1) {
    if (!QFileInfo::exists(e.datei)) e.datei = dateien[0].absoluteFilePath();
    return;
  }
  std::stable_sort(dateien.begin(), dateien.end(),
                   [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
  QStringList alt;
  for (qsizetype i = 1; i < dateien.size(); ++i) alt << dateien[i].fileName();
  e.datei = dateien[0].absoluteFilePath();
  e.hinweis = QStringLiteral("%1 Dateien dieses Schülers, die neueste zählt; nicht gezählt: %2")
                  .arg(dateien.size())
                  .arg(alt.join(QStringLiteral(", ")));
}

// Copies saved in Word 97's binary format: no reader of ours takes them,
// LibreOffice turns them into ODT. All of a run's copies go to it in one
// call (starting it takes seconds), as numbered copies in a temporary folder
// that is removed afterwards; a conversion that takes too long is ended.
class Word97Umwandlung {
 public:
  explicit Word97Umwandlung(const QList<Einsendung>& kopien) {
    QStringList ein;
    for (qsizetype i = 0; i < kopien.size(); ++i) {
      QFile f(kopien[i].datei);
      if (!f.open(QIODevice::ReadOnly) || form::DetectFormat(f.read(8)) != form::Format::Word97) continue;
      if (!ordner_.isValid() || (ein.isEmpty() && !QDir().mkpath(ordner_.filePath(QStringLiteral("ein")))))
        return;
      const QString kopie = ordner_.filePath(QStringLiteral("ein/%1.doc").arg(i));
      if (!QFile::copy(kopien[i].datei, kopie)) continue;
      ein << kopie;
      odt_[i] = ordner_.filePath(QStringLiteral("aus/%1.odt").arg(i));
    }
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (ein.isEmpty() || soffice.isEmpty()) return;
    QProcess p;
#ifdef Q_OS_UNIX
    // soffice hands the work to a child of its own, which outlives a killed
    // soffice and keeps the temporary folder busy: the conversion runs in a
    // process group of its own, and a timeout ends the whole group.
    p.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    p.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=") +
                                     QUrl::fromLocalFile(ordner_.filePath(QStringLiteral("profil"))).toString(),
                                 QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                 QStringLiteral("--convert-to"), QStringLiteral("odt"), QStringLiteral("--outdir"),
                                 ordner_.filePath(QStringLiteral("aus"))} +
                         ein);
    if (!p.waitForFinished(60'000 + 2'000 * static_cast<int>(ein.size()))) {
#ifdef Q_OS_UNIX
      if (p.processId() > 0) ::kill(-static_cast<pid_t>(p.processId()), SIGKILL);
#endif
      p.kill();
      p.waitForFinished(5'000);
    }
  }
  // The ODT made of copy i, empty when there is none.
  QString odt(int i) const {
    const QString path = odt_.value(i);
    return QFileInfo::exists(path) ? path : QString();
  }

 private:
  QTemporaryDir ordner_;
  QMap<int, QString> odt_;
};

QString prozentText(double p) { return QString::number(qRound(p)); }

QString csvFeld(const QString& s) {
  if (!s.contains(QLatin1Char(';')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')) &&
      !s.contains(QLatin1Char('\r')))
    return s;
  return QLatin1Char('"') + QString(s).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString wertungText(LueckenWertung w) {
  switch (w) {
    case LueckenWertung::Richtig: return QStringLiteral("richtig");
    case LueckenWertung::Falsch: return QStringLiteral("falsch");
    case LueckenWertung::Leer: break;
  }
  return QStringLiteral("leer");
}

}  // namespace

QString ZustandText(AbgabeZustand z) {
  switch (z) {
    case AbgabeZustand::NichtAbgegeben: return QStringLiteral("nicht abgegeben");
    case AbgabeZustand::NichtBegonnen: return QStringLiteral("nicht begonnen");
    case AbgabeZustand::InArbeit: return QStringLiteral("in Arbeit");
    case AbgabeZustand::Fertig: return QStringLiteral("fertig");
    case AbgabeZustand::AndereUebung: return QStringLiteral("andere Übung");
    case AbgabeZustand::NichtLesbar: return QStringLiteral("nicht lesbar");
  }
  return {};
}

bool IstGezaehlt(AbgabeZustand z) {
  return z == AbgabeZustand::NichtBegonnen || z == AbgabeZustand::InArbeit || z == AbgabeZustand::Fertig;
}

LueckenWertung Wertung(Urteil u) {
  if (u == Urteil::Richtig) return LueckenWertung::Richtig;
  if (u == Urteil::Leer || u == Urteil::NichtGeprueft) return LueckenWertung::Leer;
  return LueckenWertung::Falsch;
}

double SchuelerErgebnis::prozent(int luecken) const {
  return IstGezaehlt(zustand) && luecken > 0 ? 100.0 * richtig / luecken : 0.0;
}

double LueckenStatistik::anteilRichtig() const {
  const int n = richtig + falsch + leer;
  return n > 0 ? 100.0 * richtig / n : 0.0;
}

int ErgebnisUebersicht::gezaehlt() const {
  return static_cast<int>(std::count_if(schueler.begin(), schueler.end(),
                                        [](const SchuelerErgebnis& s) { return IstGezaehlt(s.zustand); }));
}

std::optional<ErgebnisVorlage> LeseVorlage(const QString& path, QString* error) {
  const auto doc = files::FileExists(path) ? lies(path) : nullptr;
  if (!doc || !IstUebungsdokument(*doc)) {
    if (error) *error = QStringLiteral("'") + path + QStringLiteral("' ist keine Datei für interaktive Übungen");
    return std::nullopt;
  }
  ErgebnisVorlage v;
  v.pfad = QFileInfo(path).absoluteFilePath();
  v.guid = doc->variableValue(QStringLiteral("GUID")).value_or(QString());
  v.zeilen = LueckenZeilen(*doc);
  if (v.zeilen.isEmpty()) {
    if (error)
      *error = QStringLiteral("Die Übung '") + path +
               QStringLiteral("' enthält keine Lösungen (Arbeitsblatt ohne Lösung) und kann nicht ausgewertet werden");
    return std::nullopt;
  }
  return v;
}

std::optional<QList<Einsendung>> EinsendungenAusListe(const QString& listPath) {
  const auto text = files::FileExists(listPath) ? textfile::read(listPath) : std::nullopt;
  if (!text) return std::nullopt;
  QStringList lines = textfile::splitLines(*text);
  lines.removeIf([](const QString& l) { return l.trimmed().isEmpty(); });
  const QDir beside = QFileInfo(listPath).absoluteDir();
  const int digits = static_cast<int>(QString::number(lines.size()).size());
  QList<Einsendung> out;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QStringList f = lines[i].split(QLatin1Char(';'));
    Einsendung e;
    e.name = f.value(0);
    e.datei = f.value(2);
    if (!e.datei.isEmpty() && QFileInfo(e.datei).isRelative()) e.datei = beside.filePath(e.datei);
    e.id = idAusDatei(e.datei);
    // The pupil's files beside the named copy: its name saved as another
    // type. Not every file of its ID: classes handed out into one shared
    // folder have the same IDs, and another class's pupil must not count.
    const QFileInfo named(e.datei);
    QFileInfoList eigene;
    if (!e.datei.isEmpty())
      for (const QFileInfo& fi : named.absoluteDir().entryInfoList(kKopieMuster, QDir::Files))
        if (fi.completeBaseName() == named.completeBaseName()) eigene << fi;
    neuesteZaehlt(e, eigene);
    if (e.id.isEmpty()) e.id = QStringLiteral("%1").arg(i + 1, digits, 10, QLatin1Char('0'));
    out << e;
  }
  return out;
}

QList<Einsendung> EinsendungenAusOrdner(const QString& folder, const QString& masterPath) {
  const QString master = QFileInfo(masterPath).canonicalFilePath();
  QFileInfoList found = QDir(folder).entryInfoList(kKopieMuster, QDir::Files);
  QCollator order;
  order.setNumericMode(true);
  std::sort(found.begin(), found.end(),
            [&order](const QFileInfo& a, const QFileInfo& b) { return order.compare(a.fileName(), b.fileName()) < 0; });
  QList<Einsendung> out;
  QMap<QString, QFileInfoList> jeId;  // the files of each ID, in name order
  for (const QFileInfo& fi : found) {
    if (fi.canonicalFilePath() == master) continue;
    const QString id = idAusDatei(fi.filePath());
    if (!id.isEmpty() && jeId.contains(id)) {
      jeId[id] << fi;
      continue;
    }
    if (!id.isEmpty()) jeId[id] << fi;
    out << Einsendung{id, QString(), fi.absoluteFilePath(), QString()};
  }
  for (Einsendung& e : out) neuesteZaehlt(e, jeId.value(e.id));
  return out;
}

Ausfuellung AusgefuellteLuecken(const QString& path) {
  Ausfuellung a;
  const auto bytes = files::FileExists(path) ? textfile::readBytes(path) : std::nullopt;
  const form::ReadResult gelesen = bytes ? form::Read(*bytes) : form::ReadResult{};
  if (!gelesen.content) return a;
  for (const form::TextField& f : gelesen.content->fields) {
    if (GapNumber(f.name) == 0) continue;
    ++a.luecken;
    if (!isEmptyFieldText(f.text) && !NormalisiereAntwort(f.text).isEmpty()) ++a.ausgefuellt;
  }
  return a;
}

namespace {
// Judges the copy datei by what the file lesen holds (a conversion of it).
SchuelerErgebnis bewerte(const ErgebnisVorlage& vorlage, const QString& datei, const QString& lesen,
                         QString* nameAusKopie) {
  SchuelerErgebnis r;
  r.datei = datei;
  if (!files::FileExists(datei)) return r;
  r.zustand = AbgabeZustand::NichtLesbar;
  const auto bytes = textfile::readBytes(lesen);
  if (!bytes) {
    r.grund = QStringLiteral("die Datei kann nicht gelesen werden");
    return r;
  }
  // Judging needs no text document: the form content is taken straight
  // from the file, whichever word processor saved it.
  const form::ReadResult gelesen = form::Read(*bytes);
  if (!gelesen.content) {
    r.grund = gelesen.reason;
    return r;
  }
  const form::FormContent& kopie = *gelesen.content;
  // A Word 97 file written by LibreOffice keeps the fields but loses the
  // document variables: such a copy belongs to the master when its gaps are
  // exactly the master's.
  const int n = static_cast<int>(vorlage.zeilen.size());
  const bool ohneVariablen = lesen != datei && !kopie.variable(QStringLiteral("App")) && !kopie.variable(QStringLiteral("GUID"));
  if (ohneVariablen) {
    QSet<QString> luecken;
    for (const form::TextField& f : kopie.fields)
      if (GapNumber(f.name) > 0) luecken.insert(f.name);
    if (luecken.size() != n) {
      r.grund = form::ReasonWord97() + QStringLiteral(" (ohne die Angaben der Übung)");
      return r;
    }
    r.hinweis = form::ReasonWord97() + QStringLiteral(": ohne die Angaben der Übung, über ihre Lücken zugeordnet");
  } else if (!kopie.variable(QStringLiteral("App")).value_or(QString()).contains(kProductName)) {
    r.grund = QStringLiteral("keine Übung dieses Programms");
    return r;
  }
  if (nameAusKopie) {
    *nameAusKopie = kopie.headerName.value_or(QString()).trimmed();
    if (nameAusKopie->isEmpty()) *nameAusKopie = kopie.author.trimmed();
  }
  r.vorlage = kopie.variable(QStringLiteral("TEMPLATE")).value_or(QString()) == QLatin1String("1");
  r.zustand = AbgabeZustand::AndereUebung;
  if (!ohneVariablen && kopie.variable(QStringLiteral("GUID")).value_or(QString()) != vorlage.guid) return r;

  // The fields by gap number (the first of a number counts). A copy that
  // lacks some of the master's gaps has lost part of its text: judging it
  // would count the lost gaps as left empty.
  std::vector<const QString*> felder(n + 1, nullptr);
  int gefunden = 0;
  for (const form::TextField& f : kopie.fields) {
    const int k = GapNumber(f.name);
    if (k >= 1 && k <= n && !felder[k]) {
      felder[k] = &f.text;
      ++gefunden;
    }
  }
  if (gefunden < n) {
    r.zustand = AbgabeZustand::NichtLesbar;
    r.grund = QStringLiteral("die Kopie enthält nur %1 von %2 Lücken (unvollständig)").arg(gefunden).arg(n);
    return r;
  }
  const UebungsStand stand = UebungsStand::ausText(kopie.variable(kStandVariable).value_or(QString()));
  for (int k = 1; k <= n; ++k) {
    QString text = *felder[k];
    if (isEmptyFieldText(text)) text.clear();
    const QString antwort = NormalisiereAntwort(text);
    const LueckenWertung w = Wertung(BewerteAntwort(antwort, vorlage.zeilen[k - 1].loesungen()));
    r.antworten << antwort;
    r.wertungen << w;
    if (w == LueckenWertung::Richtig) ++r.richtig;
    else if (w == LueckenWertung::Falsch) ++r.falsch;
    else ++r.leer;
    const auto s = stand.luecken.constFind(k);
    if (s != stand.luecken.cend()) r.versuche += s->versuche;
    if (!antwort.isEmpty() && (s == stand.luecken.cend() || s->gezaehlt != antwort)) ++r.versuche;
  }
  r.zustand = r.leer == n ? AbgabeZustand::NichtBegonnen : r.leer == 0 ? AbgabeZustand::Fertig : AbgabeZustand::InArbeit;
  return r;
}
}  // namespace

SchuelerErgebnis BewerteKopie(const ErgebnisVorlage& vorlage, const QString& datei, QString* nameAusKopie) {
  return bewerte(vorlage, datei, datei, nameAusKopie);
}

ErgebnisUebersicht WerteAus(const ErgebnisVorlage& vorlage, const QList<Einsendung>& kopien,
                            const ErgebnisFortschritt& fortschritt) {
  ErgebnisUebersicht e;
  e.uebung = vorlage.pfad;
  e.luecken = static_cast<int>(vorlage.zeilen.size());
  for (int k = 1; k <= e.luecken; ++k) e.jeLuecke << LueckenStatistik{k, 0, 0, 0, vorlage.zeilen[k - 1].loesung};
  const int total = static_cast<int>(kopien.size());
  const Word97Umwandlung word97(kopien);

  // The copies are read on worker threads (each copy is a document of its
  // own, read only); this thread takes the verdicts in list order and tells
  // the progress, so a stop keeps exactly the copies before it.
  struct Bewertet {
    SchuelerErgebnis r;
    QString ausKopie;
  };
  std::vector<std::optional<Bewertet>> fertig(total);
  std::mutex lock;
  std::condition_variable ready;
  std::atomic<int> naechste{0};
  std::atomic<bool> halt{false};
  auto arbeite = [&] {
    for (int i = naechste++; i < total && !halt; i = naechste++) {
      Bewertet b;
      const QString odt = word97.odt(i);
      b.r = bewerte(vorlage, kopien[i].datei, odt.isEmpty() ? kopien[i].datei : odt,
                    kopien[i].name.isEmpty() ? &b.ausKopie : nullptr);
      const std::lock_guard<std::mutex> g(lock);
      fertig[i] = std::move(b);
      ready.notify_all();
    }
  };
  std::vector<std::jthread> helfer;
  const int threads = std::clamp(QThread::idealThreadCount(), 1, 8);
  for (int t = 0; t < std::min(threads, total); ++t) helfer.emplace_back(arbeite);

  for (int i = 0; i < total; ++i) {
    Bewertet b;
    {
      std::unique_lock<std::mutex> g(lock);
      ready.wait(g, [&] { return fertig[i].has_value(); });
      b = std::move(*fertig[i]);
      fertig[i].reset();
    }
    const Einsendung& k = kopien[i];
    SchuelerErgebnis& r = b.r;
    // A master found in a folder was never handed out: it is no pupil's.
    if (k.name.isEmpty() && r.vorlage) {
      if (fortschritt && !fortschritt(i + 1, total)) break;
      continue;
    }
    r.id = k.id;
    if (!k.hinweis.isEmpty()) r.hinweis = r.hinweis.isEmpty() ? k.hinweis : r.hinweis + QStringLiteral("; ") + k.hinweis;
    r.name = k.name.isEmpty() ? (b.ausKopie.isEmpty() ? files::FileTitle(k.datei) : b.ausKopie) : k.name;
    for (int g = 0; g < r.wertungen.size(); ++g) {
      LueckenStatistik& s = e.jeLuecke[g];
      if (r.wertungen[g] == LueckenWertung::Richtig) ++s.richtig;
      else if (r.wertungen[g] == LueckenWertung::Falsch) ++s.falsch;
      else ++s.leer;
    }
    e.schueler << r;
    if (fortschritt && !fortschritt(i + 1, total)) break;
  }
  halt = true;  // the workers finish the copy in hand and stop
  return e;
}

QString ErgebnisTabelle(const ErgebnisUebersicht& e) {
  const QString sep = QStringLiteral(";");
  QStringList kopf = {QStringLiteral("ID"),     QStringLiteral("Name"),    QStringLiteral("Zustand"),
                      QStringLiteral("Richtig"), QStringLiteral("Falsch"), QStringLiteral("Leer"),
                      QStringLiteral("Versuche"), QStringLiteral("Prozent richtig")};
  for (int k = 1; k <= e.luecken; ++k) kopf << QStringLiteral("Lücke ") + QString::number(k);
  QStringList lines{kopf.join(sep)};
  int richtig = 0, falsch = 0, leer = 0, versuche = 0;
  double prozent = 0;
  for (const SchuelerErgebnis& s : e.schueler) {
    QStringList f = {csvFeld(s.id), csvFeld(s.name), ZustandText(s.zustand)};
    if (IstGezaehlt(s.zustand)) {
      f << QString::number(s.richtig) << QString::number(s.falsch) << QString::number(s.leer)
        << QString::number(s.versuche) << prozentText(s.prozent(e.luecken));
      for (int g = 0; g < s.wertungen.size(); ++g) {
        const QString w = wertungText(s.wertungen[g]);
        f << (s.wertungen[g] == LueckenWertung::Leer ? w : csvFeld(w + QStringLiteral(": ") + s.antworten.value(g)));
      }
      richtig += s.richtig;
      falsch += s.falsch;
      leer += s.leer;
      versuche += s.versuche;
      prozent += s.prozent(e.luecken);
    }
    lines << f.join(sep);
  }
  const int n = e.gezaehlt();
  QStringList anteil = {QString(), QStringLiteral("Anteil richtig"), QString()};
  anteil << QString::number(richtig) << QString::number(falsch) << QString::number(leer) << QString::number(versuche)
         << (n ? prozentText(prozent / n) : QString());
  for (const LueckenStatistik& s : e.jeLuecke) anteil << (n ? prozentText(s.anteilRichtig()) : QString());
  lines << anteil.join(sep);
  return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool SchreibeErgebnisTabelle(const ErgebnisUebersicht& e, const QString& path, QString* error) {
  QString reason;
  if (files::saveWhole(path, textfile::encode(ErgebnisTabelle(e)), &reason)) return true;
  if (error)
    *error = QStringLiteral("Die Tabelle konnte nicht geschrieben werden:\r\n") + path + QStringLiteral("\r\n") + reason;
  return false;
}

void DruckeErgebnisse(const ErgebnisUebersicht& e, QPagedPaintDevice& device, const ErgebnisFortschritt& seite) {
  device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                   QPageLayout::Millimeter));
  // Laid out at the screen's resolution and drawn scaled to the device's,
  // as QTextDocument::print does.
  QTextDocument doc;
  doc.setDocumentMargin(0);
  QFont font(QStringLiteral("DejaVu Sans"), 9);
  doc.setDefaultFont(font);
  QTextCursor c(&doc);
  QTextCharFormat titel;
  titel.setFontPointSize(13);
  titel.setFontWeight(QFont::Bold);
  c.insertText(QStringLiteral("Ergebnisse: ") + files::FileTitle(e.uebung), titel);
  c.insertBlock();
  c.insertText(QStringLiteral("%1 Lücken, %2 von %3 Kopien ausgewertet. Lücken: + richtig, – falsch, · leer")
                   .arg(e.luecken)
                   .arg(e.gezaehlt())
                   .arg(e.schueler.size()),
               QTextCharFormat());
  c.insertBlock();

  QTextTableFormat tf;
  tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
  tf.setCellPadding(2);
  tf.setCellSpacing(0);
  tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
  tf.setBorderCollapse(true);
  tf.setHeaderRowCount(1);
  QTextCharFormat fett;
  fett.setFontWeight(QFont::Bold);
  QTextCharFormat zeichen;
  zeichen.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
  auto zeile = [](QTextTable* t, int row, const QStringList& cells, const QTextCharFormat& f) {
    for (int col = 0; col < cells.size(); ++col) t->cellAt(row, col).firstCursorPosition().insertText(cells[col], f);
  };
  const QStringList kopf = {QStringLiteral("ID"),  QStringLiteral("Name"), QStringLiteral("Zustand"),
                            QStringLiteral("R"),   QStringLiteral("F"),    QStringLiteral("L"),
                            QStringLiteral("Vers."), QStringLiteral("%"),  QStringLiteral("Lücken")};
  // The columns take the room their contents need: a number is never
  // broken; names and the signs wrap where they hold a blank.
  tf.setColumnWidthConstraints(QList<QTextLength>(kopf.size(), QTextLength(QTextLength::VariableLength, 0)));
  QTextTable* t = c.insertTable(static_cast<int>(e.schueler.size()) + 1, static_cast<int>(kopf.size()), tf);
  zeile(t, 0, kopf, fett);
  for (int i = 0; i < e.schueler.size(); ++i) {
    const SchuelerErgebnis& s = e.schueler[i];
    QStringList cells = {s.id, s.name, ZustandText(s.zustand)};
    if (IstGezaehlt(s.zustand)) {
      cells << QString::number(s.richtig) << QString::number(s.falsch) << QString::number(s.leer)
            << QString::number(s.versuche) << prozentText(s.prozent(e.luecken));
      QString signs;
      for (int g = 0; g < s.wertungen.size(); ++g) {
        if (g && g % 10 == 0) signs += QLatin1Char(' ');
        signs += s.wertungen[g] == LueckenWertung::Richtig ? QStringLiteral("+")
                 : s.wertungen[g] == LueckenWertung::Falsch ? QStringLiteral("–")
                                                            : QStringLiteral("·");
      }
      zeile(t, i + 1, cells, QTextCharFormat());
      t->cellAt(i + 1, 8).firstCursorPosition().insertText(signs, zeichen);
    } else {
      zeile(t, i + 1, cells, QTextCharFormat());
    }
  }
  c.movePosition(QTextCursor::End);
  c.insertBlock();
  tf.setColumnWidthConstraints({});
  tf.setWidth(QTextLength(QTextLength::PercentageLength, 70));
  tf.setTopMargin(16);
  const bool gezaehlt = e.gezaehlt() > 0;
  QTextTable* g = c.insertTable(static_cast<int>(e.jeLuecke.size()) + 1, 6, tf);
  zeile(g, 0, {QStringLiteral("Lücke"), QStringLiteral("Lösung"), QStringLiteral("richtig"), QStringLiteral("falsch"), QStringLiteral("leer"),
               QStringLiteral("Anteil richtig")},
        fett);
  for (int i = 0; i < e.jeLuecke.size(); ++i) {
    const LueckenStatistik& s = e.jeLuecke[i];
    zeile(g, i + 1,
          {QString::number(s.nummer), s.loesung, QString::number(s.richtig), QString::number(s.falsch),
           QString::number(s.leer), gezaehlt ? prozentText(s.anteilRichtig()) + QStringLiteral(" %") : QString()},
          QTextCharFormat());
  }
  // Page by page, so that a big class can show its progress; the page
  // number below the text.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double bildschirm = screen ? screen->logicalDotsPerInchY() : 96.0;
  const QRectF seitenRand = device.pageLayout().paintRectPoints();
  const double breite = seitenRand.width() * bildschirm / 72, fuss = 20;
  const double hoehe = std::max(fuss, seitenRand.height() * bildschirm / 72 - fuss);
  doc.setPageSize(QSizeF(breite, hoehe));
  const int seiten = std::max(1, doc.pageCount());
  QPainter p(&device);
  p.scale(device.logicalDpiX() / bildschirm, device.logicalDpiY() / bildschirm);
  QFont nummer = font;
  nummer.setPixelSize(qRound(9 * bildschirm / 72));  // in the painter's scaled units
  p.setFont(nummer);
  for (int n = 1; n <= seiten; ++n) {
    if (n > 1) device.newPage();
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = QRectF(0, (n - 1) * hoehe, breite, hoehe);
    ctx.palette.setColor(QPalette::Text, Qt::black);
    p.save();
    p.translate(0, -(n - 1) * hoehe);
    p.setClipRect(ctx.clip);
    doc.documentLayout()->draw(&p, ctx);
    p.restore();
    p.drawText(QRectF(0, hoehe, breite, fuss), Qt::AlignHCenter | Qt::AlignBottom, QString::number(n));
    if (seite) seite(n, seiten);
  }
}

bool SchreibeErgebnisPdf(const ErgebnisUebersicht& e, const QString& path, QString* error,
                         const ErgebnisFortschritt& seite) {
  QString reason;
  const bool ok = files::saveWhole(
      path,
      [&e, &seite](QIODevice& file) {
        QPdfWriter pdf(&file);
        pdf.setResolution(300);
        pdf.setCreator(kProductName);
        pdf.setTitle(QStringLiteral("Ergebnisse: ") + files::FileTitle(e.uebung));
        DruckeErgebnisse(e, pdf, seite);
        return true;
      },
      &reason);
  if (!ok && error)
    *error = QStringLiteral("Die PDF-Datei konnte nicht geschrieben werden:\r\n") + path + QStringLiteral("\r\n") + reason;
  return ok;
}

}  // namespace qv
