#include "trace/BlockQueue.h"

#include <utility>

namespace ferolith {

BlockQueue::BlockQueue(std::size_t blocks, std::size_t blockSize) : blockSize_(blockSize) {
  for (std::size_t i = 0; i < blocks; ++i) empty_.push_back({std::make_unique<std::uint8_t[]>(blockSize), 0});
}

BlockQueue::Block BlockQueue::Empty() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !empty_.empty(); });
  Block block = std::move(empty_.front());
  empty_.pop_front();
  block.used = 0;
  return block;
}

void BlockQueue::Filled(Block block) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    filled_.push_back(std::move(block));
  }
  changed_.notify_all();
}

void BlockQueue::Close() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

std::optional<BlockQueue::Block> BlockQueue::Next() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !filled_.empty() || closed_; });
  if (filled_.empty()) return std::nullopt;
  Block block = std::move(filled_.front());
  filled_.pop_front();
  return block;
}

void BlockQueue::Emptied(Block block) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    empty_.push_back(std::move(block));
  }
  changed_.notify_all();
}

}  // namespace ferolith
