#pragma once

#include <QString>
#include <QStringList>

// The template installer: copies the document template into the user's
// templates folder, where the main program looks for it. This library is the
// installer's own and shares no code with the main program.
namespace qvinstall {

inline const QString kTemplateName = QStringLiteral("Quillbee_Interaktiv_V2.dot");
inline const QString kProductTitle = QStringLiteral("Quillbee-Vodedarivo");
inline const QString kInstallerTitle = QStringLiteral("Install");
inline const QString kWindowTitle = QStringLiteral("Installation von Quillbee-Vodedarivo");
// Older templates of the product that the installer offers to remove.
inline const QString kSearchPattern = QStringLiteral("*quillbee*interaktiv*.dot");

enum class Icon { Information, Exclamation, Question };

// How the installer talks to the user; the window shows message boxes,
// tests play back answers.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void tell(const QString& text, const QString& title, Icon icon) = 0;
  // True for Yes.
  virtual bool askYesNo(const QString& text, const QString& title) = 0;
  virtual void setWaitCursor(bool wait) = 0;
};

// The text of the installer window.
QString introText();

// The user-templates folder, by the same rule as the main program: the
// environment variable QV_TEMPLATES_DIR, otherwise the program's per-user data
// folder (QV_USER_DATA, or the desktop's data folder + "Quillbee-Vodedarivo")
// + "Vorlagen". Empty when no folder can be named.
QString userTemplatesFolder();

// The template the installer copies: beside the installer, or in the
// installed data folder (../share/quillbee-vodedarivo) when the installer is
// installed into bin. Empty when neither exists.
QString sourceTemplate(const QString& installerFolder);
// Where the template is looked for beside the installer (for the message).
QString sourceTemplateBeside(const QString& installerFolder);

enum class Outcome { Installed, SourceMissing, NoTemplatesFolder, Failed };

struct Result {
  Outcome outcome = Outcome::Failed;
  int errorNumber = 0;
  QString errorText;
};

// One installation run: the questions, deletions, the copy and the one
// closing message. templatesFolder empty means the folder could not be
// learned.
Result runInstallation(Dialogs& dialogs, const QString& installerFolder, const QString& templatesFolder);

// For tests: of the template copies counted from here (1-based), copies
// from to from + count - 1 fail as a failed write does. failWrites(0) ends it.
void failWrites(int from, int count = 1);

// Error numbers of the report.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrPermissionDenied = 70;
inline constexpr int kErrFileAccess = 75;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrNoTemplatesFolder = 429;

}  // namespace qvinstall
