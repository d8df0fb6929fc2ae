#include "document/background_load.h"
#include "document/code_convert.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/line_arena.h"
#include "document/line_reader.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <new>

void (*LoadRepaint)() = nullptr;
void (*LoadProgress)(const char* text) = nullptr;
void (*LoadEnded)(bool complete, unsigned long error) = nullptr;

const char LoadDoneText[] = "読み込み完了";

namespace {

std::atomic<bool> Loading{false};
std::atomic<bool> WorkerDone{false};
std::atomic<unsigned> Loads{0};
// Under the document lock.
TextLine* OpenLine = nullptr;
// The code the load was asked to read in; set before the worker starts.
TextCode LoadCode = TextCodeCount;

// Lines are read in batches, each built as a chain of its own that nobody else can see, so
// the lock is taken once a batch rather than once a line.
const int BatchLines = 64;

struct Batch {
    TextLine* first;  // its bytes continue the document's open line
    TextLine* last;   // the batch's own open line (first when it completed none)
    int completed;    // lines ended by a terminator
    bool more;        // the file goes on
};

// Stops the reader when a line cannot be made, so that the load ends incomplete.
Batch ReadBatch(LineReader& reader, LineArena& arena)
{
    Batch batch = {arena.NewLine(), nullptr, 0, true};
    batch.last = batch.first;
    if (batch.first == nullptr) {
        reader.Stop(OutOfMemoryError);
        batch.more = false;
        return batch;
    }
    while (batch.completed < BatchLines) {
        batch.more = reader.ReadLine(*batch.last);
        if (!batch.more)
            break;
        TextLine* next = arena.NewLine();
        if (next == nullptr) {
            reader.Stop(OutOfMemoryError);
            batch.more = false;
            break;
        }
        batch.last->InsertAfter(next);
        batch.last = next;
        ++batch.completed;
    }
    return batch;
}

// The first line's bytes continue the line the worker is filling. That line is empty unless
// the user typed into it, so usually its block is just exchanged with the filled one, and
// nothing is allocated while the lock is held. The rest of the chain follows it, and the
// chain's last line is the one filled next. Returns that line, or null when the open line had
// no room for the bytes: then nothing of the batch is attached.
TextLine* Attach(TextLine& open, Batch& batch)
{
    TextLine& filled = *batch.first;
    if (open.length == 0) {
        char* text = open.text;
        open.text = filled.text;
        open.length = filled.length;
        filled.text = text;
        filled.length = 0;
    } else if (!open.AppendBytes(filled.text, filled.length)) {
        return nullptr;
    }
    open.ending = filled.ending;
    TextLine* rest = filled.next;
    filled.next = nullptr;
    if (rest == nullptr)
        return &open;
    rest->prev = &open;
    batch.last->next = open.next;
    if (open.next != nullptr)
        open.next->prev = batch.last;
    open.next = rest;
    return batch.last;
}

void Report(int completed, char* text, int size)
{
    if (completed % 256 != 0 || LoadProgress == nullptr)
        return;
    std::snprintf(text, static_cast<size_t>(size), "読み込み中...(%d行)", completed);
    LoadProgress(text);
}

}

bool StartLoader(EditView& view, TextCode code)
{
    LoadCode = code;
    {
        DocumentGuard guard;
        OpenLine = view.firstLine;
    }
    ++Loads;
    WorkerDone = false;
    Loading = true;
    if (StartThread(LoaderThread, &view))
        return true;
    Loading = false;
    DocumentGuard guard;
    OpenLine = nullptr;
    return false;
}

unsigned LoadsStarted()
{
    return Loads;
}

bool LoadInProgress()
{
    return Loading;
}

bool LoadReadToEnd()
{
    return Loading && WorkerDone;
}

void FinishLoad()
{
    WorkerDone = false;
    Loading = false;
    DocumentGuard guard;
    OpenLine = nullptr;
}

TextLine* LineBeingLoaded()
{
    return OpenLine;
}

void LoaderThread(void* editor)
{
    EditView& view = *static_cast<EditView*>(editor);
    FILE* stream = OpenWithDirectories(view.path, "rb");
    if (stream == nullptr) {
        unsigned long error = LastSystemError();
        WorkerDone = true;
        if (LoadEnded != nullptr)
            LoadEnded(false, error);
        return;
    }
    // The code is known before any line is handed over, so nothing is ever laid out in another.
    TextCode code = LoadCode;
    bool detected = code != TextCodeCount || DetectStreamCode(stream, DefaultCode, &code);
    if (!detected) {
        unsigned long error = LastSystemError();
        std::fclose(stream);
        WorkerDone = true;
        if (LoadEnded != nullptr)
            LoadEnded(false, error);
        return;
    }
    char text[256];
    TextLine* open;
    {
        DocumentGuard guard;
        open = view.firstLine;
        BeginReading(view, stream, code);
    }
    // The lines and their bytes come from one arena; it lets go of its last chunk when the
    // reading is done, and the chunks go with the document's lines.
    LineArena arena;
    TextDecoder decoder(code);
    LineReader reader(stream, arena, ReadThroughDecoder(code) ? &decoder : nullptr);
    int completed = 0;
    bool more = true;
    bool endKnown = false;
    while (more) {
        Batch batch = ReadBatch(reader, arena);
        more = batch.more;
        if (batch.first == nullptr)
            break;
        TextLine* attached;
        unsigned long error = 0;
        {
            DocumentGuard guard;
            // The user may have broken the line being filled: the file goes on at the end.
            while (open->next != nullptr)
                open = open->next;
            if (!endKnown && (batch.completed > 0 || !batch.more)) {
                // The first terminator of the file ends the first line this batch completes.
                TakeLineEnd(view, batch.first);
                if (ReadThroughDecoder(code))
                    view.bom = decoder.HadBom();
                endKnown = true;
            }
            attached = Attach(*open, batch);
            if (attached == nullptr)
                error = LastSystemError();
            else
                OpenLine = attached;
        }
        if (attached == nullptr) {
            reader.Stop(error);
            DestroyLines(batch.first);
            break;
        }
        open = attached;
        delete batch.first;
        for (int i = 0; i < batch.completed; ++i) {
            if (completed == 100 && LoadRepaint != nullptr)
                LoadRepaint();
            ++completed;
            Report(completed, text, sizeof text);
        }
    }
    arena.Release();
    std::fclose(stream);
    if (ReadThroughDecoder(code)) {
        DocumentGuard guard;
        view.bom = decoder.HadBom();
    }
    WorkerDone = true;
    // Without the rest of its lines the document must not be saved over the file.
    if (LoadEnded != nullptr)
        LoadEnded(!reader.Failed(), reader.Error());
}
