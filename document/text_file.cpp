#include "document/text_file.h"
#include "document/background_load.h"
#include "document/code_convert.h"
#include "document/code_detect.h"
#include "document/editor_record.h"
#include "document/line_arena.h"
#include "document/line_reader.h"
#include "document/text_line.h"
#include "platform/characters.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

bool IsDirectory(const char* path)
{
    bool directory = false;
    return FindEntry(path, &directory) && directory;
}

// Copies the part of path before offset end, which the caller has checked fits.
// ASCII letters compare without case, as the file system does with such names.
bool CompareNoCase(const char* a, const char* b)
{
    for (; *a != 0 && *b != 0; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

void CopyPrefix(char* prefix, const char* path, int end)
{
    std::memcpy(prefix, path, static_cast<size_t>(end));
    prefix[end] = 0;
}

// Creates the directory that is to hold the file at path; a path without a separator names none.
// When the path ends with a separator the directory is the path without it.
void CreateDirectoriesOf(const char* path)
{
    int separator = LastSeparator(path);
    if (separator < 0 || separator >= PathSize)
        return;
    char dir[PathSize];
    CopyPrefix(dir, path, separator);
    CreateDirectories(dir);
}

// Places a new empty file beside path, with a name that cannot be path's own.
bool MakeFileBeside(const char* path, char* name)
{
    const int Attempts = 1000;
    for (int attempt = 0; attempt < Attempts && NameBeside(path, attempt, name); ++attempt) {
        if (CompareNoCase(name, path))
            continue;
        if (CreateNewFile(name))
            return true;
    }
    return false;
}

}

void CreateDirectories(const char* dir)
{
    if (IsDirectory(dir))
        return;
    char prefix[PathSize];
    for (int i = 0; dir[i] != 0 && i < PathSize; i += CharacterBytes(dir + i)) {
        if (!IsSeparator(dir[i]))
            continue;
        CopyPrefix(prefix, dir, i);
        if (!IsDirectory(prefix))
            MakeDirectory(prefix);
    }
    MakeDirectory(dir);
}

FILE* OpenWithDirectories(const char* path, const char* mode)
{
    CreateDirectoriesOf(path);
    return OpenStream(path, mode);
}

bool ReadLine(TextLine* line, FILE* stream)
{
    for (;;) {
        int b = ReadByte(stream);
        // A stream that fails is treated like its end, or the reading would never stop.
        if (StreamEnded(stream))
            return false;
        if (b == '\n') {
            line->ending = EndingLf;
            return true;
        }
        if (b == '\r') {
            line->ending = EndingCr;
            int after = ReadByte(stream);
            if (StreamEnded(stream))
                return false;
            if (after != '\n')
                fseek(stream, -1, SEEK_CUR);
            else
                line->ending = EndingCrLf;
            return true;
        }
        line->AppendByte(static_cast<char>(b));
    }
}

bool DetectStreamCode(FILE* stream, TextCode fallback, TextCode* code)
{
    // Large blocks keep each pass at the speed of memory; the file is read again for its lines.
    const size_t DetectBlock = 1024 * 1024;
    long long here = std::ftell(stream);
    long long length = StreamLength(stream);
    std::vector<char> block;
    try {
        block.resize(DetectBlock);
    } catch (const std::bad_alloc&) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    CodeDetector detector(here >= 0 && length > here ? static_cast<uint64_t>(length - here) : 0);
    bool failed = false;
    unsigned long failure = 0;
    bool again = true;
    while (again && !failed && here >= 0 && std::fseek(stream, static_cast<long>(here), SEEK_SET) == 0) {
        size_t got;
        do
            got = std::fread(block.data(), 1, DetectBlock, stream);
        while (got > 0 && detector.Feed(block.data(), got));
        failed = std::ferror(stream) != 0;
        failure = LastSystemError();
        again = detector.Again();
    }
    std::clearerr(stream);
    if (here < 0 || std::fseek(stream, static_cast<long>(here), SEEK_SET) != 0 || failed) {
        SetSystemError(failed && failure != 0 ? failure : ReadFailedError);
        return false;
    }
    *code = detector.Result(fallback);
    return true;
}

void BeginReading(EditView& view, FILE* stream, TextCode code)
{
    view.code = code;
    view.bom = true;
    view.lineEnd = EndingCrLf;
    view.unifyEndings = false;
    if (code != CodeUtf8Bom || stream == nullptr)
        return;
    unsigned char mark[3] = {0, 0, 0};
    size_t got = std::fread(mark, 1, sizeof mark, stream);
    view.bom = got == sizeof mark && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF;
    if (!view.bom) {
        std::clearerr(stream);
        std::fseek(stream, 0, SEEK_SET);
    }
}

void TakeLineEnd(EditView& view, const TextLine* first)
{
    if (LineEndingSetting >= EndingCrLf && LineEndingSetting <= EndingLf) {
        view.lineEnd = static_cast<unsigned>(LineEndingSetting);
        view.unifyEndings = true;
        return;
    }
    view.lineEnd = first != nullptr && first->ending != EndingNone ? first->ending : static_cast<unsigned>(EndingCrLf);
    view.unifyEndings = false;
}

bool ReadDocument(EditView& view, unsigned long* error, TextCode code)
{
    *error = 0;
    FILE* stream = OpenWithDirectories(view.path, "rb");
    if (stream == nullptr)
        return false;
    TextLine* line = new (std::nothrow) TextLine;
    if (line == nullptr) {
        fclose(stream);
        SetSystemError(OutOfMemoryError);
        return false;
    }
    // A large file is read by the worker, which opens it again and finds its code before it hands
    // over any line; the document meanwhile holds the one empty line. Without a worker it is read
    // here, as a small one is.
    view.firstLine = line;
    if (StreamLength(stream) > LoadThreshold && StartLoader(view, code)) {
        fclose(stream);
        return true;
    }
    if (code == TextCodeCount && !DetectStreamCode(stream, DefaultCode, &code)) {
        // Not a line can be trusted to be the file's: the document stays empty, under no name.
        *error = LastSystemError();
        fclose(stream);
        BeginReading(view, nullptr, DefaultCode);
        view.path[0] = 0;
        return true;
    }
    BeginReading(view, stream, code);
    LineArena arena;
    TextDecoder decoder(code);
    LineReader reader(stream, arena, ReadThroughDecoder(code) ? &decoder : nullptr);
    const TextLine* ended = nullptr;
    while (reader.ReadLine(*line)) {
        if (ended == nullptr)
            ended = line;
        TextLine* next = arena.NewLine();
        if (next == nullptr) {
            reader.Stop(OutOfMemoryError);
            break;
        }
        line->InsertAfter(next);
        line = next;
    }
    fclose(stream);
    if (ReadThroughDecoder(code))
        view.bom = decoder.HadBom();
    TakeLineEnd(view, ended != nullptr ? ended : line);
    if (reader.Failed()) {
        // The lines read so far stay to be seen, but under no name: saving them there would
        // replace the whole file with its first part.
        view.path[0] = 0;
        *error = reader.Error();
    }
    return true;
}

unsigned SavedEnding(const EditView& view, const TextLine* line)
{
    if (line->next == nullptr)
        return line->ending != EndingNone && view.unifyEndings ? view.lineEnd : line->ending;
    return view.unifyEndings || line->ending == EndingNone ? view.lineEnd : line->ending;
}

namespace {

// The bytes of a file in a code other than the one its document holds, encoded in pieces.
class EncodedStream {
public:
    EncodedStream(FILE* stream, TextCode code, bool bom) : stream(stream), encoder(code, bom), failed(false) {}

    bool Put(const char* bytes, size_t count)
    {
        const size_t Piece = 64 * 1024;
        for (size_t at = 0; at < count && !failed; at += Piece)
            Encode(bytes + at, count - at < Piece ? count - at : Piece, false);
        return !failed;
    }

    bool Finish()
    {
        Encode(nullptr, 0, true);
        return !failed;
    }

private:
    void Encode(const char* bytes, size_t count, bool last)
    {
        try {
            out.resize(encoder.MaxOutput(count));
        } catch (const std::bad_alloc&) {
            SetSystemError(OutOfMemoryError);
            failed = true;
            return;
        }
        size_t made = last ? encoder.Finish(out.data()) : encoder.Feed(bytes, count, out.data());
        failed = failed || fwrite(out.data(), 1, made, stream) != made;
    }

    FILE* stream;
    TextEncoder encoder;
    std::vector<char> out;
    bool failed;
};

bool WritePlain(const EditView& view, FILE* stream)
{
    bool written = true;
    for (const TextLine* line = view.firstLine; line != nullptr && written; line = line->next) {
        size_t length = static_cast<size_t>(line->length);
        unsigned ending = SavedEnding(view, line);
        size_t endingLength = static_cast<size_t>(EndingLength(ending));
        written = fwrite(line->text, 1, length, stream) == length &&
                  fwrite(EndingBytes(ending), 1, endingLength, stream) == endingLength;
    }
    return written;
}

bool WriteEncoded(const EditView& view, FILE* stream)
{
    EncodedStream encoded(stream, view.code, view.bom);
    bool written = true;
    for (const TextLine* line = view.firstLine; line != nullptr && written; line = line->next) {
        unsigned ending = SavedEnding(view, line);
        written = encoded.Put(line->text, static_cast<size_t>(line->length)) &&
                  encoded.Put(EndingBytes(ending), static_cast<size_t>(EndingLength(ending)));
    }
    return encoded.Finish() && written;
}

}

bool WriteLines(const EditView& view, FILE* stream)
{
    return view.code == HeldCode(view.code) ? WritePlain(view, stream) : WriteEncoded(view, stream);
}

bool NameBeside(const char* path, int attempt, char* name)
{
    const char Digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    int start = LastSeparator(path) + 1;
    int room = static_cast<int>(std::strlen(path)) - start;
    // "~tsy" and four digits and ".tmp" where the name is long enough, otherwise as many digits
    // as the name has bytes.
    bool decorated = room >= 12;
    int digits = decorated ? 4 : room;
    char own[13];
    int value = attempt;
    for (int i = digits - 1; i >= 0; --i) {
        own[i] = Digits[value % 36];
        value /= 36;
    }
    own[digits] = 0;
    if (digits == 0 || value != 0 || attempt < 0)
        return false;
    CopyPrefix(name, path, start);
    if (decorated)
        std::snprintf(name + start, PathSize - start, "~tsy%s.tmp", own);
    else
        std::memcpy(name + start, own, static_cast<size_t>(digits) + 1);
    return true;
}

// The new bytes go to a new file beside the target and replace it only when all of them are on
// disk; the target is never opened for writing, so no failure can leave it half written. The
// name is made full first: the current directory may have moved since the document was named,
// and the new file has to be on the target's volume.
bool WriteDocument(EditView& view, char* kept)
{
    kept[0] = 0;
    char target[PathSize];
    if (!FullPath(view.path, target))
        return false;
    CreateDirectoriesOf(target);
    char temp[PathSize];
    if (!MakeFileBeside(target, temp))
        return false;
    FILE* stream = OpenStream(temp, "wb");
    if (stream == nullptr) {
        RemoveFile(temp);
        return false;
    }
    bool written = WriteLines(view, stream);
    written = FlushStream(stream) && written;
    written = fclose(stream) == 0 && written;
    if (!written) {
        RemoveFile(temp);
        return false;
    }
    bool targetKept = true;
    if (ReplaceWith(temp, target, &targetKept)) {
        if (view.unifyEndings) {
            for (TextLine* line = view.firstLine; line != nullptr; line = line->next)
                line->ending = SavedEnding(view, line) & 3;
            view.unifyEndings = false;
        }
        return true;
    }
    // The new file is removed only while the old one is still there to take its place.
    if (targetKept)
        RemoveFile(temp);
    else
        std::strcpy(kept, temp);
    return false;
}
