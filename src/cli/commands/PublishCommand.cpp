// qrx-cli publish: reads the gateway continuously and publishes it to an MQTT broker until
// Ctrl-C or SIGTERM (publish/Publisher over libmosquitto). Read-only: it subscribes to nothing.
// Every value is checked before the port is opened (exit 2); a broker that refuses the
// credentials or the certificate at the first connect ends it with 1.

#include "backup/ConfigFile.h"
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ReadingOptions.h"
#include "cli/commands/Commands.h"
#include "platform/SecretFile.h"
#include "publish/MosquittoClient.h"
#include "publish/PublishOptions.h"
#include "publish/Publisher.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSysInfo>

namespace {
const char* kDescription =
    "Reads the gateway continuously, answer-paced, and publishes it to an MQTT broker until "
    "Ctrl-C or SIGTERM. A pass reads the learned slots; every --full-every passes the gateway "
    "is identified again and the whole table is read, which notices learn-ins. Topics below "
    "PREFIX/NAME: status (online/offline, retained; also the last will), gateway (retained), "
    "sensor/ROW/state (JSON, retained, on every change) and sensor/ROW/telegram (the same "
    "JSON, once per new telegram). With Home Assistant discovery a retained "
    "homeassistant/sensor/UID/config per data byte of each sensor. Read-only: nothing from the "
    "broker reaches the gateway. The broker and the gateway are tried again with a growing "
    "pause (1 s up to 60 s) when they are away.";

class PublishCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(kDescription);
        p.addOptions({
            {"broker", "mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883, TLS). Required.",
             "url"},
            {"name",
             "The gateway's name in the topics: letters, digits, - and _. Default "
             "<hostname>-<port>-<address>.",
             "name"},
            {"prefix", "First topic levels. Default qrx.", "prefix", "qrx"},
        });
        addReadingOptions(p, {}, "The states then carry \"scaled\".");
        p.addOptions({
            {"discovery", "homeassistant (default) or off.", "kind", "homeassistant"},
            {"expire-after",
             "Home Assistant's expire_after in seconds; 0 leaves it out. Default 86400.", "s",
             "86400"},
            {"username", "User name at the broker.", "user"},
            {"password-file", "File whose first line is the password (never on the command line).",
             "file"},
            {"cafile",
             "Certificate authority of the broker's certificate (mqtts://). Default: "
             "the system's.",
             "file"},
            {"cert", "Our certificate, when the broker asks for one (mqtts://; with --key).",
             "file"},
            {"key", "The key of --cert.", "file"},
        });
        addSiteOption(p, "The site file whose labels the states carry (commission's CSV).");
        QCommandLineOption password("password", "", "password");
        password.setFlags(QCommandLineOption::HiddenFromHelp); // to say why it is refused
        p.addOption(password);
    }

    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        if (!arguments(p, "publish", "", error))
            return error;
        if (p.isSet("password"))
            return QString("publish takes no --password: a command line is visible to every user "
                           "(ps); give it in --password-file");
        if (!p.isSet("broker"))
            return QString("publish needs --broker mqtt://HOST[:PORT]");
        if (!parseBrokerUrl(p.value("broker"), broker_, error))
            return error;
        if (auto e = takeReading(p))
            return e;
        if (auto e = takeTopics(p))
            return e;
        if (auto e = takeSiteOption(p, "publish", reading_))
            return e;
        return takeCredentials(p);
    }

    bool identifiesItself() const override { return true; }

    void run(CommandContext& c) override {
        settings_.port = c.options.port;
        settings_.address = c.options.address;
        settings_.line = c.options.line.text();
        settings_.toolVersion = toolVersion();
        settings_.labels = reading_.labelsAt(uint8_t(c.options.address));
        if (settings_.name.isEmpty())
            settings_.name =
                defaultGatewayName(QSysInfo::machineHostName(), c.options.port, c.options.address);
        broker_.clientId = "qrx-" + settings_.name;
        broker_.willTopic = PublishTopics(settings_).status();
        broker_.willPayload = "offline";
        client_ = std::make_unique<MosquittoClient>(c.clock, broker_);
        publisher_ = std::make_unique<Publisher>(c.clock, c.line, c.client, *client_, settings_,
                                                 broker_.text());
        publisher_->complain = [&c](const QString& text) { c.complain(text); };
        publisher_->responseTime = [&c](uint16_t ms) { c.allowResponseTime(ms); };
        publisher_->finished = [&c](bool ok) { c.finish(ok ? kExitDone : kExitFailed); };
        c.complain(QString("publishing %1/%2 to %3")
                       .arg(settings_.prefix, settings_.name, broker_.text()));
        publisher_->start();
    }

    void interrupt(CommandContext& c) override {
        if (std::exchange(stopping_, true) || !publisher_)
            return CliCommand::interrupt(c); // a second Ctrl-C does not wait for the broker
        publisher_->stop();                  // status offline, a clean disconnect, then exit 0
    }

private:
    std::optional<QString> takeReading(const QCommandLineParser& p) {
        if (auto e = takeReadingOptions(p, reading_))
            return e;
        settings_.intervalMs = reading_.intervalMs;
        settings_.fullEvery = reading_.fullEvery;
        settings_.scale = reading_.scale;
        return std::nullopt;
    }

    std::optional<QString> takeTopics(const QCommandLineParser& p) {
        settings_.prefix = p.value("prefix");
        if (!validPrefix(settings_.prefix))
            return QString("--prefix takes topic levels without +, # or an empty level, not "
                           "\"%1\"")
                .arg(settings_.prefix);
        if (p.isSet("name")) {
            settings_.name = p.value("name");
            if (!validName(settings_.name))
                return QString("--name takes letters, digits, - and _, not \"%1\"")
                    .arg(settings_.name);
        }
        const QString discovery = p.value("discovery").toLower();
        if (discovery != "homeassistant" && discovery != "off")
            return QString("--discovery takes homeassistant or off, not \"%1\"")
                .arg(p.value("discovery"));
        settings_.discovery = discovery == "homeassistant";
        QString error;
        const auto expire =
            numberArgument("--expire-after", p.value("expire-after"), 0, 100000000, error);
        if (!expire)
            return error;
        settings_.expireAfterS = int(*expire);
        return std::nullopt;
    }

    std::optional<QString> takeCredentials(const QCommandLineParser& p) {
        broker_.username = p.value("username");
        if (p.isSet("password-file")) {
            if (broker_.username.isEmpty())
                return QString("--password-file needs --username");
            QString error;
            const auto password =
                readSecretFile(p.value("password-file"), "--password-file", "password", error);
            if (!password)
                return error;
            broker_.password = *password;
        }
        broker_.caFile = p.value("cafile");
        broker_.certFile = p.value("cert");
        broker_.keyFile = p.value("key");
        const bool tlsFiles = p.isSet("cafile") || p.isSet("cert") || p.isSet("key");
        if (tlsFiles && !broker_.tls)
            return QString("--cafile, --cert and --key need an mqtts:// broker");
        if (p.isSet("cert") != p.isSet("key"))
            return QString("--cert and --key go together");
        for (const char* option : {"cafile", "cert", "key"}) {
            const QString file = p.value(option);
            if (p.isSet(option) && !QFileInfo(file).isReadable())
                return QString("--%1: cannot read %2").arg(option, file);
        }
        return std::nullopt;
    }

    PublishSettings settings_;
    ReadingOptions reading_;
    BrokerSettings broker_;
    std::unique_ptr<MosquittoClient> client_;
    std::unique_ptr<Publisher> publisher_;
    bool stopping_ = false;
};
} // namespace

std::unique_ptr<CliCommand> makePublishCommand() {
    return std::make_unique<PublishCommand>();
}
