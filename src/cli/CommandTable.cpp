// The command table of qrx-cli: name, the line of qrx-cli --help, and the command's maker.

#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

const std::vector<CommandEntry>& commandTable() {
    static const std::vector<CommandEntry> table{
        {"identify", "Device type, module type register and response time.", makeIdentifyCommand},
        {"read", "The whole gateway: text, JSON or CSV.", makeReadCommand},
        {"watch", "Reads the sensor slots again and again: a line per learned slot.",
         makeWatchCommand},
        {"learn", "Learns a sensor in by its ID and ORG, and reads the slot back.",
         makeLearnCommand},
        {"learn-button", "Learn mode on; waits for the sensor's learn button.",
         makeLearnButtonCommand},
        {"delete", "Empties a sensor slot and reads it back.", makeDeleteCommand},
        {"invert", "Sets the inversion of data byte 1 of a sensor row.", makeInvertCommand},
        {"response-time", "Prints the minimal response time, or sets it.", makeResponseTimeCommand},
        {"sender", "Writes a sender row (transceiver only).", makeSenderCommand},
        {"transmit", "Transmits a sender row's telegram (transceiver only).", makeTransmitCommand},
        {"backup", "Saves the gateway's configuration to a file.", makeBackupCommand},
        {"restore", "Shows what differs from a configuration file; --yes writes it.",
         makeRestoreCommand},
        {"scan", "Finds the gateway: modes, baud rates, parities, addresses.", makeScanCommand},
        {"publish", "Publishes the gateway to an MQTT broker until Ctrl-C.", makePublishCommand},
        {"commission", "Checks a site's sensors against its site file; the handover report.",
         makeCommissionCommand},
        {"serve", "A page for the phone at the sensor: watch and learn in, until Ctrl-C.",
         makeServeCommand},
    };
    return table;
}

const CommandEntry* findCommand(const QString& name) {
    for (const CommandEntry& e : commandTable())
        if (e.name == name)
            return &e;
    return nullptr;
}
