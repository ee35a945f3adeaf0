#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "app/storage/SkinPaths.h"
#include "app/text/StringTable.h"
#include "quennet/testing.h"
#include "support/TempFolder.h"

using test_support::TempFolder;
using test_support::WriteFileBytes;
using Table = std::map<std::string, std::string>;

namespace {

class LanguageFileTest : public testing::Test {
 protected:
  // Writes the XML to a file of the temp folder and loads it into the table.
  void Load(const std::string& xml, Table& table) {
    const std::wstring path = m_folder / (L"语言" + std::to_wstring(++m_count) + L".xml");
    ASSERT_TRUE(WriteFileBytes(path, xml));
    LoadLanguageFile(test_support::ToCp936(path), table);
  }

  TempFolder m_folder;
  int m_count = 0;
};

TEST_F(LanguageFileTest, ReadsEveryEntryAfterTheFirstStringInKeyOrder) {
  Table table;
  Load("<Language>"
       "<Other><K>Before</K><T>ignored: before the first String</T></Other>"
       "<String><Key>SignIn</Key><Text>登录</Text></String>"
       "<Entry><Key>CloseTips</Key><Text>关闭</Text><Extra>x</Extra></Entry>"
       "<String><a>Version</a><b>版本 2</b></String>"
       "</Language>",
       table);
  EXPECT_EQ(table, (Table{{"CloseTips", "关闭"}, {"SignIn", "登录"}, {"Version", "版本 2"}}));
}

TEST_F(LanguageFileTest, TheFirstTextOfAKeyWins) {
  Table table;
  Load("<L><String><Key>A</Key><Text>first</Text></String><String><Key>A</Key><Text>second</Text></String></L>", table);
  Load("<L><String><Key>A</Key><Text>other file</Text></String><String><Key>B</Key><Text>b</Text></String></L>", table);
  EXPECT_EQ(table, (Table{{"A", "first"}, {"B", "b"}}));
}

TEST_F(LanguageFileTest, SkipsEntriesWithoutAKeyAndKeepsMissingTextsEmpty) {
  Table table;
  Load("<L><String><Key>NoText</Key></String><String/><String><Key></Key><Text>no key</Text></String>"
       "<String><Key>Spaces</Key><Text>  two  spaces  </Text></String></L>",
       table);
  EXPECT_EQ(table, (Table{{"NoText", ""}, {"Spaces", "  two  spaces  "}}));
}

// Nothing is added, and each bad file is logged by name.
TEST_F(LanguageFileTest, MissingOrMalformedFilesAddNothingAndAreLogged) {
  quennet::ScopedLogCapture log;
  Table table{{"Kept", "yes"}};
  LoadLanguageFile(m_folder.NarrowPath() + "\\missing.xml", table);
  Load("<L><String><Key>Broken</Key><Text>x</Text></String>", table);  // unterminated
  Load("", table);
  EXPECT_EQ(table, (Table{{"Kept", "yes"}}));
  size_t missing = 0, malformed = 0;
  for (const auto& entry : log.Entries()) {
    missing += entry.text.find("missing.xml is missing") != std::string::npos ? 1 : 0;
    malformed += entry.text.find(".xml is malformed") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(missing, 1u);
  EXPECT_EQ(malformed, 2u);
}

TEST_F(LanguageFileTest, EntitiesAreDecoded) {
  Table table;
  Load("<L><String><Key>Amp</Key><Text>A &amp; B &lt;c&gt;</Text></String></L>", table);
  EXPECT_EQ(table["Amp"], "A & B <c>");
}

TEST(StringTableTest, LookupOfAMissingKeyGivesEmptyTextWithoutInserting) {
  StringTable.clear();
  StringTable["Known"] = "已知";
  EXPECT_EQ(LookupText("Unknown"), "");
  EXPECT_EQ(LocalizedText("Known"), L"已知");
  EXPECT_EQ(StringTable.size(), 1u);
  EXPECT_EQ(StringTable["Unknown"], "") << "the map's own lookup yields empty text";
  StringTable.clear();
}

TEST(StringTableTest, ChoosesTheLanguageFileFromTheStoredValue) {
  const std::string folder = mireloomwnd::LanguageFolder();
  EXPECT_EQ(LanguageFileFor(1, 0x0409), folder + "simplified_chinese.xml");
  EXPECT_EQ(LanguageFileFor(2, 0x0804), folder + "traditional_chinese.xml");
  EXPECT_EQ(LanguageFileFor(3, 0x0804), folder + "english.xml");
  EXPECT_EQ(LanguageFileFor(7, 0x0804), folder + "english.xml");
  EXPECT_EQ(LanguageFileFor(-1, 0x0804), folder + "english.xml");
  EXPECT_EQ(LanguageFileFor(0, 0x0404), folder + "traditional_chinese.xml");
  EXPECT_EQ(LanguageFileFor(0, 0x0804), folder + "simplified_chinese.xml");
  EXPECT_EQ(LanguageFileFor(0, 0x0C04), folder + "english.xml") << "Hong Kong falls back to English";
  EXPECT_EQ(LanguageFileFor(0, 0x0409), folder + "english.xml");
}

// The shipped language files must offer the same texts in every language.
TEST(ShippedLanguageFilesTest, HoldTheSameNonEmptyKeys) {
  std::map<std::string, Table> tables;
  for (const char* name : {"simplified_chinese", "traditional_chinese", "english"}) {
    const std::wstring path = test_support::SourcePath(L"skin/i18n/" + std::wstring(name, name + strlen(name)) + L".xml");
    LoadLanguageFile(test_support::ToCp936(path), tables[name]);
    ASSERT_FALSE(tables[name].empty()) << name;
    for (const auto& [key, text] : tables[name]) EXPECT_FALSE(text.empty()) << name << ": " << key;
  }
  auto keys = [](const Table& table) {
    std::set<std::string> set;
    for (const auto& entry : table) set.insert(entry.first);
    return set;
  };
  EXPECT_EQ(keys(tables["simplified_chinese"]), keys(tables["english"]));
  EXPECT_EQ(keys(tables["traditional_chinese"]), keys(tables["english"]));
}

}  // namespace
