#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace ferolith {

// Blocks of bytes handed from one thread that fills them to another that
// empties them. There is a fixed number of blocks, made at the start: the
// filling thread waits only when all of them are filled and not yet
// emptied, so the memory stays bounded however far the other falls behind.
class BlockQueue {
 public:
  struct Block {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t used = 0;
  };

  BlockQueue(std::size_t blocks, std::size_t blockSize);
  std::size_t BlockSize() const { return blockSize_; }

  // The filling side: an empty block (waiting while there is none), and
  // the filled block handed over.
  Block Empty();
  void Filled(Block block);
  // No more blocks will be filled: Next gives none once all are taken.
  void Close();

  // The emptying side: the next filled block (waiting for one), none once
  // the queue is closed and all are taken; and the block given back.
  std::optional<Block> Next();
  void Emptied(Block block);

 private:
  const std::size_t blockSize_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> empty_;
  std::deque<Block> filled_;
  bool closed_ = false;
};

}  // namespace ferolith
