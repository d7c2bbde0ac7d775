#include "winlib/Profile.h"

#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
class PrivateProfile : public ::testing::Test
{
protected:
    ScopedTempDir m_dir;
    std::string m_file = m_dir / "settings.ini";

    void WriteFile(const std::string& content) { std::ofstream(m_file, std::ios::binary) << content; }

    std::string FileContent() const
    {
        std::ifstream in(m_file, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    std::string Read(const char* section, const char* key, const char* defaultValue = "(default)")
    {
        char buffer[256] = {};
        const DWORD length =
            GetPrivateProfileString(section, key, defaultValue, buffer, sizeof buffer, m_file.c_str());
        EXPECT_EQ(length, std::string(buffer).size());
        return buffer;
    }

    // A double-NUL-terminated list as "a|b|".
    std::string ReadList(const char* section, DWORD size, DWORD* length = nullptr)
    {
        std::string buffer(size + 4, '#');
        const DWORD copied =
            GetPrivateProfileString(section, nullptr, "(default)", buffer.data(), size, m_file.c_str());
        if (length)
            *length = copied;
        std::string list;
        for (DWORD i = 0; i < copied; ++i)
            list += buffer[i] == '\0' ? '|' : buffer[i];
        // The list ends with two NULs inside the buffer: its last name's and the closing one.
        EXPECT_LT(copied + 1, size);
        EXPECT_EQ(buffer[copied], '\0');
        EXPECT_TRUE(buffer[copied + 1] == '\0' || (copied > 0 && buffer[copied - 1] == '\0'));
        return list;
    }
};

const char* const kSeveralSections = "; settings of the console\n"
                                     "[Requests]\n"
                                     "COLUMNPROFILE=0,0,75,1,1,90\n"
                                     "; kept between runs\n"
                                     "Sort=2\n"
                                     "\n"
                                     "[CUSTOMIZE_LISTS]\n"
                                     "Requests-1001=0,FF00,MS Shell Dlg 2,8\n"
                                     "Details-1002 = FFFFFF,0,Arial,9\n";

TEST_F(PrivateProfile, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(Read("Requests", "COLUMNPROFILE"), "(default)");
    WriteFile(kSeveralSections);
    EXPECT_EQ(Read("Nothing", "COLUMNPROFILE"), "(default)");
    EXPECT_EQ(Read("Requests", "Nothing"), "(default)");
    EXPECT_EQ(Read("Requests", "Nothing", nullptr), "");
    EXPECT_EQ(Read("Requests", "Nothing", "padded   "), "padded");
    // A comment is no key, even when it looks like one.
    EXPECT_EQ(Read("Requests", "; kept between runs"), "(default)");
}

TEST_F(PrivateProfile, ValueIsCutToTheBufferAndTheCountReturned)
{
    WriteFile("[s]\nk=abcdef\n");
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", buffer, 4, m_file.c_str()), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], 'x');
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", buffer, 1, m_file.c_str()), 0u);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'x';
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", buffer, 0, m_file.c_str()), 0u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetPrivateProfileString("s", "missing", "defaults", buffer, 4, m_file.c_str()), 3u);
    EXPECT_STREQ(buffer, "def");
}

TEST_F(PrivateProfile, NamesMatchWithoutCaseAndBlanksAreTrimmed)
{
    WriteFile("[  Mixed Case  ]\n  Some Key\t=   some value  \n");
    EXPECT_EQ(Read("mixed case", "SOME KEY"), "some value");
    EXPECT_EQ(Read(" MIXED CASE ", " some key "), "some value");
}

TEST_F(PrivateProfile, OnePairOfMatchingQuotesIsRemoved)
{
    WriteFile("[q]\ndouble=\"  padded  \"\nsingle='x'\nmixed=\"x'\nlone=\"\ntwice=\"\"x\"\"\n"
              "empty=\"\"\nemptySingle=''\nspaced = \"\"  \n");
    const std::pair<const char*, const char*> values[] = {
        {"double", "  padded  "}, {"single", "x"}, {"mixed", "\"x'"},   {"lone", "\""},
        {"twice", "\"x\""},       {"empty", ""},   {"emptySingle", ""}, {"spaced", ""}};
    for (const auto& [key, value] : values)
        EXPECT_EQ(Read("q", key), value) << key;
}

TEST_F(PrivateProfile, FirstOfDuplicateKeysAndSectionsWins)
{
    WriteFile("[a]\nk=first\nk=second\n[A]\nk=third\nonly=later\n");
    EXPECT_EQ(Read("a", "k"), "first");
    EXPECT_EQ(Read("a", "only"), "(default)");
    // Deleting the section removes both copies, so the second does not come to light.
    ASSERT_TRUE(WritePrivateProfileString("a", nullptr, nullptr, m_file.c_str()));
    EXPECT_EQ(FileContent(), "");
}

TEST_F(PrivateProfile, AWriteChangesItsOwnLineOrAddsOneAfterItsSectionOrAtTheEnd)
{
    const std::string text = kSeveralSections;
    const std::string sort = "Sort=2\n";
    const struct
    {
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    } writes[] = {
        {"requests", "sort", "3", std::string(text).replace(text.find(sort), 6, "Sort=3")},
        {"Requests", "Filter", "on", std::string(text).insert(text.find(sort) + sort.size(), "Filter=on\n")},
        {"KIVO_DIALOG_BAR_SIZE", "Console", "400", text + "[KIVO_DIALOG_BAR_SIZE]\nConsole=400\n"},
    };
    for (const auto& w : writes)
    {
        SCOPED_TRACE(w.key);
        WriteFile(text);
        ASSERT_TRUE(WritePrivateProfileString(w.section, w.key, w.value, m_file.c_str()));
        EXPECT_EQ(FileContent(), w.expected);
        EXPECT_EQ(Read(w.section, w.key), w.value);
    }
}

TEST_F(PrivateProfile, FileIsCreatedOnFirstWriteOnlyWhenItsFolderExists)
{
    ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", m_file.c_str()));
    EXPECT_EQ(FileContent(), "[s]\nk=v\n");
    const std::string nowhere = m_dir / "no\\such\\folder.ini";
    EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", nowhere.c_str()));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "no"));
}

TEST_F(PrivateProfile, BackslashPathsReachTheSameFile)
{
    std::filesystem::create_directory(m_dir.Path() / "sub");
    const std::string windowsStyle = m_dir.Path().string() + "\\sub\\\\UserSetting.ini";
    ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", windowsStyle.c_str()));
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "sub" / "UserSetting.ini"));
    char buffer[8] = {};
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", buffer, sizeof buffer, windowsStyle.c_str()), 1u);
}

TEST_F(PrivateProfile, NullValueDeletesTheKeyAndNullKeyTheSection)
{
    WriteFile(kSeveralSections);
    ASSERT_TRUE(WritePrivateProfileString("Requests", "COLUMNPROFILE", nullptr, m_file.c_str()));
    EXPECT_EQ(Read("Requests", "COLUMNPROFILE"), "(default)");
    EXPECT_EQ(Read("Requests", "Sort"), "2");
    ASSERT_TRUE(WritePrivateProfileString("CUSTOMIZE_LISTS", nullptr, nullptr, m_file.c_str()));
    EXPECT_EQ(FileContent(), "; settings of the console\n[Requests]\n; kept between runs\nSort=2\n\n");
    // Deleting what is not there succeeds and creates nothing.
    const std::string other = m_dir / "other.ini";
    EXPECT_TRUE(WritePrivateProfileString("x", nullptr, nullptr, other.c_str()));
    EXPECT_TRUE(WritePrivateProfileString("x", "y", nullptr, other.c_str()));
    EXPECT_FALSE(std::filesystem::exists(other));
}

TEST_F(PrivateProfile, NullSectionOrKeyListsTheNamesDoubleNulTerminated)
{
    WriteFile(kSeveralSections);
    DWORD length = 0;
    EXPECT_EQ(ReadList(nullptr, 100, &length), "Requests|CUSTOMIZE_LISTS|");
    EXPECT_EQ(length, 25u);
    EXPECT_EQ(ReadList("customize_lists", 100), "Requests-1001|Details-1002|");
    EXPECT_EQ(ReadList("Nothing", 100), "");
    // Too small: cut, still ending with two NULs, and size - 2 returned.
    EXPECT_EQ(ReadList(nullptr, 8, &length), "Reques");
    EXPECT_EQ(length, 6u);
}

TEST_F(PrivateProfile, IntegersReadAsWindowsReadsThem)
{
    WriteFile("[n]\ndec=42\nneg=-1\nhex=0x1F\ntail=12abc\ntext=abc\nempty=\nquoted=\"7\"\n");
    const char* file = m_file.c_str();
    EXPECT_EQ(GetPrivateProfileInt("n", "dec", 5, file), 42u);
    EXPECT_EQ(GetPrivateProfileInt("n", "neg", 5, file), 0xFFFFFFFFu);
    EXPECT_EQ(GetPrivateProfileInt("n", "hex", 5, file), 31u);
    EXPECT_EQ(GetPrivateProfileInt("n", "tail", 5, file), 12u);
    EXPECT_EQ(GetPrivateProfileInt("n", "text", 5, file), 0u);
    EXPECT_EQ(GetPrivateProfileInt("n", "empty", 5, file), 5u);
    EXPECT_EQ(GetPrivateProfileInt("n", "quoted", 5, file), 7u);
    EXPECT_EQ(GetPrivateProfileInt("n", "missing", -3, file), static_cast<UINT>(-3));
}

TEST_F(PrivateProfile, WindowsLineEndingsAndByteOrderMarkSurviveARewrite)
{
    WriteFile("\xEF\xBB\xBF[s]\r\nk=1\r\n; note\r\n");
    EXPECT_EQ(Read("s", "k"), "1");
    ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", m_file.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("s", "j", "3", m_file.c_str()));
    EXPECT_EQ(FileContent(), "\xEF\xBB\xBF[s]\r\nk=2\r\nj=3\r\n; note\r\n");
}

TEST_F(PrivateProfile, TextThatCouldNotBeReadBackIsRefused)
{
    WriteFile(kSeveralSections);
    EXPECT_FALSE(WritePrivateProfileString("Requests", "a=b", "v", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("Requests", "k", "two\nlines", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("Re]quests", "k", "v", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("Requests", "[k", "v", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "v", m_file.c_str()));
    EXPECT_EQ(FileContent(), kSeveralSections);
}

TEST_F(PrivateProfile, ValueWrittenWithEqualsSignsAndQuotesReadsBack)
{
    ASSERT_TRUE(WritePrivateProfileString("Lists", "COLUMNPROFILE", "3,3,80,A#\"1\"==2#x=y", m_file.c_str()));
    EXPECT_EQ(Read("Lists", "COLUMNPROFILE"), "3,3,80,A#\"1\"==2#x=y");
}
} // namespace
