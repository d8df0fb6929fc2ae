#include "document/text_file.h"
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/line_reader.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <cstring>
#include <new>

namespace {

bool IsDirectory(const char* path)
{
    bool directory = false;
    return FindEntry(path, &directory) && directory;
}

// Copies the part of path before offset end, which the caller has checked fits.
void CopyPrefix(char* prefix, const char* path, int end)
{
    std::memcpy(prefix, path, static_cast<size_t>(end));
    prefix[end] = 0;
}

// The folder part of path up to and including its last separator, or "" when the path names
// none. False when that part is too long for a path.
bool FolderOf(const char* path, char* folder)
{
    int separator = LastSeparator(path);
    if (separator + 1 >= PathSize)
        return false;
    CopyPrefix(folder, path, separator + 1);
    return true;
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

}

int LastSeparator(const char* path)
{
    int last = -1;
    for (int i = 0; path[i] != 0; ++i) {
        if (IsLeadByte(static_cast<unsigned char>(path[i])) && path[i + 1] != 0)
            ++i;
        else if (path[i] == '\\')
            last = i;
    }
    return last;
}

void CreateDirectories(const char* dir)
{
    if (IsDirectory(dir))
        return;
    char prefix[PathSize];
    for (int i = 0; dir[i] != 0 && i < PathSize; ++i) {
        if (IsLeadByte(static_cast<unsigned char>(dir[i])) && dir[i + 1] != 0) {
            ++i;
            continue;
        }
        if (dir[i] != '\\')
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
    if (std::fseek(stream, 0, SEEK_END) == 0) {
        long size = std::ftell(stream);
        std::fseek(stream, 0, SEEK_SET);
        if (size > LoadThreshold && StartLoader(view)) {
            fclose(stream);
            return true;
        }
    }
    LineReader reader(stream);
    while (reader.ReadLine(*line)) {
        TextLine* next = new (std::nothrow) TextLine;
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

// The new bytes go to a temporary file beside the target and replace it only when all of them
// are on disk; the target is never opened for writing, so no failure can leave it half written.
bool WriteDocument(EditView& view)
{
    char folder[PathSize];
    if (!FolderOf(view.path, folder))
        return false;
    CreateDirectoriesOf(view.path);
    char temp[PathSize];
    if (!MakeTempFile(folder, temp))
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
    if (!written || !ReplaceWith(temp, view.path)) {
        RemoveFile(temp);
        return false;
    }
    return true;
}
