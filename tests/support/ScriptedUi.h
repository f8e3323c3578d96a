#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/UiServices.h"

namespace ferolith::testing {

// A UiServices double for tests, fuzzers and benchmarks. It records every
// call as an event, answers Retry/Cancel and OK/Cancel boxes and file
// dialogs from a script, and counts boxes for which the script had no answer
// (they get the default answer), so a test can assert that no unexpected
// question was asked.
class ScriptedUi : public UiServices {
 public:
  enum class Kind {
    Info, RetryCancel, OkCancel, YesNo, Plain, Status, Repaint, ProgressRange, ProgressPosition,
    Pump, CancelButton, DisableControls, EnableControls, BurnFileName, InitRegister1,
    ActivityWindow, OpenDialog, SaveDialog, Warning
  };
  struct Event {
    Kind kind;
    std::string text;
    std::uint32_t value = 0;
  };

  // Script.
  void AnswerBoxes(std::initializer_list<Answer> answers);
  void AnswerOpenDialog(std::optional<FileChoice> choice) { openChoices_.push_back(std::move(choice)); }
  void AnswerSaveDialog(std::optional<FileChoice> choice) { saveChoices_.push_back(std::move(choice)); }
  void SetDefaultAnswer(Answer answer) { defaultAnswer_ = answer; }
  // Called at every PumpMessages, with the number of pumps so far (1-based).
  void OnPump(std::function<void(int)> hook) { onPump_ = std::move(hook); }

  // Record.
  const std::vector<Event>& Events() const { return events_; }
  // Texts of the message boxes of every kind (info, retry/cancel, ok/cancel, yes/no, plain), in order.
  std::vector<std::string> Messages() const;
  std::vector<std::string> Texts(Kind kind) const;
  int Count(Kind kind) const;
  int UnscriptedBoxes() const { return unscripted_; }
  int PendingAnswers() const { return static_cast<int>(answers_.size()); }
  const std::vector<FileDialogRequest>& DialogRequests() const { return dialogRequests_; }
  std::string Status() const { return status_; }
  bool CancelEnabled() const { return cancelEnabled_; }
  bool ControlsEnabled() const { return controlsEnabled_; }
  bool ActivityShown() const { return activityShown_; }
  std::uint32_t ProgressPositionNow() const { return progressPosition_; }
  void Clear() { events_.clear(); }

  // UiServices.
  Answer MessageInfo(const std::string& text) override;
  Answer MessageRetryCancel(const std::string& text) override;
  Answer MessageOkCancel(const std::string& text) override;
  // Answer::Yes when the script says so, Answer::No for any other answer.
  Answer MessageYesNo(const std::string& text) override;
  void MessagePlain(const std::string& text) override;
  // Recorded as a warning (Kind::Warning), not as a status text.
  void Warning(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void Repaint() override;
  void SetProgressRange(std::uint32_t upper) override;
  void SetProgressPosition(std::uint32_t position) override;
  void PumpMessages() override;
  void EnableCancelButton(bool enabled) override;
  void DisableControls() override;
  void EnableControls() override;
  void ShowBurnFileName(const std::string& name) override;
  void ShowInitRegister1(std::uint8_t value) override;
  void ShowActivityWindow(bool shown) override;
  std::optional<FileChoice> RunOpenDialog(const FileDialogRequest& request) override;
  std::optional<FileChoice> RunSaveDialog(const FileDialogRequest& request) override;

 private:
  Answer NextAnswer();

  std::vector<Event> events_;
  std::deque<Answer> answers_;
  std::deque<std::optional<FileChoice>> openChoices_;
  std::deque<std::optional<FileChoice>> saveChoices_;
  std::vector<FileDialogRequest> dialogRequests_;
  std::function<void(int)> onPump_;
  Answer defaultAnswer_ = Answer::Cancel;
  int unscripted_ = 0;
  int pumps_ = 0;
  std::string status_ = "Warte auf Eingaben";
  bool cancelEnabled_ = false;
  bool controlsEnabled_ = true;
  bool activityShown_ = false;
  std::uint32_t progressPosition_ = 0;
};

}  // namespace ferolith::testing
