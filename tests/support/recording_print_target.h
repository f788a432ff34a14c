#pragma once

#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/print_target.h"
#include "tests/support/recording_canvas.h"

namespace tamariko::test {

// A printer that keeps every job's page as a recording, at the scale the test sets.
class RecordingPrintTarget : public TPrintTarget {
 public:
  struct Job {
    QString title;
    std::unique_ptr<RecordingCanvas> page;
    bool ended = false;
  };

  PixelPair pixelsPerInch{300, 300};
  PixelPair pageOffset{0, 0};
  bool failing = false;  // every question throws, as a printer that is gone
  std::vector<Job> jobs;

  PixelPair GetPixelsPerInch() override {
    Check();
    return pixelsPerInch;
  }
  PixelPair GetPageOffset() override {
    Check();
    return pageOffset;
  }
  void BeginDoc(const QString& title) override {
    Check();
    // A B4 page at 300 dpi.
    jobs.push_back({title, std::make_unique<RecordingCanvas>(QRect(0, 0, 3035, 4299)), false});
  }
  TCanvas& Canvas() override { return *jobs.back().page; }
  void EndDoc() override { jobs.back().ended = true; }

 private:
  void Check() const {
    if (failing) throw std::runtime_error("no printer");
  }
};

}  // namespace tamariko::test
