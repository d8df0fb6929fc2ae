#include "app/document_commands.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/win32_hooks.h"
#include "tests/test_support.h"
#include "tests/window_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
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
        ResetEditor();
        folder = NewTempFolder();
        View.firstLine = MakeLines({""});
    }

    void TearDown() override { ResetEditor(); }

    void Edit(const Lines& lines)
    {
        DiscardLines(View);
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

namespace {

// Stand-ins for ReplaceFileA that fail the way the system may after it has already moved the
// file being replaced: deleted (ERROR_UNABLE_TO_MOVE_REPLACEMENT without a backup name), or kept
// under another name (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2).
BOOL WINAPI ReplaceDeletesTheOriginal(LPCSTR replaced, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID)
{
    DeleteFileA(replaced);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}

BOOL WINAPI ReplaceRenamesTheOriginal(LPCSTR replaced, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID)
{
    MoveFileA(replaced, (std::string(replaced) + ".moved").c_str());
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return FALSE;
}

// The original is gone and something the new file cannot replace has taken its name.
BOOL WINAPI ReplaceLeavesTheNameBlocked(LPCSTR replaced, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID)
{
    DeleteFileA(replaced);
    CreateDirectoryA(replaced, nullptr);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}

// The fixture's reset puts the system's ReplaceFileA back in place.
class SaveReplaceTest : public DocumentCommandsTest {};

}

TEST_F(SaveReplaceTest, AReplaceThatMovedTheOldFileAwayStillPutsTheNewOneInPlace)
{
    for (auto replace : {ReplaceDeletesTheOriginal, ReplaceRenamesTheOriginal}) {
        std::string path = folder + "\\doc.txt";
        ASSERT_TRUE(WriteFileBytes(path, "old"));
        std::strcpy(View.path, path.c_str());
        Edit({"new"});
        ReplaceFileCall = replace;
        EXPECT_TRUE(SaveDocument());
        EXPECT_EQ(ReadFileBytes(path), "new");
        EXPECT_FALSE(View.modified);
        std::vector<std::string> entries = FolderEntries(folder);
        std::sort(entries.begin(), entries.end());
        Lines expected = {"doc.txt"};
        if (replace == ReplaceRenamesTheOriginal)
            expected.push_back("doc.txt.moved");
        EXPECT_EQ(entries, expected);
        DeleteFileA((path + ".moved").c_str());
    }
}

TEST_F(SaveReplaceTest, WhenTheNewFileCannotTakeTheNameTheUserLearnsWhereItIs)
{
    std::string path = folder + "\\doc.txt";
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    std::strcpy(View.path, path.c_str());
    Edit({"new"});
    ReplaceFileCall = ReplaceLeavesTheNameBlocked;
    std::string told;
    BoxAnswerer answer([&told](HWND box) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitUntilGone(box);
        HWND second = WaitForDialog(box);
        if (second == nullptr)
            return;
        told = DescribeDialog(second).text;
        PostMessageA(second, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_FALSE(SaveDocument());
    EXPECT_EQ(answer.Seen().text, "Failed To Save The File.");
    EXPECT_TRUE(View.modified);
    std::string kept;
    for (const std::string& name : FolderEntries(folder))
        if (name != "doc.txt")
            kept = folder + "\\" + name;
    ASSERT_FALSE(kept.empty()) << "the new bytes were deleted with the old file gone";
    EXPECT_EQ(ReadFileBytes(kept), "new");
    EXPECT_NE(told.find(kept), std::string::npos) << told;
}

TEST_F(DocumentCommandsTest, EveryNameThatOpensAlsoSaves)
{
    // In a folder too long for the system's temporary names: a name that fills a path to its
    // last byte and a name of a single byte; and a name written with '/'.
    std::string deep = folder + "\\" + std::string(247 - folder.size(), 'f');
    ASSERT_EQ(deep.size(), 248u);
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    std::string full = deep + "\\" + std::string(259 - deep.size() - 1, 'x');
    ASSERT_EQ(full.size(), 259u);
    std::string slashed = folder + "/sub/slashed.txt";
    for (const std::string& name : {deep + "\\a.txt", full, slashed, deep + "\\b"}) {
        ASSERT_TRUE(OpenInPlace(name.c_str())) << name;
        Edit({"saved"});
        EXPECT_TRUE(SaveDocument()) << name;
        EXPECT_FALSE(View.modified);
    }
    EXPECT_EQ(ReadFileBytes(deep + "\\a.txt"), "saved");
    EXPECT_EQ(ReadFileBytes(full), "saved");
    EXPECT_EQ(ReadFileBytes(folder + "\\sub\\slashed.txt"), "saved");
    EXPECT_EQ(ReadFileBytes(deep + "\\b"), "saved");
    std::vector<std::string> entries = FolderEntries(deep);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, Lines({"a.txt", "b", full.substr(deep.size() + 1)}));
}

TEST_F(DocumentCommandsTest, ATooLongNameTypedInSaveAsIsRefusedAndTheDocumentStaysAsItWas)
{
    std::string path = folder + "\\kept.txt";
    std::strcpy(View.path, path.c_str());
    Edit({"text"});
    // Longer than a path in bytes, though not in characters: Wine's own dialog cannot take a
    // name of more than 259 characters at all.
    std::string typed = folder + "\\";
    for (int i = 0; i < 120; ++i)
        typed += "表";
    typed += ".txt";
    ASSERT_GT(typed.size(), 260u);
    BoxSeen refusal;
    BoxAnswerer answer([&](HWND dialog) {
        if (!ChooseFileName(dialog, typed.c_str()))
            return;
        WaitUntilGone(dialog);
        HWND box = WaitForDialog(dialog);
        if (box == nullptr)
            return;
        refusal = DescribeDialog(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_FALSE(SaveDocumentAs());
    answer.Seen();
    EXPECT_EQ(refusal.caption, "Error");
    EXPECT_FALSE(refusal.text.empty());
    EXPECT_STREQ(View.path, path.c_str());
    EXPECT_TRUE(View.modified);
    EXPECT_TRUE(FolderEntries(folder).empty());
}
