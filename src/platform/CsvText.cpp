#include "platform/CsvText.h"

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One pass over the text; a state per position, as the RFC's grammar has it.
class CsvSplitter {
public:
    CsvSplitter(const QByteArray& text, char separator)
        : text_(text)
        , separator_(separator) {}

    CsvSplit run() {
        startRecord();
        for (i_ = 0; i_ < text_.size() && !out_.problem; ++i_)
            take(text_[i_]);
        if (out_.problem)
            return out_;
        if (state_ == State::Quoted)
            return fail(CsvFault::QuoteNotClosed, quoteLine_);
        endRecord(); // a last line without its line break
        return out_;
    }

private:
    enum class State { FieldStart, Unquoted, Quoted, AfterQuote };

    void take(char c) {
        if (state_ == State::Quoted)
            return quoted(c);
        if (c == separator_)
            return endField();
        if (c == '\r' || c == '\n') {
            // CR LF is one line break
            if (c == '\r' && i_ + 1 < text_.size() && text_[i_ + 1] == '\n')
                ++i_;
            endRecord();
            ++line_;
            return startRecord();
        }
        if (state_ == State::AfterQuote) {
            if (!isBlank(c))
                fail(CsvFault::TextAfterQuote, line_);
            return;
        }
        if (c == '"') {
            if (state_ == State::Unquoted && !field_.trimmed().isEmpty()) {
                fail(CsvFault::QuoteInsideField, line_);
                return;
            }
            field_.clear(); // blanks before the quote
            state_ = State::Quoted;
            quoteLine_ = line_;
            return;
        }
        field_ += c;
        state_ = State::Unquoted;
    }
    void quoted(char c) {
        if (c == '"') {
            if (i_ + 1 < text_.size() && text_[i_ + 1] == '"') {
                field_ += '"';
                ++i_;
            } else {
                state_ = State::AfterQuote;
            }
            return;
        }
        if (c == '\n' || (c == '\r' && (i_ + 1 >= text_.size() || text_[i_ + 1] != '\n')))
            ++line_;
        field_ += c;
    }
    void endField() {
        record_.fields.push_back(state_ == State::Unquoted ? field_.trimmed() : field_);
        field_.clear();
        state_ = State::FieldStart;
    }
    void startRecord() {
        record_ = CsvRecord{line_, {}};
        field_.clear();
        state_ = State::FieldStart;
    }
    void endRecord() {
        endField();
        out_.records.push_back(std::move(record_));
    }
    CsvSplit& fail(CsvFault fault, int line) {
        out_.problem = CsvProblem{fault, line, int(record_.fields.size())};
        return out_;
    }

    const QByteArray& text_;
    char separator_;
    qsizetype i_ = 0;
    int line_ = 1;
    int quoteLine_ = 1;
    State state_ = State::FieldStart;
    QByteArray field_;
    CsvRecord record_;
    CsvSplit out_;
};
} // namespace

bool CsvRecord::blank() const {
    for (const QByteArray& f : fields)
        if (!f.trimmed().isEmpty())
            return false;
    return true;
}

char csvSeparator(const QByteArray& text) {
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == ',' || c == ';'))
            return c;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
    }
    return ',';
}

CsvSplit splitCsv(const QByteArray& text, char separator) {
    return CsvSplitter(text, separator).run();
}

QByteArray csvField(const QString& text, char separator) {
    QByteArray f = text.toUtf8();
    if (!f.contains(separator) && !f.contains('"') && !f.contains('\n') && !f.contains('\r'))
        return f;
    f.replace("\"", "\"\"");
    return '"' + f + '"';
}
