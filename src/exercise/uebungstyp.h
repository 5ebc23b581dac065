#pragma once

// What each exercise type means for building it. Every rule that depends on
// the type is one of these; the callers never compare type numbers.
namespace qv::uebungstyp {

// The worksheet menu builds exercises of these types (101-108, 301-308).
constexpr bool wirdGebaut(int t) { return (t >= 101 && t <= 108) || (t >= 301 && t <= 308); }
// A workbook load takes worksheets of these types (101-106, 301).
constexpr bool wirdGeladen(int t) { return (t >= 101 && t <= 106) || t == 301; }

// How the solution of a gap comes out of its row.
enum class Loesung {
  Wort,         // the whole word
  Haelfte,      // 103: the program cuts the word by the gap's position kind
  Wortende,     // 104: the word's end after the given beginning
  Unterstrich,  // 301: the part of the word that "_" stands for in the pattern
};
constexpr Loesung loesung(int t) {
  return t == 103 ? Loesung::Haelfte : t == 104 ? Loesung::Wortende : t == 301 ? Loesung::Unterstrich : Loesung::Wort;
}
// Rows of these types are normalised as word parts ("__" and "_ _" to "_").
constexpr bool zeilenMitMuster(int t) { return t == 103 || t > 300; }
// Patterns with more than one "_" leave the exercise.
constexpr bool nurEinUnterstrich(int t) { return t == 301; }
// The teacher is asked for alternative solutions (form documents only).
constexpr bool fragtAlternativen(int t) { return t == 101 || t == 102 || t == 105 || t == 106; }

// Where the form field of a gap goes.
enum class Feld {
  Wort,         // on the whole word
  Unterstrich,  // the word becomes its pattern, the field its "_"
  Wortende,     // the given beginning stays, the field takes the rest
  Nummer,       // on the gap number
};
constexpr Feld feld(int t) {
  switch (t) {
    case 101: case 102: case 106: return Feld::Wort;
    case 103: case 301: return Feld::Unterstrich;
    case 104: return Feld::Wortende;
    default: return Feld::Nummer;
  }
}
// The web page's field stands inside the word (the pattern's "_").
constexpr bool feldImWort(int t) { return t == 103 || t == 301; }

// Output forms: the base-form forms ("Grundform in den Kopf", "Grundform
// hinter die Lücke"), the list of gap words ("Original im Kopf"), the
// preselected form (option index 0..3).
constexpr bool grundformFormen(int t) { return !(t == 102 || t == 103 || t == 104 || t == 106 || t == 301); }
constexpr bool wortlisteImKopf(int t) { return t != 301; }
constexpr int vorauswahl(int t, bool grundformHinterLueckeFrei) {
  return t == 106 ? 0 : t == 101 && grundformHinterLueckeFrei ? 2 : 3;
}
// The web page shows the base form behind a gap only for whole-word types.
constexpr bool grundformHinterLueckeImNetz(int t) { return t < 200; }

}  // namespace qv::uebungstyp
