#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "app/frmmain.h"
#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/umgebung.h"
#include "installwindow.h"
#include "platform/editor_widget.h"
#include "platform/lastfolder.h"
#include "platform/qtdeutsch.h"
#include "platform/widget_ui.h"

using namespace qv;

namespace {

ArbeitsblattEintrag sheet(int id, int typ, const QString& caption) {
  return {static_cast<int16_t>(typ), caption, QStringLiteral("5;ging;gehen;"), id,
          QByteArray(30, '\0') + "{\\rtf1\\ansi " + caption.toLatin1() + "}", {}};
}

// The names a non-native file dialog lists in folder with the filter.
QStringList listed(const QString& folder, const QString& filter) {
  QFileDialog dlg(nullptr, QString(), folder, qtFilter(filter));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  auto* view = dlg.findChild<QListView*>(QStringLiteral("listView"));
  QStringList names;
  if (!QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, 5000)) return names;
  QTest::qWait(50);
  for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
    names << view->model()->index(r, 0, view->rootIndex()).data().toString();
  return names;
}

// The name of the window owning the save dialog ui shows, and the folder
// the dialog shows; the dialog is closed at once.
QString saveDialogOwner(WidgetInteraction& ui) {
  QString seen;
  QTimer::singleShot(0, [&seen] {
    auto* m = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    seen = m->parentWidget()->objectName() + "|" + m->directory().absolutePath();
    m->close();
  });
  ui.saveFile({"Speichern unter", "PDF-Datei|*.pdf", {}, "a.pdf"});
  return seen;
}

}  // namespace

TEST(Dialoge, EveryFilterListsItsFiles) {
  QTemporaryDir dir;
  for (const char* name : {"a.doc", "b.rtf", "c.txt", "e.html"}) qvtest::writeFile(dir.filePath(name), "x");
  EXPECT_EQ(listed(dir.path(), "Word-Dokumente (*.doc;*.rtf)|*.doc;*.rtf|Alle Dateien|*.*"), QStringList({"a.doc", "b.rtf"}));
  EXPECT_EQ(listed(dir.path(), "Web-Seite (*.html;*.htm)|*.html;*.htm"), QStringList{"e.html"});
  EXPECT_EQ(listed(dir.path(), "Textdatei (*.txt)|*.txt|Alle Dateien *.*|*.*"), QStringList{"c.txt"});
}

// Both programs load them through the same header.
TEST(Dialoge, QtsOwnTextsAreGerman) {
  {
    const std::unique_ptr<QTranslator> translator(qv::installQtTranslations(*qApp));
    ASSERT_NE(translator, nullptr) << "Qt's German translations (qt6-translations-l10n) are missing";
    QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    QFileDialog dlg;
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(QString(box.button(QDialogButtonBox::Open)->text() + "|" + box.button(QDialogButtonBox::Cancel)->text() +
                      "|" + dlg.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text()).remove('&'),
              QStringLiteral("Öffnen|Abbrechen|Dateiname:"));
  }
}

// The asking window owns its dialogs, not the main window; a dialog without
// a start folder starts in the documents folder.
TEST(Dialoge, TheAskingWindowOwnsItsDialogs) {
  QTemporaryDir home;
  qvtest::Env env{{"HOME", home.path().toUtf8()}, {"XDG_CONFIG_HOME", home.filePath(".config").toUtf8()}};
  QDir(home.path()).mkpath("Documents");
  QWidget main, doc, *outer = new QWidget;
  doc.setObjectName("doc");
  WidgetInteraction ui(&main);
  const AskingWindow around(outer);
  {
    const AskingWindow asking(&doc);
    EXPECT_EQ(saveDialogOwner(ui), "doc|" + home.filePath("Documents"));
    delete outer;  // closed while the inner scope is alive: forgotten, not dangling
  }
  EXPECT_EQ(askingWindow(), nullptr);
  // A proposed name fits the file system also for 3 and 4 bytes a character.
  for (const QString& c : {QString(150, QChar(0x6F22)), "a" + qvtest::u8("😀").repeated(100)})
    EXPECT_TRUE(QFile(home.filePath(lastfolder::proposedName(c, "html", "x"))).open(QIODevice::WriteOnly));
}

TEST(frmMain, FormatSwitchEnablesTheWorksheetEntries) {
  frmMain w;
  w.mnuAusgabeformat_Click(2);
  EXPECT_FALSE(w.menuEntry("mnuAusgabeformat", 1)->isChecked());
  EXPECT_FALSE(gFormatDoc);
  for (int e : {1, 2, 3}) EXPECT_EQ(w.menuEntry("mnuArbeitsblatt", e)->isEnabled(), e == 2) << e;
  w.mnuAusgabeformat_Click(1);
  EXPECT_TRUE(gFormatDoc);
  for (int e : {1, 2, 3}) EXPECT_TRUE(w.menuEntry("mnuArbeitsblatt", e)->isEnabled()) << e;
  EXPECT_FALSE(w.menuEntry("mnuArbeitsblatt", 4)->isVisible());
}

// Two worksheets loaded by hand, as the workbook loading leaves them.
TEST(frmMain, TabClickMakesTheWorksheetCurrentAndAnUnbuildableTypeDoesNothing) {
  ScriptedInteraction ui;
  frmMain w;
  gArbeitsblaetter = {sheet(11, 101, "Verben"), sheet(12, 201, "Satzglieder")};
  gTextRTF = QByteArray(30, '\0') + "{\\rtf1\\ansi Originaltext}";
  w.addTab("Arbeitsblatt 1");
  w.addTab("Arbeitsblatt 2");
  w.tabReg()->setCurrentIndex(1);
  EXPECT_EQ(std::tuple(gArbeitsblattID, gUebungstyp), std::tuple(11, 101));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo - Verben"));
  EXPECT_TRUE(txtText().text().contains("Verben"));
  EXPECT_TRUE(w.menuEntry("mnuMain", 30)->isEnabled());

  w.tabReg()->setCurrentIndex(0);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo"));
  EXPECT_FALSE(w.menuEntry("mnuMain", 30)->isEnabled());
  EXPECT_TRUE(txtText().text().contains("Originaltext"));

  // Type 201 cannot be built: nothing is shown, no wait cursor; separator
  // indexes stop too.
  w.tabReg()->setCurrentIndex(2);
  gDialogErgebnis = 1;
  w.mnuArbeitsblatt_Click(2);
  EXPECT_EQ(gDialogErgebnis, 2);
  w.mnuArbeitsblatt_Click(11);
  EXPECT_EQ(std::tuple(ui.shown().size(), ui.waitCursorChanges()), std::tuple(0, 0));
}

TEST(frmMain, NarrowWindowKeepsTheTabStripAndPlacesTheEditorInIt) {
  frmMain w;
  w.show();
  w.resize(800, 600);
  QApplication::processEvents();
  const QRect before = w.tabFrame()->geometry();
  const QRect editorBefore = w.editor()->geometry();
  EXPECT_TRUE(before.contains(editorBefore));
  // An inner width below 120 twips leaves the tab strip where it was.
  w.centralWidget()->resize(twipsToPixels(100), w.centralWidget()->height());
  w.layoutControls();
  EXPECT_EQ(std::tuple(w.tabFrame()->geometry(), w.editor()->geometry()), std::tuple(before, editorBefore));
}
