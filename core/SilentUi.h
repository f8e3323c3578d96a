#pragma once

#include "core/UiServices.h"

namespace ferolith {

// A user interface that shows nothing and counts the boxes it was asked to
// show: for a step whose own report tells what happened (the port probe
// reports a handshake timeout instead of showing its box). Every question
// is answered with Cancel.
class SilentUi final : public UiServices {
 public:
  Answer MessageInfo(const std::string&) override { return Count(Answer::Ok); }
  Answer MessageRetryCancel(const std::string&) override { return Count(Answer::Cancel); }
  Answer MessageOkCancel(const std::string&) override { return Count(Answer::Cancel); }
  Answer MessageYesNo(const std::string&) override { return Count(Answer::No); }
  void MessagePlain(const std::string&) override { Count(Answer::Ok); }
  void SetStatus(const std::string&) override {}
  void Repaint() override {}
  void SetProgressRange(std::uint32_t) override {}
  void SetProgressPosition(std::uint32_t) override {}
  void PumpMessages() override {}
  void EnableCancelButton(bool) override {}
  void DisableControls() override {}
  void EnableControls() override {}
  void ShowBurnFileName(const std::string&) override {}
  void ShowInitRegister1(std::uint8_t) override {}
  void ShowActivityWindow(bool) override {}
  std::optional<FileChoice> RunOpenDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> RunSaveDialog(const FileDialogRequest&) override { return std::nullopt; }

  int Boxes() const { return boxes_; }

 private:
  Answer Count(Answer answer) {
    ++boxes_;
    return answer;
  }
  int boxes_ = 0;
};

}  // namespace ferolith
