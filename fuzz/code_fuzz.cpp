// Detects the code of the input and converts it in every code, cut into pieces at places the
// input chooses: the detection must not depend on the pieces, decoding must give the same held
// bytes however the file is cut, and encoding them must give back the input byte for byte. The
// input is also taken as held UTF-8 and must come back through UTF-16, unless it holds the
// forms that stand for unpaired surrogates and odd bytes there (utf16_convert.h). Last the input
// is a file opened as a document in every code and in the one detected, and saved: the file must
// come back byte for byte, unless its text holds a zero byte, which lines keep as '*'. And in
// each code whose rule steps over runs of characters, a run from a character's start takes what
// stepping a character at a time takes, within a byte limit and a room in cells the input
// chooses. A disagreement aborts the run.
#include "document/background_load.h"
#include "document/code_convert.h"
#include "document/code_detect.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "platform/char_rule.h"
#include "tests/platform/run_reference.h"

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Cut places from a seed: pieces of 1 to 64 bytes, or the whole.
std::vector<size_t> Cuts(uint32_t seed, size_t size)
{
    std::vector<size_t> cuts;
    if (seed % 4 == 0)
        return cuts;
    for (size_t at = 0;;) {
        seed = seed * 1103515245u + 12345u;
        at += 1 + (seed >> 16) % (seed % 3 == 0 ? 3 : 64);
        if (at >= size)
            return cuts;
        cuts.push_back(at);
    }
}

template <class Coder>
std::string Run(Coder& coder, const std::string& in, const std::vector<size_t>& cuts)
{
    std::string out;
    std::vector<char> buffer;
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t to = i < cuts.size() && cuts[i] < in.size() ? cuts[i] : in.size();
        to = to < from ? from : to;
        buffer.resize(coder.MaxOutput(to - from));
        out.append(buffer.data(), coder.Feed(in.data() + from, to - from, buffer.data()));
        from = to;
    }
    buffer.resize(coder.MaxOutput(0));
    out.append(buffer.data(), coder.Finish(buffer.data()));
    return out;
}

void RoundTrip(TextCode code, const std::string& file, uint32_t seed)
{
    TextDecoder whole(code);
    std::string held = Run(whole, file, {});
    TextDecoder cut(code);
    Check(Run(cut, file, Cuts(seed, file.size())) == held);
    Check(cut.HadBom() == whole.HadBom());
    TextEncoder encoder(code, whole.HadBom());
    Check(Run(encoder, held, Cuts(seed * 7 + 1, held.size())) == file);
}

// The file a document is read from and saved to, in memory where there is such a folder.
struct TempFile {
    std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tessary-code-fuzz-" +
                       std::to_string(getpid()) + ".txt";
    ~TempFile() { std::remove(path.c_str()); }
};

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    FILE* stream = fopen(path.c_str(), "rb");
    Check(stream != nullptr);
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, stream)) > 0)
        bytes.append(block, got);
    fclose(stream);
    return bytes;
}

// Opens the file as a document in code (TextCodeCount: detected) and saves it again.
void OpenAndSave(const std::string& file, TextCode code)
{
    if (file.size() > static_cast<size_t>(LoadThreshold))
        return;
    static TempFile temp;
    FILE* stream = fopen(temp.path.c_str(), "wb");
    Check(stream != nullptr);
    Check(fwrite(file.data(), 1, file.size(), stream) == file.size());
    fclose(stream);
    EditView view;
    std::strcpy(view.path, temp.path.c_str());
    unsigned long error = 0;
    Check(ReadDocument(view, &error, code) && error == 0);
    Check(code == TextCodeCount || view.code == code);
    TextDecoder decoder(view.code);
    std::string held = Run(decoder, file, {});
    char kept[PathSize];
    Check(WriteDocument(view, kept));
    if (held.find('\0') == std::string::npos)
        Check(FileBytes(temp.path) == file);
    DestroyLines(view.firstLine);
    view.firstLine = nullptr;
}

// Runs from up to sixteen character starts of the text in rule's code, against steps.
void RunsAsSteps(const CharRule& rule, const char* text, uint32_t seed)
{
    int starts = 0;
    for (int at = 0; text[at] != 0 && starts < 16; ++starts) {
        seed = seed * 1103515245u + 12345u;
        int rest = static_cast<int>(std::strlen(text + at));
        int limit = static_cast<int>((seed >> 8) % static_cast<uint32_t>(rest + 1));
        long long room = static_cast<long long>((seed >> 4) % static_cast<uint32_t>(2 * rest + 2)) - 1;
        Check(RunOfRule(rule, text + at, limit, room) == RunBySteps(rule, text + at, limit, room));
        // On to a character start a little further on.
        int skip = 1 + static_cast<int>(seed % 7);
        for (int i = 0; i < skip && text[at] != 0; ++i) {
            int width;
            at += rule.Step(text + at, &width);
        }
    }
}

bool HoldsUtf16Forms(const std::string& held)
{
    for (size_t i = 0; i + 1 < held.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(held[i]);
        unsigned char next = static_cast<unsigned char>(held[i + 1]);
        if ((b == 0xED && next >= 0xA0 && next <= 0xBF) || (b == 0xE0 && next >= 0x80 && next <= 0x83))
            return true;
    }
    return false;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    uint32_t seed = data[0];
    std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);

    TextCode found = DetectCode(file.data(), file.size(), CodeShiftJis);
    CodeDetector detector;
    std::vector<size_t> cuts = Cuts(seed, file.size());
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t to = i < cuts.size() ? cuts[i] : file.size();
        detector.Feed(file.data() + from, to - from);
        from = to;
    }
    Check(detector.Result(CodeShiftJis) == found);

    for (int c = 0; c < TextCodeCount; ++c)
        RoundTrip(static_cast<TextCode>(c), file, seed + static_cast<uint32_t>(c));
    RoundTrip(found, file, seed * 3);

    if (!HoldsUtf16Forms(file)) {
        for (TextCode code : {CodeUtf16Le, CodeUtf16Be}) {
            TextEncoder encoder(code, true);
            std::string utf16 = Run(encoder, file, Cuts(seed + 5, file.size()));
            TextDecoder decoder(code);
            Check(Run(decoder, utf16, Cuts(seed + 9, utf16.size())) == file);
        }
    }

    std::string text = file.substr(0, 1024);
    for (int c = 0; c < TextCodeCount; ++c) {
        const CharRule& rule = RuleFor(static_cast<TextCode>(c));
        if (rule.stepRun != nullptr)
            RunsAsSteps(rule, text.c_str(), seed + static_cast<uint32_t>(c));
    }

    OpenAndSave(file, TextCodeCount);
    OpenAndSave(file, static_cast<TextCode>(seed % TextCodeCount));
    return 0;
}
