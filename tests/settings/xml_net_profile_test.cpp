#include "settings/xml_net_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <vector>

#include "settings/profile_files.h"
#include "text/parse.h"

namespace kelvora::settings {
namespace {

using testing::ProfileFolder;

struct Message {
  std::string text;
  std::string caption;
};

MessageSink Recorder(std::vector<Message>& messages) {
  return [&messages](std::string_view text, std::string_view caption) {
    messages.push_back({std::string(text), std::string(caption)});
  };
}

TEST(ProfileTextForms, DoublesAreWrittenInTheGeneralInvariantForm) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.5, "0.5"},
      {0.0, "0"},
      {-0.0, "0"},
      {100, "100"},
      {-2.25, "-2.25"},
      {0.1 + 0.2, "0.3"},  // 15 significant digits hide the binary tail
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {0.000012345, "1.2345E-05"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {1.5e15, "1.5E+15"},
      {-1e300, "-1E+300"},
      {999999999999999.9, "1E+15"},  // rounding to 15 digits carries into the exponent
      // The largest doubles round to 1.79769313486232E+308, past the largest
      // double: they keep the largest 15-digit value below it, so they read back.
      {1.7976931348623157e308, "1.79769313486231E+308"},
      {-1.797693134862315e308, "-1.79769313486231E+308"},
      {1.797693134862314e308, "1.79769313486231E+308"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileDoubleText(c.value), c.text) << c.value;
    EXPECT_TRUE(text::ParseDouble(c.text).has_value()) << c.text;
  }
}

TEST(ProfileTextForms, StoredTextsConvertOrGiveTheDefault) {
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml",
                                        "<profile><S>"
                                        "<Half>0.5</Half><Comma>0,5</Comma><Exp>1E-05</Exp>"
                                        "<Word>abc</Word><Blank></Blank><Padded> 7 </Padded>"
                                        "<Fraction>1.5</Fraction><Big>3000000000</Big>"
                                        "<Yes>True</Yes><Lower>true</Lower><One>1</One>"
                                        "</S></profile>");
  XMLNetProfile p(path, "S", true);
  ASSERT_TRUE(p.Load());

  EXPECT_EQ(p.ReadDouble("Half", 9), 0.5);
  EXPECT_EQ(p.ReadDouble("Comma", 9), 9);  // written with a decimal comma: not a number
  EXPECT_EQ(p.ReadDouble("Exp", 9), 1e-5);
  EXPECT_EQ(p.ReadDouble("Word", 9), 9);
  EXPECT_EQ(p.ReadDouble("Blank", 9), 9);
  EXPECT_EQ(p.ReadDouble("Missing", 9), 9);
  EXPECT_EQ(p.ReadDouble("Missing"), 0);

  EXPECT_EQ(p.ReadInt("Padded", 9), 7);
  EXPECT_EQ(p.ReadInt("Fraction", 9), 9);
  EXPECT_EQ(p.ReadInt("Big", 9), 9);
  EXPECT_EQ(p.ReadInt("Word"), 0);

  EXPECT_TRUE(p.ReadBool("Yes"));
  EXPECT_FALSE(p.ReadBool("Lower", true));
  EXPECT_FALSE(p.ReadBool("One", true));
  EXPECT_TRUE(p.ReadBool("Missing", true));

  EXPECT_EQ(p.ReadString("Padded"), " 7 ");
  EXPECT_EQ(p.ReadString("Missing", "d"), "d");
  EXPECT_EQ(p.ReadString("Blank", "d"), "");
}

TEST(XMLNetProfile, WrittenValuesReadBackAfterASave) {
  ProfileFolder folder;
  const std::string path = folder.Write("p.xml", "<profile/>");
  {
    XMLNetProfile p(path, "S", true);
    ASSERT_TRUE(p.Load());
    p.WriteBool("B", true);
    p.WriteInt("I", -42);
    p.WriteDouble("D", 0.1 + 0.2);
    p.WriteDouble("Tiny", 1.25e-7);
    p.WriteString("Markup", "a<b>&\"c'");
    p.WriteString("Lines", "M3\r\nG4 P1\r\nM5");
    p.WriteString("Blanks", "  ");
    p.WriteString("Empty", "");
    p.WriteString("Outer/Inner", "nested");
    ASSERT_TRUE(p.Save());
  }
  XMLNetProfile p(path, "S", true);
  ASSERT_TRUE(p.Load());
  EXPECT_TRUE(p.ReadBool("B"));
  EXPECT_EQ(p.ReadInt("I"), -42);
  EXPECT_EQ(p.ReadDouble("D"), 0.3);
  EXPECT_EQ(p.ReadDouble("Tiny"), 1.25e-7);
  EXPECT_EQ(p.ReadString("Markup"), "a<b>&\"c'");
  EXPECT_EQ(p.ReadString("Lines"), "M3\r\nG4 P1\r\nM5");
  EXPECT_EQ(p.ReadString("Blanks"), "  ");
  EXPECT_EQ(p.ReadString("Empty", "d"), "");
  EXPECT_EQ(p.ReadString("Outer/Inner"), "nested");
  XMLNetProfile flat(path, "S", false);
  ASSERT_TRUE(flat.Load());
  EXPECT_EQ(flat.FindEntry("Outer/Inner"), nullptr);  // one name, no element of that name
}

TEST(XMLNetProfile, EntriesFollowTheFirstElementOfEachName) {
  ProfileFolder folder;
  const std::string path =
      folder.Write("p.xml",
                   "<root><S><K>first</K><K>second</K><Mixed>a<b>b<c>c</c></b>d<!--x--></Mixed></S>"
                   "<S><K>other section</K></S></root>");
  XMLNetProfile p(path, "S", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.ReadString("K"), "first");
  EXPECT_EQ(p.ReadString("k", "none"), "none");  // names are case-sensitive
  // A key element holding child elements reads as all its text.
  EXPECT_EQ(p.ReadString("Mixed"), "abcd");

  // Writing replaces every child by one text node and leaves the duplicates alone.
  p.WriteString("Mixed", "plain");
  p.WriteString("K", "changed");
  const std::string saved = p.Serialize();
  EXPECT_NE(saved.find("<Mixed>plain</Mixed>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<K>changed</K>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<K>second</K>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<K>other section</K>"), std::string::npos) << saved;
}

TEST(XMLNetProfile, AnEmptyDocumentGetsAProfileRoot) {
  ProfileFolder folder;
  const std::string path = folder.Path("new.xml");
  XMLNetProfile p(path, "Kelvora", true);
  EXPECT_EQ(p.FindEntry("Dlg"), nullptr);
  p.WriteBool("Dlg", false);
  ASSERT_TRUE(p.Save());
  EXPECT_EQ(ProfileFolder::Read(path),
            "<profile>\r\n  <Kelvora>\r\n    <Dlg>False</Dlg>\r\n  </Kelvora>\r\n</profile>\r\n");
}

// The host's part of the file: declaration, comments, attributes, other sections.
constexpr std::string_view kHostProfile =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<!-- written by the host -->\n"
    "<profile version=\"3.043\">\n"
    "  <Preferences units=\"mm\" note='say &quot;hi&quot; &amp; go'>\n"
    "    <!-- motor tuning -->\n"
    "    <Motor axis=\"X\" steps=\"200\">Fast &lt;1&gt;</Motor>\n"
    "    <Empty />\n"
    "    <Text>tab\there</Text>\n"
    "  </Preferences>\n"
    "  <PlugIns>\n"
    "    <Other>1</Other>\n"
    "  </PlugIns>\n"
    "</profile>\n";

TEST(XMLNetProfile, TheHostsPartSurvivesALoadSaveCycle) {
  ProfileFolder folder;
  const std::string path = folder.Write("host.xml", kHostProfile);
  {
    XMLNetProfile p(path, "Kelvora", true);
    ASSERT_TRUE(p.Load());
    p.WriteString("CirSpOpStr", "M3");
    ASSERT_TRUE(p.Save());
  }
  const std::string once = ProfileFolder::Read(path);
  EXPECT_EQ(
      once.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- written by the host -->", 0),
      0u)
      << once;
  for (const char* part : {"<profile version=\"3.043\">",
                           "<Preferences units=\"mm\" note=\"say &quot;hi&quot; &amp; go\">",
                           "<!-- motor tuning -->", "<Motor axis=\"X\" steps=\"200\">", "<Empty />",
                           "<Other>1</Other>", "<CirSpOpStr>M3</CirSpOpStr>"}) {
    EXPECT_NE(once.find(part), std::string::npos) << part << "\n" << once;
  }

  XMLNetProfile host(path, "Preferences", true);
  ASSERT_TRUE(host.Load());
  EXPECT_EQ(host.ReadString("Motor"), "Fast <1>");
  EXPECT_EQ(host.ReadString("Text"), "tab\there");

  // A second cycle changes nothing: what was saved reads back as itself.
  ASSERT_TRUE(host.Save());
  EXPECT_EQ(ProfileFolder::Read(path), once);
}

TEST(XMLNetProfile, CharactersOutsideAsciiAreCharacterReferences) {
  ProfileFolder folder;
  // The host's section already holds raw UTF-8 in a text and an attribute.
  const std::string path =
      folder.Write("u.xml", "<profile><Host name=\"Bàn máy\">Tiếng Việt</Host></profile>");
  const std::string ours = "Khoan lỗ ✓ \xF0\x9D\x84\x9E";  // includes a character beyond 16 bits
  {
    XMLNetProfile p(path, "Kelvora", true);
    ASSERT_TRUE(p.Load());
    p.WriteString("TchPrefix", ours);
    ASSERT_TRUE(p.Save());
  }
  const std::string saved = ProfileFolder::Read(path);
  for (char c : saved) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << saved;
  EXPECT_NE(saved.find("l&#x1ED7;"), std::string::npos) << saved;
  EXPECT_NE(saved.find("&#x1D11E;"), std::string::npos) << saved;

  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.ReadString("TchPrefix"), ours);
  const auto* hostElement = p.FindEntry("TchPrefix")->parent()->previous_sibling("Host");
  ASSERT_NE(hostElement, nullptr);
  // Names and values are read by their sizes: the parsed text is not cut with NULs.
  const auto* name = hostElement->first_attribute("name");
  EXPECT_EQ(std::string(name->value(), name->value_size()), "Bàn máy");
  const auto* text = hostElement->first_node();
  EXPECT_EQ(std::string(text->value(), text->value_size()), "Tiếng Việt");
}

TEST(XMLNetProfile, MalformedFilesAreReportedAndLeftAlone) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"unclosed", "<profile><Kelvora><Dlg>True</Dlg></Kelvora>"},
      {"mismatched", "<profile><Kelvora></Kelvorb></profile>"},
      {"attribute", "<profile a=1/>"},
      {"text only", "just text"},
      {"empty file", ""},
      {"no root", "<?xml version=\"1.0\"?>\n<!-- nothing -->\n"},
      {"NUL inside", std::string("<profile/>\0<more/>", 18)},
      {"nested too deeply",
       [] {
         std::string deep;
         for (int k = 0; k < 100000; ++k) deep += "<a>";
         return deep;
       }()},
  };
  for (const auto& c : cases) {
    ProfileFolder folder;
    const std::string path = folder.Write("bad.xml", c.bytes);
    std::vector<Message> messages;
    XMLNetProfile p(path, "Kelvora", true, Recorder(messages));
    EXPECT_FALSE(p.Load()) << c.name;
    ASSERT_EQ(messages.size(), 1u) << c.name;
    EXPECT_EQ(messages[0].text.rfind("Warning - ", 0), 0u) << messages[0].text;
    EXPECT_GT(messages[0].text.size(), std::string_view("Warning - ").size()) << c.name;
    EXPECT_EQ(messages[0].caption, "XMLNetProfile");
    // The document stays empty: readers give defaults, nothing is saved.
    EXPECT_EQ(p.ReadString("Dlg", "default"), "default") << c.name;
    EXPECT_FALSE(p.Save()) << c.name;
    EXPECT_EQ(ProfileFolder::Read(path), c.bytes) << c.name;
  }
}

TEST(XMLNetProfile, TheParsersMessageNamesThePlace) {
  ProfileFolder folder;
  const std::string path = folder.Write("bad.xml", "<profile>\n  <Kelvora>\n  </Kelvorb>\n");
  std::vector<Message> messages;
  XMLNetProfile p(path, "Kelvora", true, Recorder(messages));
  EXPECT_FALSE(p.Load());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find("line 3"), std::string::npos) << messages[0].text;
}

TEST(XMLNetProfile, AMissingFileIsAFailedLoadAndIsNotCreated) {
  ProfileFolder folder;
  const std::string path = folder.Path("absent.xml");
  std::vector<Message> messages;
  XMLNetProfile p(path, "Kelvora", true, Recorder(messages));
  EXPECT_FALSE(p.Load());
  EXPECT_FALSE(p.LastError().empty());
  EXPECT_TRUE(p.ReadBool("Dlg", true));
  EXPECT_FALSE(p.Save());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(messages.empty());
}

TEST(XMLNetProfile, AnInterruptedSaveKeepsTheOldFile) {
  ProfileFolder folder;
  const std::string path = folder.Write("host.xml", kHostProfile);
  // A save that cannot complete (its temporary file cannot be made here).
  std::filesystem::create_directory(path + ".kelvora-tmp");
  std::vector<Message> messages;
  XMLNetProfile p(path, "Kelvora", true, Recorder(messages));
  ASSERT_TRUE(p.Load());
  p.WriteBool("Dlg", false);
  EXPECT_FALSE(p.Save());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.rfind("Warning - ", 0), 0u);
  EXPECT_EQ(ProfileFolder::Read(path), kHostProfile);

  // A half-written temporary file left by a crash does not disturb the next run.
  std::filesystem::remove(path + ".kelvora-tmp");
  folder.Write("host.xml.kelvora-tmp", "<profile><Kel");
  XMLNetProfile next(path, "Kelvora", true);
  ASSERT_TRUE(next.Load());
  EXPECT_TRUE(next.ReadBool("Dlg", true));
  next.WriteBool("Dlg", false);
  ASSERT_TRUE(next.Save());
  EXPECT_FALSE(std::filesystem::exists(path + ".kelvora-tmp"));
  XMLNetProfile check(path, "Kelvora", true);
  ASSERT_TRUE(check.Load());
  EXPECT_FALSE(check.ReadBool("Dlg", true));
}

TEST(XMLNetProfile, ProcessingInstructionsSurviveASaveAsWritten) {
  // A value may start right after the name: "<?a>b?>" has the name "a" and the
  // value ">b". A save used to write a NUL in place of the ">", and later a blank
  // after the name; after the name "xml" (in any case) that blank made the
  // instruction a declaration, and the profile no longer loaded.
  struct Case {
    const char* instruction;
    const char* saved;
  };
  const Case cases[] = {
      {"<?a>b?>", "<?a>b?>"},      {"<?xml>b?>", "<?xml>b?>"},
      {"<?XmL/b?>", "<?XmL/b?>"},  {"<?xml?b?>", "<?xml?b?>"},
      {"<?a  b c?>", "<?a b c?>"}, {"<?xml-stylesheet href='s'?>", "<?xml-stylesheet href='s'?>"},
  };
  for (const Case& c : cases) {
    ProfileFolder folder;
    const std::string path =
        folder.Write("p.xml", std::string(c.instruction) + "<profile><x>1</x></profile>");
    XMLNetProfile p(path, "Kelvora", true);
    ASSERT_TRUE(p.Load()) << c.instruction << ": " << p.LastError();
    p.WriteBool("Dlg", true);
    ASSERT_TRUE(p.Save()) << c.instruction;
    const std::string saved = ProfileFolder::Read(path);
    EXPECT_EQ(saved.find('\0'), std::string::npos) << c.instruction;
    EXPECT_NE(saved.find(c.saved), std::string::npos) << c.instruction << " saved as " << saved;
    XMLNetProfile again(path, "Kelvora", true);
    ASSERT_TRUE(again.Load()) << c.instruction << ": " << again.LastError();
    EXPECT_TRUE(again.ReadBool("Dlg")) << c.instruction;
  }
}

TEST(XMLNetProfile, ADeclaredReferenceAndAControlCharacterBothSurviveASave) {
  // "&co;" is kept as written; "&#x1;" is the byte 1, which must not be taken for
  // the mark that keeps "&co;" (a save used to write it as a bare "&").
  ProfileFolder folder;
  const std::string path = folder.Write(
      "p.xml",
      "<profile><Kelvora><TchPrefix>&#x1;G90</TchPrefix><Host>&co;</Host></Kelvora></profile>");
  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.ReadString("TchPrefix"), "\x01G90");
  p.WriteBool("Dlg", true);
  ASSERT_TRUE(p.Save());
  const std::string saved = ProfileFolder::Read(path);
  EXPECT_NE(saved.find("<TchPrefix>&#x1;G90</TchPrefix>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<Host>&co;</Host>"), std::string::npos) << saved;
  XMLNetProfile again(path, "Kelvora", true);
  ASSERT_TRUE(again.Load()) << again.LastError();
  EXPECT_EQ(again.ReadString("TchPrefix"), "\x01G90");
  EXPECT_EQ(again.ReadString("Host"), "&co;");
}

}  // namespace
}  // namespace kelvora::settings
