#pragma once

#include <QString>
#include <functional>

// Showing a file with the desktop's default program. Tests replace the
// opener so that nothing is started.
namespace qv::shell {

using Opener = std::function<bool(const QString& path)>;
bool OpenDocument(const QString& path);
void setOpener(Opener opener);

}  // namespace qv::shell
