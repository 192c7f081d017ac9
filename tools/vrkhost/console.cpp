#include "tools/vrkhost/console.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <memory>

#include "emulator/host.h"

namespace vrk::host {

void Console::attach() {
    vrk::emu::setPrintSink([this](const std::string& text) {
        if (text.empty()) return;
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        mAtLineStart = text.back() == '\n';
    });
    if (!isatty(STDERR_FILENO)) return;
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
    if (!mAtLineStart) std::fputc('\n', stdout);
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    mAtLineStart = true;
}

void Console::prompt(const std::string& text) {
    if (!mAtLineStart) std::fputc('\n', stdout);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    // The user's Enter ends the prompt's line.
    mAtLineStart = true;
}

void Console::finish() {
    if (!mAtLineStart) std::fputc('\n', stdout);
    std::fflush(stdout);
    mAtLineStart = true;
}

}  // namespace vrk::host
