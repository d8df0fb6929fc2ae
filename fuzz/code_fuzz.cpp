// Detects the code of the input and converts it in every code, cut into pieces at places the
// input chooses: the detection must not depend on the pieces, decoding must give the same held
// bytes however the file is cut, and encoding them must give back the input byte for byte. The
// input is also taken as held UTF-8 and must come back through UTF-16, unless it holds the
// forms that stand for unpaired surrogates and odd bytes there (utf16_convert.h). A
// disagreement aborts the run.
#include "document/code_convert.h"
#include "document/code_detect.h"

#include <cstdint>
#include <cstdlib>
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
    return 0;
}
