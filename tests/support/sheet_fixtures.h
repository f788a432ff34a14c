#pragma once

#include <gtest/gtest.h>

#include "core/page_mapping.h"
#include "core/sheet_texts.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/recording_print_target.h"

namespace tamariko::test {

// The round number and headings, changed by a test as a teacher changes the edit boxes.
class EditableTexts : public TSheetTexts {
 public:
  QString round = QStringLiteral("1");
  QString heading1 = QStringLiteral("タマリコ");
  QString heading2 = QStringLiteral("タマリコ練習問題");
  QString RoundText() const override { return round; }
  QString Heading1() const override { return heading1; }
  QString Heading2() const override { return heading2; }
};

// A sheet drawn on a recording canvas with the mapping of a 300 dpi printer without
// offsets, and printed on a recording printer of that kind.
class RecordedSheet : public ::testing::Test {
 protected:
  const PageMapping preview = PreviewMapping({300, 300}, {0, 0});
  const PageMapping print = PrintMapping({300, 300}, {0, 0});
  RecordingCanvas image;
  RecordingPrintTarget printer;
};

}  // namespace tamariko::test
