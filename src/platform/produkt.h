#pragma once

#include <QString>

// The names the program's parts share: the product name that titles its
// messages and the document template's file name (the template installer
// keeps its own copy of the latter, since it shares no code).
namespace qv {

inline const QString kProductName = QStringLiteral("Quillbee-Vodedarivo");
inline const QString kTemplateName = QStringLiteral("Quillbee_Interaktiv_V2.dot");

}  // namespace qv
