#pragma once

#include <QString>

namespace qv {

// The main window's tab strip as the workbook loading sees it.
class TabHost {
 public:
  virtual ~TabHost() = default;
  virtual int tabCount() const = 0;
  virtual void addTab(const QString& caption) = 0;
};

// Lets the teacher choose a workbook and reads its worksheets and text into
// the program state; one tab per taken worksheet. True when at least one
// worksheet was taken.
bool LadeArbeitsblaetter(TabHost& tabs);
// The same for a workbook path given beforehand (command line): no dialog.
bool LadeArbeitsblaetter(TabHost& tabs, const QString& path);

// Deletes the working copy of the open workbook (at the next load and at exit).
void RemoveWorkingCopy();

}  // namespace qv
