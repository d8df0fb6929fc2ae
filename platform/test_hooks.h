// Failure injection for the native build's tests: the native seam can be told to refuse
// allocations, to limit the memory of the line arena's chunks, to report larger blocks than were
// asked for, to cut a stream short, or to fail putting a saved file in place. Windows builds have
// no such hooks.
#pragma once

// The next n allocations succeed and every later one fails; -1 (the default) never fails.
void FailAllocationsAfter(int n);
// Chunks (AllocChunk) fail once those in use would hold more than bytes; -1 (the default) never.
// Blocks are not counted.
void LimitChunkBytes(long bytes);
// The bytes of the chunks in use now.
long ChunkBytesInUse();
// Only the nth allocation from now on fails (1 = the next one); 0 turns it off.
void FailAllocationNumber(int n);
// With fail, the native tests' operator new (tests/failing_heap.cpp) counts against the two
// above as blocks do and throws std::bad_alloc when its turn comes; off (the default) it never
// fails. Only the test program has that operator new.
void FailHeapAllocations(bool fail);
// Whether the allocation being made now is to fail, for that operator new.
bool HeapAllocationRefused();
// Every block reports this many bytes more than was asked for (default 0).
void SetBlockSlack(int extra);
// Streams opened from now on fail every read or write past this many bytes; -1 turns it off.
void FailStreamsAfter(long bytes);
// The next n streams open and every later one fails; -1 (the default) never fails.
void FailOpensAfter(int n);
// Makes StartThread fail (true) or work (false).
void FailThreadStarts(bool fail);
// Makes ReplaceWith fail (true) or work (false).
void FailReplace(bool fail);
// How many system error boxes have been shown since the last reset.
int SystemErrorCount();
void ResetTestHooks();
