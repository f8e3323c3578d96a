#pragma once

namespace ferolith {

// Raised scheduling for the time a chip operation drives the programmer:
// the link's delays are counted in register accesses, so a preempted
// process stretches them. Where the system refuses, nothing changes.
class PriorityGuard {
 public:
  // Raises the priority; `osId` chooses between the two raised levels on
  // Windows (the known 95 family gets real-time, every other system high).
  explicit PriorityGuard(unsigned osId);
  ~PriorityGuard();
  PriorityGuard(const PriorityGuard&) = delete;
  PriorityGuard& operator=(const PriorityGuard&) = delete;

 private:
  int previous_ = 0;
  bool raised_ = false;
};

}  // namespace ferolith
