// Every window at its starting size shows all its texts whole; a screenshot
// of each lands in <build dir>/screenshots for a look by eye.
#include <gtest/gtest.h>

#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/frmmain.h"
#include "app/variablen.h"
#include "common/fitcheck.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "help/frmanleitung.h"
#include "help/frmueber.h"
#include "installwindow.h"
#include "platform/docengine.h"
#include "students/frmergebnisse.h"
#include "students/frmschuelerliste.h"
#include "word/frmablueckewa.h"
#include "word/frmprogress.h"
#include "word/frmuebung.h"
#include "word/uebungsmakros.h"

using namespace qv;

namespace {

void look(QWidget* w, const QString& name) {
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << name.toStdString();
  QApplication::processEvents();
  EXPECT_EQ(qvtest::cutTexts(w).join(QLatin1Char('\n')).toStdString(), "") << name.toStdString();
  EXPECT_TRUE(qvtest::saveScreenshot(w, name)) << name.toStdString();
}

// A new window of type W, made from the arguments, looked at.
template <class W, class... Args>
void look(const QString& name, Args&&... args) {
  W w(std::forward<Args>(args)...);
  look(&w, name);
}

}  // namespace

TEST(Fenster, ZeigenAlleTexteGanz) {
  ScriptedInteraction ui;
  QTemporaryDir dir;
  // The program's folder in the build tree, with the files that lie beside it.
  const QByteArray program = QV_BINARY_DIR "/bin";
  qvtest::Env env{{"QV_PROGRAM_FOLDER", program}};
  frmMain main;
  main.openWorkbook(QStringLiteral(QV_SOURCE_DIR "/data/beispiel.qbm"));
  main.tabReg()->setCurrentIndex(1);
  look(&main, "main");

  for (int typ : {101, 102, 103, 104, 105, 106, 301}) {
    gUebungstyp = static_cast<int16_t>(typ);
    gDetails = QStringLiteral("5;ging;gehen;");
    look<frmABLueckeWA>(QStringLiteral("ausgabeoptionen-%1").arg(typ), &main);
  }
  {
    frmProgress p(&main);
    p.setMaximum(10);
    p.setValue(4);
    look(&p, "fortschritt");
  }
  {
    qvtest::Umgebung templates;
    templates.env.set("QV_PROGRAM_FOLDER", program);
    InstallExerciseMacros();
    for (auto [name, form] : {std::pair{"uebung", 4}, {"uebung-form1", 1}, {"uebung-form3", 3}}) {
      qvtest::UebungVorgabe v;
      v.wortliste = form;
      v.headerLine = form == 1;
      engine::Document* doc = qvtest::makeExercise(v);
      ASSERT_NE(doc, nullptr) << name;
      doc->application()->run("Document_Open", doc);
      frmUebung w(doc);
      look(&w, name);
    }
    qvtest::quitEngines();
    engine::Application::setMacroHandler({});
  }
  {
    qvtest::Env here{{"QV_PROGRAM_FOLDER", dir.path().toUtf8()}};
    qvtest::writeFile(dir.filePath("klasse.txt"), "Zoe Zimmermann\r\nAnna Bergmann\r\nMehmet Yilmaz\r\n");
    frmSchuelerListe s(&main);
    s.liste().txtBasisverzeichnis = dir.path();
    s.liste().ImportiereDatei(dir.filePath("klasse.txt"), false);
    s.liste().ErzeugeDateinamen();
    s.zeigeListe();
    look(&s, "schuelerliste");
  }
  look<frmErgebnisse>("ergebnisse-leer", &main);
  {
    frmAnleitung a(&main);
    ASSERT_TRUE(a.lade(QStringLiteral(QV_SOURCE_DIR "/data/Anleitung.doc")));
    look(&a, "anleitung");
  }
  look<frmUeber>("ueber", &main);
  look<qvinstall::frmInstall>("install", QStringLiteral(QV_BINARY_DIR "/bin"));
}
