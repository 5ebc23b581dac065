#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPair>

#include "workbook/workbook.h"

class QAction;
class QLabel;
class QMenu;
class QTabBar;
class QFrame;

namespace qv {

class EditorWidget;

// The main window: workbook text and worksheets on tabs, the editor, the
// menus and the status bar.
class frmMain : public QMainWindow, public TabHost {
  Q_OBJECT
 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Menu entries by control name ("mnuDatei", ...) and index.
  QAction* menuEntry(const QString& menu, int index) const;
  QTabBar* tabReg() const { return tabBar_; }
  QFrame* tabFrame() const { return tabFrame_; }
  EditorWidget* editor() const { return txtText_; }
  QLabel* logo() const { return img_; }
  QLabel* statusPanel() const { return stbPanel_; }

  // TabHost, for the workbook loading.
  int tabCount() const override;
  void addTab(const QString& caption) override;

  // Handlers, by the menu entry's index.
  void mnuDatei_Click(int index);
  void mnuArbeitsblatt_Click(int index);
  void mnuAusgabeformat_Click(int index);
  void mnuHilfe_Click(int index);
  void tabReg_Click();

  // Opens a workbook; an empty path lets the teacher choose one.
  void openWorkbook(const QString& path = QString());
  // Opens an exercise document in the document window; an empty path lets
  // the user choose one.
  void openExerciseDocument(const QString& path = QString());
  // Lays the controls out by the window's inner size in twips.
  void layoutControls();

  // Windows that later parts of the program open from the menus.
  using WindowOpener = std::function<void(QWidget* owner)>;
  static void setStudentListOpener(WindowOpener opener);
  static void setResultsOpener(WindowOpener opener);
  static void setQuickGuideOpener(WindowOpener opener);
  static void setAboutOpener(WindowOpener opener);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  QAction* addEntry(QMenu* menu, const QString& name, int index, const QString& caption);
  void setWorkbookLook(bool open);
  void removeWorksheetTabs();
  void showCaptionsAsToolTips();

  QMap<QPair<QString, int>, QAction*> entries_;
  QMap<QPair<QString, int>, QMenu*> mainMenus_;
  QWidget* central_ = nullptr;
  QFrame* tabFrame_ = nullptr;
  QTabBar* tabBar_ = nullptr;
  EditorWidget* txtText_ = nullptr;
  EditorWidget* txtTemp_ = nullptr;
  QLabel* img_ = nullptr;
  QLabel* stbPanel_ = nullptr;
  bool suppressTabClick_ = false;
};

}  // namespace qv
