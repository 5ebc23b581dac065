#pragma once

#include <QString>
#include <array>

namespace qv {

// The four output forms of the options dialog, by option index 0..3
// (gWortliste = index + 1).
inline const std::array<QString, 4> kAusgabeCaptions = {
    QStringLiteral("Original im Kopf"), QStringLiteral("Grundform in den Kopf"),
    QStringLiteral("Grundform hinter die Lücke"), QStringLiteral("Nur die Lücke stehen lassen")};

struct AusgabeOptionen {
  std::array<bool, 4> enabled{true, true, true, true};
  int selected = 3;  // option index
};

// Which options fit a worksheet of this type with these gap rows, and which
// one is preselected.
AusgabeOptionen AusgabeOptionenFuer(int uebungstyp, const QString& details);

}  // namespace qv
