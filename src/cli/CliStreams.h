#pragma once
// Where the command-line tool writes: data on standard output (what a script reads), messages on
// standard error. The program writes to the process's streams, tests record the texts.

#include <QString>

class CliStreams {
public:
    virtual ~CliStreams() = default;
    virtual void data(const QString& text) = 0;    // standard output, as it is
    virtual void message(const QString& line) = 0; // standard error, one line
    // Pushes the data written so far out to the reader (a log file, a pipe).
    virtual void flush() = 0;
    // Standard output is a terminal (a person reads it, colours work).
    virtual bool dataOnTerminal() const { return false; }
};

class RecordingStreams : public CliStreams {
public:
    void data(const QString& text) override { out += text; }
    void message(const QString& line) override { err += line + '\n'; }
    void flush() override { ++flushes; }
    QString out, err;
    int flushes = 0;
};
