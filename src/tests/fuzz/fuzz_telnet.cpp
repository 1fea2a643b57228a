// Arbitrary bytes from a network peer through the Telnet layer, cut into arbitrary pieces: the
// client never crashes, never keeps more than one subnegotiation, and answers a negotiating peer
// a bounded number of times, however long it goes on.

#include "net/Rfc2217Client.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Rfc2217Client client;
    client.start();
    client.setLine({9600, 'E', 7, 1});
    qsizetype answered = 0;
    for (size_t at = 0; at < size;) {
        const size_t n = std::min<size_t>(1 + data[at] % 23, size - at);
        const Rfc2217Client::Received r =
            client.receive(QByteArray(reinterpret_cast<const char*>(data + at), int(n)));
        answered += r.answer.size();
        if (r.data.size() > qsizetype(n))
            std::abort(); // data is never more than came in
        at += n;
    }
    // negotiation answers, and the settings once: 4 subnegotiations of at most 14 bytes
    if (answered > 3 * telnet::kMaxNegotiationAnswers + 4 * 14)
        std::abort();
    client.escaped(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    return 0;
}
