#pragma once
// Checks of what a user gives the publisher: the broker's address, a topic level, and the
// gateway's default name. Each gives the message for standard error when the text does not
// pass; nothing has been sent by then.

#include "publish/MosquittoClient.h"
#include "publish/PublishMessages.h"

#include <QString>
#include <optional>
#include <utility>

// mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883) into host, port and TLS.
bool parseBrokerUrl(const QString& text, BrokerSettings& broker, QString& error);
// A prefix of levels ("qrx", "site/hall-2") or a name ("box1-ttyUSB0-1"): no MQTT wildcards,
// no empty level; a name is one level of letters, digits, '-' and '_'.
bool validPrefix(const QString& text);
bool validName(const QString& text);
// <hostname>-<port>-<address>, the port by its last path element ("ttyUSB0"); characters a name
// does not take become '_'.
QString defaultGatewayName(const QString& hostName, const QString& port, int address);
