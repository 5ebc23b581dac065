#include "common/fitcheck.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTextDocumentFragment>

namespace qvtest {
namespace {

// The size a text takes in a font; "&x" shows as an underlined x.
QSize textSize(const QFont& font, const QString& text, int flags = Qt::TextShowMnemonic) {
  return QFontMetrics(font).size(flags, text);
}

void check(QStringList& out, const QObject* control, const QString& text, QSize need, QSize have) {
  if (need.width() <= have.width() && need.height() <= have.height()) return;
  out << QString::asprintf("%s '%s': needs %dx%d, has %dx%d", control->metaObject()->className(),
                           text.toUtf8().constData(), need.width(), need.height(), have.width(), have.height());
}

// The room of a part of a control; none when the part lies outside it.
QSize shown(const QWidget* w, const QRect& part) { return w->rect().contains(part) ? part.size() : QSize(); }

void checkLabel(QStringList& out, QLabel* l) {
  QString text = l->text();
  if (l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
    text = QTextDocumentFragment::fromHtml(text).toPlainText();
  // No label of the windows has a margin, an indent or a buddy (whose
  // mnemonic would show as an underline).
  const QRect r = l->contentsRect();
  const QFontMetrics fm(l->font());
  const QSize need = l->wordWrap() ? fm.boundingRect(QRect(0, 0, r.width(), 1 << 20), Qt::TextWordWrap, text).size()
                                   : fm.size(0, text);
  check(out, l, text, need, r.size());
}

void checkButton(QStringList& out, QAbstractButton* b) {
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  // No button of the windows has an icon, a check box or a tool button's
  // look: any other kind gets the whole control as room.
  QSize need = textSize(b->font(), b->text());
  QRect room = b->rect();
  if (qobject_cast<QRadioButton*>(b)) {
    room = b->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, b);
  } else if (auto* p = qobject_cast<QPushButton*>(b)) {
    if (p->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
    room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    need.rwidth() += b->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, b);
  }
  check(out, b, b->text(), need, room.size());
}

void checkTabs(QStringList& out, QTabBar* t) {
  const int space = t->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, t);
  for (int i = 0; i < t->count(); ++i) {
    if (!t->isTabVisible(i)) continue;
    const QRect r = t->tabRect(i);
    QSize need = textSize(t->font(), t->tabText(i)) + QSize(space, 0);
    // A tab scrolled out of the bar shows nothing.
    check(out, t, t->tabText(i), need, shown(t, r));
  }
}

void checkHeader(QStringList& out, QHeaderView* h) {
  if (!h->model()) return;
  const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
  const int visible = h->orientation() == Qt::Horizontal ? h->viewport()->width() : h->viewport()->height();
  for (int i = 0; i < h->count(); ++i) {
    if (h->isSectionHidden(i)) continue;
    const QString text = h->model()->headerData(i, h->orientation()).toString();
    int need = QFontMetrics(h->font()).horizontalAdvance(text) + 2 * margin;
    if (h->isSortIndicatorShown() && h->sortIndicatorSection() == i)
      need += h->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, h) + margin;
    // A section past the visible part of the header shows nothing.
    const bool shown = h->sectionViewportPosition(i) + h->sectionSize(i) <= visible;
    check(out, h, text, QSize(need, 0), QSize(shown ? h->sectionSize(i) : 0, 0));
  }
}

void checkGroupBox(QStringList& out, QGroupBox* g) {
  if (g->title().isEmpty()) return;
  QStyleOptionGroupBox opt;
  opt.initFrom(g);
  opt.text = g->title();
  opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
  const QSize need = textSize(g->font(), g->title());
  check(out, g, g->title(), need, shown(g, label));
}

void checkMenuBar(QStringList& out, QMenuBar* bar) {
  for (QAction* a : bar->actions()) {
    if (!a->isVisible() || a->isSeparator()) continue;
    const QRect r = bar->actionGeometry(a);
    // An entry that does not fit goes into the bar's extension menu.
    check(out, bar, a->text(), textSize(bar->font(), a->text()), shown(bar, r));
  }
}

void checkMenu(QStringList& out, QMenu* menu) {
  for (QAction* a : menu->actions()) {
    // The style draws a separator's text beside its line.
    if (a->isVisible() && a->isSeparator() && !a->text().isEmpty())
      out << QStringLiteral("separator shows '%1'").arg(a->text());
    if (!a->isVisible() || a->isSeparator()) continue;
    QStyleOptionMenuItem opt;
    opt.initFrom(menu);
    opt.text = a->text();
    if (!a->shortcut().isEmpty()) opt.text += QLatin1Char('\t') + a->shortcut().toString(QKeySequence::NativeText);
    opt.menuItemType = a->menu() ? QStyleOptionMenuItem::SubMenu : QStyleOptionMenuItem::Normal;
    opt.checkType = a->isCheckable() ? QStyleOptionMenuItem::NonExclusive : QStyleOptionMenuItem::NotCheckable;
    opt.font = a->font();
    opt.fontMetrics = QFontMetrics(a->font());
    const QSize text = textSize(a->font(), opt.text, Qt::TextShowMnemonic | Qt::TextExpandTabs);
    const QSize need = menu->style()->sizeFromContents(QStyle::CT_MenuItem, &opt, text, menu);
    check(out, menu, a->text(), QSize(need.width(), 0), QSize(menu->actionGeometry(a).width(), 0));
  }
}

}  // namespace

QStringList cutTexts(QWidget* window) {
  QStringList out;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (auto* menu = qobject_cast<QMenu*>(w)) {
      if (menu->menuAction()->isVisible()) checkMenu(out, menu);
      continue;
    }
    if (!w->isVisibleTo(window)) continue;
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) checkLabel(out, l);
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) checkButton(out, b);
    if (auto* t = qobject_cast<QTabBar*>(w)) checkTabs(out, t);
    if (auto* h = qobject_cast<QHeaderView*>(w)) checkHeader(out, h);
    if (auto* g = qobject_cast<QGroupBox*>(w)) checkGroupBox(out, g);
    if (auto* bar = qobject_cast<QMenuBar*>(w)) checkMenuBar(out, bar);
  }
  return out;
}

bool saveScreenshot(QWidget* window, const QString& name) {
  const QString dir = QStringLiteral(QV_BINARY_DIR "/screenshots");
  QDir().mkpath(dir);
  return window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace qvtest
