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

}  // namespace tamariko
