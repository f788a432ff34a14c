#pragma once

// What every run of the default paper makes besides the sheets asked for: its answer pages
// (the table, and the pages that go with it where a kind added to the paper fills it).

#include <QString>
#include <QStringList>

#include "app/papers.h"

namespace tamariko::test {

inline QStringList AnswerPageKeys() {
  QStringList keys;
  for (const AnswerSheet& page : LayoutOf(DefaultPaper()).answerSheets) keys << page.sheet.key;
  return keys;
}

// Their preview files: "kaitou.png", ...
inline QStringList AnswerPngs() {
  QStringList names;
  for (const QString& key : AnswerPageKeys()) names << key + QStringLiteral(".png");
  return names;
}

inline int AnswerPageCount() { return static_cast<int>(AnswerPageKeys().size()); }

}  // namespace tamariko::test
