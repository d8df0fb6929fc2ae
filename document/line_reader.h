// Splitting a file into lines while reading it in large blocks. The lines are exactly those that
// ReadLine (text_file.h) reads byte by byte: LF, CR LF and a lone CR end a line, a CR that is the
// file's last byte ends the last line, a zero byte is stored as '*', and whatever follows the
// last terminator is the last line. Each line keeps which terminator ended it (LineEnding).
//
// A file whose code is not the one its document holds (UTF-16, JIS) is read through a
// TextDecoder: the lines are split from the decoded bytes as they would be from a file of them.
#pragma once
#include <cstddef>
#include <cstdio>
#include <vector>

class LineArena;
class TextDecoder;
class TextLine;

class LineReader {
public:
    // The stream is read from where it stands and stays the caller's to close. The lines' bytes
    // go into arena. With a decoder (the caller's), the lines are those of the decoded bytes.
    LineReader(FILE* stream, LineArena& arena, TextDecoder* decoder = nullptr);
    virtual ~LineReader();

    // Reads the next line's bytes into line, which is empty (arena.NewLine() makes such lines).
    // A line that fits in the reader's block (256 KB) gets its bytes in the arena, exactly those
    // and the terminator, in one copy; a longer one grows a block of its own as it is read. True
    // when a terminator ended the line; false when the end of the file did, or when the reading
    // stopped (Failed).
    bool ReadLine(TextLine& line);
    // True once the reading has stopped before the end of the file: the stream failed, or there
    // was no memory for the block or for a line's bytes. The line being read keeps the bytes it
    // got before that; Error() is the system's code for the failure.
    bool Failed() const;
    unsigned long Error() const;
    // For a caller that could not make a line of its own: the reading stops with error.
    void Stop(unsigned long error);

private:
    LineReader(const LineReader&);
    LineReader& operator=(const LineReader&);

    bool Refill();
    size_t Read(char* to, size_t wanted);
    size_t Decoded(char* to, size_t wanted);
    int NextTerminator();
    bool Take(TextLine& line, int stop, bool whole);

    FILE* stream;
    LineArena& arena;
    int blockBytes;
    char* block;
    int start;   // the first byte not yet taken
    int end;     // the end of the bytes read into the block
    int nextLf;  // where the next LF and CR at or after start are, end for none, -1 unknown
    int nextCr;
    bool ended;  // the stream has nothing more to give
    unsigned long error;
    TextDecoder* decoder;
    std::vector<char> raw;      // the file's bytes being decoded, and what they decoded to
    std::vector<char> decoded;
    size_t decodedStart;
    size_t decodedEnd;
    bool finished;  // the decoder has had the end of the file
};
