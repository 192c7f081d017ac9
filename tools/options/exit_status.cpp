#include "tools/options/exit_status.h"

#include <cstdio>
#include <cstring>

namespace vrk::options {

std::string exitStatusHelp(Program program) {
    const size_t kIndent = 7;
    const size_t kWidth = 100;
    std::string help = "Exit status:\n";
    for (const ExitStatusRow& row : kExitStatuses) {
        if ((row.programs & program) == 0) continue;
        char status[16];
        std::snprintf(status, sizeof(status), "  %-*d", int(kIndent - 2), row.status);
        std::string line = status;
        // The meaning wrapped at blanks, continued under its start.
        for (const char* word = row.meaning; *word != '\0';) {
            const char* end = std::strchr(word, ' ');
            const size_t length = end != nullptr ? size_t(end - word) : std::strlen(word);
            if (line.size() > kIndent && line.size() + 1 + length > kWidth) {
                help += line + "\n";
                line.assign(kIndent, ' ');
            } else if (line.size() > kIndent) {
                line += ' ';
            }
            line.append(word, length);
            word += length + (end != nullptr ? 1 : 0);
        }
        help += line + "\n";
    }
    return help;
}

}  // namespace vrk::options
