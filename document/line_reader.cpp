#include "document/line_reader.h"
#include "document/byte_search.h"
#include "document/code_convert.h"
#include "document/line_arena.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <cstring>
#include <new>

namespace {

// Large enough that the stream is read in few calls, small enough to stay in the cache while
// its lines are copied out of it.
const int BlockBytes = 256 * 1024;
// The piece of a file decoded at a time.
const size_t RawBytes = 64 * 1024;

int Find(const char* block, int from, int end, char b)
{
    return static_cast<int>(FindByte(block + from, block + end, b) - block);
}

// A file smaller than a block, as most are, needs no more than its size and one byte, which
// shows its end at the first read.
int BlockFor(FILE* stream)
{
    long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0)
        return BlockBytes;
    long size = std::ftell(stream) - here;
    if (std::fseek(stream, here, SEEK_SET) != 0 || size < 0 || size >= BlockBytes)
        return BlockBytes;
    return static_cast<int>(size) + 1;
}

}

LineReader::LineReader(FILE* stream, LineArena& arena, TextDecoder* decoder)
    : stream(stream), arena(arena), blockBytes(decoder != nullptr ? BlockBytes : BlockFor(stream)),
      block(new (std::nothrow) char[blockBytes]), start(0), end(0), nextLf(-1), nextCr(-1), ended(false), error(0),
      decoder(decoder), decodedStart(0), decodedEnd(0), finished(false)
{
    if (block == nullptr)
        Stop(OutOfMemoryError);
}

LineReader::~LineReader()
{
    delete[] block;
}

bool LineReader::Failed() const
{
    return error != 0;
}

unsigned long LineReader::Error() const
{
    return error;
}

void LineReader::Stop(unsigned long code)
{
    ended = true;
    error = code;
    start = end = 0;
}

// Keeps the bytes not yet taken, moved to the front of the block, and reads more behind them, so
// that a line which started near the end of the block lies in it whole. False when nothing more
// came. A short read still hands over what it got: the end or the error is met on the next call,
// as reading byte by byte meets it after the last byte that came.
bool LineReader::Refill()
{
    int kept = end - start;
    if (kept > 0)
        std::memmove(block, block + start, static_cast<size_t>(kept));
    start = 0;
    end = kept;
    nextLf = nextCr = -1;
    if (ended)
        return false;
    size_t got = Read(block + kept, static_cast<size_t>(blockBytes - kept));
    end += static_cast<int>(got);
    return got > 0;
}

// Fills to with up to wanted bytes of the file, or of what it decodes to; fewer only at the end
// of the file or when the reading stopped, which then sets ended.
size_t LineReader::Read(char* to, size_t wanted)
{
    size_t got = decoder != nullptr ? Decoded(to, wanted) : std::fread(to, 1, wanted, stream);
    if (got < wanted) {
        ended = true;
        if (error == 0 && std::ferror(stream)) {
            unsigned long code = LastSystemError();
            error = code != 0 ? code : ReadFailedError;
        }
    }
    return got;
}

size_t LineReader::Decoded(char* to, size_t wanted)
{
    size_t got = 0;
    while (got < wanted && error == 0) {
        if (decodedStart == decodedEnd) {
            if (finished)
                break;
            try {
                raw.resize(RawBytes);
                size_t n = std::fread(raw.data(), 1, RawBytes, stream);
                decoded.resize(decoder->MaxOutput(n));
                decodedStart = 0;
                decodedEnd = n > 0 ? decoder->Feed(raw.data(), n, decoded.data()) : 0;
                if (n < RawBytes) {
                    finished = true;
                    decoded.resize(decodedEnd + decoder->MaxOutput(0));
                    decodedEnd += decoder->Finish(decoded.data() + decodedEnd);
                }
            } catch (const std::bad_alloc&) {
                error = OutOfMemoryError;
            }
            continue;
        }
        size_t take = decodedEnd - decodedStart < wanted - got ? decodedEnd - decodedStart : wanted - got;
        std::memcpy(to + got, decoded.data() + decodedStart, take);
        decodedStart += take;
        got += take;
    }
    return got;
}

// The first LF or CR at or after start, or end. Each search runs past start only to the next
// byte it finds and is not repeated until that byte is taken, so a block is scanned once (and
// the start of a line that is moved to the front of the block once more).
int LineReader::NextTerminator()
{
    if (nextLf < start)
        nextLf = Find(block, start, end, '\n');
    if (nextCr < start)
        nextCr = Find(block, start, end, '\r');
    return nextLf < nextCr ? nextLf : nextCr;
}

// The bytes from start to stop go to line: into the arena when they are all of it, else added to
// a block of the line's own.
bool LineReader::Take(TextLine& line, int stop, bool whole)
{
    const char* bytes = block + start;
    int count = stop - start;
    bool taken = whole && line.length == 0 ? arena.GiveBytes(line, bytes, count) : line.AppendBytes(bytes, count);
    if (!taken)
        Stop(LastSystemError());
    return taken;
}

bool LineReader::ReadLine(TextLine& line)
{
    for (;;) {
        if (start == end && !Refill())
            return false;
        int terminator = NextTerminator();
        if (terminator == end) {
            // The line goes on past what the block holds: read on behind it, unless it fills the
            // whole block (a line longer than the block is taken piece by piece) or the file
            // has ended (the rest is the last line).
            bool full = start == 0 && end == blockBytes;
            if (!full && !ended) {
                Refill();
                continue;
            }
            if (!Take(line, end, !full))
                return false;
            start = end;
            continue;
        }
        if (!Take(line, terminator, true))
            return false;
        start = terminator + 1;
        if (block[terminator] == '\n') {
            line.ending = EndingLf;
            return true;
        }
        // A CR: an LF right after it belongs to it, even across blocks; at the end of the file it
        // ends the last line and no empty line follows.
        line.ending = EndingCr;
        if (start == end && !Refill())
            return false;
        if (block[start] == '\n') {
            line.ending = EndingCrLf;
            ++start;
        }
        return true;
    }
}
