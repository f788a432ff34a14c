// The contest paper's output for one seed, held by a digest checked in beside this file: its
// sets (each kind's JSON member), its previews and its printed pages rasterised. A change
// that moves a problem or a pixel of it fails here first; a change meant to renews the file
// with TAMARIKO_RENEW_DIGEST=1 and says why in its commit.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <map>

#include "app/papers.h"
#include "tests/support/pdf_support.h"
#include "tests/support/run_tamariko.h"

namespace tamariko {
namespace {

constexpr char kDigestSeed[] = "20261208";
// The contest's own sheets and sets: a kind added to the paper is no part of its digest.
const char* const kDigestSheets[] = {"omote", "ura", "mitori", "kake", "wari", "kaitou"};
const char* const kDigestMembers[] = {"mental", "multiplication", "division", "abacus"};
// The exam keys the program had when their papers became documents.
const char* const kDigestExams[] = {
    "shuzan-10", "shuzan-9", "shuzan-8",  "shuzan-7", "shuzan-6",  "shuzan-5", "shuzan-4",
    "shuzan-p3", "shuzan-3", "shuzan-p2", "shuzan-2", "shuzan-p1", "shuzan-1", "shuzan-dan",
    "anzan-10",  "anzan-9",  "anzan-8",   "anzan-7",  "anzan-6",   "anzan-5",  "anzan-4",
    "anzan-p3",  "anzan-3",  "anzan-p2",  "anzan-2",  "anzan-p1",  "anzan-1",  "anzan-dan"};
const char* const kAddedExamMembers[] = {"sections"};

QByteArray Digest(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(32);
}
QByteArray DigestOfPixels(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  return Digest(QByteArray(reinterpret_cast<const char*>(rgb.constBits()),
                           static_cast<qsizetype>(rgb.sizeInBytes())));
}

std::map<QByteArray, QByteArray> DigestsCheckedIn(const QString& path) {
  std::map<QByteArray, QByteArray> digests;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return digests;
  for (const QByteArray& line : file.readAll().split('\n')) {
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() == 2 && !line.startsWith('#')) digests[parts[0]] = parts[1];
  }
  return digests;
}

// Compares `made` with the digests in `path`, or writes them there under `heading` when asked.
void CheckAgainst(const QString& path, const QByteArray& heading,
                  const std::map<QByteArray, QByteArray>& made) {
  if (qEnvironmentVariableIsSet("TAMARIKO_RENEW_DIGEST")) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(heading + '\n');
    for (const auto& [name, digest] : made) file.write(name + ' ' + digest + '\n');
    GTEST_SKIP() << "renewed " << path.toStdString();
  }
  const auto held = DigestsCheckedIn(path);
  ASSERT_EQ(held.size(), made.size()) << "no digest file at " << path.toStdString();
  for (const auto& [name, digest] : made) {
    ASSERT_TRUE(held.count(name)) << name.constData() << " new";
    EXPECT_EQ(held.at(name), digest) << name.constData() << " changed";
  }
}

TEST(ContestDigest, OneSeedsSetsPreviewsAndPrintedPagesAreAsCheckedIn) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("set.pdf"));
  const QString json = dir.filePath(QStringLiteral("set.json"));
  const test::Outcome run = test::Tamariko({"--batch", "--seed", kDigestSeed, "--sheets", "all",
                                            "--json", json, "--png", dir.path(), "--pdf", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

  std::map<QByteArray, QByteArray> made;
  QFile jsonFile(json);
  ASSERT_TRUE(jsonFile.open(QIODevice::ReadOnly));
  const QJsonObject set = QJsonDocument::fromJson(jsonFile.readAll()).object();
  for (const char* member : kDigestMembers) {
    made[QByteArray("json/") + member] =
        Digest(QJsonDocument(set.value(QLatin1String(member)).toObject()).toJson());
  }
  // The printed pages come in the order of the paper's sheets.
  const std::vector<SheetInfo> order = SheetsWithAnswerTable(DefaultPaper());
  for (const char* key : kDigestSheets) {
    const QImage preview(dir.filePath(QLatin1String(key) + QStringLiteral(".png")));
    ASSERT_FALSE(preview.isNull()) << key;
    made[QByteArray("png/") + key] = DigestOfPixels(preview);
    const auto at = std::find_if(order.begin(), order.end(), [&](const SheetInfo& sheet) {
      return sheet.key == QLatin1String(key);
    });
    ASSERT_NE(at, order.end()) << key;
    const QImage page = test::RasterisePdf(pdf, dir.filePath(QStringLiteral("page")), 100,
                                           static_cast<int>(at - order.begin()) + 1);
    if (page.isNull()) GTEST_SKIP() << "pdftoppm missing";
    made[QByteArray("pdf/") + key] = DigestOfPixels(page);
  }

  CheckAgainst(QStringLiteral(TAMARIKO_DIGEST_FILE),
               QByteArray("# tamariko --batch --seed ") + kDigestSeed +
                   " --sheets all: each kind's JSON member, each preview's and printed page's "
                   "pixels (100 dpi)",
               made);
}

// Every exam key's paper for two seeds: its JSON lines (without the members added since the
// digest was taken) and its previews' pixels.
TEST(ExamDigest, EveryKeysSetsAndPreviewsAreAsCheckedIn) {
  std::map<QByteArray, QByteArray> made;
  for (const char* key : kDigestExams) {
    QTemporaryDir dir;
    const QString json = dir.filePath(QStringLiteral("set.json"));
    const test::Outcome run = test::Tamariko({"--batch", "--seed", kDigestSeed, "--count", "2",
                                              "--exam", key, "--json", json, "--png", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << key << run.err.toStdString();
    QFile jsonFile(json);
    ASSERT_TRUE(jsonFile.open(QIODevice::ReadOnly));
    QByteArray lines;
    for (const QByteArray& line : jsonFile.readAll().split('\n')) {
      if (line.isEmpty()) continue;
      QJsonObject set = QJsonDocument::fromJson(line).object();
      for (const char* added : kAddedExamMembers) set.remove(QLatin1String(added));
      lines += QJsonDocument(set).toJson(QJsonDocument::Compact) + '\n';
    }
    made[QByteArray("json/") + key] = Digest(lines);
    for (const QString& png : QDir(dir.path()).entryList({QStringLiteral("*.png")}))
      made["png/" + png.toUtf8()] = DigestOfPixels(QImage(dir.filePath(png)));
  }
  CheckAgainst(QStringLiteral(TAMARIKO_EXAM_DIGEST_FILE),
               QByteArray("# tamariko --batch --seed ") + kDigestSeed +
                   " --count 2 --exam KEY: each key's JSON lines and each preview's pixels",
               made);
}

}  // namespace
}  // namespace tamariko
