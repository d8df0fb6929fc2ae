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
#include <cstring>
#include <new>
#include <optional>
#include <thread>

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
    long long bytes;  // of the lines completed, roughly
};

// Reads lines more lines into the batch, its open line first, or to the end of the file. Stops the
// reader when a line cannot be made, so that the load ends incomplete.
void ReadMore(LineReader& reader, LineArena& arena, Batch& batch, int lines)
{
    for (int target = batch.completed + lines; batch.completed < target;) {
        batch.more = reader.ReadLine(*batch.last);
        if (!batch.more)
            break;
        TextLine* next = arena.NewLine();
        if (next == nullptr) {
            reader.Stop(OutOfMemoryError);
            batch.more = false;
            break;
        }
        batch.bytes += batch.last->length + 1;
        batch.last->InsertAfter(next);
        batch.last = next;
        ++batch.completed;
    }
}

Batch ReadBatch(LineReader& reader, LineArena& arena)
{
    Batch batch = {arena.NewLine(), nullptr, 0, true, 0};
    batch.last = batch.first;
    if (batch.first == nullptr) {
        reader.Stop(OutOfMemoryError);
        batch.more = false;
        return batch;
    }
    ReadMore(reader, arena, batch, BatchLines);
    return batch;
}

// The code of a file, found on a thread of its own from a stream of its own.
struct Detection {
    char path[PathSize];
    std::atomic<bool> done{false};
    bool found = false;
    TextCode code = DefaultCode;
    unsigned long error = 0;
};

void Detect(Detection* detection)
{
    FILE* stream = OpenStream(detection->path, "rb");
    detection->found = stream != nullptr && DetectStreamCode(stream, DefaultCode, &detection->code);
    if (!detection->found)
        detection->error = LastSystemError();
    if (stream != nullptr)
        std::fclose(stream);
    detection->done = true;
}

// Finds the file's code while the lines are read as they are into held, which is how a
// Shift-JIS, UTF-8 or EUC-JP document holds them, so that the bytes are read for the lines without
// waiting for the code; nothing is handed over before the code is known, and no more than half the
// file is held, so that the rest still arrives as it is read. A file with a mark, or in
// UTF-16 or JIS, is read again from its start: reader is then left empty. Without a thread the
// code is found first. False, with the system's error, when the code could not be found.
bool FindCode(const EditView& view, FILE* stream, LineArena& arena, std::optional<LineReader>& reader, Batch* held,
              TextCode* code, unsigned long* error)
{
    Detection detection;
    std::memcpy(detection.path, view.path, sizeof detection.path);
    std::thread thread;
    try {
        thread = std::thread(Detect, &detection);
    } catch (...) {
        bool found = DetectStreamCode(stream, DefaultCode, code);
        *error = found ? 0 : LastSystemError();
        return found;
    }
    long long half = StreamLength(stream) / 2;
    reader.emplace(stream, arena);
    *held = ReadBatch(*reader, arena);
    while (!detection.done && held->more && held->bytes < half)
        ReadMore(*reader, arena, *held, BatchLines);
    thread.join();
    *code = detection.code;
    if (detection.found && *code != CodeUtf8Bom && !ReadThroughDecoder(*code))
        return true;
    DestroyLines(held->first);
    held->first = nullptr;
    reader.reset();
    std::clearerr(stream);
    if (!detection.found || std::fseek(stream, 0, SEEK_SET) != 0) {
        *error = detection.found ? ReadFailedError : detection.error;
        return false;
    }
    return true;
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
    // The lines and their bytes come from one arena; it lets go of its last chunk when the
    // reading is done, and the chunks go with the document's lines.
    LineArena arena;
    // The code is known before any line is handed over, so nothing is ever laid out in another.
    TextCode code = LoadCode;
    std::optional<LineReader> found;
    Batch held = {nullptr, nullptr, 0, true, 0};
    unsigned long failure = 0;
    if (code == TextCodeCount && !FindCode(view, stream, arena, found, &held, &code, &failure)) {
        std::fclose(stream);
        WorkerDone = true;
        if (LoadEnded != nullptr)
            LoadEnded(false, failure);
        return;
    }
    char text[256];
    TextLine* open;
    {
        DocumentGuard guard;
        open = view.firstLine;
        BeginReading(view, stream, code);
    }
    TextDecoder decoder(code);
    if (!found)
        found.emplace(stream, arena, ReadThroughDecoder(code) ? &decoder : nullptr);
    LineReader& reader = *found;
    int completed = 0;
    bool more = true;
    bool endKnown = false;
    while (more) {
        Batch batch = held.first != nullptr ? held : ReadBatch(reader, arena);
        held.first = nullptr;
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
