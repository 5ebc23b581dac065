#pragma once

// Shared by the readers of zipped documents (ODT, DOCX).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace qv::form {

// The named members of a zip archive held in memory; a name the archive does
// not hold is left out. nullopt with a German reason in *reason when the
// archive or one of the members cannot be read whole.
std::optional<std::map<QString, QByteArray>> ZipMembers(const QByteArray& zip, const QStringList& names,
                                                        QString* reason);

}  // namespace qv::form
