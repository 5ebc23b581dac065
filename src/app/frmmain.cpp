#include "app/frmmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "exercise/uebungstyp.h"
#include "export/plattformexport.h"
#include "html/htmlexercise.h"
#include "platform/editor_widget.h"
#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/richeditor.h"
#include "platform/tools.h"
#include "platform/ui.h"
#include "platform/widget_ui.h"
#include "word/frmablueckewa.h"
#include "word/frmuebung.h"
#include "word/wordexercise.h"

// The program's images are compiled into the window library, which a
// program links statically: its resources must be registered by hand.
static void registerProgramResources() { Q_INIT_RESOURCE(programm); }

namespace qv {
namespace {

const QString kCaption = QStringLiteral("Quillbee - Vodedarivo");
const QColor kStartColour(255, 192, 128);

frmMain::WindowOpener& studentListOpener() {
  static frmMain::WindowOpener o;
  return o;
}
frmMain::WindowOpener& resultsOpener() {
  static frmMain::WindowOpener o;
  return o;
}
frmMain::WindowOpener& quickGuideOpener() {
  static frmMain::WindowOpener o;
  return o;
}
frmMain::WindowOpener& aboutOpener() {
  static frmMain::WindowOpener o;
  return o;
}

}  // namespace

void frmMain::setStudentListOpener(WindowOpener o) { studentListOpener() = std::move(o); }
void frmMain::setResultsOpener(WindowOpener o) { resultsOpener() = std::move(o); }
void frmMain::setQuickGuideOpener(WindowOpener o) { quickGuideOpener() = std::move(o); }
void frmMain::setAboutOpener(WindowOpener o) { aboutOpener() = std::move(o); }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(kCaption);

  central_ = new QWidget(this);
  central_->setAutoFillBackground(true);
  setCentralWidget(central_);

  tabFrame_ = new QFrame(central_);
  tabFrame_->setObjectName(QStringLiteral("tabReg"));
  tabFrame_->setFrameShape(QFrame::StyledPanel);
  tabBar_ = new QTabBar(tabFrame_);
  tabBar_->setExpanding(false);
  tabBar_->setDrawBase(true);
  tabBar_->addTab(QStringLiteral("Original"));
  connect(tabBar_, &QTabBar::currentChanged, this, [this](int) {
    if (!suppressTabClick_) tabReg_Click();
  });
  connect(tabBar_, &QTabBar::tabBarClicked, this, [this](int index) {
    // A click on the tab that is already selected counts as a click too.
    if (index == tabBar_->currentIndex() && !suppressTabClick_) tabReg_Click();
  });

  txtText_ = new EditorWidget(txtText(), central_);
  txtText_->setObjectName(QStringLiteral("txtText"));
  txtText_->setReadOnly(true);
  txtTemp_ = new EditorWidget(txtTemp(), central_);
  txtTemp_->setObjectName(QStringLiteral("txtTemp"));
  txtTemp_->hide();

  img_ = new QLabel(central_);
  img_->setObjectName(QStringLiteral("img"));
  // The logo is drawn at twice its size for sharp high-resolution screens.
  registerProgramResources();
  QPixmap logo(QStringLiteral(":/quillbee/logo.png"));
  logo.setDevicePixelRatio(2.0);
  img_->setPixmap(logo);
  img_->setFixedSize(360, 220);

  stbPanel_ = new QLabel(this);
  stbPanel_->setObjectName(QStringLiteral("stbMain"));
  statusBar()->addWidget(stbPanel_, 1);
  statusBar()->setSizeGripEnabled(true);

  buildMenus();

  // Loading: the empty gap collection, the tab strip hidden.
  gLuecken.clear();
  tabFrame_->hide();
  txtText_->hide();
  setWorkbookLook(false);
  resize(920, 640);
}

frmMain::~frmMain() = default;

QAction* frmMain::addEntry(QMenu* menu, const QString& name, int index, const QString& caption) {
  QAction* a = nullptr;
  if (caption == QLatin1String("-")) {
    // A separator keeps no text: the style would draw it beside the line.
    a = menu->addSeparator();
  } else {
    a = menu->addAction(caption);
  }
  a->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(index));
  a->setProperty("index", index);
  entries_.insert({name, index}, a);
  return a;
}

void frmMain::buildMenus() {
  QMenuBar* bar = menuBar();
  auto mainMenu = [&](int index, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    QAction* a = m->menuAction();
    a->setObjectName(QStringLiteral("mnuMain(%1)").arg(index));
    entries_.insert({QStringLiteral("mnuMain"), index}, a);
    return m;
  };
  auto wire = [this](QAction* a, void (frmMain::*handler)(int), int index) {
    connect(a, &QAction::triggered, this, [this, handler, index] { (this->*handler)(index); });
  };

  QMenu* datei = mainMenu(10, QStringLiteral("Datei"));
  const QString d = QStringLiteral("mnuDatei");
  wire(addEntry(datei, d, 1, QStringLiteral("Quillbee-Mappe &öffnen")), &frmMain::mnuDatei_Click, 1);
  wire(addEntry(datei, d, 2, QStringLiteral("Übung duplizieren")), &frmMain::mnuDatei_Click, 2);
  wire(addEntry(datei, d, 3, QStringLiteral("Ergebnisverwaltung")), &frmMain::mnuDatei_Click, 3);
  wire(addEntry(datei, d, 4, QStringLiteral("Übung öffnen")), &frmMain::mnuDatei_Click, 4);
  addEntry(datei, d, 10, QStringLiteral("-"));
  wire(addEntry(datei, d, 11, QStringLiteral("Beenden")), &frmMain::mnuDatei_Click, 11);

  QMenu* blatt = mainMenu(30, QStringLiteral("Arbeitsblätter"));
  const QString b = QStringLiteral("mnuArbeitsblatt");
  const QList<QPair<int, QString>> blattEntries = {
      {1, QStringLiteral("Mit vollständiger Lösung und Hilfe")},
      {2, QStringLiteral("Mit vollständiger Lösung")},
      {3, QStringLiteral("Mit richtig/falsch Information")},
      {4, QStringLiteral("Arbeitsblatt ohne Lösung")},
      {10, QStringLiteral("-")},
      {11, QStringLiteral("Mutiple Choice")}};
  for (const auto& [index, caption] : blattEntries) {
    QAction* a = addEntry(blatt, b, index, caption);
    if (index != 10) wire(a, &frmMain::mnuArbeitsblatt_Click, index);
  }
  entries_.value({b, 1})->setEnabled(false);
  entries_.value({b, 3})->setEnabled(false);
  for (int hidden : {4, 10, 11}) entries_.value({b, hidden})->setVisible(false);

  QMenu* kontrolle = mainMenu(40, QStringLiteral("Kontrollfunktion"));
  const QString k = QStringLiteral("mnuKontrolle");
  addEntry(kontrolle, k, 1, QStringLiteral("Fertige Übungen prüfen"))->setEnabled(false);
  addEntry(kontrolle, k, 2, QStringLiteral("Vodedarivo prüfen"))->setEnabled(false);
  addEntry(kontrolle, k, 10, QStringLiteral("-"));
  kontrolle->menuAction()->setVisible(false);
  kontrolle->menuAction()->setEnabled(false);

  QMenu* format = mainMenu(50, QStringLiteral("Ausgabeformat"));
  const QString f = QStringLiteral("mnuAusgabeformat");
  QAction* doc = addEntry(format, f, 1, QStringLiteral("DOC - Format"));
  QAction* htm = addEntry(format, f, 2, QStringLiteral("HTM - Format"));
  doc->setCheckable(true);
  htm->setCheckable(true);
  doc->setChecked(true);
  gFormatDoc = true;
  wire(doc, &frmMain::mnuAusgabeformat_Click, 1);
  wire(htm, &frmMain::mnuAusgabeformat_Click, 2);
  // The learning platforms' formats, built like the web page.
  for (const auto& [index, caption] : {std::pair{3, "Moodle-XML"}, std::pair{4, "H5P"}}) {
    QAction* a = addEntry(format, f, index, QString::fromUtf8(caption));
    a->setCheckable(true);
    wire(a, &frmMain::mnuAusgabeformat_Click, index);
  }

  QMenu* extras = mainMenu(80, QStringLiteral("Extras"));
  extras->menuAction()->setVisible(false);
  extras->menuAction()->setEnabled(false);

  QMenu* hilfe = mainMenu(99, QStringLiteral("&?"));
  const QString h = QStringLiteral("mnuHilfe");
  QAction* anleitung = addEntry(hilfe, h, 1, QStringLiteral("Kurzanleitung"));
  anleitung->setVisible(false);
  wire(anleitung, &frmMain::mnuHilfe_Click, 1);
  wire(addEntry(hilfe, h, 2, QStringLiteral("Quillbee im Web")), &frmMain::mnuHilfe_Click, 2);
  addEntry(hilfe, h, 10, QStringLiteral("-"));
  wire(addEntry(hilfe, h, 11, QStringLiteral("About")), &frmMain::mnuHilfe_Click, 11);
  addEntry(hilfe, h, 99, QStringLiteral("kk"))->setVisible(false);
}

QAction* frmMain::menuEntry(const QString& menu, int index) const { return entries_.value({menu, index}, nullptr); }

int frmMain::tabCount() const { return tabBar_->count(); }

void frmMain::addTab(const QString& caption) {
  suppressTabClick_ = true;
  tabBar_->addTab(caption);
  suppressTabClick_ = false;
}

void frmMain::removeWorksheetTabs() {
  suppressTabClick_ = true;
  while (tabBar_->count() > 1) tabBar_->removeTab(tabBar_->count() - 1);
  suppressTabClick_ = false;
}

// Every worksheet tab shows its worksheet's caption as tool tip, so that a
// workbook of many worksheets can be found through without clicking each.
void frmMain::showCaptionsAsToolTips() {
  for (int k = 1; k < tabBar_->count(); ++k)
    tabBar_->setTabToolTip(k, k <= gArbeitsblaetter.size() ? gArbeitsblaetter[k - 1].Caption : QString());
}

void frmMain::setWorkbookLook(bool open) {
  QPalette pal = central_->palette();
  pal.setColor(QPalette::Window, open ? style()->standardPalette().color(QPalette::Button) : kStartColour);
  central_->setPalette(pal);
}

void frmMain::openWorkbook(const QString& path) {
  // What the teacher sees now stays when the new workbook yields nothing.
  const QList<ArbeitsblattEintrag> previousSheets = gArbeitsblaetter;
  const QString previousPath = gMappenPfad;
  const int previousTab = tabBar_->currentIndex();
  const bool hadWorkbook = tabFrame_->isVisible() || !previousPath.isEmpty();

  removeWorksheetTabs();
  const bool taken = path.isEmpty() ? LadeArbeitsblaetter(*this) : LadeArbeitsblaetter(*this, path);
  if (!taken) {
    removeWorksheetTabs();
    gArbeitsblaetter = previousSheets;
    gMappenPfad = previousPath;
    if (hadWorkbook) {
      for (int k = 1; k <= previousSheets.size(); ++k) addTab(QStringLiteral("Arbeitsblatt ") + QString::number(k));
      showCaptionsAsToolTips();
      suppressTabClick_ = true;
      tabBar_->setCurrentIndex(std::clamp(previousTab, 0, tabBar_->count() - 1));
      suppressTabClick_ = false;
    }
    return;
  }
  if (gMappenPfad.isEmpty()) return;
  showCaptionsAsToolTips();
  stbPanel_->setText(gMappenPfad);
  suppressTabClick_ = true;
  tabBar_->setCurrentIndex(0);
  suppressTabClick_ = false;
  tabReg_Click();
  tabFrame_->show();
  txtText_->show();
  txtText_->raise();
  img_->hide();
  setWorkbookLook(true);
  layoutControls();
}

void frmMain::mnuDatei_Click(int index) {
  if (index == 1) {
    openWorkbook();
  } else if (index == 2) {
    if (studentListOpener()) studentListOpener()(this);
  } else if (index == 3) {
    if (resultsOpener()) resultsOpener()(this);
  } else if (index == 4) {
    openExerciseDocument();
  } else {
    close();
  }
}

void frmMain::openExerciseDocument(const QString& path) {
  QString file = path;
  if (file.isEmpty()) {
    FileDialogRequest r;
    r.title = QStringLiteral("Übung öffnen");
    r.filter = QStringLiteral("Word-Dokumente (*.doc;*.rtf)|*.doc;*.rtf|Alle Dateien|*.*");
    file = lastfolder::askOpenPath(r, lastfolder::kUebung);
    if (file.isEmpty()) return;
  }
  frmUebung::openFile(file, this);
}

void frmMain::tabReg_Click() {
  const int n = tabBar_->currentIndex();  // 0 = "Original", k = worksheet entry k
  if (n < 1 || n > gArbeitsblaetter.size()) {
    LoadRichText(txtText(), gTextRTF);
    setWindowTitle(kCaption);
  } else {
    SetCurrentWorksheet(gArbeitsblaetter[n - 1]);
    tabBar_->setTabToolTip(n, gCaption);
    LoadRichText(txtText(), gArbeitsblattRTF);
    setWindowTitle(kCaption + QStringLiteral(" - ") + gCaption);
  }
  entries_.value({QStringLiteral("mnuMain"), 30})->setEnabled(n + 1 > 1);
}

void frmMain::mnuAusgabeformat_Click(int i) {
  for (int e : {1, 2, 3, 4}) entries_.value({QStringLiteral("mnuAusgabeformat"), e})->setChecked(i == e);
  gFormatDoc = i == 1;
  for (int e : {1, 3, 4}) entries_.value({QStringLiteral("mnuArbeitsblatt"), e})->setEnabled(i == 1);
}

void frmMain::mnuArbeitsblatt_Click(int v) {
  gDialogErgebnis = 2;
  if (v >= 10) return;
  // A worksheet whose gaps miss the text is refused before any question.
  if (uebungstyp::wirdGebaut(gUebungstyp) && LueckenPassenZumText()) frmABLueckeWA::ShowFor(this);
  if (gDialogErgebnis == 2) return;
  ui().setWaitCursor(true);
  setEnabled(false);
  if (entries_.value({QStringLiteral("mnuAusgabeformat"), 1})->isChecked())
    CreateWordExercise(gUebungstyp, static_cast<int16_t>(v));
  else if (entries_.value({QStringLiteral("mnuAusgabeformat"), 3})->isChecked())
    CreatePlattformExercise(Plattform::Moodle);
  else if (entries_.value({QStringLiteral("mnuAusgabeformat"), 4})->isChecked())
    CreatePlattformExercise(Plattform::H5p);
  else
    CreateHtmlExercise(gUebungstyp, static_cast<int16_t>(v));
  setEnabled(true);
  ui().setWaitCursor(false);
}

void frmMain::mnuHilfe_Click(int index) {
  if (index == 1) {
    const QString guide = files::dataFile(QStringLiteral("Anleitung.doc"));
    if (files::FileExists(guide) && quickGuideOpener()) quickGuideOpener()(this);
  } else if (index == 2) {
    OpenWebPage();
  } else if (index == 11) {
    if (aboutOpener()) aboutOpener()(this);
  }
}

void frmMain::layoutControls() {
  const int W = pixelsToTwips(central_->width());
  const int stb = statusBar()->isVisible() ? pixelsToTwips(statusBar()->height(), false) : 0;
  const int H = pixelsToTwips(central_->height(), false) + stb;

  // A step whose size would be negative is passed over.
  const int tabW = W - 120, tabH = H - stb - 120;
  if (tabW >= 0 && tabH >= 0) {
    tabFrame_->setGeometry(twipsToPixels(60), twipsToPixels(60, false), twipsToPixels(tabW), twipsToPixels(tabH, false));
    tabBar_->setGeometry(0, 0, tabFrame_->width(), std::min(tabBar_->sizeHint().height(), tabFrame_->height()));
  }
  const QRect t = tabFrame_->geometry();
  const int tl = pixelsToTwips(t.left()), tt = pixelsToTwips(t.top(), false);
  const int tw = pixelsToTwips(t.width()), th = pixelsToTwips(t.height(), false);
  if (tw - 120 >= 0 && th - 480 >= 0) txtText().place(tl + 60, tt + 360, tw - 120, th - 480);

  const int iw = pixelsToTwips(img_->width()), ih = pixelsToTwips(img_->height(), false);
  if (W - iw >= 0 && H - ih >= 0)
    img_->move(twipsToPixels((W - iw) / 2), twipsToPixels((H - ih) / 2, false));
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  layoutControls();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // A window that keeps itself open (a document window whose unsaved
  // exercise the user did not want to give up) keeps the program running.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && !w->close()) {
      event->ignore();
      return;
    }
  gLuecken.clear();
  RemoveWorkingCopy();
  event->accept();
}

}  // namespace qv
