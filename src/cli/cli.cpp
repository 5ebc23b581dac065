#include "cli/cli.h"

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "exercise/uebungstyp.h"
#include "export/h5ppaket.h"
#include "export/moodlexml.h"
#include "export/plattformexport.h"
#include "html/htmlexercise.h"
#include "platform/docengine.h"
#include "platform/filehelper.h"
#include "platform/tools.h"
#include "platform/ui.h"
#include "students/ergebnisse.h"
#include "students/schueler.h"
#include "word/ausgabeoptionen.h"
#include "word/druck.h"
#include "word/exercisewindow.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"
#include "word/wordexercise.h"
#include "workbook/workbook.h"
#include "version.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace qv {

namespace {

enum Exit { kOk = 0, kArgs = 1, kMappe = 2, kSchreiben = 3 };

// Messages the exercise code shows become notes on stderr; questions get
// their default answer.
class CliInteraction final : public SilentInteraction {
 public:
  explicit CliInteraction(QTextStream& err) : err_(err) {}
  Answer messageBox(const MessageBoxRequest& r) override {
    const Answer a = defaultAnswer(r);
    const QString text = QString(r.text).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (r.buttons == Buttons::Ok) {
      err_ << QStringLiteral("Hinweis: ") << text << '\n';
    } else {
      static const QString names[] = {QStringLiteral("OK"), QStringLiteral("Abbrechen"), QStringLiteral("Ja"),
                                      QStringLiteral("Nein")};
      err_ << QStringLiteral("Frage: ") << text << QStringLiteral(" Antwort: ") << names[static_cast<int>(a)] << '\n';
    }
    err_.flush();
    return a;
  }

 private:
  QTextStream& err_;
};

// Puts the interaction in place for one run and restores the previous one.
class UiScope {
 public:
  explicit UiScope(UserInteraction* ui) : previous_(&qv::ui()) { setUi(ui); }
  ~UiScope() { setUi(previous_); }

 private:
  UserInteraction* previous_;
};

// A small JSON writer that keeps the keys in the order written.
QString json(const QString& s) {
  QString o;
  o.reserve(s.size() + 2);
  o += QLatin1Char('"');
  for (QChar c : s) {
    switch (c.unicode()) {
      case '"': o += QStringLiteral("\\\""); break;
      case '\\': o += QStringLiteral("\\\\"); break;
      case '\n': o += QStringLiteral("\\n"); break;
      case '\r': o += QStringLiteral("\\r"); break;
      case '\t': o += QStringLiteral("\\t"); break;
      default:
        if (c.unicode() < 0x20)
          o += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
          o += c;
    }
  }
  o += QLatin1Char('"');
  return o;
}

QString jsonList(const QStringList& items, const QString& indent) {
  if (items.isEmpty()) return QStringLiteral("[]");
  return QStringLiteral("[\n") + indent + QStringLiteral("  ") +
         items.join(QStringLiteral(",\n") + indent + QStringLiteral("  ")) + QLatin1Char('\n') + indent +
         QLatin1Char(']');
}

// A message of the program on one line: its line breaks become blanks.
QString einzeilig(QString text) {
  return text.replace(QStringLiteral("\r\n\r\n"), QStringLiteral(" ")).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

void fehler(QTextStream& err, const QString& text) {
  err << QStringLiteral("vodedarivo: ") << text << '\n';
  err.flush();
}

// A named input file that is not there: says which one.
bool fehltDatei(const QString& path, const QString& was, QTextStream& err) {
  if (QFileInfo::exists(path)) return false;
  fehler(err, was + QStringLiteral(" \"") + path + QStringLiteral("\" gibt es nicht"));
  return true;
}

// Reads the workbook; on failure reports the program's message and the file.
bool lese(const QString& path, MappenInhalt& m, QTextStream& err) {
  if (fehltDatei(path, QStringLiteral("Die Mappe"), err)) return false;
  m = LeseMappe(path);
  if (m.unvollstaendig) fehler(err, QStringLiteral("Warnung: ") + BeschaedigtMeldung(m));
  switch (m.fehler) {
    case MappenInhalt::Fehler::Keiner: return true;
    case MappenInhalt::Fehler::Oeffnen: fehler(err, kFehlerBeimOeffnen + QStringLiteral(": ") + path); return false;
    case MappenInhalt::Fehler::KeinArbeitsblatt: fehler(err, kKeinArbeitsblatt); return false;
  }
  return false;
}

int blaetter(const QString& path, QTextStream& out, QTextStream& err) {
  MappenInhalt m;
  if (!lese(path, m, err)) return kMappe;
  QStringList items;
  for (qsizetype k = 0; k < m.arbeitsblaetter.size(); ++k) {
    const ArbeitsblattEintrag& e = m.arbeitsblaetter[k];
    items << QStringLiteral("{\"nummer\": %1, \"id\": %2, \"caption\": %3, \"uebungstyp\": %4, \"details\": %5}")
                 .arg(QString::number(k + 1), QString::number(e.ID), json(e.Caption),
                      QString::number(e.Uebungstyp), json(e.Details));
  }
  out << QStringLiteral("{\n  \"mappe\": ") << json(path) << QStringLiteral(",\n  \"text\": ")
      << (m.hatText ? json(m.textTXT) : QStringLiteral("null")) << QStringLiteral(",\n  \"arbeitsblaetter\": ")
      << jsonList(items, QStringLiteral("  ")) << QStringLiteral("\n}\n");
  out.flush();
  return kOk;
}

// Whether every gap of the current worksheet stands on its word in the text;
// otherwise the program's message on err.
bool lueckenPassen(QTextStream& err) {
  const auto meldung = LueckeAusserhalbDesTextes(gUebungstyp, gDetails, gTextTXT);
  if (meldung) fehler(err, QString(*meldung).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
  return !meldung;
}

// Makes worksheet nummer (1-based) of the read workbook m the current one, as
// a click on its tab does, and builds its gap list for a web page. For an
// exercise to be built (bauen) a worksheet whose gaps miss the text is refused.
int macheAktuell(const QString& path, const MappenInhalt& m, int nummer, QTextStream& err, int& count, bool fuerHtml,
                 bool bauen) {
  UebernimmMappe(path, m);
  SetCurrentWorksheet(m.arbeitsblaetter[nummer - 1]);
  if (bauen && !lueckenPassen(err)) return kMappe;
  // The gap kind of type 103 is read from the worksheet's own text.
  if (uebungstyp::loesung(gUebungstyp) == uebungstyp::Loesung::Haelfte) LoadRichText(txtText(), gArbeitsblattRTF);
  gFormatDoc = !fuerHtml;
  if (fuerHtml) {
    bool withDetails = true;
    count = BuildGapList(true, withDetails);
  }
  return kOk;
}

// Reads the workbook and makes worksheet nummerText the current one
// (macheAktuell), after checking the number.
int waehle(const QString& path, const QString& nummerText, QTextStream& err, int& count, bool fuerHtml,
           bool bauen = true) {
  bool ok = false;
  const int nummer = nummerText.toInt(&ok);
  if (!ok) {
    fehler(err, QStringLiteral("NUMMER muss eine Zahl sein: ") + nummerText);
    return kArgs;
  }
  MappenInhalt m;
  if (!lese(path, m, err)) return kMappe;
  if (nummer < 1 || nummer > m.arbeitsblaetter.size()) {
    fehler(err, QStringLiteral("Arbeitsblatt %1 gibt es nicht; die Mappe hat die Arbeitsblätter 1 bis %2")
                    .arg(nummer)
                    .arg(m.arbeitsblaetter.size()));
    return kArgs;
  }
  return macheAktuell(path, m, nummer, err, count, fuerHtml, bauen);
}

int luecken(const QString& path, const QString& nummer, QTextStream& out, QTextStream& err) {
  int count = 0;
  if (const int rc = waehle(path, nummer, err, count, true, false); rc != kOk) return rc;
  QStringList zeilen;
  for (const QString& z : gDetailZeilen) zeilen << json(z);
  QStringList items;
  for (const clsToken& t : gLuecken)
    items << QStringLiteral(
                 "{\"anfang\": %1, \"inhalt\": %2, \"grundform\": %3, \"bemerkung\": %4, \"loesung\": %5}")
                 .arg(t.Anfang())
                 .arg(json(t.Inhalt()), json(t.Grundform()), json(t.Bemerkung()), json(t.Loesung()));
  out << QStringLiteral("{\n  \"zeilen\": ") << jsonList(zeilen, QStringLiteral("  "))
      << QStringLiteral(",\n  \"luecken\": ") << jsonList(items, QStringLiteral("  ")) << QStringLiteral("\n}\n");
  out.flush();
  return kOk;
}

// Options of the commands that write an exercise.
struct Optionen {
  QStringList rest;
  QString wortliste;
  QString ziel;
  QString pdf;
  bool ohneLoesung = false;
  QString uebung, csv, loesungsblatt, papier;
  QString zielordner, ueberschreiben;
  bool leeren = false;
};

// Reads the options ("--name value", "--name=value", "-o value") with Qt's
// parser; its English error texts are replaced by our own German ones.
// Returns kOk or kArgs with the reason on err.
int leseOptionen(const QStringList& args, const QStringList& mitWert, const QStringList& schalter, Optionen& o,
                 QTextStream& err) {
  QCommandLineParser p;
  p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
  for (const QString& name : mitWert) p.addOption(QCommandLineOption(QString(name).remove(QLatin1Char('-')), {}, QStringLiteral("x")));
  for (const QString& name : schalter) p.addOption(QCommandLineOption(QString(name).remove(0, 2)));
  // The parser takes the first argument as the program name.
  if (!p.parse(QStringList{QStringLiteral("vodedarivo")} + args)) {
    if (!p.unknownOptionNames().isEmpty()) {
      const QString n = p.unknownOptionNames().first();
      fehler(err, QStringLiteral("unbekannte Angabe \"") + (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) +
                      n + QStringLiteral("\" (siehe --help)"));
    } else {
      fehler(err, args.value(args.size() - 1) + QStringLiteral(" braucht einen Wert"));
    }
    return kArgs;
  }
  o.rest = p.positionalArguments();
  if (mitWert.contains(QStringLiteral("-o")) && p.isSet(QStringLiteral("o"))) o.ziel = p.value(QStringLiteral("o"));
  if (mitWert.contains(QStringLiteral("--wortliste"))) o.wortliste = p.value(QStringLiteral("wortliste"));
  if (mitWert.contains(QStringLiteral("--pdf"))) o.pdf = p.value(QStringLiteral("pdf"));
  for (auto [name, ziel] : {std::pair{"uebung", &o.uebung}, std::pair{"csv", &o.csv},
                            std::pair{"loesungsblatt", &o.loesungsblatt}, std::pair{"papier", &o.papier},
                            std::pair{"ziel", &o.zielordner}, std::pair{"ueberschreiben", &o.ueberschreiben}})
    if (mitWert.contains(QStringLiteral("--") + QLatin1String(name))) *ziel = p.value(QLatin1String(name));
  if (schalter.contains(QStringLiteral("--ohne-loesung"))) o.ohneLoesung = p.isSet(QStringLiteral("ohne-loesung"));
  if (schalter.contains(QStringLiteral("--leeren"))) o.leeren = p.isSet(QStringLiteral("leeren"));
  return kOk;
}

// Sets gWortliste from --wortliste, or to the dialog's preselection for the
// current worksheet; refuses a form the dialog would not offer.
int setzeWortliste(const QString& wortliste, QTextStream& err) {
  int gewaehlt = 0;
  if (!wortliste.isEmpty()) {
    bool ok = false;
    gewaehlt = wortliste.toInt(&ok);
    if (!ok || gewaehlt < 1 || gewaehlt > 4) {
      fehler(err, QStringLiteral("--wortliste erwartet 1, 2, 3 oder 4: ") + wortliste);
      return kArgs;
    }
  }
  // The same choices as the output options dialog offers for this worksheet.
  const AusgabeOptionen optionen = AusgabeOptionenFuer(gUebungstyp, gDetails);
  if (gewaehlt == 0) gewaehlt = optionen.selected + 1;
  if (!optionen.enabled[gewaehlt - 1]) {
    fehler(err, QStringLiteral("Die Wortliste %1 (\"%2\") passt nicht zum Übungstyp %3")
                    .arg(gewaehlt)
                    .arg(kAusgabeCaptions[gewaehlt - 1])
                    .arg(gUebungstyp));
    return kArgs;
  }
  gWortliste = static_cast<int16_t>(gewaehlt);
  return kOk;
}

int html(const QStringList& args, QTextStream& err) {
  Optionen o;
  o.ziel = QStringLiteral("Worksheet.html");
  if (leseOptionen(args, {QStringLiteral("--wortliste"), QStringLiteral("-o")}, {}, o, err) != kOk) return kArgs;
  if (o.rest.size() != 2) {
    fehler(err, QStringLiteral("Aufruf: vodedarivo html MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [-o DATEI]"));
    return kArgs;
  }
  int count = 0;
  if (const int rc = waehle(o.rest[0], o.rest[1], err, count, true); rc != kOk) return rc;
  if (const int rc = setzeWortliste(o.wortliste, err); rc != kOk) return rc;
  QString error;
  if (!WriteHtmlExercise(gTextTXT, o.ziel, &error)) {
    fehler(err, error.isEmpty() ? QStringLiteral("Die Übung konnte nicht geschrieben werden.") : einzeilig(error));
    return kSchreiben;
  }
  return kOk;
}

// Writes one worksheet (or with "alle" every worksheet, for Moodle) as the
// platform's file, as the output format entries do, without alternatives.
int plattform(const QStringList& args, Plattform p, QTextStream& err) {
  const bool moodle = p == Plattform::Moodle;
  Optionen o;
  if (leseOptionen(args, {QStringLiteral("--wortliste"), QStringLiteral("-o")}, {}, o, err) != kOk) return kArgs;
  if (o.rest.size() != 2) {
    fehler(err, moodle ? QStringLiteral("Aufruf: vodedarivo moodle MAPPE.qbm NUMMER|alle [--wortliste 1|2|3|4] [-o DATEI.xml]")
                       : QStringLiteral("Aufruf: vodedarivo h5p MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [-o DATEI.h5p]"));
    return kArgs;
  }
  const bool alle = moodle && o.rest[1] == QStringLiteral("alle");
  QStringList nummern{o.rest[1]};
  MappenInhalt m;
  if (alle) {
    if (!lese(o.rest[0], m, err)) return kMappe;
    nummern.clear();
    for (qsizetype k = 1; k <= m.arbeitsblaetter.size(); ++k) nummern << QString::number(k);
  }
  QList<ExportBlatt> blaetter;
  for (const QString& nummer : std::as_const(nummern)) {
    int count = 0;
    // With "alle" the workbook is read once for all its worksheets.
    if (const int rc = alle ? macheAktuell(o.rest[0], m, nummer.toInt(), err, count, true, true)
                            : waehle(o.rest[0], nummer, err, count, true);
        rc != kOk)
      return rc;
    // With "alle" a form that does not fit a worksheet gives way to its preselection.
    QString wortliste = o.wortliste;
    const int form = wortliste.toInt();
    if (alle && form >= 1 && form <= 4 && !AusgabeOptionenFuer(gUebungstyp, gDetails).enabled[form - 1]) {
      fehler(err, QStringLiteral("Hinweis: Arbeitsblatt %1 bekommt die Vorauswahl seines Übungstyps").arg(nummer));
      wortliste.clear();
    }
    if (const int rc = setzeWortliste(wortliste, err); rc != kOk) return rc;
    blaetter << AktuellesExportBlatt();
  }
  const QString titel = files::FileTitle(gMappenPfad);
  const ExportErgebnis e = moodle ? BaueMoodleXml(titel, blaetter) : BaueH5pPaket(blaetter.first());
  if (!e.fehler.isEmpty()) {
    fehler(err, QString(e.fehler).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return kSchreiben;
  }
  if (o.ziel.isEmpty()) {
    const QString stem = SichererDateiname((alle ? titel : gCaption).trimmed());
    o.ziel = (stem.isEmpty() ? QStringLiteral("Übung") : stem) + ExportEndung(p);
  }
  QString grund;
  if (!files::saveWhole(QDir::current().absoluteFilePath(o.ziel), e.daten, &grund)) {
    fehler(err, QStringLiteral("Die Datei konnte nicht gespeichert werden: ") + o.ziel + QStringLiteral(": ") + grund);
    return kSchreiben;
  }
  return kOk;
}

// Builds the form document as the worksheet menu does and writes it (and
// the PDF the document window makes). The engine is quit afterwards.
int doc(const QStringList& args, QTextStream& err) {
  Optionen o;
  if (leseOptionen(args,
                   {QStringLiteral("--wortliste"), QStringLiteral("-o"), QStringLiteral("--pdf"),
                    QStringLiteral("--loesungsblatt"), QStringLiteral("--papier")},
                   {QStringLiteral("--ohne-loesung")}, o, err) != kOk)
    return kArgs;
  if (o.rest.size() != 2) {
    fehler(err, QStringLiteral("Aufruf: vodedarivo doc MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [--ohne-loesung] "
                               "[-o DATEI.doc] [--pdf DATEI.pdf] [--loesungsblatt DATEI.pdf] [--papier DATEI.pdf]"));
    return kArgs;
  }
  if (o.ohneLoesung && !o.loesungsblatt.isEmpty()) {
    fehler(err, QStringLiteral("--loesungsblatt geht nicht mit --ohne-loesung: die Übung hat dann keine Lösungen"));
    return kArgs;
  }
  int count = 0;
  if (const int rc = waehle(o.rest[0], o.rest[1], err, count, false); rc != kOk) return rc;
  if (const int rc = setzeWortliste(o.wortliste, err); rc != kOk) return rc;
  if (o.ziel.isEmpty()) {
    QString stem = SichererDateiname(gCaption.trimmed());
    if (stem.isEmpty()) stem = QStringLiteral("Übung");
    o.ziel = stem + QStringLiteral(".doc");
  }

  // The builder hands the finished document to the window opener; here it
  // is kept instead of shown.
  engine::Document* built = nullptr;
  setExerciseWindowOpener([&built](engine::Document* d) { built = d; });
  InstallDocumentVariablesWriter();
  InstallExerciseMacros();
  CreateWordExercise(gUebungstyp, o.ohneLoesung ? 4 : 2);
  setExerciseWindowOpener(nullptr);

  int rc = kOk;
  QString error;
  if (!built) {
    fehler(err, QStringLiteral("Die Übung konnte nicht erstellt werden."));
    rc = kSchreiben;
  } else if (!built->saveAs(QDir::current().absoluteFilePath(o.ziel), &error)) {
    fehler(err, QStringLiteral("Die Übung konnte nicht gespeichert werden: ") + o.ziel + QStringLiteral(": ") + error);
    rc = kSchreiben;
  } else if (!o.pdf.isEmpty() && !SchreibePdf(built->data(), o.pdf, &error)) {
    fehler(err, einzeilig(error));
    rc = kSchreiben;
  } else {
    // The answer key and the paper sheet, as the document window makes them.
    const auto blatt = o.loesungsblatt.isEmpty() ? nullptr : Loesungsblatt(*built);
    const auto papier = o.papier.isEmpty() ? nullptr : Papierblatt(*built);
    if ((!o.loesungsblatt.isEmpty() && (!blatt || !SchreibePdf(*blatt, o.loesungsblatt, &error))) ||
        (!o.papier.isEmpty() && (!papier || !SchreibePdf(*papier, o.papier, &error)))) {
      fehler(err, error.isEmpty() ? QStringLiteral("Das Blatt konnte nicht erstellt werden.") : einzeilig(error));
      rc = kSchreiben;
    }
  }
  engine::Application* app = built ? built->application() : nullptr;
  if (app) app->quit();
  gWordApp = nullptr;
  gWordDoc = nullptr;
  return rc;
}

// Judges the pupils' copies named by a student list or lying in a folder
// against the master and prints the overview as JSON (and the table file).
int ergebnisse(const QStringList& args, QTextStream& out, QTextStream& err) {
  Optionen o;
  if (leseOptionen(args, {QStringLiteral("--uebung"), QStringLiteral("--csv")}, {}, o, err) != kOk) return kArgs;
  if (o.rest.size() != 1 || o.uebung.isEmpty()) {
    fehler(err, QStringLiteral("Aufruf: vodedarivo ergebnisse LISTE.txt|ORDNER --uebung VORLAGE.doc [--csv DATEI]"));
    return kArgs;
  }
  if (fehltDatei(o.uebung, QStringLiteral("Die Übung"), err) ||
      fehltDatei(o.rest[0], QStringLiteral("Die Schülerliste oder der Ordner"), err))
    return kMappe;
  QString error;
  const auto vorlage = LeseVorlage(o.uebung, &error);
  if (!vorlage) {
    fehler(err, error);
    return kMappe;
  }
  QList<Einsendung> kopien;
  if (QFileInfo(o.rest[0]).isDir()) {
    kopien = EinsendungenAusOrdner(o.rest[0], vorlage->pfad);
  } else if (const auto liste = EinsendungenAusListe(o.rest[0])) {
    kopien = *liste;
  } else {
    fehler(err, QStringLiteral("Die Schülerliste ") + o.rest[0] + QStringLiteral(" kann nicht gelesen werden"));
    return kMappe;
  }
  const ErgebnisUebersicht e = WerteAus(*vorlage, kopien);
  QStringList schueler, jeLuecke;
  for (const SchuelerErgebnis& s : e.schueler) {
    QStringList antworten;
    for (const QString& a : s.antworten) antworten << json(a);
    schueler << QStringLiteral("{\"id\": %1, \"name\": %2, \"datei\": %3, \"zustand\": %4, \"richtig\": %5, "
                               "\"falsch\": %6, \"leer\": %7, \"versuche\": %8, \"antworten\": [%9]}")
                    .arg(json(s.id), json(s.name), json(s.datei), json(ZustandText(s.zustand)),
                         QString::number(s.richtig), QString::number(s.falsch), QString::number(s.leer),
                         QString::number(s.versuche), antworten.join(QStringLiteral(", ")));
    // Why a copy is not readable, and which of two files of a pupil counted.
    if (!s.grund.isEmpty()) schueler.last().insert(schueler.last().size() - 1, QStringLiteral(", \"grund\": ") + json(s.grund));
    if (!s.hinweis.isEmpty())
      schueler.last().insert(schueler.last().size() - 1, QStringLiteral(", \"hinweis\": ") + json(s.hinweis));
  }
  for (const LueckenStatistik& l : e.jeLuecke)
    jeLuecke << QStringLiteral("{\"nummer\": %1, \"richtig\": %2, \"falsch\": %3, \"leer\": %4}")
                    .arg(l.nummer)
                    .arg(l.richtig)
                    .arg(l.falsch)
                    .arg(l.leer);
  out << QStringLiteral("{\n  \"uebung\": ") << json(e.uebung) << QStringLiteral(",\n  \"luecken\": ") << e.luecken
      << QStringLiteral(",\n  \"schueler\": ") << jsonList(schueler, QStringLiteral("  "))
      << QStringLiteral(",\n  \"je_luecke\": ") << jsonList(jeLuecke, QStringLiteral("  ")) << QStringLiteral("\n}\n");
  out.flush();
  if (!o.csv.isEmpty() && !SchreibeErgebnisTabelle(e, o.csv, &error)) {
    fehler(err, QString(error).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return kSchreiben;
  }
  return kOk;
}

// Hands an exercise out to the pupils of a list file as the student list
// window does (all of them ticked) and prints what became of each copy.
int verteilen(const QStringList& args, QTextStream& out, QTextStream& err) {
  Optionen o;
  if (leseOptionen(args, {QStringLiteral("--uebung"), QStringLiteral("--ziel"), QStringLiteral("--ueberschreiben")},
                   {QStringLiteral("--leeren")}, o, err) != kOk)
    return kArgs;
  if (o.rest.size() != 1 || o.uebung.isEmpty()) {
    fehler(err, QStringLiteral("Aufruf: vodedarivo verteilen LISTE.txt --uebung UEBUNG.doc [--ziel ORDNER] "
                               "[--ueberschreiben nie|immer] [--leeren]"));
    return kArgs;
  }
  if (!o.ueberschreiben.isEmpty() && o.ueberschreiben != QLatin1String("nie") &&
      o.ueberschreiben != QLatin1String("immer")) {
    fehler(err, QStringLiteral("--ueberschreiben erwartet nie oder immer: ") + o.ueberschreiben);
    return kArgs;
  }
  if (!o.zielordner.isEmpty() && !QFileInfo(o.zielordner).isDir()) {
    fehler(err, o.zielordner + QStringLiteral(" ist nicht vorhanden"));
    return kArgs;
  }
  if (fehltDatei(o.uebung, QStringLiteral("Die Übung"), err) || fehltDatei(o.rest[0], QStringLiteral("Die Schülerliste"), err))
    return kMappe;
  InstallDistributionEngine();
  const QString master = QFileInfo(o.uebung).absoluteFilePath();
  if (!IsExerciseDocument(master)) {
    fehler(err, QStringLiteral("'") + o.uebung + QStringLiteral("' ist keine Datei für interaktive Übungen"));
    return kMappe;
  }
  // The window's steps: the target folder typed, the list imported into the
  // empty grid, the document chosen, which builds the file names.
  SchuelerListe liste;
  if (!o.zielordner.isEmpty()) liste.txtBasisverzeichnis = QFileInfo(o.zielordner).absoluteFilePath();
  if (!files::FileExists(o.rest[0]) || !liste.ImportiereDatei(o.rest[0], false)) {
    fehler(err, QStringLiteral("Die Schülerliste ") + o.rest[0] + QStringLiteral(" kann nicht gelesen werden"));
    return kMappe;
  }
  gQuelle = liste.txtQuelle = master;
  liste.ErzeugeDateinamen();

  VerteilRegeln regeln;
  regeln.leeren = [&] {
    if (!o.leeren)
      fehler(err, QStringLiteral("Hinweis: Die Übung enthält bereits Antworten; die Kopien enthalten sie auch "
                                 "(mit --leeren werden sie mit leeren Lücken geschrieben)."));
    return o.leeren;
  };
  const Answer ersetzen = o.ueberschreiben == QLatin1String("immer") ? Answer::Yes : Answer::No;
  regeln.ueberschreiben = [ersetzen](const QString&, int, int) { return ersetzen; };
  const VerteilLauf lauf = Verteile(liste.rows, master, regeln);

  static const QString ergebnisText[] = {QStringLiteral("geschrieben"), QStringLiteral("vorhanden"),
                                         QStringLiteral("fehler")};
  QStringList kopien;
  bool fehlgeschlagen = false;
  for (const VerteilKopie& k : lauf.kopien) {
    fehlgeschlagen = fehlgeschlagen || k.ergebnis == VerteilKopie::Ergebnis::Fehler;
    kopien << QStringLiteral("{\"id\": %1, \"name\": %2, \"datei\": %3, \"ergebnis\": %4, \"grund\": %5}")
                  .arg(json(k.id), json(k.name), json(k.datei), json(ergebnisText[static_cast<int>(k.ergebnis)]),
                       json(k.grund));
  }
  out << QStringLiteral("{\n  \"uebung\": ") << json(master) << QStringLiteral(",\n  \"kopien\": ")
      << jsonList(kopien, QStringLiteral("  ")) << QStringLiteral("\n}\n");
  out.flush();
  return fehlgeschlagen ? kSchreiben : kOk;
}

}  // namespace

QString cliHelp() {
  return QStringLiteral(
      "vodedarivo - Quillbee-Mappen ohne Fenster lesen und Übungen erstellen\n"
      "\n"
      "Aufruf:\n"
      "  vodedarivo blaetter MAPPE.qbm\n"
      "      Gibt den Text und die geeigneten Arbeitsblätter der Mappe als JSON aus:\n"
      "      {\"mappe\", \"text\", \"arbeitsblaetter\": [{\"nummer\", \"id\", \"caption\",\n"
      "      \"uebungstyp\", \"details\"}]}. Nummer 1 ist das erste geeignete Arbeitsblatt\n"
      "      (im Programm die Registerkarte \"Arbeitsblatt 1\"). \"text\" ist null, wenn\n"
      "      die Mappe keinen Text enthält.\n"
      "  vodedarivo luecken MAPPE.qbm NUMMER\n"
      "      Gibt die Lückenliste des Arbeitsblatts NUMMER als JSON aus, wie sie für eine\n"
      "      Web-Seite gebaut wird (ohne alternative Lösungen):\n"
      "      {\"zeilen\": [...], \"luecken\": [{\"anfang\", \"inhalt\", \"grundform\",\n"
      "      \"bemerkung\", \"loesung\"}]}.\n"
      "  vodedarivo html MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [-o DATEI]\n"
      "      Schreibt die Übung als Web-Seite nach DATEI (Vorgabe: Worksheet.html im\n"
      "      aktuellen Ordner). Wortliste: 1 Original im Kopf, 2 Grundform in den Kopf,\n"
      "      3 Grundform hinter die Lücke, 4 Nur die Lücke stehen lassen; ohne Angabe\n"
      "      die Vorauswahl des Programms für den Übungstyp.\n"
      "  vodedarivo moodle MAPPE.qbm NUMMER|alle [--wortliste 1|2|3|4] [-o DATEI.xml]\n"
      "      Schreibt das Arbeitsblatt als Lückentext-Frage (\"cloze\") im Format\n"
      "      Moodle-XML, mit \"alle\" jedes Arbeitsblatt der Mappe als eigene Frage in\n"
      "      einer Datei (eine Wortliste, die nicht zu einem Übungstyp passt, wird dort\n"
      "      durch die Vorauswahl ersetzt). Vorgabe für DATEI: der Titel des\n"
      "      Arbeitsblatts (bei \"alle\" der Name der Mappe) mit \".xml\" im aktuellen\n"
      "      Ordner. Eine Antwort mit \"~\" wird abgelehnt.\n"
      "  vodedarivo h5p MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [-o DATEI.h5p]\n"
      "      Schreibt das Arbeitsblatt als H5P-Paket (\"Fill in the Blanks\", H5P.Blanks\n"
      "      1.14) nach DATEI (Vorgabe: der Titel des Arbeitsblatts mit \".h5p\").\n"
      "      Beide ohne alternative Lösungen; die Antworten unterscheiden Groß- und\n"
      "      Kleinschreibung, Apostrophe und Anführungszeichen gelten gerade wie\n"
      "      typografisch.\n"
      "  vodedarivo doc MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [--ohne-loesung]\n"
      "                 [-o DATEI.doc] [--pdf DATEI.pdf] [--loesungsblatt DATEI.pdf]\n"
      "                 [--papier DATEI.pdf]\n"
      "      Erstellt die Übung als Formulardokument, wie es der Menüpunkt \"Mit\n"
      "      vollständiger Lösung\" tut (mit --ohne-loesung: \"Arbeitsblatt ohne\n"
      "      Lösung\"), ohne alternative Lösungen, und schreibt es nach DATEI.doc\n"
      "      (Vorgabe: der Titel des Arbeitsblatts als Dateiname im aktuellen Ordner).\n"
      "      Mit --pdf zusätzlich die PDF-Datei, wie \"Als PDF speichern\" sie schreibt,\n"
      "      mit --loesungsblatt das Lösungsblatt (jede Lücke mit ihrer Lösung) und mit\n"
      "      --papier das Arbeitsblatt zum Ausfüllen auf Papier, beide als PDF.\n"
      "      Die Dokumentvorlage kommt aus dem Vorlagenordner (eingerichtet mit\n"
      "      quillbee-vodedarivo-install), sonst die mitgelieferte des Programms.\n"
      "  vodedarivo ergebnisse LISTE.txt|ORDNER --uebung VORLAGE.doc [--csv DATEI]\n"
      "      Wertet die Kopien der Schülerinnen und Schüler aus, ohne sie zu ändern: die\n"
      "      Kopien, die die Schülerliste im Feld \"Dateiname\" nennt, oder jede .doc-,\n"
      "      .rtf-, .odt- und .docx-Datei im ORDNER außer der Vorlage (ID aus den Ziffern\n"
      "      vor \"_\" im Dateinamen, Name aus dem Kopf der Kopie); von mehreren Dateien\n"
      "      eines Schülers zählt die neueste. Kopien im Word-97-Format wandelt\n"
      "      LibreOffice um, wenn es installiert ist. Ausgabe als JSON: {\"uebung\",\n"
      "      \"luecken\", \"schueler\": [{\"id\", \"name\", \"datei\", \"zustand\", \"richtig\",\n"
      "      \"falsch\", \"leer\", \"versuche\", \"antworten\", \"grund\", \"hinweis\"}],\n"
      "      \"je_luecke\": [{\"nummer\", \"richtig\", \"falsch\", \"leer\"}]}. Zustand: \"nicht\n"
      "      abgegeben\", \"nicht begonnen\", \"in Arbeit\", \"fertig\", \"andere Übung\" oder\n"
      "      \"nicht lesbar\" (die letzten beiden werden nicht gezählt; \"grund\" sagt, warum\n"
      "      eine Kopie nicht lesbar ist, \"hinweis\", welche von mehreren Dateien zählt).\n"
      "      Eine Antwort, die nur in Groß- und Kleinschreibung oder in ae/oe/ue/ss\n"
      "      abweicht, zählt als falsch. Mit --csv zusätzlich die Tabelle für eine\n"
      "      Tabellenkalkulation (durch \";\" getrennt).\n"
      "  vodedarivo verteilen LISTE.txt --uebung UEBUNG.doc [--ziel ORDNER]\n"
      "                 [--ueberschreiben nie|immer] [--leeren]\n"
      "      Verteilt die Übung wie \"Übungen duplizieren\" im Fenster \"Schülerliste\":\n"
      "      eine persönliche Kopie (Name im Kopf, Rechnername) für jede Zeile der\n"
      "      Liste, unter dem Namen, den das Fenster bildet (ID_Name.doc im Ordner der\n"
      "      Zeile). UEBUNG.doc muss eine Datei für interaktive Übungen sein. --ziel\n"
      "      wirkt wie das Feld \"Zielverzeichnis\": der Ordner der Zeilen, deren Ordner\n"
      "      fehlt oder nicht vorhanden ist. Vorhandene Kopien bleiben, außer mit\n"
      "      --ueberschreiben immer; eine Verknüpfung wird nie überschrieben, eine\n"
      "      Zeile ohne Ordner bekommt keine Kopie. Enthält die Übung schon Antworten,\n"
      "      schreibt --leeren die Kopien mit leeren Lücken. Ausgabe als JSON:\n"
      "      {\"uebung\", \"kopien\": [{\"id\", \"name\", \"datei\", \"ergebnis\", \"grund\"}]};\n"
      "      ergebnis \"geschrieben\", \"vorhanden\" (nicht überschrieben) oder \"fehler\"\n"
      "      (mit dem Grund).\n"
      "  vodedarivo --help\n"
      "      Zeigt diese Hilfe.\n"
      "  vodedarivo --version\n"
      "      Zeigt die Versionsnummer.\n"
      "\n"
      "Ausgabe in UTF-8. Fehler und Hinweise stehen auf der Fehlerausgabe.\n"
      "Rückgabewerte: 0 erledigt, 1 falscher Aufruf (auch: kein solches Arbeitsblatt),\n"
      "2 Mappe nicht lesbar (\"Fehler beim Öffnen\") oder ohne geeignetes Arbeitsblatt,\n"
      "bei \"html\", \"doc\", \"moodle\" und \"h5p\" auch: Lücken des Arbeitsblatts passen\n"
      "nicht zum Text,\n"
      "bei \"ergebnisse\": Vorlage keine Übung mit Lösungen oder Schülerliste nicht lesbar,\n"
      "bei \"verteilen\": Vorlage keine Übung oder Schülerliste nicht lesbar,\n"
      "3 Übung, Blatt, Tabelle oder (bei \"verteilen\") eine Kopie konnte nicht\n"
      "geschrieben werden.\n");
}

int runCli(const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    out << cliHelp();
    out.flush();
    return kOk;
  }
  if (args.value(0) == QStringLiteral("--version") || args.value(0) == QStringLiteral("-v")) {
    out << QStringLiteral("vodedarivo (") << kProductName << QStringLiteral(") ") << QLatin1String(kVersionText) << '\n';
    out.flush();
    return kOk;
  }
  if (args.isEmpty()) {
    err << cliHelp();
    err.flush();
    return kArgs;
  }
  CliInteraction interaction(err);
  UiScope scope(&interaction);
  const QString& cmd = args[0];
  if (cmd == QStringLiteral("blaetter") && args.size() == 2) return blaetter(args[1], out, err);
  if (cmd == QStringLiteral("luecken") && args.size() == 3) return luecken(args[1], args[2], out, err);
  if (cmd == QStringLiteral("html")) return html(args.mid(1), err);
  if (cmd == QStringLiteral("doc")) return doc(args.mid(1), err);
  if (cmd == QStringLiteral("moodle")) return plattform(args.mid(1), Plattform::Moodle, err);
  if (cmd == QStringLiteral("h5p")) return plattform(args.mid(1), Plattform::H5p, err);
  if (cmd == QStringLiteral("ergebnisse")) return ergebnisse(args.mid(1), out, err);
  if (cmd == QStringLiteral("verteilen")) return verteilen(args.mid(1), out, err);
  if (cmd == QStringLiteral("blaetter") || cmd == QStringLiteral("luecken"))
    fehler(err, QStringLiteral("falsche Zahl von Angaben für \"") + cmd + QStringLiteral("\" (siehe --help)"));
  else
    fehler(err, QStringLiteral("unbekannter Befehl \"") + cmd + QStringLiteral("\" (siehe --help)"));
  return kArgs;
}

}  // namespace qv
