#pragma once
// What qrx-cli prints of a gateway: the identification, a sensor slot, and the whole gateway as a
// table for people, as JSON and as CSV for scripts. ORG and ID as the window shows them; data as
// the raw data bytes 0..3, byte 0 first, named as the window's columns name them; time as the
// unsigned time value.

#include "gateway/GatewayImage.h"

#include <QString>

// "device QTX40", "module_type 0x0041", "response_time 20": one line each.
QString identificationText(const GatewayImage& image);
// One sensor slot as in the table, without the inversion and the line end: row, ORG, ID, data
// bytes 0..3, time value.
QString sensorLine(int row, const SensorSlot& slot);
QString imageText(const GatewayImage& image);
// {"device":..,"response_time":..,"sensors":[32 slots],"senders":[8 slots, or none]}, one line.
QString imageJson(const GatewayImage& image);
// A header, then one line per slot: sensors first, then the senders.
QString imageCsv(const GatewayImage& image);
// "[48,0,0,0]"
QString jsonBytes(const std::array<uint8_t, 4>& bytes);
