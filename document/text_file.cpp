#include "document/text_file.h"
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/line_arena.h"
#include "document/line_reader.h"
#include "document/text_line.h"
#include "platform/characters.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>
#include <new>

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
        if (b == '\n')
            return true;
        if (b == '\r') {
            int after = ReadByte(stream);
            if (StreamEnded(stream))
                return false;
            if (after != '\n')
                fseek(stream, -1, SEEK_CUR);
            return true;
        }
        line->AppendByte(static_cast<char>(b));
    }
}

bool ReadDocument(EditView& view, unsigned long* error)
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
    view.firstLine = line;
    // A large file is read by the worker, which opens it again; the document meanwhile holds
    // the one empty line. Without a worker it is read here, as a small one is.
    if (StreamLength(stream) > LoadThreshold && StartLoader(view)) {
        fclose(stream);
        return true;
    }
    LineArena arena;
    LineReader reader(stream, arena);
    while (reader.ReadLine(*line)) {
        TextLine* next = arena.NewLine();
        if (next == nullptr) {
            reader.Stop(OutOfMemoryError);
            break;
        }
        line->InsertAfter(next);
        line = next;
    }
    fclose(stream);
    if (reader.Failed()) {
        // The lines read so far stay to be seen, but under no name: saving them there would
        // replace the whole file with its first part.
        view.path[0] = 0;
        *error = reader.Error();
    }
    return true;
}

bool WriteLine(const TextLine* line, FILE* stream)
{
    size_t length = static_cast<size_t>(line->length);
    bool written = fwrite(line->text, 1, length, stream) == length;
    if (line->next != nullptr) {
        size_t ending = std::strlen(SaveLineEnding);
        written = fwrite(SaveLineEnding, 1, ending, stream) == ending && written;
    }
    return written;
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
    bool written = true;
    for (const TextLine* line = view.firstLine; line != nullptr && written; line = line->next)
        written = WriteLine(line, stream);
    written = FlushStream(stream) && written;
    written = fclose(stream) == 0 && written;
    if (!written) {
        RemoveFile(temp);
        return false;
    }
    bool targetKept = true;
    if (ReplaceWith(temp, target, &targetKept))
        return true;
    // The new file is removed only while the old one is still there to take its place.
    if (targetKept)
        RemoveFile(temp);
    else
        std::strcpy(kept, temp);
    return false;
}
