#include "platform/FileSystem.h"
#include "fixtures/TempDir.h"
#include "platform/CheckedPath.h"
#include "platform/Text.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace fs_win;

namespace {

std::string Win(const TempDir& dir, const std::string& rest) {
    std::string p = dir.Path().string();
    for (char& c : p)
        if (c == '/') c = '\\';
    return "c:" + p + "\\" + rest;
}

} // namespace

TEST(FileSystem, WindowsPathsResolveWithoutRegardToCase) {
    TempDir dir;
    dir.Write("Exchange/In_Arch/Feladas.DBF", "x");
    std::string path = Win(dir, "EXCHANGE\\in_arch\\feladas.dbf");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ToHost(path), dir.Path() / "Exchange/In_Arch/Feladas.DBF");
    // A new name keeps the spelling given, inside the folders found.
    EXPECT_EQ(ToHost(Win(dir, "exchange\\NEW.txt")), dir.Path() / "Exchange/NEW.txt");
    // An absolute host path is taken as it is.
    EXPECT_TRUE(FileExists((dir.Path() / "Exchange/In_Arch/Feladas.DBF").string()));
}

TEST(FileSystem, WildcardsMatchWithoutRegardToCase) {
    EXPECT_TRUE(WildcardMatch("feladas*.DBF", "FELADAS01.dbf"));
    EXPECT_TRUE(WildcardMatch("feladas*.DBF", "feladas.dbf"));
    EXPECT_TRUE(WildcardMatch("*HUF.HUF", ".1huf.huf"));
    EXPECT_TRUE(WildcardMatch("KVF?.TXT", "kvf1.txt"));
    EXPECT_FALSE(WildcardMatch("KVF?.TXT", "kvf12.txt"));
    EXPECT_FALSE(WildcardMatch("wber*.dbf", "xwber1.dbf"));
    EXPECT_FALSE(WildcardMatch("feladas*.dbf", "feladas1.dbf.bak"));
    EXPECT_TRUE(WildcardMatch("*a*b*", "xxaxxbxx"));
}

TEST(FileSystem, ListEntriesGivesFilesAndFoldersAndNothingForMissingFolder) {
    TempDir dir;
    dir.Write("wber1.dbf", "");
    dir.Write("WBER2.DBF", "");
    dir.Write("other.dbf", "");
    std::filesystem::create_directory(dir / "wber_folder.dbf");
    auto names = ListEntries(Win(dir, ""), "wber*.dbf");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"WBER2.DBF", "wber1.dbf", "wber_folder.dbf"}));
    EXPECT_TRUE(ListEntries(Win(dir, "missing"), "*").empty());
}

TEST(FileSystem, RenameRefusesAnExistingTargetWhileCopyReplacesIt) {
    TempDir dir;
    dir.Write("a.txt", "new");
    dir.Write("b.txt", "old");
    EXPECT_FALSE(RenameFile(Win(dir, "a.txt"), Win(dir, "b.txt")));
    EXPECT_EQ(dir.Read("b.txt"), "old");
    EXPECT_EQ(dir.Read("a.txt"), "new");
    EXPECT_TRUE(CopyFile(Win(dir, "a.txt"), Win(dir, "b.txt")));
    EXPECT_EQ(dir.Read("b.txt"), "new");
    EXPECT_TRUE(RenameFile(Win(dir, "A.TXT"), Win(dir, "c.txt")));
    EXPECT_FALSE(FileExists(Win(dir, "a.txt")));
    EXPECT_EQ(dir.Read("c.txt"), "new");
    EXPECT_FALSE(RenameFile(Win(dir, "missing.txt"), Win(dir, "d.txt")));
}

TEST(FileSystem, FoldersTextsAndDeletion) {
    TempDir dir;
    EXPECT_TRUE(ForceDirectories(Win(dir, "x\\y\\z\\")));
    EXPECT_TRUE(DirectoryExists(Win(dir, "X\\Y\\Z")));
    WriteText(Win(dir, "x\\log.txt"), "a\r\nb");
    AppendText(Win(dir, "x\\log.txt"), "c\r\n");
    EXPECT_EQ(ReadLines(Win(dir, "x\\LOG.TXT")), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(FileSize(Win(dir, "x\\log.txt")), 7u);
    EXPECT_TRUE(DeleteFile(Win(dir, "x\\log.txt")));
    EXPECT_FALSE(DeleteFile(Win(dir, "x\\log.txt")));
    EXPECT_FALSE(DeleteFile(Win(dir, "x\\y"))); // never a folder
    EXPECT_THROW(ReadLines(Win(dir, "missing.txt")), std::runtime_error);
}

TEST(FileSystem, CheckedPathsTakeNamesAsNamesAndReplaceOnlyWhenTold) {
    TempDir dir;
    dir.Write("ex/feladas1.dbf", "lower");
    dir.Write("ex/FELADAS1.DBF", "upper");
    dir.Write("ex/Only.DBF", "only");
    dir.Write("outside.txt", "outside");
    std::filesystem::create_symlink("../outside.txt", dir / "ex/link.txt");
    const CheckedPath ex(Win(dir, "EX\\"));
    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "...", "a\\..\\..\\outside.txt", "../outside.txt",
                                  "a:b", "a|b", "a\x1F", "link.txt", std::string(256, 'n')})
        EXPECT_THROW(ex.Entry(name), std::runtime_error) << text::Printable(name);
    EXPECT_EQ(ex.Entry(std::string(255, 'n')).Host(), dir.Path() / "ex" / std::string(255, 'n'));
    // A name keeps its spelling; only a single other spelling is found for it.
    EXPECT_EQ(ex.Entry("only.dbf").Host(), dir.Path() / "ex/only.dbf");
    EXPECT_EQ(ex.Find("only.dbf").Host(), dir.Path() / "ex/Only.DBF");
    EXPECT_EQ(ex.Find("Feladas1.dbf").Host(), dir.Path() / "ex/Feladas1.dbf");

    EXPECT_THROW(MoveFile(ex.Entry("feladas1.dbf"), ex.Entry("FELADAS1.DBF")), std::runtime_error);
    EXPECT_THROW(CopyNew(ex.Entry("feladas1.dbf"), ex.Entry("FELADAS1.DBF")), std::runtime_error);
    EXPECT_EQ(dir.Read("ex/FELADAS1.DBF"), "upper");
    WriteWhole(ex.Entry("FELADAS1.DBF"), "replaced");
    EXPECT_EQ(dir.Read("ex/FELADAS1.DBF"), "replaced");
    MoveFile(ex.Entry("feladas1.dbf"), ex.Entry("moved.dbf"));
    EXPECT_EQ(dir.Read("ex/moved.dbf"), "lower");
    EXPECT_FALSE(IsFile(ex.Entry("feladas1.dbf")));
    // Nothing written under a name of its own is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ex"), {}), 4);
    EXPECT_EQ(dir.Read("outside.txt"), "outside");
}
