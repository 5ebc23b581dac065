#include "exercise/helpers.h"

#include <QCollator>
#include <QLocale>

#include "app/variablen.h"
#include "platform/richeditor.h"

namespace qv {

QString GapPartOfWord(const QString& word, const QString& pattern) {
  const qsizetype first = pattern.indexOf(QLatin1Char('_'));
  if (first < 0) return {};
  const QString prefix = pattern.left(first);
  const qsizetype second = pattern.indexOf(QLatin1Char('_'), first + 1);
  const QString suffix = second < 0 ? pattern.mid(first + 1) : pattern.mid(first + 1, second - first - 1);
  const qsizetype lw = word.size(), lp = prefix.size(), ls = suffix.size();
  if (lp + ls > lw) return {};
  if (!prefix.isEmpty() && !suffix.isEmpty()) return word.mid(lp, lw - lp - ls);
  if (prefix.isEmpty() && !suffix.isEmpty()) return word.left(lw - ls);
  if (!prefix.isEmpty()) return word.mid(lp);
  return {};
}

int GapKindFromText(const QString& editorText) {
  QString text = editorText;
  const qsizetype p1 = text.indexOf(QStringLiteral("1)"));
  const qsizetype p2 = text.indexOf(QStringLiteral("2)"));
  if (p1 >= 0 && p2 >= 0 && p2 > p1) text = text.mid(p1, p2 - p1);

  // Steps that repeat until their pattern is gone share one counter; once it
  // reaches 101 each step does its single pass only.
  int repetitions = 0;
  auto repeat = [&](const QString& from, const QString& to) {
    text.replace(from, to);
    while (repetitions < 101 && text.contains(from)) {
      ++repetitions;
      text.replace(from, to);
    }
  };
  repeat(QStringLiteral("_\u00A0_"), QStringLiteral("_"));
  repeat(QStringLiteral("__"), QStringLiteral("_"));
  repeat(QStringLiteral("\n"), QString());
  for (QChar c : {QChar('.'), QChar(','), QChar('?'), QChar('!'), QChar('"'), QChar('('), QChar(')')})
    text.replace(c, QLatin1Char(' '));
  repeat(QStringLiteral("  "), QStringLiteral(" "));

  const QStringList words = text.split(QLatin1Char(' '));
  for (const QString& w : words) {
    const qsizetype q = w.indexOf(QLatin1Char('_'));
    if (q < 0) continue;
    if (q == 0) return 1;
    if (q == w.size() - 1) return 3;
    return 2;
  }
  return 0;
}

int GapKindFromText() { return GapKindFromText(txtText().text()); }

namespace {

QCollator& collator() {
  static QCollator c = [] {
    QLocale locale = QLocale::system();
    // A system without a locale of its own ("C") sorts as a German one:
    // the program is made for German classes.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::German, QLocale::Germany);
    QCollator col(locale);
    col.setCaseSensitivity(Qt::CaseInsensitive);
    col.setNumericMode(false);
    return col;
  }();
  return c;
}

// The pivot index of the range low..high (0-based), chosen as the 1-based
// midpoint rounded to the even neighbour.
qsizetype pivotIndex(qsizetype low, qsizetype high) {
  const qsizetype sum = (low + 1) + (high + 1);
  qsizetype mid = sum / 2;
  if (sum % 2 != 0 && mid % 2 != 0) ++mid;
  return mid - 1;
}

}  // namespace

int CompareText(const QString& a, const QString& b) { return collator().compare(a, b); }

void SortStrings(QStringList& list, qsizetype low, qsizetype high) {
  if (high < 0) high = list.size() - 1;
  if (list.isEmpty() || low < 0 || high >= list.size()) return;
  // Quicksort; the larger part is sorted in the loop so that the stack stays
  // shallow. The order of the two disjoint parts does not change the result.
  while (low < high) {
    const QString pivot = list[pivotIndex(low, high)];
    qsizetype i = low, j = high;
    while (i <= j) {
      while (CompareText(list[i], pivot) < 0) ++i;
      while (CompareText(list[j], pivot) > 0) --j;
      if (i <= j) {
        list.swapItemsAt(i, j);
        ++i;
        --j;
      }
    }
    if (j - low < high - i) {
      if (low < j) SortStrings(list, low, j);
      low = i;
    } else {
      if (i < high) SortStrings(list, i, high);
      high = j;
    }
  }
}

QString JoinList(const std::optional<QStringList>& list) {
  if (!list) return {};
  if (list->size() == 1) return list->first();
  return list->join(QStringLiteral(", "));
}

}  // namespace qv
