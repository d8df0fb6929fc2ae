#include "app/document_commands.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"
#include "tests/window_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>

namespace {

typedef std::vector<std::string> Lines;

class DocumentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = NewTempFolder();
        View.firstLine = MakeLines({""});
        View.path[0] = 0;
        View.modified = false;
    }

    void TearDown() override
    {
        DestroyLines(View.firstLine);
        View.firstLine = nullptr;
        View.path[0] = 0;
        View.modified = false;
    }

    void Edit(const Lines& lines)
    {
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(lines);
        View.modified = true;
    }

    std::string folder;
};

}

TEST_F(DocumentCommandsTest, NewOnAnUnchangedDocumentAsksNothing)
{
    std::strcpy(View.path, (folder + "\\a.txt").c_str());
    DestroyLines(View.firstLine);
    View.firstLine = MakeLines({"old", "lines"});
    EXPECT_TRUE(NewDocument());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
    EXPECT_STREQ(View.path, "");
    EXPECT_FALSE(View.modified);
}

TEST_F(DocumentCommandsTest, TheSaveQuestionCancelledKeepsTheDocument)
{
    Edit({"kept"});
    BoxAnswerer answer(IDCANCEL);
    EXPECT_FALSE(NewDocument());
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "保存");
    EXPECT_EQ(seen.text, "ファイルを保存しますか？");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"kept"}));
    EXPECT_TRUE(View.modified);
}

TEST_F(DocumentCommandsTest, AnsweringNoDropsTheChanges)
{
    std::string path = folder + "\\kept.txt";
    ASSERT_TRUE(WriteFileBytes(path, "on disk"));
    std::strcpy(View.path, path.c_str());
    Edit({"changed"});
    BoxAnswerer answer(IDNO);
    EXPECT_TRUE(NewDocument());
    answer.Seen();
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
    EXPECT_EQ(ReadFileBytes(path), "on disk");
}

TEST_F(DocumentCommandsTest, AnsweringYesSavesUnderTheOwnPathBeforeTheNextFileIsRead)
{
    std::string own = folder + "\\own.txt";
    std::string next = folder + "\\next.txt";
    ASSERT_TRUE(WriteFileBytes(next, "next\r\nfile"));
    std::strcpy(View.path, own.c_str());
    Edit({"mine", ""});
    BoxAnswerer answer(IDYES);
    EXPECT_TRUE(OpenInPlace(next.c_str()));
    answer.Seen();
    EXPECT_EQ(ReadFileBytes(own), "mine\r\n");
    EXPECT_STREQ(View.path, next.c_str());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"next", "file"}));
    EXPECT_FALSE(View.modified);
}

TEST_F(DocumentCommandsTest, SavingAnUnchangedNamedDocumentDoesNotTouchTheFile)
{
    std::string path = folder + "\\same.txt";
    ASSERT_TRUE(WriteFileBytes(path, "as it was"));
    ASSERT_TRUE(OpenInPlace(path.c_str()));
    DestroyLines(View.firstLine->next);
    View.firstLine->next = nullptr;
    View.firstLine->SetText("x", 1);
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ(ReadFileBytes(path), "as it was");
    View.modified = true;
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ(ReadFileBytes(path), "x");
    EXPECT_FALSE(View.modified);
}

TEST_F(DocumentCommandsTest, OpeningAMissingFileGivesAnEmptyDocumentUnderItsName)
{
    std::string path = folder + "\\sub\\new.txt";
    EXPECT_TRUE(OpenInPlace(path.c_str()));
    EXPECT_STREQ(View.path, path.c_str());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
    EXPECT_TRUE(SaveDocument()) << "nothing to save until an edit";
    EXPECT_FALSE(EntryExists(path));
    Edit({"typed"});
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ(ReadFileBytes(path), "typed");
}

TEST_F(DocumentCommandsTest, AFailedSaveSaysSoAndKeepsTheChanges)
{
    std::string path = folder + "\\locked.txt";
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::strcpy(View.path, path.c_str());
    Edit({"new"});
    BoxAnswerer answer(IDOK);
    EXPECT_FALSE(SaveDocument());
    BoxSeen seen = answer.Seen();
    CloseHandle(held);
    EXPECT_EQ(seen.text, "Failed To Save The File.");
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ReadFileBytes(path), "old");
}

TEST_F(DocumentCommandsTest, AnOverlongPathIsRefusedAndNothingChanges)
{
    Edit({"kept"});
    std::string path = "C:\\" + std::string(300, 'n') + ".txt";
    BoxAnswerer answer(IDOK);
    EXPECT_FALSE(OpenInPlace(path.c_str()));
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_FALSE(seen.text.empty());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"kept"}));
    EXPECT_TRUE(View.modified);
}

TEST_F(DocumentCommandsTest, AFileThatExistsButCannotBeReadIsReportedBeforeItShowsEmpty)
{
    std::string path = folder + "\\busy.txt";
    ASSERT_TRUE(WriteFileBytes(path, "precious"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    BoxAnswerer answer(IDOK);
    EXPECT_TRUE(OpenInPlace(path.c_str()));
    BoxSeen seen = answer.Seen();
    CloseHandle(held);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_FALSE(seen.text.empty());
    EXPECT_STREQ(View.path, path.c_str());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
    EXPECT_EQ(ReadFileBytes(path), "precious");
}
