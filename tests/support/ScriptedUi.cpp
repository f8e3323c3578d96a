#include "tests/support/ScriptedUi.h"

namespace ferolith::testing {

void ScriptedUi::AnswerBoxes(std::initializer_list<Answer> answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
}

std::vector<std::string> ScriptedUi::Messages() const {
  std::vector<std::string> texts;
  for (const Event& event : events_) {
    if (event.kind == Kind::Info || event.kind == Kind::RetryCancel ||
        event.kind == Kind::OkCancel || event.kind == Kind::YesNo || event.kind == Kind::Plain) {
      texts.push_back(event.text);
    }
  }
  return texts;
}

std::vector<std::string> ScriptedUi::Texts(Kind kind) const {
  std::vector<std::string> texts;
  for (const Event& event : events_) {
    if (event.kind == kind) texts.push_back(event.text);
  }
  return texts;
}

int ScriptedUi::Count(Kind kind) const {
  int count = 0;
  for (const Event& event : events_) count += event.kind == kind ? 1 : 0;
  return count;
}

Answer ScriptedUi::NextAnswer() {
  if (answers_.empty()) {
    ++unscripted_;
    return defaultAnswer_;
  }
  const Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

Answer ScriptedUi::MessageInfo(const std::string& text) {
  events_.push_back({Kind::Info, text});
  return Answer::Ok;
}

Answer ScriptedUi::MessageRetryCancel(const std::string& text) {
  events_.push_back({Kind::RetryCancel, text});
  return NextAnswer();
}

Answer ScriptedUi::MessageOkCancel(const std::string& text) {
  events_.push_back({Kind::OkCancel, text});
  return NextAnswer();
}

Answer ScriptedUi::MessageYesNo(const std::string& text) {
  events_.push_back({Kind::YesNo, text});
  return NextAnswer() == Answer::Yes ? Answer::Yes : Answer::No;
}

void ScriptedUi::MessagePlain(const std::string& text) { events_.push_back({Kind::Plain, text}); }

void ScriptedUi::Warning(const std::string& text) { events_.push_back({Kind::Warning, text}); }

void ScriptedUi::SetStatus(const std::string& text) {
  status_ = text;
  events_.push_back({Kind::Status, text});
}

void ScriptedUi::Repaint() { events_.push_back({Kind::Repaint, {}}); }

void ScriptedUi::SetProgressRange(std::uint32_t upper) {
  events_.push_back({Kind::ProgressRange, {}, upper});
}

void ScriptedUi::SetProgressPosition(std::uint32_t position) {
  progressPosition_ = position;
  events_.push_back({Kind::ProgressPosition, {}, position});
}

void ScriptedUi::PumpMessages() {
  ++pumps_;
  events_.push_back({Kind::Pump, {}, static_cast<std::uint32_t>(pumps_)});
  if (onPump_) onPump_(pumps_);
}

void ScriptedUi::EnableCancelButton(bool enabled) {
  cancelEnabled_ = enabled;
  events_.push_back({Kind::CancelButton, {}, enabled ? 1u : 0u});
}

void ScriptedUi::DisableControls() {
  controlsEnabled_ = false;
  events_.push_back({Kind::DisableControls, {}});
}

void ScriptedUi::EnableControls() {
  controlsEnabled_ = true;
  events_.push_back({Kind::EnableControls, {}});
}

void ScriptedUi::ShowBurnFileName(const std::string& name) {
  events_.push_back({Kind::BurnFileName, name});
}

void ScriptedUi::ShowInitRegister1(std::uint8_t value) {
  events_.push_back({Kind::InitRegister1, {}, value});
}

void ScriptedUi::ShowActivityWindow(bool shown) {
  activityShown_ = shown;
  events_.push_back({Kind::ActivityWindow, {}, shown ? 1u : 0u});
}

std::optional<FileChoice> ScriptedUi::RunOpenDialog(const FileDialogRequest& request) {
  dialogRequests_.push_back(request);
  events_.push_back({Kind::OpenDialog, request.filter});
  if (openChoices_.empty()) {
    ++unscripted_;
    return std::nullopt;
  }
  auto choice = openChoices_.front();
  openChoices_.pop_front();
  return choice;
}

std::optional<FileChoice> ScriptedUi::RunSaveDialog(const FileDialogRequest& request) {
  dialogRequests_.push_back(request);
  events_.push_back({Kind::SaveDialog, request.filter});
  if (saveChoices_.empty()) {
    ++unscripted_;
    return std::nullopt;
  }
  auto choice = saveChoices_.front();
  saveChoices_.pop_front();
  return choice;
}

}  // namespace ferolith::testing
