#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "batch/batch.h"

namespace tamariko {

class StagedFile;

// The files of a batch run, checked together before anything is made: no two outputs may
// be one file, whether named alike, through "..", through a link or as one of the
// previews. The streams among them (standard output for "-", a FIFO, a character device)
// are opened here and held to the end: a FIFO that nobody reads is found now, and its
// reader sees no end of file before the run's.
class OutputPaths {
 public:
  // `previews`: every preview file the run writes. Throws BatchUsageError.
  OutputPaths(const BatchOptions& options, const QStringList& previews);
  ~OutputPaths();
  OutputPaths(const OutputPaths&) = delete;
  OutputPaths& operator=(const OutputPaths&) = delete;

  // The staged file for the path of --json or --pdf: put in place over the file, or
  // copied into the stream after the files. Throws Error.
  std::unique_ptr<StagedFile> Stage(const QString& path) const;

 private:
  void OpenStream(const char* option, const QString& path);

  std::map<QString, int> streams_;  // path -> descriptor held; 1 for "-", not ours to close
};

}  // namespace tamariko
