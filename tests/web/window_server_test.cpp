// The web window's server, driven over real HTTP on the loopback address: who
// may reach it (token, host, origin), what it never sends (cross-origin
// headers), what it refuses (large bodies, malformed events, which change
// nothing), and a program made through its events, as the page makes one.
#include <httplib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/web/page_assets.h"
#include "platform/web/widget_json.h"
#include "platform/web/window_server.h"
#include "platform/web/window_session.h"
#include "settings/settings_keys.h"

namespace kelvora::web {
namespace {

using nlohmann::json;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class WindowServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kelvora_web_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    session_ = std::make_unique<WindowSession>(SessionOptions{dir_ / "kelvora" / "profile.xml"});
    server_ = std::make_unique<WindowServer>(*session_, ServerOptions{});
    ASSERT_EQ(server_->Start(), "");
    host_ = "127.0.0.1:" + std::to_string(server_->Port());
  }
  void TearDown() override {
    server_.reset();
    session_.reset();
    std::filesystem::remove_all(dir_);
  }

  httplib::Client Client() const {
    httplib::Client c("127.0.0.1", server_->Port());
    c.set_connection_timeout(5);
    c.set_read_timeout(10);
    return c;
  }
  httplib::Headers PageHeaders() const {
    return {{"Cookie", std::string(kTokenCookie) + "=" + server_->Token()},
            {"Origin", "http://" + host_}};
  }
  // An event as the page sends it; the reply's status and body.
  std::pair<int, json> Event(const json& event) {
    auto res = Client().Post("/event", PageHeaders(), event.dump(), "application/json");
    if (!res) return {0, json()};
    return {res->status, json::parse(res->body, nullptr, false)};
  }
  // Replaces a box's text by typing, as the operator does: select all, type.
  void TypeInto(const std::string& box, const std::string& text) {
    bool first = true;
    for (char c : text) {
      json e = {{"type", "key"}, {"name", box}, {"char", static_cast<unsigned char>(c)}};
      if (first) e.update({{"selStart", 0}, {"selLength", 1000}});
      first = false;
      ASSERT_EQ(Event(e).first, 200) << box;
    }
  }

  std::filesystem::path dir_;
  std::unique_ptr<WindowSession> session_;
  std::unique_ptr<WindowServer> server_;
  std::string host_;
};

// The control `name` in a state's window, or null.
const json* FindNode(const json& node, const std::string& name) {
  if (node.value("name", "") == name) return &node;
  if (node.contains("children")) {
    for (const json& c : node["children"]) {
      if (const json* found = FindNode(c, name)) return found;
    }
  }
  return nullptr;
}

std::string TextOf(const json& state, const std::string& name) {
  const json* node = FindNode(state["forms"][0], name);
  return node ? node->value("text", "") : "<none>";
}

TEST_F(WindowServerTest, RequestsWithoutTheRightCredentialsAreRefused) {
  const std::string token = server_->Token();
  const std::string cookie = std::string(kTokenCookie) + "=" + token;
  const std::string origin = "http://" + host_;
  struct Case {
    const char* what;
    const char* method;
    std::string path;
    httplib::Headers headers;
    int status;
  };
  const Case cases[] = {
      {"page with the token in the address", "GET", "/?token=" + token, {}, 200},
      {"page with the cookie", "GET", "/", {{"Cookie", cookie}}, 200},
      {"page without a token", "GET", "/", {}, 403},
      {"page with a wrong token", "GET", "/?token=0123456789abcdef0123456789abcdef", {}, 403},
      {"page with a token one digit short", "GET", "/?token=" + token.substr(1), {}, 403},
      {"script without a token", "GET", "/window.js", {}, 403},
      {"script with the cookie", "GET", "/window.js", {{"Cookie", cookie}}, 200},
      {"rebound host name", "GET", "/", {{"Cookie", cookie}, {"Host", "evil.example:80"}}, 403},
      {"loopback host, another port",
       "GET",
       "/",
       {{"Cookie", cookie}, {"Host", "127.0.0.1:1"}},
       403},
      {"localhost by name",
       "GET",
       "/",
       {{"Cookie", cookie}, {"Host", "localhost:" + std::to_string(server_->Port())}},
       200},
      {"event from the page", "POST", "/event", {{"Cookie", cookie}, {"Origin", origin}}, 200},
      {"event from another site",
       "POST",
       "/event",
       {{"Cookie", cookie}, {"Origin", "http://evil.example"}},
       403},
      {"event from a null origin", "POST", "/event", {{"Cookie", cookie}, {"Origin", "null"}}, 403},
      {"event without origin, same-site fetch",
       "POST",
       "/event",
       {{"Cookie", cookie}, {"Sec-Fetch-Site", "same-site"}},
       403},
      {"event without origin, same-origin fetch",
       "POST",
       "/event",
       {{"Cookie", cookie}, {"Sec-Fetch-Site", "same-origin"}},
       200},
      {"event without origin or fetch site", "POST", "/event", {{"Cookie", cookie}}, 403},
      {"event without a token", "POST", "/event", {{"Origin", origin}}, 403},
      {"download without a token", "GET", "/download?id=1", {}, 403},
      {"picture without a token", "GET", "/picture?level=0&name=pictureBox1", {}, 403},
  };
  for (const Case& c : cases) {
    httplib::Client client = Client();
    httplib::Result res =
        std::string(c.method) == "GET"
            ? client.Get(c.path.c_str(), c.headers)
            : client.Post(c.path.c_str(), c.headers, R"({"type":"state"})", "application/json");
    ASSERT_TRUE(res) << c.what;
    EXPECT_EQ(res->status, c.status) << c.what;
    // No cross-origin sharing, whatever was asked.
    EXPECT_FALSE(res->has_header("Access-Control-Allow-Origin")) << c.what;
    if (c.status == 200 && c.path.rfind("/?token=", 0) == 0) {
      EXPECT_NE(res->get_header_value("Set-Cookie").find(cookie), std::string::npos) << c.what;
      EXPECT_NE(res->get_header_value("Set-Cookie").find("HttpOnly"), std::string::npos);
    }
  }
}

TEST_F(WindowServerTest, ListensOnTheLoopbackAddressOnly) {
  EXPECT_EQ(server_->Address().rfind("http://127.0.0.1:", 0), 0u) << server_->Address();
  // Another address of the loopback network reaches nothing: the socket is
  // bound to 127.0.0.1, not to every address of the PC.
  httplib::Client other("127.0.0.2", server_->Port());
  other.set_connection_timeout(2);
  EXPECT_FALSE(other.Get("/"));
}

TEST_F(WindowServerTest, PreflightGetsNoCrossOriginHeaders) {
  httplib::Client client = Client();
  httplib::Headers h = PageHeaders();
  h.emplace("Access-Control-Request-Method", "POST");
  h.emplace("Origin", "http://evil.example");
  auto res = client.Options("/event", h);
  ASSERT_TRUE(res);
  EXPECT_FALSE(res->has_header("Access-Control-Allow-Origin"));
  EXPECT_FALSE(res->has_header("Access-Control-Allow-Methods"));
}

TEST_F(WindowServerTest, OversizedBodyIsRefused) {
  const std::string big = R"({"type":"state","pad":")" + std::string(kMaxEventBytes, 'x') + "\"}";
  auto res = Client().Post("/event", PageHeaders(), big, "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 413);
}

TEST_F(WindowServerTest, MalformedEventsAreRefusedAndChangeNothing) {
  TypeInto("txtR", "25");
  const auto [status, before] = Event({{"type", "state"}});
  ASSERT_EQ(status, 200);
  ASSERT_EQ(TextOf(before, "txtR"), "25");

  const char* malformed[] = {
      R"(not json)",
      R"([1, 2])",
      R"({"name":"txtR"})",
      R"({"type":"launch"})",
      R"({"type":"key","name":"txtR"})",
      R"({"type":"key","name":"txtR","char":-1})",
      R"({"type":"key","name":"txtR","char":55296})",
      R"({"type":"key","name":"txtR","char":"5"})",
      R"({"type":"key","name":"noSuchBox","char":53})",
      R"({"type":"click","name":"txtR"})",
      R"({"type":"click"})",
      R"({"type":"select","name":"cmbLanguage","index":99})",
      R"({"type":"select","name":"cmbLanguage"})",
      R"({"type":"cell","name":"dataGridView1","row":0,"column":99,"text":"1"})",
      R"({"type":"cell","name":"dataGridView1","row":-1,"column":0,"text":"1"})",
      R"({"type":"answer","yes":true})",
      R"({"type":"dismiss"})",
      R"({"type":"state","level":7})",
  };
  for (const char* body : malformed) {
    auto res = Client().Post("/event", PageHeaders(), body, "application/json");
    ASSERT_TRUE(res) << body;
    EXPECT_EQ(res->status, 400) << body;
    EXPECT_TRUE(json::parse(res->body, nullptr, false).contains("error")) << body;
  }
  auto wrongType = Client().Post("/event", PageHeaders(), R"({"type":"state"})", "text/plain");
  ASSERT_TRUE(wrongType);
  EXPECT_EQ(wrongType->status, 415);

  const auto [after_status, after] = Event({{"type", "state"}});
  ASSERT_EQ(after_status, 200);
  EXPECT_EQ(after, before);
}

TEST_F(WindowServerTest, KeyFiltersOfTheModelsRefuseKeystrokes) {
  TypeInto("txtR", "12");
  // A letter and a space never reach a number box.
  for (char refused : {'a', ' ', '#'}) {
    Event({{"type", "key"}, {"name", "txtR"}, {"char", refused}, {"selStart", 2}});
  }
  EXPECT_EQ(TextOf(Event({{"type", "state"}}).second, "txtR"), "12");
  // A decimal comma is entered as the point, the only separator.
  Event({{"type", "key"}, {"name", "txtR"}, {"char", ','}, {"selStart", 2}});
  Event({{"type", "key"}, {"name", "txtR"}, {"char", '5'}, {"selStart", 3}});
  EXPECT_EQ(TextOf(Event({{"type", "state"}}).second, "txtR"), "12.5");
  // Backspace with the caret at the end removes the last character.
  Event({{"type", "key"}, {"name", "txtR"}, {"char", 8}, {"selStart", 4}});
  EXPECT_EQ(TextOf(Event({{"type", "state"}}).second, "txtR"), "12.");
}

TEST_F(WindowServerTest, CircleProgramSavedThroughTheWindowEqualsTheGolden) {
  // The inputs of the circle's worked example, typed into their boxes.
  const std::pair<const char*, const char*> inputs[] = {
      {"CirXc", "30"},     {"CirYc", "30"},    {"CirR", "20"},           {"Cirn", "2"},
      {"CirA", "0"},       {"CirDepth", "5"},  {"CirStep", "5"},         {"CirFeedrate", "100"},
      {"CirRetract", "3"}, {"CirZsafe", "10"}, {"CirSpinSpeed", "5000"},
  };
  for (const auto& [key, value] : inputs) {
    const settings::SettingsKey* row = settings::FindSettingsKey(key);
    ASSERT_TRUE(row && !row->control.empty()) << key;
    TypeInto(std::string(row->control), value);
  }
  const std::string spin(settings::FindSettingsKey("CirEnSpin")->control);
  json state = Event({{"type", "state"}}).second;
  if (!FindNode(state["forms"][0], spin)->value("checked", false)) {
    ASSERT_EQ(Event({{"type", "click"}, {"name", spin}}).first, 200);
  }
  ASSERT_EQ(Event({{"type", "click"}, {"name", "btnDrillGcodeGen"}}).first, 200);
  const auto [status, saved] = Event({{"type", "click"}, {"name", "btnDrillLoadGcode"}});
  ASSERT_EQ(status, 200);
  // The window starts in Vietnamese, the chooser's first language.
  EXPECT_EQ(TextOf(saved, "btnDrillLoadGcode"), "Lưu chương trình");
  ASSERT_TRUE(saved.contains("download")) << saved.dump().substr(0, 300);
  EXPECT_EQ(saved["download"]["name"], "circle.nc");

  const std::string id = std::to_string(saved["download"]["id"].get<std::uint64_t>());
  auto res = Client().Get(("/download?id=" + id).c_str(), PageHeaders());
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  EXPECT_NE(res->get_header_value("Content-Disposition").find("circle.nc"), std::string::npos);
  EXPECT_EQ(res->body, ReadFile(std::filesystem::path(KELVORA_TEST_DATA) /
                                "generators/golden/circle_example.nc"));
  // A download is handed out once.
  auto again = Client().Get(("/download?id=" + id).c_str(), PageHeaders());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 404);

  // The profile was written at the button press, with the typed radius.
  const std::string profile = ReadFile(dir_ / "kelvora" / "profile.xml");
  EXPECT_NE(profile.find("<CirR>20</CirR>"), std::string::npos) << profile.substr(0, 400);
}

TEST_F(WindowServerTest, SaveProgramCaptionFollowsTheLanguage) {
  // The chooser's order: Vietnamese, English, Thai, Indonesian.
  const char* captions[] = {"Lưu chương trình", "Save program", "บันทึกโปรแกรม", "Simpan program"};
  for (int language : {2, 3, 0, 1}) {
    const auto [status, state] =
        Event({{"type", "select"}, {"name", "cmbLanguage"}, {"index", language}});
    ASSERT_EQ(status, 200) << language;
    for (const char* load : {"btnDrillLoadGcode", "btnDxfLoad", "btnTchLoad"}) {
      EXPECT_EQ(TextOf(state, load), captions[language]) << load << " in language " << language;
    }
  }
}

TEST_F(WindowServerTest, MessageBoxWaitsForThePagesAnswer) {
  // An emptied radius does not convert: GCode Gen says so in a box, and the
  // handler goes on only once the page answers it.
  Event({{"type", "key"}, {"name", "txtR"}, {"char", 8}, {"selStart", 0}, {"selLength", 100}});
  const auto [status, asked] = Event({{"type", "click"}, {"name", "btnDrillGcodeGen"}});
  ASSERT_EQ(status, 200);
  ASSERT_TRUE(asked.contains("prompt")) << asked.dump().substr(0, 200);
  EXPECT_EQ(asked["prompt"]["kind"], "message");
  EXPECT_FALSE(asked["prompt"]["text"].get<std::string>().empty());
  // Nothing but the answer is taken meanwhile.
  EXPECT_EQ(Event({{"type", "click"}, {"name", "btnDrillGcodeGen"}}).first, 400);
  const auto [answered_status, answered] = Event({{"type", "answer"}, {"yes", true}});
  ASSERT_EQ(answered_status, 200);
  EXPECT_FALSE(answered.contains("prompt"));
}

TEST_F(WindowServerTest, ModalFormHoldsTheWindowUntilClosed) {
  const auto [status, asked] = Event({{"type", "config"}});
  ASSERT_EQ(status, 200);
  ASSERT_EQ(asked["forms"].size(), 2u) << "the machine settings open as a modal form";
  // The window under the form takes no events while the form is open.
  EXPECT_EQ(Event({{"type", "click"}, {"name", "btnDrillGcodeGen"}, {"level", 0}}).first, 400);
  EXPECT_EQ(Event({{"type", "close"}}).first, 400);
  const auto [dismissed_status, dismissed] = Event({{"type", "dismiss"}, {"level", 1}});
  ASSERT_EQ(dismissed_status, 200);
  EXPECT_EQ(dismissed["forms"].size(), 1u);
}

TEST_F(WindowServerTest, OpenedFileIsUploadedIntoAPrivateCopy) {
  auto upload = [&](const std::string& name, const std::string& bytes, const char* type) {
    auto res = Client().Post("/upload?name=" + name, PageHeaders(), bytes, type);
    return std::make_pair(res ? res->status : 0,
                          res ? json::parse(res->body, nullptr, false) : json());
  };
  const std::string list =
      ReadFile(std::filesystem::path(KELVORA_TEST_DATA) / "generators/golden/autogrid_rows.csv");
  ASSERT_FALSE(list.empty());
  // Without an open-file dialog waiting there is nothing to upload to.
  EXPECT_EQ(upload("a.csv", list, "application/octet-stream").first, 400);

  Event({{"type", "click"}, {"name", "btnAnyLoadFile"}});  // "Clear data?"
  const auto [status, asked] = Event({{"type", "answer"}, {"yes", true}});
  ASSERT_EQ(status, 200);
  ASSERT_TRUE(asked.contains("prompt"));
  EXPECT_EQ(asked["prompt"]["kind"], "open");
  EXPECT_NE(asked["prompt"]["text"].get<std::string>().find("*.csv"), std::string::npos);

  EXPECT_EQ(upload("a.csv", list, "text/csv").first, 415);
  EXPECT_EQ(
      upload("a.csv", std::string(kMaxUploadBytes + 1, 'x'), "application/octet-stream").first,
      413);
  // The name's folders are dropped: the copy lies in a private folder.
  const auto [uploaded, state] =
      upload("..%2F..%2Fevil%2Fpts.csv", list, "application/octet-stream");
  ASSERT_EQ(uploaded, 200) << state.dump().substr(0, 200);
  EXPECT_FALSE(state.contains("prompt")) << state["prompt"].dump();
  const json* grid = FindNode(state["forms"][0], "dataGridView1");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ((*grid)["rowCount"], 6);
  const std::filesystem::path copy = TextOf(state, "lblAnyPath");
  EXPECT_EQ(copy.filename(), "pts.csv");
  EXPECT_EQ(copy.parent_path().parent_path(), std::filesystem::temp_directory_path());
  EXPECT_EQ(std::filesystem::status(copy.parent_path()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadFile(copy), list);

  // Saving the opened list downloads it under the name it was opened with: the
  // private copy is never offered for replacing, which would save nothing the
  // operator gets.
  const auto [saveStatus, saveAsked] = Event({{"type", "click"}, {"name", "btnAnySave"}});
  ASSERT_EQ(saveStatus, 200);
  ASSERT_EQ(saveAsked["prompt"]["kind"], "yesno");  // "Save file?"
  json next = Event({{"type", "answer"}, {"yes", true}}).second;
  ASSERT_TRUE(next.contains("prompt"));
  EXPECT_EQ(next["prompt"]["kind"], "save") << next["prompt"].dump();
  next = Event({{"type", "answer"}, {"yes", true}}).second;
  ASSERT_TRUE(next.contains("prompt"));
  EXPECT_EQ(next["prompt"]["kind"], "message");  // "Save successful"
  next = Event({{"type", "answer"}, {"yes", true}}).second;
  ASSERT_TRUE(next.contains("download")) << next.dump().substr(0, 300);
  EXPECT_EQ(next["download"]["name"], "pts.csv");
  EXPECT_EQ(ReadFile(copy), list);
  const std::string id = std::to_string(next["download"]["id"].get<std::uint64_t>());
  auto saved = Client().Get(("/download?id=" + id).c_str(), PageHeaders());
  ASSERT_TRUE(saved);
  EXPECT_NE(saved->body.find(list.substr(0, list.find('\n'))), std::string::npos) << saved->body;

  // The copy is removed with the session.
  session_->Stop();
  EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST_F(WindowServerTest, LongListIsPagedAndItsRowsDeleted) {
  // 450 points: more than one window of rows.
  std::string list = "Name,X,Y\n";
  for (int i = 0; i < 450; ++i) list += "P" + std::to_string(i) + "," + std::to_string(i) + ",1\n";
  Event({{"type", "click"}, {"name", "btnAnyLoadFile"}});  // "Clear data?"
  ASSERT_EQ(Event({{"type", "answer"}, {"yes", true}}).second["prompt"]["kind"], "open");
  auto res =
      Client().Post("/upload?name=long.csv", PageHeaders(), list, "application/octet-stream");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200) << res->body.substr(0, 200);

  auto grid = [&](const json& state) { return *FindNode(state["forms"][0], "dataGridView1"); };
  json g = grid(Event({{"type", "state"}}).second);
  EXPECT_EQ(g["rowCount"], 450);
  EXPECT_EQ(g["lineCount"], 450);  // the point list has no new-row line
  EXPECT_EQ(g["first"], 0);
  ASSERT_EQ(g["rows"].size(), web::kGridRowsShown);

  // Paging: a window from the line asked for, the last one ending at the
  // list's end.
  const struct {
    int asked;
    int first;
  } pages[] = {{200, 200}, {400, 250}, {0, 0}};
  for (const auto& page : pages) {
    const auto [status, state] =
        Event({{"type", "scroll"}, {"name", "dataGridView1"}, {"row", page.asked}});
    ASSERT_EQ(status, 200) << page.asked;
    g = grid(state);
    EXPECT_EQ(g["first"], page.first) << page.asked;
    // The number column, then the name.
    EXPECT_EQ(g["rows"][0][0], std::to_string(page.first + 1)) << page.asked;
    EXPECT_EQ(g["rows"][0][1], "P" + std::to_string(page.first)) << page.asked;
  }
  EXPECT_EQ(Event({{"type", "scroll"}, {"name", "dataGridView1"}, {"row", 450}}).first, 400);

  // A row of the second window selected, then deleted.
  Event({{"type", "scroll"}, {"name", "dataGridView1"}, {"row", 300}});
  g = grid(Event({{"type", "cellclick"}, {"name", "dataGridView1"}, {"row", 300}, {"column", 1}})
               .second);
  EXPECT_EQ(g["current"], json::array({300, 1}));
  EXPECT_EQ(g["selected"], json::array({json::array({300, 1})}));
  Event({{"type", "click"}, {"name", "btnAnyDelete"}});  // "Are you sure?"
  g = grid(Event({{"type", "answer"}, {"yes", true}}).second);
  EXPECT_EQ(g["rowCount"], 449);
  Event({{"type", "scroll"}, {"name", "dataGridView1"}, {"row", 300}});
  g = grid(Event({{"type", "state"}}).second);
  const int first = g["first"];
  EXPECT_EQ(g["rows"][300 - first][1], "P301");
  // A whole row is selected by its header where the grid shows one.
  g = grid(Event({{"type", "rowclick"}, {"name", "dataGridView1"}, {"row", 10}}).second);
  EXPECT_EQ(g["current"], json::array({10, 0}));
}

TEST_F(WindowServerTest, PictureIsServedAsSvg) {
  Event({{"type", "click"}, {"name", "btnKhoanTronPreview"}});
  json state = Event({{"type", "state"}}).second;
  const json* preview = nullptr;
  std::function<void(const json&)> walk = [&](const json& n) {
    if (!preview && n.value("kind", "") == "picture" && n.value("picture", 0) > 1) preview = &n;
    if (n.contains("children")) {
      for (const json& c : n["children"]) walk(c);
    }
  };
  walk(state["forms"][0]);
  ASSERT_NE(preview, nullptr) << "the preview changed its picture";
  auto res =
      Client().Get(("/picture?level=0&name=" + preview->value("name", "")).c_str(), PageHeaders());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Content-Type"), "image/svg+xml");
  // One viewBox, so the page can zoom it: a document with two is no SVG.
  const std::size_t viewBox = res->body.find("viewBox=");
  ASSERT_NE(viewBox, std::string::npos);
  EXPECT_EQ(res->body.find("viewBox=", viewBox + 1), std::string::npos);
}

TEST(PageAssets, FirstLoadStaysSmall) {
  ASSERT_NE(FindPageAsset("/"), nullptr);
  ASSERT_NE(FindPageAsset("/window.js"), nullptr);
  EXPECT_LE(PageAssetBytes(), 300u * 1024u);
}

// --listen another address: the window answers there (and by the loopback
// names), is not bound to 127.0.0.1, and still wants the token on every request.
TEST(WindowServerListen, AnotherAddressIsServedWithTheTokenOnly) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kelvora_web_listen";
  std::filesystem::remove_all(dir);
  WindowSession session(SessionOptions{dir / "profile.xml"});
  ServerOptions options;
  options.listen = "127.0.0.2";  // a loopback address of its own on Linux
  WindowServer server(session, options);
  ASSERT_EQ(server.Start(), "");
  const std::string port = std::to_string(server.Port());
  EXPECT_NE(server.Address().find("http://127.0.0.2:" + port + "/?token="), std::string::npos)
      << server.Address();

  const std::string cookie = std::string(kTokenCookie) + "=" + server.Token();
  const struct {
    const char* what;
    const char* address;
    httplib::Headers headers;
    int status;  // 0: no answer at all
  } cases[] = {
      {"the address with the cookie", "127.0.0.2", {{"Cookie", cookie}}, 200},
      {"the address without the token", "127.0.0.2", {}, 403},
      {"the address, a rebound host name",
       "127.0.0.2",
       {{"Cookie", cookie}, {"Host", "evil.example:" + port}},
       403},
      {"the loopback address is not bound", "127.0.0.1", {{"Cookie", cookie}}, 0},
  };
  for (const auto& c : cases) {
    httplib::Client client(c.address, server.Port());
    client.set_connection_timeout(2);
    auto res = client.Get("/", c.headers);
    EXPECT_EQ(res ? res->status : 0, c.status) << c.what;
  }
  session.Stop();
  server.Stop();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelvora::web
