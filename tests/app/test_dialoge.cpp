// The program's dialogs as Qt shows them: the files a filter lists, Qt's own
// texts in German, the start folder and the window that owns a dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "common/testutil.h"
#include "common/umgebung.h"
#include "platform/widget_ui.h"

using namespace qv;

namespace {

// The names a non-native file dialog lists in folder with the filter.
QStringList listed(const QString& folder, const QString& filter) {
  QFileDialog dlg(nullptr, QString(), folder, qtFilter(filter));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  auto* view = dlg.findChild<QListView*>(QStringLiteral("listView"));
  QStringList names;
  if (!view) return names;
  if (!QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, 5000)) return names;
  QTest::qWait(50);
  for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
    names << view->model()->index(r, 0, view->rootIndex()).data().toString();
  names.sort();
  return names;
}

// The window that owns the next modal dialog, and (for a file dialog) the
// folder it shows; the dialog is closed at once.
struct Geoeffnet {
  QWidget* owner = nullptr;
  QString folder;
};
void watchNextDialog(Geoeffnet& seen) {
  seen = {};
  QTimer::singleShot(0, [&seen] {
    QWidget* m = QApplication::activeModalWidget();
    if (!m) return;
    seen.owner = m->parentWidget();
    if (auto* f = qobject_cast<QFileDialog*>(m)) seen.folder = f->directory().absolutePath();
    m->close();
  });
}

}  // namespace

TEST(Dialoge, EveryFilterListsItsFiles) {
  QTemporaryDir dir;
  for (const char* name : {"a.doc", "b.rtf", "c.txt", "d.qbm", "e.html"}) qvtest::writeFile(dir.filePath(name), "x");
  EXPECT_EQ(listed(dir.path(), "Word-Dokumente (*.doc;*.rtf)|*.doc;*.rtf|Alle Dateien|*.*"),
            QStringList({"a.doc", "b.rtf"}));
  EXPECT_EQ(listed(dir.path(), "Qbm-Mappe *.qbm|*.qbm"), QStringList{"d.qbm"});
  EXPECT_EQ(listed(dir.path(), "Web-Seite (*.html;*.htm)|*.html;*.htm"), QStringList{"e.html"});
  EXPECT_EQ(qtFilter("Textdatei (*.txt)|*.txt|Alle Dateien *.*|*.*"), "Textdatei (*.txt);;Alle Dateien (*.*)");
}

TEST(Dialoge, QtsOwnTextsAreGerman) {
  QTranslator* translator = installQtTranslations(*qApp);
  ASSERT_NE(translator, nullptr) << "Qt's German translations (qt6-translations-l10n) are missing";
  QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  QFileDialog dlg;
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  auto* label = dlg.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
  const QString texts = box.button(QDialogButtonBox::Open)->text() + "|" + box.button(QDialogButtonBox::Cancel)->text() +
                        "|" + (label ? label->text() : QString());
  QCoreApplication::removeTranslator(translator);
  delete translator;
  EXPECT_EQ(QString(texts).remove('&'), QStringLiteral("Öffnen|Abbrechen|Dateiname:"));
}

// The asking window owns its dialogs; without one the main window does. A
// dialog without a start folder starts in the documents folder.
TEST(Dialoge, TheAskingWindowOwnsItsDialogs) {
  QTemporaryDir home;
  qvtest::Env env{{"HOME", home.path().toUtf8()}, {"XDG_CONFIG_HOME", home.filePath(".config").toUtf8()}};
  QDir(home.path()).mkpath("Documents");
  QMainWindow main, doc;
  main.show();
  doc.show();
  WidgetInteraction ui(&main);
  Geoeffnet seen;
  watchNextDialog(seen);
  ui.messageBox({"Frage", "Titel"});
  EXPECT_EQ(seen.owner, &main);
  {
    const AskingWindow asking(&doc);
    watchNextDialog(seen);
    ui.messageBox({"Frage", "Titel"});
    EXPECT_EQ(seen.owner, &doc);
    watchNextDialog(seen);
    ui.saveFile({"Speichern unter", "PDF-Datei (*.pdf)|*.pdf", {}, "a.pdf"});
    EXPECT_EQ(std::tuple(seen.owner, seen.folder), std::tuple(&doc, home.filePath("Documents")));
  }
  watchNextDialog(seen);
  ui.openFile({"Übung öffnen", "Alle Dateien|*.*", {}, {}});
  EXPECT_EQ(std::tuple(seen.owner, seen.folder), std::tuple(&main, home.filePath("Documents")));
}
