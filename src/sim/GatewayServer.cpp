#include "sim/GatewayServer.h"

#include <algorithm>

void GatewayServer::setMode(LineMode m) {
    mode_ = m;
    rtu_ = {};
    ascii_ = {};
}

void GatewayServer::advanceTo(int64_t nowMs) {
    model_.advanceTo(nowMs);
    for (GatewayModel* m : others_)
        m->advanceTo(nowMs);
}

std::vector<ServedExchange> GatewayServer::receive(const QByteArray& bytes, int64_t nowMs,
                                                   bool frameEnds) {
    advanceTo(nowMs);
    std::vector<SlaveFrame> frames = mode_ == LineMode::Rtu ? rtu_.feed(bytes) : ascii_.feed(bytes);
    if (mode_ == LineMode::Rtu && frameEnds)
        for (SlaveFrame& f : rtu_.silence())
            frames.push_back(f);
    std::vector<ServedExchange> out;
    for (const SlaveFrame& f : frames)
        out.push_back(serve(f));
    return out;
}

std::vector<ServedExchange> GatewayServer::lineSilent(int64_t nowMs) {
    std::vector<ServedExchange> out;
    if (mode_ != LineMode::Rtu)
        return out;
    advanceTo(nowMs);
    for (const SlaveFrame& f : rtu_.silence())
        out.push_back(serve(f));
    return out;
}

ServedExchange GatewayServer::serve(const SlaveFrame& f) {
    ServedExchange x;
    x.request = f.request;
    x.requestCheckOk = f.checkOk;
    if (!f.checkOk || faults_.silent)
        return x;
    ++requests_;
    if (faults_.lostAt > 0 && requests_ >= faults_.lostAt) {
        x.deviceLost = true;
        return x;
    }
    const bool identification = f.request.size() >= 6 && f.request.mid(1, 3) == "\x03\x01\x41";
    if (faults_.noIdentification && identification)
        return x;
    // each gateway answers only its own address
    GatewayModel* answering = &model_;
    std::optional<QByteArray> answer = model_.handle(f.request);
    for (size_t i = 0; !answer && i < others_.size(); ++i) {
        answering = others_[i];
        answer = answering->handle(f.request);
    }
    if (!answer)
        return x;
    ++answered_;
    if (hits(faults_.dropEvery, answered_))
        return x;
    if (hits(faults_.exceptionEvery, answered_)) {
        QByteArray e = answer->left(2);
        e[1] = char(uint8_t(e[1]) | 0x80);
        e.append(char(0x04));
        answer = e;
    }
    x.answer = *answer;
    QByteArray frame =
        mode_ == LineMode::Rtu ? RtuSlaveFramer::frame(*answer) : AsciiSlaveFramer::frame(*answer);
    if (hits(faults_.corruptEvery, answered_)) {
        // a changed content byte, as a disturbed line gives: in a block answer it is the ORG
        // byte of the slot, so that a tool without the check would show a foreign value
        x.answerCheckOk = false;
        const bool rtu = mode_ == LineMode::Rtu;
        const int i = std::min(rtu ? 4 : 10, int(frame.size()) - 3);
        frame[i] = rtu ? char(uint8_t(frame[i]) ^ 0x5A) : (frame[i] == '0' ? '1' : '0');
    }
    QByteArray noise;
    for (int i = 0; i < faults_.noiseBytes; ++i)
        noise.append(char(mode_ == LineMode::Rtu ? 0 : 'x')); // 0x00 / 'x': never a frame start
    x.answerFrame = noise + frame;
    x.delayMs = answering->responseTimeMs() + faults_.lateMs;
    return x;
}
