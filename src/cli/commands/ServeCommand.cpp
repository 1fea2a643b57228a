// qrx-cli serve: a page for the phone at the sensor, served with a small JSON API and live
// updates over a WebSocket until Ctrl-C or SIGTERM (serve/). The address with its token is
// printed and shown as a QR code. Every value is checked before the port is opened (exit 2);
// a listen address that cannot be had ends it with 1.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ReadingOptions.h"
#include "cli/commands/Commands.h"
#include "platform/SecretFile.h"
#include "serve/PageSockets.h"
#include "serve/ServeSession.h"
#include "serve/TerminalQr.h"
#include "serve/WebServer.h"

#include <QCommandLineParser>
#include <QHostInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QSysInfo>

namespace {
const char* kDescription =
    "Serves a page for a phone (or any browser) and a small JSON API until Ctrl-C or SIGTERM: "
    "the gateway and its 32 sensor rows, updated live over a WebSocket after every "
    "answer-paced pass (a row flashes when a telegram arrives), learn by button with a "
    "countdown, learn by ID, delete, the inversion of data byte 1 and, on the transceiver, the "
    "sender rows with transmit. One write at a time; the reading pauses while it holds the "
    "line. The address to open is printed with its token (http://ADDRESS:PORT/#token=...) and "
    "shown as a QR code; the page sends the token with every call, and a missing or wrong one "
    "gets 401. --listen 0.0.0.0:8080 lets a phone on the same network in.";

QStringList machineNames() {
    const QString host = QSysInfo::machineHostName().toLower();
    QStringList names{host, host + ".local"};
    const QString domain = QHostInfo::localDomainName().toLower();
    if (!domain.isEmpty())
        names << host + "." + domain;
    return names;
}

// The addresses a phone may use: the listen address, or for a wildcard every IPv4 address of
// the machine's interfaces that are up, loopback last.
QList<QHostAddress> pageAddresses(const QHostAddress& listen) {
    if (listen != QHostAddress::AnyIPv4 && listen != QHostAddress::Any &&
        listen != QHostAddress::AnyIPv6)
        return {listen};
    QList<QHostAddress> out;
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            out << a;
    out << QHostAddress(QHostAddress::LocalHost);
    return out;
}

class ServeCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(kDescription);
        p.addOptions({
            {"listen", "ADDRESS:PORT to serve at; port 0 takes a free one. Default 127.0.0.1:8080.",
             "address", "127.0.0.1:8080"},
            {"read-only", "The page shows, and writes nothing: every write is refused (403)."},
            {"token-file",
             "File whose first line is the token (at least 16 of A-Z a-z 0-9 . _ ~ -). "
             "Default: 128 random bits, new at every start.",
             "file"},
            {"tls-cert", "Serve HTTPS with this certificate (PEM; with --tls-key).", "file"},
            {"tls-key", "The key of --tls-cert (PEM, RSA or EC, no pass phrase).", "file"},
        });
        addReadingOptions(p, {50, 20, {}, {}}, "The page shows the scaled values.");
        addSiteOption(p, "The site file whose labels name the rows (commission's CSV).");
    }

    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        if (!arguments(p, "serve", "", error))
            return error;
        const auto listen = parseListenAddress(p.value("listen"), error);
        if (!listen)
            return error;
        listen_ = *listen;
        readOnly_ = p.isSet("read-only");
        if (auto e = takeReadingOptions(p, reading_))
            return e;
        if (auto e = takeSiteOption(p, "serve", reading_))
            return e;
        if (auto e = takeToken(p))
            return e;
        if (p.isSet("tls-cert") != p.isSet("tls-key"))
            return QString("--tls-cert and --tls-key go together");
        if (p.isSet("tls-cert")) {
            tls_ = tlsConfiguration(p.value("tls-cert"), p.value("tls-key"), error);
            if (!tls_)
                return error;
        }
        return std::nullopt;
    }

    bool identifiesItself() const override { return true; }

    void run(CommandContext& c) override {
        // Qt's server warns on standard error of every WebSocket handshake it is told to refuse
        QLoggingCategory::setFilterRules("qt.httpserver.warning=false");
        ServeView view{c.options.port,        c.options.address,
                       c.options.line.text(), reading_.labelsAt(uint8_t(c.options.address)),
                       reading_.scale,        readOnly_};
        session_ = std::make_unique<ServeSession>(
            c.clock, c.line, c.client, std::move(view), ServeAccess{token_, {}, readOnly_},
            ServeReading{reading_.intervalMs, reading_.fullEvery});
        pages_ = std::make_unique<PageSockets>(c.clock, session_->access(), [this] {
            return QJsonDocument(session_->live().whole()).toJson(QJsonDocument::Compact);
        });
        web_ = std::make_unique<WebServer>(c.clock, session_->api(), *pages_);
        if (const auto error = web_->listenAt(listen_, tls_)) {
            c.complain(QString("cannot listen at %1:%2: %3")
                           .arg(urlHost(listen_.address))
                           .arg(listen_.port)
                           .arg(*error));
            return c.finish(kExitFailed);
        }
        session_->access().hosts = allowedHosts(listen_.address, web_->port(), tls_.has_value(),
                                                machineNames(), QNetworkInterface::allAddresses());
        session_->complain = [&c](const QString& text) { c.complain(text); };
        session_->responseTime = [&c](uint16_t ms) { c.allowResponseTime(ms); };
        session_->broadcast = [this](const QByteArray& m) { pages_->broadcast(m); };
        tellAddress(c);
        session_->start();
    }

    void interrupt(CommandContext& c) override {
        if (std::exchange(stopping_, true) || !session_)
            return CliCommand::interrupt(c); // a second Ctrl-C does not wait for learn mode off
        session_->stop([this, &c] {
            pages_->closeAll();
            c.finish(kExitDone);
        });
    }

private:
    std::optional<QString> takeToken(const QCommandLineParser& p) {
        if (!p.isSet("token-file")) {
            token_ = randomToken();
            return std::nullopt;
        }
        QString error;
        const auto token = readSecretFile(p.value("token-file"), "--token-file", "token", error);
        if (!token)
            return error;
        static const QRegularExpression form("^[A-Za-z0-9._~-]{16,256}$");
        if (!form.match(QString::fromLatin1(*token)).hasMatch())
            return QString("--token-file: the token in %1 takes 16 to 256 of A-Z a-z 0-9 . _ ~ -")
                .arg(p.value("token-file"));
        token_ = *token;
        return std::nullopt;
    }

    // The addresses with the token on standard output, the first as a QR code; how to reach it
    // and a warning for plain HTTP on the network on standard error.
    void tellAddress(CommandContext& c) {
        const QString scheme = tls_ ? "https" : "http";
        QStringList urls;
        for (const QHostAddress& a : pageAddresses(listen_.address))
            urls << QString("%1://%2:%3/#token=%4")
                        .arg(scheme, urlHost(a))
                        .arg(web_->port())
                        .arg(QString::fromLatin1(token_));
        c.io.data(urls.join('\n') + '\n');
        c.io.data(terminalQr(urls.first().toUtf8(), c.io.dataOnTerminal()));
        c.io.flush();
        c.complain(QString("serving the page%1 until Ctrl-C; open the address above (the QR "
                           "code holds it)")
                       .arg(readOnly_ ? " read-only" : ""));
        if (!tls_ && !listen_.address.isLoopback())
            c.complain("warning: plain HTTP on the network: the token and the gateway's data "
                       "cross it unencrypted; --tls-cert and --tls-key serve HTTPS");
    }

    ListenAddress listen_;
    bool readOnly_ = false;
    ReadingOptions reading_{50, 20, {}, {}};
    QByteArray token_;
    std::optional<QSslConfiguration> tls_;
    std::unique_ptr<ServeSession> session_;
    std::unique_ptr<PageSockets> pages_;
    std::unique_ptr<WebServer> web_;
    bool stopping_ = false;
};
} // namespace

std::unique_ptr<CliCommand> makeServeCommand() {
    return std::make_unique<ServeCommand>();
}
