// Prompts for headless runs (tests, scenario scripts): every prompt is recorded;
// confirmations, file dialogs and modal forms are answered from a queue in the
// order they come. A prompt that needs an answer when the next queued answer is
// of another kind, or none is queued, is unexpected: `onUnexpected` is called
// with a description naming the prompt's text (by default it throws
// UnexpectedPrompt, which fails the test that caused it).
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/prompts.h"

namespace kelvora::ui {

enum class PromptKind { kMessage, kYesNo, kOpenFile, kSaveFile, kModal };

struct PromptRecord {
  PromptKind kind;
  std::string text;     // the message, the question, the filter, the form's title
  std::string caption;  // message and confirmation captions
  friend bool operator==(const PromptRecord&, const PromptRecord&) = default;
};

class UnexpectedPrompt : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class ScriptedPrompts : public Prompts {
 public:
  ScriptedPrompts();

  // Queued answers, used in order.
  ScriptedPrompts& AnswerYes();
  ScriptedPrompts& AnswerNo();
  ScriptedPrompts& PickOpenFile(std::string path);
  ScriptedPrompts& PickSaveFile(std::string path);
  ScriptedPrompts& CancelFileDialog(PromptKind kind);
  // The form is handed to `run`, which acts on it as the operator would and
  // returns the form's result.
  ScriptedPrompts& RunModal(std::function<DialogResult(Form&)> run);

  void Message(std::string_view text, std::string_view caption = {}) override;
  bool YesNo(std::string_view text, std::string_view caption) override;
  std::optional<std::string> OpenFile(std::string_view filter) override;
  std::optional<std::string> SaveFile(std::string_view filter) override;
  DialogResult ShowModal(Form& form) override;

  const std::vector<PromptRecord>& Log() const { return log_; }
  // The texts of the message boxes, in order.
  std::vector<std::string> Messages() const;
  void ClearLog() { log_.clear(); }
  // Answers not used yet.
  std::size_t PendingAnswers() const { return answers_.size(); }

  std::function<void(const std::string& description)> onUnexpected;

 private:
  struct Answer {
    PromptKind kind;
    bool yes = false;
    std::optional<std::string> path;
    std::function<DialogResult(Form&)> run;
  };
  // The next answer if it is of `kind`; otherwise reports the prompt as
  // unexpected and returns nullopt.
  std::optional<Answer> Take(PromptKind kind, std::string_view text);

  std::deque<Answer> answers_;
  std::vector<PromptRecord> log_;
};

}  // namespace kelvora::ui
