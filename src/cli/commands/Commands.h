#pragma once
// The commands of qrx-cli, one file each; CommandTable.cpp lists them.

#include <memory>

class CliCommand;

std::unique_ptr<CliCommand> makeIdentifyCommand();
std::unique_ptr<CliCommand> makeReadCommand();
std::unique_ptr<CliCommand> makeWatchCommand();
std::unique_ptr<CliCommand> makeLearnCommand();
std::unique_ptr<CliCommand> makeLearnButtonCommand();
std::unique_ptr<CliCommand> makeDeleteCommand();
std::unique_ptr<CliCommand> makeInvertCommand();
std::unique_ptr<CliCommand> makeResponseTimeCommand();
std::unique_ptr<CliCommand> makeSenderCommand();
std::unique_ptr<CliCommand> makeTransmitCommand();
std::unique_ptr<CliCommand> makeBackupCommand();
std::unique_ptr<CliCommand> makeRestoreCommand();
std::unique_ptr<CliCommand> makeScanCommand();
std::unique_ptr<CliCommand> makePublishCommand();
std::unique_ptr<CliCommand> makeCommissionCommand();
std::unique_ptr<CliCommand> makeServeCommand();
