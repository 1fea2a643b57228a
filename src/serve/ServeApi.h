#pragma once
// The page server's answers, without sockets: the page's files and the JSON API, with every
// check in the order a request meets them: the Host header (421), the token on every API call
// (401, and nothing else is said), the path (404) and method (405), writes in read-only mode
// (403), the body's size (413, at most 4 KiB) and its JSON (400), then the operation.
//   GET  /api/state                         the whole view (LiveGateway::whole)
//   POST /api/rows/ROW/learn                {"id":"0012A3F0","org":"05","replace":false}
//   POST /api/rows/ROW/learn-button         {"wait":60,"replace":false}      202 when started
//   POST /api/rows/ROW/learn-button/cancel
//   POST /api/rows/ROW/delete               {"id":"0012A3F0"} (the sensor the user confirmed)
//   POST /api/rows/ROW/invert               {"on":true}
//   POST /api/senders/ROW/transmit
// A write answers {"ok":true|false,"outcome":"done|started|bad-value|refused|busy|not-here|
// failed","message":"..."} with 200, 202, 400, 409, 409, 409 or 502.

#include "serve/ServeAccess.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class LiveGateway;
class RowOperations;

struct ApiRequest {
    QByteArray method; // "GET", "POST", ...
    QString path;      // without the query
    QByteArray host;
    QByteArray authorization;
    QByteArray origin;
    QByteArray body;
};

struct ApiResponse {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
};
using Respond = std::function<void(const ApiResponse&)>;

inline constexpr qsizetype kMostBodyBytes = 4096;

class ServeApi {
public:
    ServeApi(const ServeAccess& access, LiveGateway& live, RowOperations& operations);

    // respond comes once, at once or when a write has ended.
    void handle(const ApiRequest& request, const Respond& respond) const;
    // A WebSocket handshake: the refusal when Host or Origin name another server (a page of
    // another site may open a WebSocket anywhere); nothing when the upgrade may go on (the
    // token follows on the socket).
    std::optional<ApiResponse> refuseWebSocket(const ApiRequest& request) const;
    const ServeAccess& access() const { return access_; }

private:
    bool pageFile(const ApiRequest& request, const Respond& respond) const;
    void write(const QString& path, const QJsonObject& body, const Respond& respond) const;

    const ServeAccess& access_;
    LiveGateway& live_;
    RowOperations& operations_;
};

// {"error":"..."} with the status.
ApiResponse errorResponse(int status, const QString& message);
