// The command line: printing and prompting for text.
#include <cstdarg>
#include <cstdio>
#include <deque>

#include "emulator/ed/wide_printf.h"
#include "emulator/host.h"
#include "emulator/calls/host_calls.h"

namespace vrk::emu {

namespace {

struct CommandLineState {
    std::string transcript;
    bool atLineStart = true;  // the last text printed ended a line, or input was just entered
    std::function<void(const std::string&)> sink;
    std::function<bool(std::string&)> source;
    std::deque<std::string> queued;
};

CommandLineState& state() {
    static CommandLineState s;
    return s;
}

std::string format(const ACHAR* fmt, va_list args) {
#if defined(UNICODE)
    const std::wstring wfmt = hostWideFormat(fmt);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int n = printWide(buffer.data(), buffer.size(), wfmt.c_str(), copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size()) return wideToUtf8(std::wstring(buffer.data(), n));
        if (buffer.size() > (1u << 24)) return std::string();
        buffer.resize(buffer.size() * 4);
    }
#else
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n < 0) return std::string();
    std::string ansi(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(ansi.data(), ansi.size(), fmt, args);
    ansi.resize(static_cast<size_t>(n));
    return fromHost(ansi.c_str());
#endif
}

void printText(const std::string& text) {
    if (text.empty()) return;
    CommandLineState& s = state();
    s.transcript += text;
    s.atLineStart = text.back() == '\n';
    if (s.sink) s.sink(text);
}

}  // namespace

const std::string& transcript() { return state().transcript; }
void clearTranscript() {
    state().transcript.clear();
    state().atLineStart = true;
}
void setPrintSink(std::function<void(const std::string&)> sink) { state().sink = std::move(sink); }
void setInputSource(std::function<bool(std::string&)> source) { state().source = std::move(source); }
void queueInput(const std::string& line) { state().queued.push_back(line); }

void resetCommandLine() {
    CommandLineState& s = state();
    s.transcript.clear();
    s.atLineStart = true;
    s.queued.clear();
    s.source = nullptr;
}

}  // namespace vrk::emu

using namespace vrk::emu;

int acutPrintf(const ACHAR* fmt, ...) {
    HostCalls::instance().note("acutPrintf");
    if (fmt == nullptr) return 0;
    va_list args;
    va_start(args, fmt);
    const std::string text = format(fmt, args);
    va_end(args);
    printText(text);
    return static_cast<int>(text.size());
}

int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result) {
    if (int rc = HostCalls::instance().enter("acedGetString")) return rc < 0 ? rc : RTERROR;
    CommandLineState& s = state();
    // The host shows a prompt on a line of its own.
    if (prompt != nullptr) {
        if (!s.atLineStart) printText("\n");
        acutPrintf(ACRX_T("%s"), prompt);
    }
    std::string line;
    if (!s.queued.empty()) {
        line = s.queued.front();
        s.queued.pop_front();
    } else if (!s.source || !s.source(line)) {
        return RTCAN;
    }
    s.atLineStart = true;  // the user's Enter ended the line
    // Without cronly a space ends the input as Enter does; what was typed after it is the input of
    // the next prompt.
    const size_t space = cronly == 0 ? line.find(' ') : std::string::npos;
    if (space != std::string::npos) {
        s.queued.push_front(line.substr(space + 1));
        line.erase(space);
    }
    // The host's buffer holds 132 characters and the terminator; longer input is refused, and so is
    // input that a narrow host's code page cannot hold.
    HostString text;
    if (!toHostExactly(line, text)) {
        acutPrintf(ACRX_T("\nCannot take this answer: %s"), toHost(notInCodePage()).c_str());
        return RTREJ;
    }
    if (text.size() > 132) return RTREJ;
    if (result != nullptr) {
        text.copy(result, text.size());
        result[text.size()] = 0;
    }
    return RTNORM;
}
