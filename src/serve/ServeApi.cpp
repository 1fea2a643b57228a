#include "serve/ServeApi.h"

#include "serve/LiveGateway.h"
#include "serve/RowOperations.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>

namespace {
struct PageFile {
    const char* path;
    const char* resource;
    const char* type;
};
// The page is plain files built into the program (serve/page/), nothing from elsewhere.
constexpr PageFile kPageFiles[] = {
    {"/", ":/serve/index.html", "text/html; charset=utf-8"},
    {"/index.html", ":/serve/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/serve/app.js", "text/javascript; charset=utf-8"},
    {"/texts.js", ":/serve/texts.js", "text/javascript; charset=utf-8"},
    {"/style.css", ":/serve/style.css", "text/css; charset=utf-8"},
    {"/icon.svg", ":/serve/icon.svg", "image/svg+xml"},
};

ApiResponse json(int status, const QJsonObject& o) {
    return {status, "application/json", QJsonDocument(o).toJson(QJsonDocument::Compact)};
}

const char* outcomeName(WriteOutcome o) {
    switch (o) {
    case WriteOutcome::Done:
        return "done";
    case WriteOutcome::Started:
        return "started";
    case WriteOutcome::BadValue:
        return "bad-value";
    case WriteOutcome::Refused:
        return "refused";
    case WriteOutcome::Busy:
        return "busy";
    case WriteOutcome::NotHere:
        return "not-here";
    case WriteOutcome::Failed:
        return "failed";
    }
    return "failed";
}

int outcomeStatus(WriteOutcome o) {
    switch (o) {
    case WriteOutcome::Done:
        return 200;
    case WriteOutcome::Started:
        return 202;
    case WriteOutcome::BadValue:
        return 400;
    case WriteOutcome::Failed:
        return 502; // the gateway, behind us, did not do it
    default:
        return 409;
    }
}

// /api/rows/7/learn → ("rows", 7, "learn"); nothing for a path that names no write.
struct WritePath {
    QString table;
    int row = 0;
    QString action;
};
std::optional<WritePath> writePath(const QString& path) {
    static const QRegularExpression form(
        R"(^/api/(?:(rows)/([0-9]{1,3})/(learn|learn-button|learn-button/cancel|delete|invert)|)"
        R"((senders)/([0-9]{1,3})/(transmit))$)");
    const auto m = form.match(path);
    if (!m.hasMatch())
        return std::nullopt;
    const int at = m.captured(1).isEmpty() ? 4 : 1;
    return WritePath{m.captured(at), m.captured(at + 1).toInt(), m.captured(at + 2)};
}
} // namespace

ApiResponse errorResponse(int status, const QString& message) {
    return json(status, {{"error", message}});
}

namespace {
ApiResponse unknownHost(const ApiRequest& rq) {
    return errorResponse(421, "this server is not reached by the name \"" +
                                  QString::fromLatin1(rq.host).left(100) +
                                  "\"; open the address qrx-cli printed");
}
} // namespace

ServeApi::ServeApi(const ServeAccess& access, LiveGateway& live, RowOperations& operations)
    : access_(access)
    , live_(live)
    , operations_(operations) {}

std::optional<ApiResponse> ServeApi::refuseWebSocket(const ApiRequest& rq) const {
    if (!access_.hostAllowed(rq.host))
        return unknownHost(rq);
    if (!rq.origin.isEmpty() && !access_.hostAllowed(QUrl(rq.origin).authority().toLatin1()))
        return errorResponse(403, "a page of another site");
    return std::nullopt;
}

void ServeApi::handle(const ApiRequest& rq, const Respond& respond) const {
    if (!access_.hostAllowed(rq.host))
        return respond(unknownHost(rq));
    if (!rq.path.startsWith("/api/"))
        return pageFile(rq, respond) ? void() : respond(errorResponse(404, "no such page"));
    if (!access_.tokenMatches(bearerToken(rq.authorization)))
        return respond(errorResponse(401, "token missing or wrong"));
    const auto target = writePath(rq.path);
    if (!target && rq.path != "/api/state")
        return respond(errorResponse(404, "no such API call: " + rq.path.left(100)));
    const QByteArray method = target ? "POST" : "GET";
    if (rq.method != method)
        return respond(errorResponse(405, QString("%1 takes %2").arg(rq.path, method)));
    if (!target)
        return respond(json(200, live_.whole()));
    if (access_.readOnly)
        return respond(errorResponse(403, "the server is read-only (--read-only): no writes"));
    if (rq.body.size() > kMostBodyBytes)
        return respond(errorResponse(413, "the request body is larger than 4 KiB"));
    QJsonParseError parsed{};
    const QJsonDocument body = QJsonDocument::fromJson(rq.body, &parsed);
    if (!rq.body.trimmed().isEmpty() && !body.isObject())
        return respond(errorResponse(400, "the body is not a JSON object"));
    write(rq.path, body.object(), respond);
}

bool ServeApi::pageFile(const ApiRequest& rq, const Respond& respond) const {
    for (const PageFile& f : kPageFiles) {
        if (rq.path != f.path)
            continue;
        if (rq.method != "GET" && rq.method != "HEAD") {
            respond(errorResponse(405, QString("%1 takes GET").arg(rq.path)));
            return true;
        }
        QFile file(f.resource);
        file.open(QIODevice::ReadOnly);
        respond({200, f.type, rq.method == "HEAD" ? QByteArray() : file.readAll()});
        return true;
    }
    return false;
}

void ServeApi::write(const QString& path, const QJsonObject& b, const Respond& respond) const {
    const WritePath w = *writePath(path);
    const WriteDone done = [respond](const WriteResult& r) {
        respond(json(outcomeStatus(r.outcome),
                     {{"ok", r.outcome == WriteOutcome::Done || r.outcome == WriteOutcome::Started},
                      {"outcome", outcomeName(r.outcome)},
                      {"message", r.message}}));
    };
    const bool replace = b["replace"].toBool(false);
    if (w.table == "senders")
        operations_.transmit(w.row, done);
    else if (w.action == "learn")
        operations_.learnById(w.row, b["id"].toString(), b["org"].toString(), replace, done);
    else if (w.action == "learn-button")
        operations_.learnByButton(w.row, b["wait"].toInt(kLearnButtonWaitDefaultS), replace, done);
    else if (w.action == "learn-button/cancel")
        operations_.cancelLearn(done);
    else if (w.action == "delete")
        operations_.remove(w.row, b["id"].toString(), done);
    else if (!b["on"].isBool())
        done({WriteOutcome::BadValue, "invert takes {\"on\": true} or {\"on\": false}"});
    else
        operations_.invert(w.row, b["on"].toBool(), done);
}
