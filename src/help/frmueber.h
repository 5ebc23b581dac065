#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QPushButton;

namespace qv {

// The About window: program title, version, what the program does and which
// document template it expects; starts the desktop's system information.
class frmUeber : public QDialog {
  Q_OBJECT
 public:
  explicit frmUeber(QWidget* parent = nullptr);

  QLabel* picIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDescription = nullptr;
  QLabel* lblRight = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdSysInfo = nullptr;

  // Starts the system-information program, or says that there is none.
  static void StartSysInfo();

  // System-information programs of the desktops, in the order they are
  // tried; the current desktop's own comes first.
  static QStringList sysInfoCandidates();
  // The first candidate found on PATH, empty when none.
  static QString findSysInfoProgram();
  // Starts a program detached; tests replace it so that nothing runs.
  using Starter = std::function<bool(const QString& program)>;
  static void setStarter(Starter starter);
};

}  // namespace qv
