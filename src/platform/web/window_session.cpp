#include "platform/web/window_session.h"

#include <cstdlib>
#include <functional>
#include <random>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include "dialog/config_dialog.h"
#include "dialog/program_hand_off.h"
#include "dialog/xyz_demo_dialog.h"
#include "platform/web/widget_json.h"
#include "plugin/dialog_settings.h"
#include "settings/machine_settings.h"
#include "settings/settings_profile.h"
#include "text/files.h"
#include "text/gcode_dialect.h"
#include "ui/prompts.h"

namespace kelvora::web {

using nlohmann::json;

namespace {

// The Load buttons of the tabs, and the job each program is named after. In the
// web window there is no host to load into: they save the program.
struct LoadButton {
  const char* name;
  const char* job;
};
constexpr LoadButton kLoadButtons[] = {
    {"btnDrillLoadGcode", "circle"}, {"btnGridLoad", "grid"},    {"btnAnyLoad", "points"},
    {"btnDxfLoad", "router"},        {"btnMSqrLoad", "surface"}, {"btnThreadLoad", "thread"},
    {"btnTchLoad", "teach"},
};
// The Load buttons' caption in the window's four languages (Vietnamese,
// English, Thai, Indonesian, as the language chooser lists them).
constexpr std::string_view kSaveProgramCaptions[] = {"Lưu chương trình", "Save program",
                                                     "บันทึกโปรแกรม", "Simpan program"};

// The lists a tab opens and saves: the Open and Save buttons of one list, and
// the name its download takes when nothing was opened into it.
struct ListButtons {
  const char* open;
  const char* save;
  const char* name;
};
constexpr ListButtons kListButtons[] = {
    {"btnAnyLoadFile", "btnAnySave", "points"},
    {"btnCutOpen", "btnCutSave", "cuts"},
    {"btnTchOpen", "btnTchSave", "teach"},
};

// The question a list's Save asks when its file exists.
constexpr std::string_view kReplaceQuestion = "Replace existing file?";

// A new profile: the host's empty document, which the first save fills.
constexpr std::string_view kEmptyProfile =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<profile />\n";

// What an event's work gives back: a reply at once (a refusal, a picture), or
// nothing, and the state is sent when the dialog waits again.
using WorkResult = std::optional<Reply>;

Reply Refused(std::string message) {
  return Reply{400, json{{"error", std::move(message)}}};
}

// The name an uploaded file keeps (the readers know a file's kind by its
// extension): its last part only, letters, digits, ".", "-" and "_", never
// starting with a dot.
std::string UploadName(std::string_view name) {
  if (const auto cut = name.find_last_of("/\\"); cut != std::string_view::npos) {
    name.remove_prefix(cut + 1);
  }
  std::string out;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    out += plain ? c : '_';
  }
  while (!out.empty() && out.front() == '.') out.erase(out.begin());
  return out.empty() ? "upload" : out.substr(0, 100);
}

// ".csv" of a filter "csv files (*.csv)|*.csv|All files (*.*)|*.*": the first
// pattern's extension, empty for "*.*".
std::string FirstExtension(std::string_view filter) {
  const auto star = filter.find("*.");
  if (star == std::string_view::npos) return {};
  std::string ext = ".";
  for (std::size_t i = star + 2; i < filter.size(); ++i) {
    const char c = filter[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) break;
    ext += c;
  }
  return ext.size() > 1 ? ext : std::string();
}

}  // namespace

namespace {

// The programs the Load buttons hand over wait as downloads.
class DownloadHandOff : public dialog::ProgramHandOff {
 public:
  explicit DownloadHandOff(std::function<void(std::string)> sink) : sink_(std::move(sink)) {}
  Outcome<void> WriteProgramFile(std::string_view bytes) override {
    sink_(std::string(bytes));
    return {};
  }
  void CreateGcodeFolder() override {}

 private:
  std::function<void(std::string)> sink_;
};

}  // namespace

struct WindowSession::Impl : ui::Prompts {
  struct Pending {
    std::function<WorkResult()> work;
    std::promise<Reply> promise;
  };
  // A box waiting for the page's answer.
  struct Question {
    std::string kind;  // "message", "yesno", "open" or "save"; a file dialog's text is its filter
    std::string text;
    std::string caption;
    std::optional<bool> answer;
    std::string path;  // the private file an accepted file dialog hands the dialog
  };
  // What is shown on top of the window: a modal form or a box.
  struct Level {
    ui::Form* form = nullptr;
    Question* question = nullptr;
  };

  explicit Impl(SessionOptions o) : options(std::move(o)) {}

  SessionOptions options;

  // Shared with the server's threads.
  mutable std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable closedCv;
  std::deque<Pending> queue;
  bool stopping = false;
  bool closed = false;
  std::map<std::uint64_t, Download> downloads;
  std::string saveError;
  std::thread worker;

  // The dialog's thread alone.
  std::optional<std::promise<Reply>> current;
  std::unique_ptr<DownloadHandOff> handOff;
  std::unique_ptr<dialog::XYZDemoDialog> dlg;
  settings::Settings settings;
  motion::Machine machine;
  std::vector<Level> levels;
  std::map<ui::Form*, PictureVersions> pictures;
  std::string lastButton;
  // The name of the file last opened into each list (by its Save button), so
  // that saving it again downloads it under the same name.
  std::map<std::string, std::string> openedNames;
  std::optional<std::pair<std::uint64_t, std::string>> offered;  // the newest download
  std::uint64_t nextDownload = 1;
  int depth = 0;  // events being applied, one inside another while a prompt waits
  // Private folders of uploaded files (kept while the session lives: a tab
  // reads its drawing again at GCode Gen) and of files the dialog saves
  // (offered as downloads once the event ends, then removed).
  std::vector<std::filesystem::path> opened;
  std::vector<std::pair<std::filesystem::path, std::string>> savedFiles;  // file, download name

  void Start() {
    worker = std::thread([this] { Run(); });
  }

  // --- Queue ---

  std::future<Reply> Enqueue(std::function<WorkResult()> work) {
    Pending p{std::move(work), {}};
    std::future<Reply> f = p.promise.get_future();
    {
      std::lock_guard lock(mutex);
      if (stopping) {
        p.promise.set_value(Reply{503, json{{"error", "The window is closed."}}});
        return f;
      }
      queue.push_back(std::move(p));
    }
    wake.notify_one();
    return f;
  }

  // Sends the state to the event waiting for it, if any.
  void Settle() {
    if (!current) return;
    current->set_value(Reply{200, State()});
    current.reset();
  }

  // Waits for one event and applies it. False once the session stops.
  bool WaitOne() {
    Settle();
    Pending p;
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [this] { return stopping || !queue.empty(); });
      if (stopping) return false;
      p = std::move(queue.front());
      queue.pop_front();
    }
    current = std::move(p.promise);
    WorkResult result;
    ++depth;
    try {
      result = p.work();
    } catch (const std::exception& e) {
      result = Reply{500, json{{"error", std::string("The window failed: ") + e.what()}}};
    }
    if (--depth == 0) CollectFiles();
    Relabel();
    if (result && current) {
      current->set_value(std::move(*result));
      current.reset();
    }
    return true;
  }

  void Run() {
    handOff = std::make_unique<DownloadHandOff>([this](std::string bytes) { Offer(bytes); });
    dlg = std::make_unique<dialog::XYZDemoDialog>(*this, *handOff);
    dlg->SetMachineSource([this] { return machine; });
    Watch(dlg->GetForm());
    levels.push_back({&dlg->GetForm(), nullptr});
    dlg->ShowAndFocus();
    ReadProfile();
    Relabel();
    while (WaitOne()) {
    }
    Settle();
    SaveProfile();
    CollectFiles();
    RemoveOpened();
    std::deque<Pending> left;
    {
      std::lock_guard lock(mutex);
      left.swap(queue);
      closed = true;
    }
    for (Pending& p : left)
      p.promise.set_value(Reply{503, json{{"error", "The window is closed."}}});
    closedCv.notify_all();
  }

  void Watch(ui::Form& form) { pictures[&form].Watch(form); }

  // --- Profile ---

  void ReadProfile() {
    const std::string path = text::PathToUtf8(options.profile);
    std::error_code ec;
    if (!std::filesystem::exists(options.profile, ec)) {
      std::filesystem::create_directories(options.profile.parent_path(), ec);
      if (const Outcome<void> made = text::WriteFileAtomic(options.profile, kEmptyProfile); !made) {
        SetSaveError(made.failure().message);
      }
    }
    settings::FirstOpeningRead read = settings::SettingsFirstOpening(
        path, [this](std::string_view text, std::string_view caption) { Message(text, caption); });
    settings = read.settings;
    machine = settings::MachineOf(settings);
    plugin::LoadParam(*dlg, settings);
    if (const auto unreadable = settings::UnreadableSettingsMessage(read)) {
      Message(*unreadable, settings::kProfileCaption);
    }
  }

  void SetSaveError(std::string error) {
    std::lock_guard lock(mutex);
    saveError = std::move(error);
  }

  void SaveProfile() {
    if (!dlg || !dlg->ParamLoaded()) return;
    plugin::SaveParam(*dlg, settings);
    settings::ShutdownState state;
    state.dialogExists = true;
    state.dialogVisible = true;
    state.settings = &settings;
    state.machine = &machine;
    std::string failure;
    const bool saved = settings::SettingsShutdown(
        text::PathToUtf8(options.profile), state,
        [&failure](std::string_view text, std::string_view) { failure = std::string(text); });
    SetSaveError(saved ? std::string()
                       : (failure.empty() ? "The profile was not saved." : failure));
  }

  // --- Downloads ---

  // A saved list's download name: the file opened into the list, else the
  // list's own name, with the save dialog's extension.
  std::string SaveName(const std::string& extension) const {
    for (const ListButtons& list : kListButtons) {
      if (lastButton != list.save) continue;
      if (const auto it = openedNames.find(list.save); it != openedNames.end()) {
        const std::string& file = it->second;
        const auto dot = file.rfind('.');
        const std::string stem = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
        return stem + extension;
      }
      return list.name + extension;
    }
    return "kelvora" + extension;
  }

  std::string ProgramName() const {
    std::string job = "program";
    for (const LoadButton& b : kLoadButtons) {
      if (lastButton == b.name) job = b.job;
    }
    return job + (machine.dialect == text::Dialect::kLinuxCnc ? ".ngc" : ".nc");
  }

  void Offer(std::string bytes) { Offer(std::move(bytes), ProgramName()); }
  void Offer(std::string bytes, const std::string& name) {
    const std::uint64_t id = nextDownload++;
    {
      std::lock_guard lock(mutex);
      // Only the newest program waits: a page that never fetched the last one
      // does not pile programs up in the server.
      downloads.clear();
      downloads[id] = Download{name, std::move(bytes)};
    }
    offered = {id, name};
  }

  // The Load buttons read "Save program" in the window's language, also after
  // a language switch; the load request they raise has no host to serve it.
  void Relabel() {
    if (!dlg) return;
    const int language = dlg->Language;
    const std::string_view caption =
        language >= 0 && language < static_cast<int>(std::size(kSaveProgramCaptions))
            ? kSaveProgramCaptions[language]
            : kSaveProgramCaptions[1];
    for (const LoadButton& b : kLoadButtons) {
      if (auto* button = dlg->Find<ui::Button>(b.name); button && button->Text() != caption) {
        button->SetText(std::string(caption));
      }
    }
    dlg->LoadFileTrigger = false;
    dlg->closeFileTrigger = false;
  }

  // --- Files through the browser ---

  // A fresh folder only this user may enter, for one file.
  static std::optional<std::filesystem::path> PrivateFolder() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) return std::nullopt;
    for (int attempt = 0; attempt < 16; ++attempt) {
      const std::filesystem::path dir = base / ("kelvora-window-" + NewFolderName());
      if (std::filesystem::create_directory(dir, ec) && !ec) {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
        return dir;
      }
    }
    return std::nullopt;
  }
  static std::string NewFolderName() {
    static std::random_device device;
    std::string name;
    for (int i = 0; i < 4; ++i) name += std::to_string(device() % 10000);
    return name;
  }

  // Once the event that saved files has ended: a saved file becomes the newest
  // download, its folder is removed.
  void CollectFiles() {
    std::error_code ec;
    for (const auto& [file, name] : savedFiles) {
      if (auto bytes = text::ReadFileBytes(file)) Offer(std::move(*bytes), name);
      std::filesystem::remove_all(file.parent_path(), ec);
    }
    savedFiles.clear();
  }
  void RemoveOpened() {
    std::error_code ec;
    for (const std::filesystem::path& dir : opened) std::filesystem::remove_all(dir, ec);
    opened.clear();
  }

  // The uploaded file for the open-file dialog waiting on top.
  WorkResult Upload(const std::string& name, std::string bytes) {
    if (levels.empty() || !levels.back().question || levels.back().question->kind != "open") {
      return Refused("No open-file dialog waits for a file.");
    }
    auto dir = PrivateFolder();
    if (!dir) return Reply{500, json{{"error", "The window cannot keep the file."}}};
    opened.push_back(*dir);
    const std::filesystem::path file = *dir / text::PathFromUtf8(UploadName(name));
    if (const Outcome<void> written = text::WriteFileAtomic(file, bytes); !written) {
      return Reply{500, json{{"error", written.failure().message}}};
    }
    levels.back().question->path = text::PathToUtf8(file);
    levels.back().question->answer = true;
    for (const ListButtons& list : kListButtons) {
      if (lastButton == list.open) openedNames[list.save] = UploadName(name);
    }
    return std::nullopt;
  }

  // --- State ---

  json State() {
    json forms = json::array();
    for (const Level& level : levels) {
      if (level.form) forms.push_back(FormToJson(*level.form, pictures[level.form]));
    }
    json state = {{"forms", std::move(forms)}, {"dialect", text::RulesOf(machine.dialect).name}};
    if (!levels.empty() && levels.back().question) {
      const Question& q = *levels.back().question;
      state["prompt"] = {{"kind", q.kind}, {"text", q.text}, {"caption", q.caption}};
    }
    if (offered) {
      state["download"] = {{"id", offered->first}, {"name", offered->second}};
      offered.reset();
    }
    {
      std::lock_guard lock(mutex);
      if (!saveError.empty()) state["saveError"] = saveError;
    }
    return state;
  }

  // --- Events ---

  WorkResult Apply(const json& event) {
    if (!event.is_object() || !event.contains("type") || !event["type"].is_string()) {
      return Refused("Malformed event: no type");
    }
    const std::string type = event["type"];
    const Level& top = levels.back();
    if (event.contains("level") && (!event["level"].is_number_unsigned() ||
                                    event["level"].get<std::size_t>() != levels.size() - 1)) {
      return Refused("The window waits for an answer in another box.");
    }
    if (type == "state") return std::nullopt;
    if (type == "answer") {
      if (!top.question) return Refused("No box waits for an answer.");
      const auto yes = event.find("yes");
      if (yes == event.end() || !yes->is_boolean())
        return Refused("Malformed event: an answer needs yes");
      top.question->answer = yes->get<bool>();
      return std::nullopt;
    }
    if (top.question) return Refused("The window waits for an answer.");
    ui::Form& form = *top.form;
    if (type == "close") {
      if (levels.size() > 1) return Refused("Close the open box first.");
      SaveProfile();
      {
        std::lock_guard lock(mutex);
        stopping = true;
      }
      return Reply{200, json{{"closed", true}}};
    }
    if (type == "config") {
      if (levels.size() > 1) return Refused("Close the open box first.");
      dialog::ConfigDialog config(*this);
      if (auto changed = config.ShowDialog(machine)) {
        machine = *changed;
        SaveProfile();
      }
      return std::nullopt;
    }
    if (type == "enter" || type == "escape") {
      if (type == "enter" ? !form.PressEnter() : !form.PressEscape()) {
        if (levels.size() > 1 && type == "escape") form.SetModalResult(ui::DialogResult::kCancel);
      }
      return std::nullopt;
    }
    if (type == "dismiss") {
      if (levels.size() == 1) return Refused("The window is not a box.");
      form.SetModalResult(ui::DialogResult::kCancel);
      return std::nullopt;
    }
    if (type == "click" && event.contains("name") && event["name"].is_string()) {
      lastButton = event["name"];
    }
    const Outcome<void> applied = ApplyEvent(form, event, dlg->GetClipboard());
    if (!applied) return Refused(applied.failure().message);
    // Every button press of the window is saved at once, so a killed server
    // loses at most the last change.
    if (type == "click" && levels.size() == 1 && ui::FindByName(form, lastButton) &&
        ui::FindByName(form, lastButton)->Kind() == ui::ControlKind::kButton) {
      SaveProfile();
    }
    return std::nullopt;
  }

  // --- Prompts: each waits, on the dialog's thread, for the page's answer ---

  bool Ask(std::string kind, std::string_view text, std::string_view caption) {
    Question q{std::move(kind), std::string(text), std::string(caption), std::nullopt, {}};
    levels.push_back({nullptr, &q});
    while (!q.answer && WaitOne()) {
    }
    levels.pop_back();
    return q.answer.value_or(false);
  }

  void Message(std::string_view text, std::string_view caption) override {
    Ask("message", text, caption);
  }
  bool YesNo(std::string_view text, std::string_view caption) override {
    // The only files a list's Save could replace here are the window's private
    // copies of uploads: replacing one would save nothing the operator gets.
    // Answered No, the list is saved as a download instead.
    if (text == kReplaceQuestion) return false;
    return Ask("yesno", text, caption);
  }
  // Files travel through the browser, never as paths from the page: an
  // open-file dialog waits for the page's upload, which the dialog reads from a
  // private copy; a save-file dialog the operator accepts hands the dialog a
  // private file, downloaded once the event ends.
  std::optional<std::string> OpenFile(std::string_view filter) override {
    Question q{"open", std::string(filter), "Open", std::nullopt, {}};
    levels.push_back({nullptr, &q});
    while (!q.answer && WaitOne()) {
    }
    levels.pop_back();
    if (!q.answer.value_or(false) || q.path.empty()) return std::nullopt;
    return q.path;
  }
  std::optional<std::string> SaveFile(std::string_view filter) override {
    if (!Ask("save", filter, "Save")) return std::nullopt;
    auto dir = PrivateFolder();
    if (!dir) return std::nullopt;
    const std::string name = SaveName(FirstExtension(filter));
    const std::filesystem::path file = *dir / name;
    savedFiles.emplace_back(file, name);
    return text::PathToUtf8(file);
  }

  ui::DialogResult ShowModal(ui::Form& form) override {
    form.SetModalResult(ui::DialogResult::kNone);
    form.Show();
    Watch(form);
    levels.push_back({&form, nullptr});
    while (form.ModalResult() == ui::DialogResult::kNone && form.Visible() && WaitOne()) {
    }
    levels.pop_back();
    pictures.erase(&form);
    form.Hide();
    const ui::DialogResult result = form.ModalResult();
    return result == ui::DialogResult::kNone ? ui::DialogResult::kCancel : result;
  }
};

WindowSession::WindowSession(SessionOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
  impl_->Start();
}

WindowSession::~WindowSession() {
  Stop();
  if (impl_->worker.joinable()) impl_->worker.join();
}

Reply WindowSession::Upload(const std::string& name, std::string bytes) {
  return impl_
      ->Enqueue([this, name, bytes = std::move(bytes)]() mutable -> WorkResult {
        return impl_->Upload(name, std::move(bytes));
      })
      .get();
}

Reply WindowSession::Post(const json& event) {
  return impl_->Enqueue([this, event]() -> WorkResult { return impl_->Apply(event); }).get();
}

std::string WindowSession::Picture(std::size_t level, const std::string& control) {
  Reply r = impl_
                ->Enqueue([this, level, control]() -> WorkResult {
                  if (level >= impl_->levels.size() || !impl_->levels[level].form) {
                    return Reply{404, json{}};
                  }
                  ui::Control* c = ui::FindByName(*impl_->levels[level].form, control);
                  if (!c) return Reply{404, json{}};
                  return Reply{200, json(PictureSvg(*c))};
                })
                .get();
  return r.status == 200 && r.body.is_string() ? r.body.get<std::string>() : std::string();
}

std::optional<Download> WindowSession::TakeDownload(std::uint64_t id) {
  std::lock_guard lock(impl_->mutex);
  const auto it = impl_->downloads.find(id);
  if (it == impl_->downloads.end()) return std::nullopt;
  Download d = std::move(it->second);
  impl_->downloads.erase(it);
  return d;
}

bool WindowSession::Closed() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->closed;
}

void WindowSession::WaitClosed() {
  std::unique_lock lock(impl_->mutex);
  impl_->closedCv.wait(lock, [this] { return impl_->closed; });
}

void WindowSession::Stop() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->wake.notify_all();
  WaitClosed();
}

std::string WindowSession::LastSaveError() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->saveError;
}

std::filesystem::path DefaultProfilePath() {
#ifdef _WIN32
  if (const char* appData = std::getenv("APPDATA"); appData && *appData) {
    return text::PathFromUtf8(appData) / "Kelvora" / "profile.xml";
  }
  return std::filesystem::path("Kelvora") / "profile.xml";
#else
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
    return std::filesystem::path(config) / "kelvora" / "profile.xml";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".config" / "kelvora" / "profile.xml";
#endif
}

}  // namespace kelvora::web
