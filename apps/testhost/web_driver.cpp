// The web window's host driver: the window's session and server run in this
// process, chromedriver and headless Chromium in their own; every action is the
// operator's in the page (keys into boxes, clicks on buttons, tab strips, cells
// and the boxes' own buttons), read back from what the page shows.
#include "web_driver.h"

#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <optional>
#include <thread>
#include <variant>

#include <nlohmann/json.hpp>

#include "platform/posix/posix_platform.h"
#include "platform/web/window_server.h"
#include "platform/web/window_session.h"
#include "scenario.h"
#include "text/files.h"

extern char** environ;

namespace kelvora::testhost {

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr char kElementKey[] = "element-6066-11e4-a52e-4f735466cecf";
constexpr char kNoHost[] = "the web window has no host: ";
// WebDriver's keys.
constexpr char kCtrl[] = "\xee\x80\x89";       // U+E009
constexpr char kRelease[] = "\xee\x80\x80";    // U+E000
constexpr char kBackspace[] = "\xee\x80\x83";  // U+E003
constexpr char kEnter[] = "\xee\x80\x87";      // U+E007
constexpr char kEscape[] = "\xee\x80\x8c";     // U+E00C

// The page's parts, found by the scripts the driver runs in it. `level` 0 is
// the window, 1.. the modal forms on top of it.
constexpr char kScriptLib[] = R"JS(
const formOf = (level) => level === 0 ? document.querySelector('#scaler > .form')
  : document.querySelectorAll('#overlays > [data-kind="form"]')[level - 1]?.querySelector('.form');
const find = (level, name) => formOf(level)?.querySelector('[data-name="' + CSS.escape(name) + '"]');
const kindOf = (el) => ['text', 'check', 'combo', 'button', 'label', 'group', 'grid', 'tabs']
  .find((k) => el.classList.contains(k)) || '';
const disabled = (el) => el.disabled || !!el.querySelector(':scope > input:disabled');
// The first tab strip button that brings a page holding `el` to the front, or
// 'hidden' when something else hides it.
const reveal = (el) => {
  const chain = [];
  for (let e = el; e && !e.classList.contains('form'); e = e.parentElement) chain.unshift(e);
  for (const e of chain) {
    if (!e.classList.contains('hidden')) continue;
    const tabs = e.parentElement?.closest('.tabs');
    const strip = tabs?.querySelector(':scope > .strip button[data-page="' + CSS.escape(e.dataset.name || '') + '"]');
    return strip || 'hidden';
  }
  return null;
};
)JS";

std::string Js(std::string_view body) {
  return std::string(kScriptLib) + std::string(body);
}

int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
    port = ntohs(a.sin_port);
  }
  ::close(s);
  return port;
}

// chromedriver's HTTP API for one browser session.
class WebDriverClient {
 public:
  ~WebDriverClient() { Quit(); }

  std::string Start(const WebDriverOptions& options, const std::filesystem::path& work,
                    const std::filesystem::path& downloads) {
    port_ = FreePort();
    if (port_ == 0) return "no free port for chromedriver";
    const std::string exe = options.chromedriver.string();
    const std::string portArg = "--port=" + std::to_string(port_);
    const std::string logArg = "--log-path=" + (work / "chromedriver.log").string();
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(portArg.c_str()),
                    const_cast<char*>(logArg.c_str()), nullptr};
    // Its banner would fill the runner's output; its log is in the work folder.
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawn(&pid_, exe.c_str(), &quiet, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
      pid_ = 0;
      return "cannot start " + exe;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (true) {
      if (auto res = Client().Get("/status");
          res && res->status == 200 &&
          json::parse(res->body, nullptr, false).value("/value/ready"_json_pointer, false)) {
        break;
      }
      if (Clock::now() > deadline) return "chromedriver did not get ready";
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    json args = json::array(
        {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=1280,800", "--user-data-dir=" + (work / "chromium").string()});
    json caps = {{"capabilities",
                  {{"alwaysMatch",
                    {{"browserName", "chrome"},
                     {"goog:chromeOptions",
                      {{"binary", options.chromium.string()},
                       {"args", args},
                       {"prefs",
                        {{"download.default_directory", downloads.string()},
                         {"download.prompt_for_download", false}}}}}}}}}};
    json reply = Call("POST", "/session", caps);
    if (!reply.contains("value") || !reply["value"].contains("sessionId")) {
      return "chromedriver started no browser: " + reply.dump();
    }
    session_ = reply["value"]["sessionId"];
    Call("POST", Path("/timeouts"), {{"script", 60000}, {"pageLoad", 60000}});
    return {};
  }

  void Quit() {
    if (!session_.empty()) Call("DELETE", Path(""), nullptr);
    session_.clear();
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = 0;
    }
  }

  // The command's "value", or the error's message as {"error": ...}.
  json Call(const std::string& method, const std::string& path, const json& body) {
    httplib::Client c = Client();
    httplib::Result res = method == "GET"      ? c.Get(path)
                          : method == "DELETE" ? c.Delete(path)
                                               : c.Post(path, body.dump(), "application/json");
    if (!res) return json{{"error", "chromedriver did not answer " + path}};
    json reply = json::parse(res->body, nullptr, false);
    if (reply.is_discarded()) return json{{"error", "chromedriver answered " + res->body}};
    if (path == "/session") return reply;
    json value = reply.value("value", json());
    if (res->status != 200) {
      const std::string message =
          value.is_object() ? value.value("message", value.dump()) : value.dump();
      return json{{"error", message.substr(0, 400)}};
    }
    return json{{"value", value}};
  }
  std::string Path(const std::string& rest) const { return "/session/" + session_ + rest; }

  json Execute(const std::string& script, json args = json::array(), bool async = false) {
    return Call("POST", Path(async ? "/execute/async" : "/execute/sync"),
                {{"script", script}, {"args", std::move(args)}});
  }
  std::string Navigate(const std::string& url) {
    return Failure(Call("POST", Path("/url"), {{"url", url}}));
  }
  std::string ClickElement(const json& element) {
    return Failure(Call("POST", Path("/element/" + Id(element) + "/click"), json::object()));
  }
  std::string SendKeys(const json& element, const std::string& keys) {
    return Failure(Call("POST", Path("/element/" + Id(element) + "/value"), {{"text", keys}}));
  }

  static std::string Failure(const json& reply) {
    return reply.contains("error") ? reply["error"].get<std::string>() : std::string();
  }
  static bool IsElement(const json& v) { return v.is_object() && v.contains(kElementKey); }

 private:
  static std::string Id(const json& element) { return element.value(kElementKey, ""); }
  httplib::Client Client() const {
    httplib::Client c("127.0.0.1", port_);
    c.set_connection_timeout(10);
    c.set_read_timeout(120);
    return c;
  }

  int port_ = 0;
  pid_t pid_ = 0;
  std::string session_;
};

class WebHost;

// The window in the page at one level: the window itself (0) or a modal form.
class WebWindow final : public PluginWindow {
 public:
  WebWindow(WebHost& host, int level) : host_(host), level_(level) {}
  WindowState State() const override;
  void Command(WindowCommand command) override;
  std::optional<std::string> ControlText(const std::string& control) const override;
  std::optional<std::size_t> RowCount(const std::string& grid) const override;
  std::optional<std::string> CellText(const std::string& grid, std::size_t row,
                                      const std::string& column) const override;
  std::string Type(const std::string& control, const std::string& text) override;
  std::string Click(const std::string& control) override;
  std::string SetChecked(const std::string& control, bool checked) override;
  std::string ClickCell(const std::string& grid, std::size_t line,
                        const std::string& column) override;
  std::string Select(const std::string& control, const std::string& item) override;

 private:
  WebHost& host_;
  int level_;
};

class WebHost final : public HostDriver {
 public:
  explicit WebHost(WebDriverOptions options) : options_(std::move(options)) {}
  ~WebHost() override { Close(); }

  bool Can(Capability) const override { return false; }

  std::string Prepare(const std::filesystem::path& work) override {
    work_ = work;
    downloads_ = work / "downloads";
    const std::filesystem::path driveC = work / "drive_c";
    std::error_code error;
    std::filesystem::create_directories(driveC, error);
    std::filesystem::create_directories(downloads_, error);
    if (error) return "cannot prepare the work folder " + work.string();
    ::setenv("KELVORA_DRIVE_C", driveC.c_str(), 1);
    return {};
  }
  std::filesystem::path DrivePath(const std::string& windowsPath) const override {
    return platform::posix::MapWindowsPath(windowsPath);
  }

  std::string Start(const std::filesystem::path&, const std::filesystem::path& profile,
                    const HostOptions& options) override {
    const HostOptions usual;
    if (options.plugInMenu != usual.plugInMenu || options.automation != usual.automation ||
        options.scriptResult != usual.scriptResult || options.loadFails != usual.loadFails) {
      return std::string(kNoHost) + "no host settings";
    }
    session_ = std::make_unique<web::WindowSession>(web::SessionOptions{profile});
    server_ = std::make_unique<web::WindowServer>(*session_, web::ServerOptions{});
    if (std::string failure = server_->Start(); !failure.empty()) return failure;
    return browser_.Start(options_, work_, downloads_);
  }

  std::string Update() override { return std::string(kNoHost) + "no update cycles"; }
  void Notify(int id) override {
    if (id != kFirstCommandId)
      return Fault(std::string(kNoHost) + "no command " + std::to_string(id));
    if (std::string failure = OpenPage(); !failure.empty()) Fault(failure);
  }
  void Config() override {
    // The machine settings are the page's own button.
    std::string failure = OpenPage();
    if (failure.empty()) {
      json button = Value(browser_.Execute("return document.getElementById('config');"));
      failure = browser_.ClickElement(button);
    }
    if (failure.empty()) failure = Settle();
    if (!failure.empty()) Fault(failure);
  }
  void JogOff(std::int16_t) override { Fault(std::string(kNoHost) + "no jogging"); }
  std::string RegisterAutomationNow() override {
    return std::string(kNoHost) + "no automation object";
  }
  std::string Shutdown() override {
    if (!session_) return {};
    std::string failure;
    if (pageOpen_) {
      json button = Value(browser_.Execute("return document.getElementById('close');"));
      failure = browser_.ClickElement(button);
      const auto deadline = Clock::now() + std::chrono::seconds(30);
      while (failure.empty() && !session_->Closed()) {
        if (Clock::now() > deadline) failure = "the page's Close did not close the window";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
    Close();
    return failure;
  }

  // The one entry that opens the window: the page's address opened.
  std::optional<int> MenuCommand(const std::string& top, const std::string& entry) const override {
    if (top == "PlugIn Control" && entry == "Kelvora") return kFirstCommandId;
    return std::nullopt;
  }
  std::vector<std::string> MenuTexts(const std::string&) const override {
    Fault(std::string(kNoHost) + "no menu bar");
    return {};
  }
  void SetDro(std::int16_t, double) override { Fault(std::string(kNoHost) + "no DROs"); }
  bool SetEngineByte(std::size_t, std::uint8_t) override {
    Fault(std::string(kNoHost) + "no engine block");
    return false;
  }
  std::optional<std::uint8_t> EngineByte(std::size_t) const override {
    Fault(std::string(kNoHost) + "no engine block");
    return std::nullopt;
  }
  std::optional<std::string> Status() const override {
    Fault(std::string(kNoHost) + "no status line");
    return std::nullopt;
  }
  std::vector<int> Buttons() const override {
    Fault(std::string(kNoHost) + "no buttons");
    return {};
  }
  std::vector<LoadCall> LoadCalls() const override {
    Fault(std::string(kNoHost) + "nothing to load into");
    return {};
  }
  int ScriptCalls() const override {
    Fault(std::string(kNoHost) + "no scripts");
    return 0;
  }

  void QueueAnswer(Answer answer) override { answers_.push_back(std::move(answer)); }
  std::size_t PendingAnswers() const override { return answers_.size(); }
  std::vector<Prompt> TakePrompts() override { return std::exchange(prompts_, {}); }
  std::vector<std::string> TakeFaults() override { return std::exchange(faults_, {}); }

  std::unique_ptr<PluginWindow> FindWindow(const std::string& name) override {
    if (name != "XYZDemoDialog" || !pageOpen_ || !session_ || session_->Closed()) return nullptr;
    return std::make_unique<WebWindow>(*this, 0);
  }

  // --- For the window ---

  // Runs a script with the page's helpers; its value, or {"error": ...}.
  json Run(std::string_view body, json args) { return browser_.Execute(Js(body), std::move(args)); }
  static json Value(const json& reply) { return reply.value("value", json()); }

  // The control `name` at `level`, its tab page brought to the front first: the
  // element, or why it cannot be used.
  std::variant<json, std::string> Reach(int level, const std::string& name) {
    for (int round = 0; round < 6; ++round) {
      json r = Run(R"JS(
        const [level, name] = arguments;
        const el = find(level, name);
        if (!el) return {missing: true};
        const strip = reveal(el);
        if (strip === 'hidden') return {hidden: true};
        if (strip) return {strip};
        return {el, kind: kindOf(el), disabled: disabled(el)};)JS",
                   {level, name});
      if (r.contains("error")) return r["error"].get<std::string>();
      const json v = r["value"];
      if (v.value("missing", false)) return "no control " + name;
      if (v.value("hidden", false) || v.value("disabled", false))
        return name + " is hidden or disabled";
      if (v.contains("strip")) {
        if (std::string f = browser_.ClickElement(v["strip"]); !f.empty()) return f;
        if (std::string f = Settle(); !f.empty()) return f;
        continue;
      }
      return v;
    }
    return name + " cannot be brought to the front";
  }

  // Waits until the page has drawn every answer, then answers the boxes it
  // shows with the queued answers, and saves the downloads answered for.
  std::string Settle() {
    for (int round = 0; round < 200; ++round) {
      if (std::string f = Idle(); !f.empty()) return f;
      json state = Value(browser_.Execute("return window.kelvoraState();"));
      if (!state.is_object()) return "the page shows no window";
      if (state.contains("prompt")) {
        if (std::string f = AnswerBox(state["prompt"]); !f.empty()) return f;
        continue;
      }
      const int top = static_cast<int>(state["forms"].size()) - 1;
      if (top > formsAnswered_) {
        formsAnswered_ = top;
        if (std::string f = AnswerForm(top, state["forms"][top]); !f.empty()) return f;
        continue;
      }
      formsAnswered_ = top;
      return SaveDownloads();
    }
    return "the page kept showing boxes";
  }

  std::string Idle() {
    json r = browser_.Execute(
        "const done = arguments[arguments.length - 1];"
        "(function wait() { window.kelvoraIdle ? window.kelvoraIdle().then(() => done(true))"
        " : setTimeout(wait, 20); })();",
        json::array(), true);
    return WebDriverClient::Failure(r);
  }

  WebDriverClient& Browser() { return browser_; }
  void Fault(std::string text) const { faults_.push_back(std::move(text)); }

 private:
  std::string OpenPage() {
    if (!session_) return "the window has not started";
    if (pageOpen_) return {};
    pageOpen_ = true;
    if (std::string f = browser_.Navigate(server_->Address()); !f.empty()) return f;
    return Settle();
  }

  std::optional<Answer> NextAnswer(PromptKind kind, const std::string& what) {
    if (answers_.empty()) {
      Fault("unanswered " + what);
      return std::nullopt;
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    if (answer.kind != kind) {
      Fault("the answer was for another box than " + what);
      return std::nullopt;
    }
    return answer;
  }

  std::string AnswerBox(const json& prompt) {
    static const std::pair<std::string_view, PromptKind> kKinds[] = {
        {"message", PromptKind::kMessage},
        {"yesno", PromptKind::kYesNo},
        {"open", PromptKind::kOpenFile},
        {"save", PromptKind::kSaveFile}};
    const std::string kindName = prompt.value("kind", "");
    PromptKind kind = PromptKind::kMessage;
    for (const auto& [n, k] : kKinds) {
      if (n == kindName) kind = k;
    }
    const std::string text = prompt.value("text", "");
    prompts_.push_back({kind, text, prompt.value("caption", "")});
    auto answer = NextAnswer(kind, kindName + " \"" + text + "\"");
    // An unanswered or wrongly answered box is refused (No, Cancel), so the
    // run goes on to report it.
    std::string label = kind == PromptKind::kMessage ? "OK"
                        : kind == PromptKind::kYesNo ? "No"
                                                     : "Cancel";
    if (answer) {
      if (kind == PromptKind::kYesNo && answer->yes) label = "Yes";
      if (kind == PromptKind::kOpenFile && answer->path) {
        json input =
            Value(Run("return document.querySelector('#overlays [data-kind=\"prompt\"] "
                      "input[type=file]');",
                      json::array()));
        const std::string file = std::filesystem::absolute(*answer->path).string();
        if (std::string f = browser_.SendKeys(input, file); !f.empty()) return f;
        label = "Open";
      }
      if (kind == PromptKind::kSaveFile && answer->path) {
        saves_.push_back(*answer->path);
        label = "Save";
      }
    }
    json button =
        Value(Run("return document.querySelector('#overlays [data-kind=\"prompt\"] "
                  "[data-answer=\"' + arguments[0] + '\"]');",
                  {label}));
    if (!WebDriverClient::IsElement(button)) return "the box has no " + label + " button";
    return browser_.ClickElement(button);
  }

  std::string AnswerForm(int level, const json& form) {
    const std::string title = form.value("text", "");
    const std::string name = form.value("name", "");
    prompts_.push_back({PromptKind::kModalForm, title, name});
    auto answer = NextAnswer(PromptKind::kModalForm, "modal form \"" + title + "\"");
    WebWindow window(*this, level);
    if (answer) {
      for (const auto& [control, value] : answer->values) {
        std::string failure = window.Type(control, value);
        if (failure.starts_with("no text box"))
          failure = window.SetChecked(control, value == "True");
        if (failure.starts_with("no check box")) failure = window.Select(control, value);
        if (!failure.empty()) Fault(name + ": " + failure);
      }
    }
    json modal = Value(Run("return formOf(arguments[0])?.closest('.modal');", {level}));
    if (!WebDriverClient::IsElement(modal)) return "the form " + name + " is not shown";
    return browser_.SendKeys(modal, answer && answer->yes ? kEnter : kEscape);
  }

  // Each save answered with a file: the page's download, copied there.
  std::string SaveDownloads() {
    for (const std::filesystem::path& target : std::exchange(saves_, {})) {
      const auto deadline = Clock::now() + std::chrono::seconds(30);
      std::optional<std::filesystem::path> got;
      while (!got) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(downloads_, ec)) {
          if (entry.path().extension() != ".crdownload") got = entry.path();
        }
        if (got) break;
        if (Clock::now() > deadline) return "no file was downloaded for " + target.string();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      std::error_code ec;
      std::filesystem::create_directories(target.parent_path(), ec);
      std::filesystem::rename(*got, target, ec);
      if (ec) {
        std::filesystem::copy_file(*got, target, std::filesystem::copy_options::overwrite_existing,
                                   ec);
        std::filesystem::remove(*got, ec);
      }
      if (ec) return "cannot keep the download as " + target.string() + ": " + ec.message();
    }
    return {};
  }

  void Close() {
    browser_.Quit();
    if (server_) server_->Stop();
    server_.reset();
    session_.reset();
    pageOpen_ = false;
  }

  WebDriverOptions options_;
  std::filesystem::path work_;
  std::filesystem::path downloads_;
  std::unique_ptr<web::WindowSession> session_;
  std::unique_ptr<web::WindowServer> server_;
  WebDriverClient browser_;
  bool pageOpen_ = false;
  int formsAnswered_ = 0;
  std::deque<Answer> answers_;
  std::vector<Prompt> prompts_;
  mutable std::vector<std::string> faults_;
  std::vector<std::filesystem::path> saves_;
};

WindowState WebWindow::State() const {
  return WindowState::kNormal;
}

void WebWindow::Command(WindowCommand) {
  host_.Fault("the web window is a page: the browser minimises, restores and closes it");
}

std::optional<std::string> WebWindow::ControlText(const std::string& control) const {
  json r = host_.Run(R"JS(
    const el = find(arguments[0], arguments[1]);
    if (!el) return null;
    switch (kindOf(el)) {
      case 'text': return el.value;
      case 'check': return el.querySelector('input').checked ? 'True' : 'False';
      case 'combo': return el.selectedIndex >= 0 ? el.options[el.selectedIndex].text : '';
      case 'group': return el.querySelector('.caption').textContent;
      default: return el.textContent;
    })JS",
                     {level_, control});
  json v = WebHost::Value(r);
  if (!v.is_string()) return std::nullopt;
  return v.get<std::string>();
}

std::optional<std::size_t> WebWindow::RowCount(const std::string& grid) const {
  json r = host_.Run(R"JS(
    const [level, name] = arguments;
    const walk = (n) => n.name === name ? n : (n.children || []).map(walk).find((x) => x);
    const n = walk(window.kelvoraState().forms[level]);
    return n && n.kind === 'grid' ? n.rowCount : null;)JS",
                     {level_, grid});
  json v = WebHost::Value(r);
  if (!v.is_number_unsigned()) return std::nullopt;
  return v.get<std::size_t>();
}

std::optional<std::string> WebWindow::CellText(const std::string& grid, std::size_t row,
                                               const std::string& column) const {
  json r = host_.Run(R"JS(
    const [level, name, row, column] = arguments;
    const table = find(level, name)?.querySelector('table');
    if (!table) return null;
    const head = [...table.rows[0].cells];
    const skip = head.length && head[0].textContent === '' && head[0].style.width === '40px' ? 1 : 0;
    const col = head.findIndex((th, i) => i >= skip && th.textContent.replace(/ [\u25b2\u25bc]$/, '') === column);
    const tr = table.rows[row + 1];
    if (col < 0 || !tr) return null;
    return tr.cells[col].textContent;)JS",
                     {level_, grid, row, column});
  json v = WebHost::Value(r);
  if (!v.is_string()) return std::nullopt;
  return v.get<std::string>();
}

std::string WebWindow::Type(const std::string& control, const std::string& text) {
  auto reached = host_.Reach(level_, control);
  if (auto* failure = std::get_if<std::string>(&reached)) {
    return failure->starts_with("no control") ? "no text box " + control : *failure;
  }
  const json& v = std::get<json>(reached);
  if (v["kind"] != "text") return "no text box " + control;
  // The operator selects the box's text, deletes it and types, key by key.
  WebDriverClient& b = host_.Browser();
  if (std::string f = b.ClickElement(v["el"]); !f.empty()) return f;
  if (std::string f = b.SendKeys(v["el"], std::string(kCtrl) + "a" + kRelease + kBackspace + text);
      !f.empty()) {
    return f;
  }
  return host_.Settle();
}

std::string WebWindow::Click(const std::string& control) {
  auto reached = host_.Reach(level_, control);
  if (auto* failure = std::get_if<std::string>(&reached)) return *failure;
  const json& v = std::get<json>(reached);
  if (v["kind"] != "button" && v["kind"] != "check") return control + " cannot be clicked";
  if (std::string f = host_.Browser().ClickElement(v["el"]); !f.empty()) return f;
  return host_.Settle();
}

std::string WebWindow::SetChecked(const std::string& control, bool checked) {
  auto reached = host_.Reach(level_, control);
  if (auto* failure = std::get_if<std::string>(&reached)) {
    return failure->starts_with("no control") ? "no check box " + control : *failure;
  }
  const json& v = std::get<json>(reached);
  if (v["kind"] != "check") return "no check box " + control;
  if (ControlText(control) == (checked ? "True" : "False")) return {};
  if (std::string f = host_.Browser().ClickElement(v["el"]); !f.empty()) return f;
  return host_.Settle();
}

std::string WebWindow::ClickCell(const std::string& grid, std::size_t line,
                                 const std::string& column) {
  auto reached = host_.Reach(level_, grid);
  if (auto* failure = std::get_if<std::string>(&reached)) return *failure;
  if (std::get<json>(reached)["kind"] != "grid") return "no grid " + grid;
  json r = host_.Run(R"JS(
    const [level, name, line, column] = arguments;
    const table = find(level, name).querySelector('table');
    const head = [...table.rows[0].cells];
    const col = head.findIndex((th) => th.textContent.replace(/ [\u25b2\u25bc]$/, '') === column);
    if (col < 0) return 'column';
    const tr = table.rows[line + 1];
    return tr ? tr.cells[col] : 'line';)JS",
                     {level_, grid, line, column});
  json v = WebHost::Value(r);
  if (v == "column") return grid + " has no column " + column;
  if (!WebDriverClient::IsElement(v)) return grid + " has no line " + std::to_string(line + 1);
  if (std::string f = host_.Browser().ClickElement(v); !f.empty()) return f;
  return host_.Settle();
}

std::string WebWindow::Select(const std::string& control, const std::string& item) {
  auto reached = host_.Reach(level_, control);
  if (auto* failure = std::get_if<std::string>(&reached)) {
    return failure->starts_with("no control") ? "no drop-down or tab control " + control : *failure;
  }
  const json& v = std::get<json>(reached);
  json r = host_.Run(R"JS(
    const [level, name, item] = arguments;
    const el = find(level, name);
    if (kindOf(el) === 'combo') return [...el.options].find((o) => o.text === item) || 'item';
    if (kindOf(el) === 'tabs') {
      return [...el.querySelectorAll(':scope > .strip button')]
        .find((b) => b.textContent === item || b.dataset.page === item) || 'page';
    }
    return 'kind';)JS",
                     {level_, control, item});
  json target = WebHost::Value(r);
  if (target == "kind") return "no drop-down or tab control " + control;
  if (target == "item") return control + " has no item \"" + item + "\"";
  if (target == "page") return control + " has no page \"" + item + "\"";
  WebDriverClient& b = host_.Browser();
  if (v["kind"] == "combo") {
    // The list opened, then its item chosen, as with the mouse.
    if (std::string f = b.ClickElement(v["el"]); !f.empty()) return f;
  }
  if (std::string f = b.ClickElement(target); !f.empty()) return f;
  return host_.Settle();
}

}  // namespace

std::unique_ptr<HostDriver> MakeWebDriver(WebDriverOptions options) {
  return std::make_unique<WebHost>(std::move(options));
}

}  // namespace kelvora::testhost
