#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "settings/IniFile.h"

using vorlaxis::IniDocument;
using vorlaxis::IniFile;
using vorlaxis::ParseIniInteger;

using vorlaxis::test::ReadBack;

TEST(ParseIniInteger, AcceptsDecimalAndThreeHexForms) {
    EXPECT_EQ(ParseIniInteger("48", 0), 48);
    EXPECT_EQ(ParseIniInteger("-5", 0), -5);
    EXPECT_EQ(ParseIniInteger("+7", 0), 7);
    EXPECT_EQ(ParseIniInteger("0x2", 0), 2);
    EXPECT_EQ(ParseIniInteger("0X1f", 0), 31);
    EXPECT_EQ(ParseIniInteger("$FF", 0), 255);
    EXPECT_EQ(ParseIniInteger("-$10", 0), -16);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF", 0), -1);
    EXPECT_EQ(ParseIniInteger("2147483647", 0), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648", 0), INT32_MIN);
}

TEST(ParseIniInteger, AnythingElseGivesTheDefault) {
    for (const char* text :
         {"", "abc", "yes", "1.5", "12abc", "0x", "$", "-", "+", "0xG", " 5", "5 ", "2147483648",
          "-2147483649", "$100000000", "99999999999999999999999"}) {
        EXPECT_EQ(ParseIniInteger(text, 42), 42) << '"' << text << '"';
    }
}

TEST(IniDocument, NamesMatchWithoutCaseAndValuesAreTrimmedAndUnquoted) {
    const IniDocument ini(
        "[Application]\r\n"
        "  xPOS  =   12  \r\n"
        "Name=\"  quoted  \"\r\n"
        "Single='x'\r\n"
        "Half=\"open\r\n"
        "Twice=\"\"inner\"\"\r\n"
        "Empty=\r\n");
    EXPECT_EQ(ini.ReadInteger("APPLICATION", "Xpos", 0), 12);
    EXPECT_EQ(ini.ReadString("application", "name", "-"), "  quoted  ");
    EXPECT_EQ(ini.ReadString("Application", "Single", "-"), "x");
    EXPECT_EQ(ini.ReadString("Application", "Half", "-"), "\"open");
    EXPECT_EQ(ini.ReadString("Application", "Twice", "-"), "\"inner\"");
    EXPECT_EQ(ini.ReadString("Application", "Empty", "-"), "");
    EXPECT_EQ(ini.ReadString("Application", "Missing", "-"), "-");
    EXPECT_EQ(ini.ReadString("Other", "Xpos", "-"), "-");
}

TEST(IniDocument, BooleansAreIntegersWhereAnyNonZeroIsTrue) {
    const IniDocument ini("[T]\nA=1\nB=0\nC=7\nD=yes\nE=-1\nF=0x0\n");
    EXPECT_TRUE(ini.ReadBool("T", "A", false));
    EXPECT_FALSE(ini.ReadBool("T", "B", true));
    EXPECT_TRUE(ini.ReadBool("T", "C", false));
    EXPECT_FALSE(ini.ReadBool("T", "D", false));  // not a number: the default
    EXPECT_TRUE(ini.ReadBool("T", "D", true));
    EXPECT_TRUE(ini.ReadBool("T", "E", false));
    EXPECT_FALSE(ini.ReadBool("T", "F", true));
    EXPECT_TRUE(ini.ReadBool("T", "Missing", true));
}

TEST(IniDocument, TheFirstOfDuplicateKeysAndSectionsWins) {
    const IniDocument ini("[S]\nk=first\nK=second\n[s]\nk=third\nonly=later\n");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "first");
    EXPECT_EQ(ini.ReadString("S", "only", ""), "later");
}

TEST(IniDocument, BomCommentsGarbageAndKeysOutsideSectionsAreNotKeys) {
    const IniDocument ini(
        "\xEF\xBB\xBForphan=1\n"
        "[S]\n"
        ";k=comment\n"
        "no equals sign\n"
        "=no name\n"
        "k=value\n");
    EXPECT_FALSE(ini.HasKey("", "orphan"));
    EXPECT_FALSE(ini.HasKey(";k", ""));
    EXPECT_EQ(ini.ReadString("S", ";k", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "value");
    EXPECT_EQ(IniDocument("\xEF\xBB\xBF[S]\nk=1\n").ReadInteger("S", "k", 0), 1);
}

TEST(IniDocument, AHeaderWithoutBracketOpensNoSection) {
    const IniDocument ini("[A]\nx=1\n[B\ny=2\n[C] trailing words\nz=3\n");
    EXPECT_FALSE(ini.HasSection("B"));
    EXPECT_FALSE(ini.HasKey("B", "y"));
    EXPECT_EQ(ini.ReadString("A", "y", "-"), "2");  // still under the last real header
    EXPECT_EQ(ini.ReadString("C", "z", "-"), "3");
}

TEST(IniDocument, ValuesReadBackAtMost2047Characters) {
    const std::string huge(1 << 20, 'v');
    const IniDocument ini("[S]\nlong=" + huge + "\nafter=ok\n" + huge + "\nlast=1\n");
    EXPECT_EQ(ini.ReadString("S", "long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.ReadString("S", "after", ""), "ok");
    EXPECT_EQ(ini.ReadInteger("S", "last", 0), 1);
}

TEST(IniDocument, BinaryGarbageDoesNotHideTheRest) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    const IniDocument ini(garbage + "\n[S]\nk=7\n" + garbage + "\n[T]\nm=8\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 7);
    EXPECT_EQ(ini.ReadInteger("T", "m", 0), 8);
}

TEST(IniDocument, WritingKeepsUnknownLinesAndTheFilesLineEnds) {
    IniDocument ini("; my notes\r\n[A]\r\nx=1\r\nforeign=keep\r\n\r\n[B]\r\ny=2\r\n");
    ini.WriteString("a", "X", "5");    // replaced in place, the name as the file spells it
    ini.WriteString("A", "new", "n");  // appended to the section, before its blank line
    ini.WriteString("C", "z", "3");    // a new section at the end
    EXPECT_EQ(ini.Text(),
              "; my notes\r\n[A]\r\nx=5\r\nforeign=keep\r\nnew=n\r\n\r\n[B]\r\ny=2\r\n"
              "\r\n[C]\r\nz=3\r\n");
    IniDocument lf("[A]\nx=1");
    lf.WriteString("A", "y", "2");
    EXPECT_EQ(lf.Text(), "[A]\nx=1\ny=2\n");
    IniDocument bom("\xEF\xBB\xBF[A]\nx=1\n");
    bom.WriteString("A", "x", "2");
    EXPECT_EQ(bom.Text(), "\xEF\xBB\xBF[A]\nx=2\n");
}

TEST(IniDocument, ErasingASectionTakesEveryCopyAndOnlyIt) {
    IniDocument ini("[Paths]\nPath0=a\n; note\n[Keep]\nk=1\n[PATHS]\nPath9=b\n");
    ini.EraseSection("paths");
    EXPECT_EQ(ini.Text(), "[Keep]\nk=1\n");
    EXPECT_FALSE(ini.HasSection("Paths"));
}

TEST(IniDocument, AValueThatWouldNotSurviveTheFileIsStoredSafely) {
    IniDocument ini;
    for (const std::string value : {" lead", "trail ", "\"both\"", "'single'", "\"", "a=b"}) {
        ini.WriteString("S", "k", value);
        EXPECT_EQ(IniDocument(ini.Text()).ReadString("S", "k", "-"), value) << value;
    }
    // A line break must not start keys of its own.
    ini.WriteString("S", "k", "x\nPath0={}\r\n[Evil]");
    const IniDocument back(ini.Text());
    EXPECT_FALSE(back.HasSection("Evil"));
    EXPECT_FALSE(back.HasKey("S", "Path0"));
    EXPECT_EQ(back.ReadString("S", "k", "-"), "x Path0={}  [Evil]");
}

TEST(IniFile, TwoProgramsSavingAtOnceNeverLeaveAPartOrEmptyFile) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.file("a.ini", "[S]\nk=x\n");  // each save replaces it whole
    auto value = [](int who, int i) {
        return std::string(who ? 5000 : 3000, 'a' + who) + "01"[i % 2];
    };
    bool whole[2] = {true, true};  // every read found one whole save
    auto save = [&](int who) {
        IniFile ini(path);
        for (int i = 0; i < 300; ++i) {
            // Windows may refuse to replace the file while the other side reads it; what is
            // on the disk must still be one whole save, never a mix or a cut one.
            static_cast<void>(ini.WriteString("S", "k", value(who, i)));
            std::string disk;
            // Windows may also refuse the read for the moment of a replace.
            if (!vorlaxis::platform::ReadWholeFile(path, disk)) continue;
            bool known = disk == "[S]\nk=x\n";
            for (int w = 0; w < 2; ++w) {
                for (int j = 0; j < 2; ++j) known |= disk == "[S]\nk=" + value(w, j) + "\n";
            }
            whole[who] = whole[who] && known;
        }
    };
    std::thread other(save, 1);
    save(0);
    other.join();
    EXPECT_TRUE(whole[0] && whole[1]);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"a.ini"});
}

TEST(IniFile, EveryWriteReachesTheFileAtOnce) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.file("a.ini", "[Old]\nkeep=1\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("New", "k", "v"));
    EXPECT_EQ(ReadBack(path), "[Old]\nkeep=1\n\n[New]\nk=v\n");
    ASSERT_TRUE(ini.EraseSection("Old"));
    EXPECT_EQ(ReadBack(path), "[New]\nk=v\n");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"a.ini"}) << "no temporary file left";
}
