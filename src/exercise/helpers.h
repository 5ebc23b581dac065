#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace qv {

class RichEditor;

// The part of word that the "_" of pattern stands for; empty on any failure.
QString GapPartOfWord(const QString& word, const QString& pattern);

// Where the gaps of a word-part worksheet lie in the words: 0 none found,
// 1 start, 2 middle, 3 end. Examines the text of the first numbered item.
int GapKindFromText(const QString& editorText);
// The same on the main editor's text.
int GapKindFromText();

// Ascending, case-insensitive sort under the user's locale, in place, on the
// 0-based index range low..high (defaults: the whole list).
void SortStrings(QStringList& list, qsizetype low = 0, qsizetype high = -1);
// The comparison SortStrings uses (<0, 0, >0).
int CompareText(const QString& a, const QString& b);

// Entries joined by ", "; one entry alone; no list gives "".
QString JoinList(const std::optional<QStringList>& list);

}  // namespace qv
