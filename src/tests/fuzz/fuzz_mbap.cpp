// Arbitrary bytes from a network peer as Modbus TCP, cut into arbitrary pieces, through the tool's
// collector and the simulated gateway's: nothing crashes, and no more than one frame's bytes
// (7 + 254) wait for their rest, whatever length a header claims (65535 included).

#include "link/Mbap.h"
#include "sim/SlaveFraming.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MbapCollector tool;
    MbapSlaveFramer gateway;
    for (size_t at = 0; at < size;) {
        const size_t n = std::min<size_t>(1 + data[at] % 31, size - at);
        const QByteArray piece(reinterpret_cast<const char*>(data + at), int(n));
        for (const MbapFrame& f : tool.feed(piece).frames)
            if (f.unitAndPdu.size() < kMbapMinLength || f.unitAndPdu.size() > kMbapMaxLength)
                std::abort();
        gateway.feed(piece);
        if (tool.pending() >= 6 + kMbapMaxLength)
            std::abort();
        at += n;
    }
    return 0;
}
