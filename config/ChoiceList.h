#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ferolith {

// A drop-down list of names with one selected entry, as the manufacturer
// and device lists are shown: the desktop program puts its combo boxes
// behind it, the command line and the tests use MemoryChoiceList.
class ChoiceList {
 public:
  virtual ~ChoiceList() = default;
  virtual void Clear() = 0;
  virtual void Add(const std::string& name) = 0;
  // Selects entry `index`; an index outside the list selects nothing.
  virtual void Select(int index) = 0;
  // The selected index, -1 when nothing is selected.
  virtual int Selected() const = 0;
};

// A ChoiceList that only remembers its entries and selection.
class MemoryChoiceList : public ChoiceList {
 public:
  void Clear() override {
    names_.clear();
    selected_ = -1;
  }
  void Add(const std::string& name) override { names_.push_back(name); }
  void Select(int index) override {
    selected_ = index >= 0 && static_cast<std::size_t>(index) < names_.size() ? index : -1;
  }
  int Selected() const override { return selected_; }

  const std::vector<std::string>& Names() const { return names_; }

 private:
  std::vector<std::string> names_;
  int selected_ = -1;
};

}  // namespace ferolith
