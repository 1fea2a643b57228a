// Cost of the receive path: collecting and dispatching one 25-byte RTU sensor block (and the
// same block as an ASCII line). At 115200 baud, 11 bits a character, the 25 bytes take 2.4 ms
// on the line; the ASCII line of 55 characters (10 bits) takes 4.8 ms.

#include "link/Hex.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "support/ScriptedPort.h"
#include "support/StubLinkWindow.h"

#include <benchmark/benchmark.h>

namespace {
void receiveBlock(benchmark::State& state, const char* mode) {
    ProgramSettings s;
    s.ModeText = mode;
    s.RequestKind = RequestKinds::ReadSensorTable;
    ManualClock clock;
    auto t4 = clock.createTimer("Timer4", 50);
    auto t5 = clock.createTimer("Timer5", 1000);
    ScriptedPort port;
    port.open = true;
    StubLinkWindow window;
    RecordingMessageBoxes messages;
    Link link(s, clock, port, *t4, *t5, window, messages);
    uint32_t seen = 0;
    link.setAnswerHandler(RequestKinds::ReadSensorTable,
                          [&](const Answer& a) { seen += a.wordAt(7) + a.wordAt(35); });
    const QByteArray body = QByteArray::fromHex("0103140005001234560011002200330044123400000000");
    const QByteArray frame = s.ModeText == "RTU" ? rtuFrame(body) : asciiFrame(hexOf(body));
    for (auto _ : state) {
        port.receive(frame);
        link.ReceiveAnswer();
    }
    benchmark::DoNotOptimize(seen);
    state.SetItemsProcessed(state.iterations());
}
} // namespace

static void BM_ReceiveRtuSensorBlock(benchmark::State& state) {
    receiveBlock(state, "RTU");
}
static void BM_ReceiveAsciiSensorBlock(benchmark::State& state) {
    receiveBlock(state, "ASCII");
}
BENCHMARK(BM_ReceiveRtuSensorBlock);
BENCHMARK(BM_ReceiveAsciiSensorBlock);
