#include "ui/scripted_prompts.h"

namespace kelvora::ui {
namespace {

std::string KindName(PromptKind kind) {
  switch (kind) {
    case PromptKind::kMessage:
      return "message";
    case PromptKind::kYesNo:
      return "Yes/No confirmation";
    case PromptKind::kOpenFile:
      return "open-file dialog";
    case PromptKind::kSaveFile:
      return "save-file dialog";
    case PromptKind::kModal:
      return "modal form";
  }
  return "prompt";
}

}  // namespace

ScriptedPrompts::ScriptedPrompts() {
  onUnexpected = [](const std::string& description) { throw UnexpectedPrompt(description); };
}

ScriptedPrompts& ScriptedPrompts::AnswerYes() {
  answers_.push_back({PromptKind::kYesNo, true, {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::AnswerNo() {
  answers_.push_back({PromptKind::kYesNo, false, {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::PickOpenFile(std::string path) {
  answers_.push_back({PromptKind::kOpenFile, false, std::move(path), {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::PickSaveFile(std::string path) {
  answers_.push_back({PromptKind::kSaveFile, false, std::move(path), {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::CancelFileDialog(PromptKind kind) {
  answers_.push_back({kind, false, std::nullopt, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::RunModal(std::function<DialogResult(Form&)> run) {
  answers_.push_back({PromptKind::kModal, false, {}, std::move(run)});
  return *this;
}

std::optional<ScriptedPrompts::Answer> ScriptedPrompts::Take(PromptKind kind,
                                                             std::string_view text) {
  if (answers_.empty() || answers_.front().kind != kind) {
    std::string description = "unexpected " + KindName(kind) + ": \"" + std::string(text) + "\"";
    if (!answers_.empty())
      description += " (the script expected a " + KindName(answers_.front().kind) + ")";
    if (onUnexpected) onUnexpected(description);
    return std::nullopt;
  }
  Answer a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

void ScriptedPrompts::Message(std::string_view text, std::string_view caption) {
  log_.push_back({PromptKind::kMessage, std::string(text), std::string(caption)});
}

bool ScriptedPrompts::YesNo(std::string_view text, std::string_view caption) {
  log_.push_back({PromptKind::kYesNo, std::string(text), std::string(caption)});
  const auto a = Take(PromptKind::kYesNo, text);
  return a && a->yes;
}

std::optional<std::string> ScriptedPrompts::OpenFile(std::string_view filter) {
  log_.push_back({PromptKind::kOpenFile, std::string(filter), {}});
  auto a = Take(PromptKind::kOpenFile, filter);
  return a ? a->path : std::nullopt;
}

std::optional<std::string> ScriptedPrompts::SaveFile(std::string_view filter) {
  log_.push_back({PromptKind::kSaveFile, std::string(filter), {}});
  auto a = Take(PromptKind::kSaveFile, filter);
  return a ? a->path : std::nullopt;
}

DialogResult ScriptedPrompts::ShowModal(Form& form) {
  log_.push_back({PromptKind::kModal, form.Title(), {}});
  auto a = Take(PromptKind::kModal, form.Title());
  if (!a) return DialogResult::kCancel;
  form.SetModalResult(DialogResult::kNone);
  form.Show();
  const DialogResult result = a->run ? a->run(form) : form.ModalResult();
  form.Hide();
  return result;
}

std::vector<std::string> ScriptedPrompts::Messages() const {
  std::vector<std::string> out;
  for (const PromptRecord& r : log_) {
    if (r.kind == PromptKind::kMessage) out.push_back(r.text);
  }
  return out;
}

}  // namespace kelvora::ui
