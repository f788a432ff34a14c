#include "kentei/exam_grades.h"

namespace tamariko {

const TAdditionBlock& TAdditionSection::BlockOf(int problem) const {
  for (const auto& b : blocks) {
    if (problem <= b.last) return b;
  }
  return blocks.back();
}

const TPairBlock& TPairSection::BlockOf(int problem) const {
  for (const auto& b : blocks) {
    if (problem <= b.last) return b;
  }
  return blocks.back();
}

std::vector<TSplit> SplitsOf(const TPairBlock& block) {
  std::vector<TSplit> splits;
  for (int left = block.maxLeft; left >= block.minLeft; --left) {
    const int right = block.digits - left;
    if (right >= block.minRight && right <= block.maxRight) splits.push_back({left, right});
  }
  return splits;
}

int TExamGrade::TotalPoints() const {
  int points = 0;
  for (const TExamSection& s : sections) points += s.Points();
  return points;
}

int TExamGrade::SectionPoints(std::size_t section) const {
  const QString& group = sections[section].group;
  if (group.isEmpty()) return sections[section].Points();
  int points = 0;
  for (const TExamSection& s : sections) {
    if (s.group == group) points += s.Points();
  }
  return points;
}

const TExamSection* TExamGrade::OnlySection(TExamSubject subject) const {
  const TExamSection* found = nullptr;
  for (const TExamSection& s : sections) {
    if (s.subject != subject) continue;
    if (found) return nullptr;
    found = &s;
  }
  return found;
}

}  // namespace tamariko
