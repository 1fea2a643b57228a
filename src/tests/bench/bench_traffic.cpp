// Cost of the traffic view. Recording: one exchange through the link (the request written, the
// 25-byte RTU answer received and taken) with and without the recorder on the line tap, the ring
// full, so that every record replaces the oldest; the difference over the two frames is the cost
// per frame (the goal: under 2 µs). The table: one 100 ms batch at 1,000 frames a second, 100 new
// rows into a full table of 100,000 (as many dropped), shown offscreen with the newest row
// followed and painted (the goal: well within the batch's 100 ms, so that the table stays
// responsive).

#include "link/Hex.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "support/ScriptedPort.h"
#include "support/StubLinkWindow.h"
#include "traffic/TrafficModel.h"
#include "traffic/TrafficRecorder.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
// The main window's link over a scripted port, reading sensor row 0 in RTU.
struct BenchLine {
    BenchLine() {
        s.ModeText = "RTU";
        s.RequestKind = RequestKinds::ReadSensorTable;
        port.open = true;
        link.setAnswerHandler(RequestKinds::ReadSensorTable, [](const Answer&) {});
    }
    void exchange() {
        link.send();
        port.receive(answer);
        link.ReceiveAnswer();
        port.written.clear();
    }
    ProgramSettings s;
    ManualClock clock;
    QtClock wall; // the recorder reads the system's wall clock, as in the program
    std::unique_ptr<Timer> t4 = clock.createTimer("Timer4", 50);
    std::unique_ptr<Timer> t5 = clock.createTimer("Timer5", 1000);
    ScriptedPort port;
    StubLinkWindow window;
    RecordingMessageBoxes messages;
    Link link{s, clock, port, *t4, *t5, window, messages};
    const QByteArray answer =
        rtuFrame(QByteArray::fromHex("0103140005001234560011002200330044123400000000"));
};

void exchangeThroughTheLink(benchmark::State& state) {
    BenchLine line;
    std::unique_ptr<TrafficRecorder> recorder;
    if (state.range(0) == 1) {
        recorder = std::make_unique<TrafficRecorder>(line.link, line.wall);
        while (recorder->records().size() < recorder->records().capacity())
            line.exchange();
    }
    for (auto _ : state)
        line.exchange();
    state.SetItemsProcessed(state.iterations() * 2); // frames: the request and its answer
    state.SetLabel(recorder ? "recorder on the tap" : "no observer");
}

void tableBatch(benchmark::State& state) {
    BenchLine line;
    TrafficRecorder recorder(line.link, line.wall);
    TrafficModel model(recorder);
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(1080, 480);
    view.show();
    while (recorder.records().size() < recorder.records().capacity())
        line.exchange();
    model.catchUp();
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 50; ++i) // 100 frames: 100 ms at 1,000 frames a second
            line.exchange();
        state.ResumeTiming();
        model.catchUp();
        view.scrollToBottom();
        view.viewport()->repaint();
    }
    state.counters["rows"] = double(model.rowCount());
}
} // namespace

static void BM_TrafficExchangeRecorded(benchmark::State& state) {
    exchangeThroughTheLink(state);
}
static void BM_TrafficTableBatch100Of100000(benchmark::State& state) {
    tableBatch(state);
}
BENCHMARK(BM_TrafficExchangeRecorded)->Arg(0)->Arg(1);
BENCHMARK(BM_TrafficTableBatch100Of100000)->Unit(benchmark::kMillisecond);
