#pragma once
// The gateway as a Modbus slave, driven by explicit time so that every run is deterministic.
// Time value of a sensor slot (register 7): a telegram counter, incremented (mod 65536) with
// every telegram the sensor sends; 0 for a freshly learned sensor.

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

enum class GatewayVariant { Receiver, Transceiver };

struct TransmittedTelegram {
    int64_t atMs = 0;
    int senderRow = 0;
    std::array<uint16_t, 10> registers{};
};

class GatewayModel {
public:
    static constexpr int kSensorRows = 32;
    static constexpr int kSenderRows = 8;
    static constexpr uint16_t kResponseTimeRegister = 0x0140;
    static constexpr uint16_t kModuleTypeRegister = 0x0141;

    GatewayModel(uint8_t address, GatewayVariant variant, uint32_t seed = 1);

    uint8_t address() const { return address_; }
    GatewayVariant variant() const { return variant_; }
    void setLearnDelayMs(int ms) { learnDelayMs_ = ms; }
    uint16_t responseTimeMs() const { return responseTime_; }
    void setResponseTimeMs(uint16_t ms) { responseTime_ = ms; }

    // Request bytes (address, function, data; no check) to answer bytes of the same layout;
    // nullopt when the gateway stays silent (broadcast, another address, malformed request).
    std::optional<QByteArray> handle(const QByteArray& request);
    // Runs sensor telegrams and learn-ins due up to nowMs.
    void advanceTo(int64_t nowMs);

    // Puts a sensor into a row as if learned: ORG 05, 06 or 07.
    void learnSensor(int row, uint8_t org, uint32_t id);
    // The sensor in row stops sending, as one with a flat battery or out of range does.
    void silenceSensor(int row);
    // data in register order: data byte 0, 1, 2, 3 (registers 3 to 6 of the slot).
    void setSenderSlot(int row, uint8_t org, uint32_t id, std::array<uint8_t, 4> data,
                       uint8_t status);
    // Three filled sender rows: a rocker switch press (data byte 3 = 0x50, as the tool's
    // "Button 1" template), a closed contact and a four-byte sensor value.
    void fillDemoSenderRows();
    uint16_t reg(int r) const;
    bool coil(int c) const;
    const std::vector<TransmittedTelegram>& transmitLog() const { return log_; }

private:
    struct Sensor {
        int64_t nextTelegramMs = 0;
        double level = 0; // drifting value of a four-byte sensor
    };
    bool readableRegister(int r) const;
    bool writableRegister(int r) const;
    int coilCount() const { return variant_ == GatewayVariant::Transceiver ? 0x48 : 0x40; }
    QByteArray exception(uint8_t function, uint8_t code) const;
    std::optional<QByteArray> readCoils(const QByteArray& rq);
    std::optional<QByteArray> readRegisters(const QByteArray& rq);
    std::optional<QByteArray> writeCoil(const QByteArray& rq);
    std::optional<QByteArray> writeCoils(const QByteArray& rq);
    std::optional<QByteArray> writeRegisters(const QByteArray& rq);
    void setCoil(int c, bool on);
    void writeRegister(int r, uint16_t v);
    void sendTelegram(int row);
    void finishLearn(int row);
    uint32_t freshId();

    uint8_t address_;
    GatewayVariant variant_;
    std::mt19937 rng_;
    int64_t now_ = 0;
    int learnDelayMs_ = 3000;
    uint16_t responseTime_ = 20;
    std::array<uint16_t, 320> sensorRegs_{};
    std::array<uint16_t, 80> senderRegs_{};
    std::array<bool, 0x48> coils_{};
    std::array<Sensor, kSensorRows> sensors_{};
    std::array<int64_t, kSensorRows> learnDueMs_{};
    std::vector<TransmittedTelegram> log_;
};
