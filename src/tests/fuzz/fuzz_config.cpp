// Arbitrary bytes as a configuration file never crash or read out of bounds: a file is either
// refused with a text, or accepted; an accepted one is written and read again unchanged, and
// compared with a gateway.

#include "backup/ConfigDiff.h"
#include "backup/ConfigFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ConfigLoad load = parseConfig(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (!load.config) {
        if (!load.refusal || load.refusal->text(true).isEmpty() ||
            load.refusal->text(false).isEmpty())
            std::abort();
        return 0;
    }
    const QByteArray written = configJson(*load.config);
    const ConfigLoad again = parseConfig(written);
    if (!again.config || configJson(*again.config) != written)
        std::abort();
    GatewayImage gateway;
    gateway.moduleType = kTransceiverModuleType;
    gateway.senders.resize(kGatewaySenderSlots);
    differenceLines(compareConfig(*load.config, gateway), true);
    return 0;
}
