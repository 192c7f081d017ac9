#include "tools/vrkhost/console.h"

#include <cstdio>
#include <iostream>
#include <memory>

#include "emulator/host.h"
#include "tools/platform/terminal.h"

namespace vrk::host {

namespace {

Console* gpConsole = nullptr;

std::string& firstErrorText() {
    static std::string text;
    return text;
}

}  // namespace

void reportNote(const std::string& text) {
    if (gpConsole != nullptr) gpConsole->report(text);
    else std::cerr << "vrkhost: " << text << '\n';
}

void reportError(const std::string& text) {
    if (firstErrorText().empty()) firstErrorText() = text;
    reportNote(text);
}

const std::string& firstError() { return firstErrorText(); }

void Console::print(const std::string& text) {
    if (text.empty()) return;
    if (mCapture) {
        mCaptured += text;
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    mAtLineStart = text.back() == '\n';
}

void Console::report(const std::string& text) {
    if (!mCapture && !mAtLineStart) print("\n");
    std::cerr << "vrkhost: " << text << '\n' << std::flush;
}

void Console::attach(bool capture) {
    mCapture = capture;
    gpConsole = this;
    vrk::emu::setPrintSink([this](const std::string& text) { print(text); });
    vrk::emu::keepStatusBarEvents(false);  // drawn below or not at all, never looked at again
    if (!vrk::platform::isTerminal(2)) return;
    auto label = std::make_shared<std::string>();
    vrk::emu::setStatusBarSink([label](const vrk::emu::StatusBarEvent& event) {
        switch (event.kind) {
            case vrk::emu::StatusBarEvent::Meter:
                *label = vrk::emu::fromHost(event.label.c_str());
                std::fprintf(stderr, "\r%s 0%%", label->c_str());
                break;
            case vrk::emu::StatusBarEvent::Position:
                std::fprintf(stderr, "\r%s %d%%", label->c_str(), event.first);
                break;
            case vrk::emu::StatusBarEvent::Restore:
                if (!label->empty()) std::fprintf(stderr, "\r\033[K");
                label->clear();
                break;
        }
        std::fflush(stderr);
    });
}

void Console::printLine(const std::string& text) {
    if (!mAtLineStart) print("\n");
    print(text + "\n");
}

void Console::prompt(const std::string& text) {
    if (!mAtLineStart) print("\n");
    print(text);
    // The user's Enter ends the prompt's line.
    mAtLineStart = true;
}

void Console::finish() {
    if (!mAtLineStart) print("\n");
    if (!mCapture) std::fflush(stdout);
    mAtLineStart = true;
}

}  // namespace vrk::host
