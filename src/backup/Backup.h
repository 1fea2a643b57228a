#pragma once
// Backup and restore of a gateway's configuration, for the windows and the command line. A
// command wraps it in a few lines, over a line it has claimed:
//
//   GatewayClient client(link, address, backupExchangeOptions(0));
//   backup FILE:   SaveJob save(client, clock);
//                  save.start(file, progress, [](auto failure) { ... failure->text() ... });
//   restore FILE:  ConfigLoad load = readConfigFile(file);      // load.refusal->text(english)
//                  client.readAll(progress, [&](auto failure) {
//                      ConfigDifferences d = compareConfig(*load.config, client.image);
//                      print(differenceLines(d, english));          // d.none(): nothing to do
//                      job.start(planRestore(*load.config, d), {}, [](auto results) {
//                          print(resultLines(results, english)); });
//                  });

#include "backup/ConfigDiff.h"
#include "backup/ConfigFile.h"
#include "backup/RestoreJob.h"
#include "backup/SaveJob.h"
#include "link/Exchange.h"

// Time-out and retries of a backup's or restore's requests. The longest answer, an ASCII block
// read of 51 characters, takes 425 ms at 1200 baud; the gateway waits its response time first.
inline ExchangeOptions backupExchangeOptions(int responseTimeMs) {
    return ExchangeOptions{1000 + 2 * responseTimeMs, 2};
}
