#pragma once

#include <QStringList>
#include <QTextStream>

namespace qv {

// The command-line companion "vodedarivo": args are the arguments after the
// program name. Returns the exit code: 0 done, 1 bad arguments, 2 bad
// workbook, 3 the exercise could not be written.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

// The help text of the companion.
QString cliHelp();

}  // namespace qv
