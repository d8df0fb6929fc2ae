// Typing: what a typed character does to the document. Characters replace the selection, or in
// overwrite mode the character under the caret; CR, LF and CR LF break the line. Each change goes
// through ReplaceRange (view/editing.h), which keeps the layout, the undo log and the modified
// mark, and tells the window.
#pragma once

// Called when the document's modified mark changes, either way, so that the title and the
// command states can show it. Null until the application sets it.
extern void (*DocumentChanged)();

// Types count bytes at the caret as one edit. False, with the document as it was, when memory ran
// out (the system's code in *error) or when a load refuses the edit (*error 0); the caller reports
// it once it has released the document lock.
bool InsertText(const char* bytes, int count, unsigned long* error = nullptr);

// Whether a character message's byte is typed into the text: tab, CR, LF and everything from the
// space on but DEL. Other control bytes come from Ctrl with a key and would be invisible.
bool IsTypedByte(unsigned char b);

// One byte of a character message. The keyboard sends a double-byte character as two messages;
// its lead byte waits here until the trail byte comes, so the document never holds half of it.
// Bytes that are not typed are dropped. Character messages carry the ANSI code page: a document
// held in another code gets the character in its own, ASCII and half-width katakana only.
bool TypeByte(unsigned char b, unsigned long* error);
// A character from an input method (WM_IME_CHAR in an ANSI window): a double-byte character as
// its lead byte above its trail byte, typed as one character in one edit, or one byte as TypeByte
// takes it. A lead byte still waiting from a character message is dropped first.
bool TypeInputMethodCharacter(unsigned code, unsigned long* error);
// One character as a Unicode window gets it (surrogate pairs already joined), typed in the
// document's code: ASCII as TypeByte takes it, anything else as the bytes the code holds it in.
// When the code has no such character nothing is typed and *unheld is set; the caller asks the
// user what to do.
bool TypeCharacter(unsigned long codePoint, bool* unheld, unsigned long* error);
// Whether the document's code holds the character.
bool DocumentHolds(unsigned long codePoint);

// Called with the count of typed characters that became '?' because the document's code lacks
// them. Null until the application sets it.
extern void (*TypedCharactersReplaced)(int count);

// A UTF-16 unit of a character message of the Unicode window: true, with the character in
// *codePoint, once one is complete. The first half of a pair waits for its second; a second half
// without its first is dropped.
bool CharacterFromUnit(unsigned unit, unsigned long* codePoint);

// Forgets a lead byte or the first half of a pair still waiting (the caret moved, the window lost
// the focus).
void DropPendingLeadByte();
