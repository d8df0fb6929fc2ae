#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <new>

void (*LoadRepaint)() = nullptr;
void (*LoadProgress)(const char* text) = nullptr;
void (*LoadEnded)(bool opened, unsigned long error) = nullptr;

const char LoadDoneText[] = "読み込み完了";

namespace {

std::atomic<bool> Loading{false};

// The file's bytes continue the line the worker is filling. That line is empty unless the user
// typed into it, so usually its block is just exchanged with the filled one and nothing is
// allocated while the lock is held.
void Attach(TextLine& open, TextLine& filled)
{
    if (open.length == 0) {
        char* text = open.text;
        int capacity = open.capacity;
        open.text = filled.text;
        open.length = filled.length;
        open.capacity = filled.capacity;
        filled.text = text;
        filled.length = 0;
        filled.capacity = capacity;
        return;
    }
    for (int i = 0; i < filled.length; ++i)
        open.AppendByte(filled.text[i]);
}

void Report(int completed, char* text, int size)
{
    if (completed % 256 != 0 || LoadProgress == nullptr)
        return;
    std::snprintf(text, static_cast<size_t>(size), "読み込み中...(%d行)", completed);
    LoadProgress(text);
}

}

bool StartLoader(EditView& view)
{
    Loading = true;
    if (StartThread(LoaderThread, &view))
        return true;
    Loading = false;
    return false;
}

bool LoadInProgress()
{
    return Loading;
}

void FinishLoad()
{
    Loading = false;
}

void LoaderThread(void* editor)
{
    EditView& view = *static_cast<EditView*>(editor);
    FILE* stream = OpenWithDirectories(view.path, "rb");
    if (stream == nullptr) {
        unsigned long error = LastSystemError();
        if (LoadEnded != nullptr)
            LoadEnded(false, error);
        return;
    }
    char text[256];
    TextLine* open;
    {
        DocumentGuard guard;
        open = view.firstLine;
    }
    int completed = 0;
    bool more = true;
    while (more) {
        TextLine filled;
        more = ReadLine(&filled, stream);
        // The next line is made before the lock is taken: making it can fail with a box.
        TextLine* next = more ? new (std::nothrow) TextLine : nullptr;
        {
            DocumentGuard guard;
            Attach(*open, filled);
            if (next != nullptr) {
                open->InsertAfter(next);
                open = next;
            }
        }
        if (!more)
            break;
        if (next == nullptr) {
            // Without the rest of its lines the document must not be saved over the file.
            std::fclose(stream);
            if (LoadEnded != nullptr)
                LoadEnded(false, OutOfMemoryError);
            return;
        }
        if (completed == 100 && LoadRepaint != nullptr)
            LoadRepaint();
        ++completed;
        Report(completed, text, sizeof text);
    }
    std::fclose(stream);
    if (LoadEnded != nullptr)
        LoadEnded(true, 0);
}
