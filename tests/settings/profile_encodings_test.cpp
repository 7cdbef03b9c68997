// Profiles in the encodings hosts write them in, and the references a document
// type declares: what the host wrote comes back as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/profile_files.h"
#include "settings/xml_net_profile.h"

namespace kelvora::settings {
namespace {

using testing::ProfileFolder;

// UTF-16 bytes made from the compiler's own UTF-16 literal.
std::string Utf16Bytes(std::u16string_view units, bool bigEndian) {
  std::string out;
  for (char16_t u : units) {
    const auto high = static_cast<char>(u >> 8);
    const auto low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

struct Warnings {
  std::vector<std::string> texts;
  MessageSink Sink() {
    return [this](std::string_view text, std::string_view) { texts.emplace_back(text); };
  }
};

constexpr std::string_view kOurs = "€ café “ok” lỗ";

TEST(ProfileEncodings, SingleByteCodePagesAreReadAndWrittenInTheirOwnBytes) {
  const struct {
    const char* encoding;
    std::string hostBytes;    // the host's text as the file holds it
    std::string hostText;     // the same text as read
    std::string oursWritten;  // kOurs as the save must write it
  } cases[] = {
      {"windows-1252", "\x93Main\x94 \x80 caf\xE9", "“Main” € café",
       "\x80 caf\xE9 \x93ok\x94 l&#x1ED7;"},
      {"ISO-8859-1", "caf\xE9 \xA9", "café ©", "&#x20AC; caf\xE9 &#x201C;ok&#x201D; l&#x1ED7;"},
      {"windows-1258", "\xF0\xFD\xD5 \x80", "đưƠ €", "\x80 caf\xE9 \x93ok\x94 l&#x1ED7;"},
      {"Windows-1252", "\x80", "€", "\x80 caf\xE9 \x93ok\x94 l&#x1ED7;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoding);
    ProfileFolder folder;
    const std::string declaration =
        std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding + "\"?>";
    const std::string path =
        folder.Write("p.xml", declaration + "\r\n<profile>\r\n  <Host>\r\n    <Name>" +
                                  c.hostBytes + "</Name>\r\n  </Host>\r\n</profile>\r\n");
    {
      XMLNetProfile host(path, "Host", true);
      ASSERT_TRUE(host.Load());
      EXPECT_EQ(host.ReadString("Name"), c.hostText);
    }
    {
      XMLNetProfile p(path, "Kelvora", true);
      ASSERT_TRUE(p.Load());
      p.WriteString("TchPrefix", kOurs);
      ASSERT_TRUE(p.Save());
    }
    const std::string saved = ProfileFolder::Read(path);
    EXPECT_EQ(saved.rfind(declaration, 0), 0u) << saved;
    EXPECT_NE(saved.find("<Name>" + c.hostBytes + "</Name>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<TchPrefix>" + c.oursWritten + "</TchPrefix>"), std::string::npos)
        << saved;

    XMLNetProfile back(path, "Kelvora", true);
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.ReadString("TchPrefix"), kOurs);
    ASSERT_TRUE(back.Save());
    EXPECT_EQ(ProfileFolder::Read(path), saved);
  }
}

TEST(ProfileEncodings, Utf16WithItsByteOrderMarkInEitherOrder) {
  const std::u16string host =
      u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
      u"<profile>\r\n  <Host>\r\n    <Name>Ti\u1ebfng \U0001D11E</Name>\r\n  </Host>\r\n"
      u"</profile>\r\n";
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
    const std::string bom = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    ProfileFolder folder;
    const std::string path = folder.Write("p.xml", bom + Utf16Bytes(host, bigEndian));
    XMLNetProfile p(path, "Kelvora", true);
    ASSERT_TRUE(p.Load()) << p.LastError();
    p.WriteString("TchPrefix", "lỗ");
    ASSERT_TRUE(p.Save());
    const std::string saved = ProfileFolder::Read(path);
    EXPECT_EQ(saved.rfind(bom, 0), 0u);
    EXPECT_EQ(saved.size() % 2, 0u);
    EXPECT_NE(saved.find(Utf16Bytes(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", bigEndian)),
              std::string::npos);
    EXPECT_NE(saved.find(Utf16Bytes(u"<TchPrefix>l&#x1ED7;</TchPrefix>", bigEndian)),
              std::string::npos);

    XMLNetProfile back(path, "Host", true);
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.ReadString("Name"), "Tiếng \xF0\x9D\x84\x9E");
    XMLNetProfile ours(path, "Kelvora", true);
    ASSERT_TRUE(ours.Load());
    EXPECT_EQ(ours.ReadString("TchPrefix"), "lỗ");
  }
}

TEST(ProfileEncodings, AUtf8ByteOrderMarkIsKept) {
  ProfileFolder folder;
  const std::string path =
      folder.Write("p.xml", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><profile/>");
  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  p.WriteBool("Dlg", true);
  ASSERT_TRUE(p.Save());
  const std::string saved = ProfileFolder::Read(path);
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF<?xml", 0), 0u) << saved;
  EXPECT_NE(saved.find("<Dlg>True</Dlg>"), std::string::npos) << saved;
}

TEST(ProfileEncodings, OtherEncodingsAreRefusedAndTheFileIsLeftAlone) {
  const struct {
    const char* what;
    std::string bytes;
    std::string named;  // what the warning must name
  } cases[] = {
      {"an encoding not understood",
       "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><profile><A>\x82\xA0</A></profile>",
       "\"Shift_JIS\""},
      {"single quotes", "<?xml version='1.0' encoding='windows-1250'?><profile/>",
       "\"windows-1250\""},
      {"UTF-16 declared without a byte-order mark",
       "<?xml version=\"1.0\" encoding=\"UTF-16\"?><profile/>", "\"UTF-16\""},
      {"UTF-16 with an odd number of bytes", std::string("\xFF\xFE<\0p\0/", 7), "UTF-16"},
      {"UTF-16 with a surrogate alone", std::string("\xFF\xFE<\0\x00\xDC", 6), "UTF-16"},
      // The declaration ends at the "?>" after the quoted name, as the parser reads
      // it, not at one inside the quotes (which once made the name look absent, so
      // the profile loaded as UTF-8 and was saved in a form the next load refused).
      {"a \"?>\" inside the name", "<?xml version=\"1.0\" encoding=\"utf-e?>x\"?><profile/>",
       "\"utf-e?>x\""},
      // Blanks before the declaration, and "XML" in capitals: the parser reads
      // the declaration all the same, so its encoding counts.
      {"line ends before the declaration",
       "\r\n <?xml version=\"1.0\" encoding=\"tuf8-\"?><profile/>", "\"tuf8-\""},
      {"a declaration in capitals", "<?XML version=\"1.0\" encoding=\"tuf8-\"?><profile/>",
       "\"tuf8-\""},
      // The encoding is the attribute named exactly "encoding", as the parser
      // reads it, not the first name that ends in it.
      {"an attribute whose name ends in \"encoding\"",
       "<?xml version=\"1.0\" veencoding=\"utf-8\" encoding=\"tuf8-\"?><profile/>", "\"tuf8-\""},
      // A declaration anywhere but at the start is not well formed. The parser
      // drops an unknown "<!" node, so a save would bring such a declaration to
      // the start, and the next load would read the file in its encoding.
      {"a declaration after an unknown node",
       "<!,><?xml version=\"1.0\" encoding=\"windows-1252\"?><profile/>", "not at the start"},
      {"a declaration after a comment", "<!-- c --><?xml version=\"1.0\"?><profile/>",
       "not at the start"},
      {"a declaration inside an element", "<profile><?xml version=\"1.0\"?></profile>",
       "not at the start"},
      {"a second declaration",
       "<?xml version=\"1.0\"?><?xml version=\"1.0\" encoding=\"windows-1252\"?><profile/>",
       "not at the start"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileFolder folder;
    const std::string path = folder.Write("p.xml", c.bytes);
    Warnings warnings;
    XMLNetProfile p(path, "Kelvora", true, warnings.Sink());
    EXPECT_FALSE(p.Load());
    ASSERT_EQ(warnings.texts.size(), 1u);
    EXPECT_EQ(warnings.texts[0].rfind("Warning - ", 0), 0u) << warnings.texts[0];
    EXPECT_NE(warnings.texts[0].find(c.named), std::string::npos) << warnings.texts[0];
    // Nothing was loaded, so nothing is saved: the file is never rewritten in a guess.
    EXPECT_EQ(p.ReadString("Dlg", "default"), "default");
    EXPECT_FALSE(p.Save());
    EXPECT_EQ(ProfileFolder::Read(path), c.bytes);
  }
}

TEST(ProfileEncodings, ReferencesTheDocumentTypeDeclaresAreKeptAsTheyWere) {
  ProfileFolder folder;
  const std::string path =
      folder.Write("p.xml",
                   "<?xml version=\"1.0\"?>\n"
                   "<!DOCTYPE profile [<!ENTITY co \"Acme\"><!ENTITY full \"&co; Inc\">]>\n"
                   "<profile>\n"
                   "  <Host maker=\"&co;\"><Name>&co; mill &amp;co; &lt;x&gt; &#x41;&#233; "
                   "&full;</Name></Host>\n"
                   "  <!-- &co; in a comment -->\n"
                   "</profile>\n");
  {
    // Declared entities are not expanded: a reference reads as it is written.
    XMLNetProfile host(path, "Host", true);
    ASSERT_TRUE(host.Load());
    EXPECT_EQ(host.ReadString("Name"), "&co; mill &co; <x> Aé &full;");
  }
  XMLNetProfile p(path, "Kelvora", true);
  ASSERT_TRUE(p.Load());
  p.WriteString("TchPrefix", "&co; typed by the operator");
  ASSERT_TRUE(p.Save());
  const std::string saved = ProfileFolder::Read(path);
  for (const char* part : {
           "<!DOCTYPE profile [<!ENTITY co \"Acme\"><!ENTITY full \"&co; Inc\">]>",
           "<Host maker=\"&co;\">",
           "<Name>&co; mill &amp;co; &lt;x&gt; A&#xE9; &full;</Name>",
           "<!-- &co; in a comment -->",
           "<TchPrefix>&amp;co; typed by the operator</TchPrefix>",
       }) {
    EXPECT_NE(saved.find(part), std::string::npos) << part << "\n" << saved;
  }
  XMLNetProfile back(path, "Kelvora", true);
  ASSERT_TRUE(back.Load());
  EXPECT_EQ(back.ReadString("TchPrefix"), "&co; typed by the operator");
  ASSERT_TRUE(back.Save());
  EXPECT_EQ(ProfileFolder::Read(path), saved);
}

}  // namespace
}  // namespace kelvora::settings
