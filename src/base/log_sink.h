#pragma once
// Where progress lines go. The window appends to its log pane; tests and the
// command-line tool collect or print them. Ints are written in decimal.
#include <string>

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void Write(const std::string& text) = 0;
};

inline LogSink& operator<<(LogSink& log, const std::string& text) { log.Write(text); return log; }
inline LogSink& operator<<(LogSink& log, const char* text) { log.Write(text); return log; }
inline LogSink& operator<<(LogSink& log, int value) { log.Write(std::to_string(value)); return log; }
inline LogSink& operator<<(LogSink& log, unsigned value) { log.Write(std::to_string(value)); return log; }
inline LogSink& operator<<(LogSink& log, long value) { log.Write(std::to_string(value)); return log; }
inline LogSink& operator<<(LogSink& log, size_t value) { log.Write(std::to_string(value)); return log; }

// Collects everything in a string; used by tests and the command-line tool.
class StringLog : public LogSink {
public:
    void Write(const std::string& text) override { text_ += text; }
    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }
private:
    std::string text_;
};

// Discards everything.
class NullLog : public LogSink {
public:
    void Write(const std::string&) override {}
};
