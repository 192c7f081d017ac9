#include "tools/vrkhost/options.h"

#include "tools/options/parse.h"
#include "tools/launcher/tool_command_line.h"

namespace vrk::host {

const char kUsage[] =
    "Usage: vrkhost [--release 2004|2005|2006|2007|2008] [--module FILE] [--lcid N]\n"
#if defined(_WIN32)
    "               [-q] [-c COMMAND]... [DRAWING]\n"
#else
    "               [--registry FILE] [-q] [-c COMMAND]... [DRAWING]\n"
#endif
    "       vrkhost --batch [--save [--backup FILE [--numbered-backup]] | --save-as FILE]\n"
    "               [options] [-c COMMAND]... DRAWING\n"
    "\n"
    "Runs the emulated CAD host of the given release (default 2008) with one drawing open,\n"
    "loads the Varnikel module into it and runs host commands.\n"
    "\n"
    "  --release R      host release; 2004-2006 are R16 hosts with narrow (ANSI) text,\n"
    "                   2007-2008 R17 hosts with wide text\n"
    "  --module FILE    module to load instead of the release's own Varnikel_R.arx/.dll,\n"
    "                   which is looked for beside this program\n"
#if defined(_WIN32)
    "  --lcid N         system locale identifier; taken when its ANSI code page is the\n"
    "                   system's, which a program cannot change\n"
#else
    "  --lcid N         system locale identifier to report (2052 and 1028 are Chinese);\n"
    "                   without it the locale follows LC_ALL, LC_CTYPE or LANG\n"
#endif
#if !defined(_WIN32)
    "  --registry FILE  keep the emulated Windows registry (demand-load entries) in FILE,\n"
    "                   read at start and written at exit, merged with what other host\n"
    "                   programs wrote to it meanwhile; without it the registry lives in\n"
    "                   memory. FILE is saved like a drawing (links followed, a read-only\n"
    "                   file refused)\n"
#endif
    "  -q, --quiet      say nothing on standard error about the drawings saved\n"
    "  -c COMMAND       run COMMAND; may be repeated, commands run in order. Without -c,\n"
    "                   command lines are read from standard input (prompting \"Command: \"\n"
    "                   on a terminal)\n"
    "  DRAWING          drawing file (DXF) to open; without it the host starts a new drawing\n"
    "  --batch          (used by vrkbatch) commands that open, save or quit (OPEN, SAVE,\n"
    "                   SAVEAS, QUIT, EXIT) are refused before anything runs; standard\n"
    "                   output carries only one line of JSON describing the run\n"
    "                   (tools/record/host_record.h); without --save or --save-as nothing\n"
    "                   is ever written\n"
    "  --save           (used by vrkbatch) after the commands succeeded, save the drawing\n"
    "                   over the file read, only when they changed it\n"
    "  --save-as FILE   (used by vrkbatch) after the commands succeeded, write the drawing\n"
    "                   to FILE\n"
    "  --backup FILE    (used by vrkbatch; with --save) before the drawing is replaced,\n"
    "                   give the file read the second name FILE (a hard link, or a copy);\n"
    "                   an existing FILE that is another file is never replaced: nothing\n"
    "                   is saved then (status 4)\n"
    "  --numbered-backup  (used by vrkbatch) with --backup: when FILE is taken, use the\n"
    "                   first free name with .1, .2, ... before its last extension\n"
    "  -h, --help       show this help\n"
    "  --version        show the version\n"
    "\n"
    "A command line is a command name and its arguments, separated by blanks; an argument\n"
    "with blanks is written in double quotes (SAVEAS \"my drawing.dxf\"); inside quotes \\\"\n"
    "stands for a double quote (any other backslash is itself). A command given\n"
    "arguments it does not take fails. Names are looked up ignoring case\n"
    "among the commands the module registered (global and local names: vrk or Varnikel to\n"
    "solidify the drawing's dynamic blocks, VRK_HELP or VRK_Help_Online for the help page)\n"
    "and the host's own:\n"
    "  SETVAR name value   set a system variable (DWGCHECK 0-3, USERI1-5 -32768 to 32767,\n"
    "                      USERR1-5 any finite number, USERS1-5 any text)\n"
    "  GETVAR name         print a system variable's value\n"
    "  OPEN file           open another drawing in place of the current one\n"
    "  SAVE                write the drawing back to the file it was opened from\n"
    "  SAVEAS file [ASCII|BINARY]\n"
    "                      write the drawing to file, as binary or ASCII DXF when named\n"
    "  INFO                print a summary of the drawing's blocks and layers\n"
    "  QUIT                end the session\n"
    "\n"
    "What the module prints goes to standard output; the progress meter is drawn on standard\n"
    "error when that is a terminal. After each command, objects left open and iterators left\n"
    "alive are reported on standard error. Each drawing saved is named there in one line\n"
    "(unless -q); so is a drawing whose changes were not saved when OPEN, QUIT or the end\n"
    "of the commands leaves it.\n"
    "\n"
    "Commands given by -c or read from a file or pipe stop at the first one that fails: no\n"
    "later command runs (so no later SAVE or SAVEAS writes), and the status is not 0. A\n"
    "UTF-8 byte-order mark at the start of standard input is skipped.\n";

std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    CLI::App app("", "vrkhost");
    vrk::options::addHostOptions(app, options.host);
    app.add_option("--module", options.module);
    app.add_option("--registry", options.registryFile);
    app.add_option("-c", options.commands)->allow_extra_args(false);
    vrk::options::addQuietFlag(app, options.quiet, "no line for each drawing saved");
    CLI::Option* pDrawing = app.add_option("DRAWING", options.drawing);
    CLI::Option* pBatch = app.add_flag("--batch", options.batch);
    CLI::Option* pSave = app.add_flag("--save", options.save);
    CLI::Option* pSaveAs = app.add_option("--save-as", options.saveAs);
    CLI::Option* pBackup = app.add_option("--backup", options.backup);
    CLI::Option* pNumbered = app.add_flag("--numbered-backup", options.numberedBackup);
    pSave->needs(pBatch)->excludes(pSaveAs);
    pSaveAs->needs(pBatch);
    pBackup->needs(pSave);
    pNumbered->needs(pBackup);
    if (const std::optional<int> status =
            vrk::options::parseCommandLine(app, argc, argv, kUsage, vrk::options::kVrkhost))
        return status;
    std::string refusal;
    if (pDrawing->count() > 0 && options.drawing.empty()) refusal = "DRAWING is empty: it names no file";
    else if (options.batch && options.drawing.empty()) refusal = "--batch needs a DRAWING";
    else if (pSaveAs->count() > 0 && options.saveAs.empty()) refusal = "--save-as is empty: it names no file";
    else if (pBackup->count() > 0 && options.backup.empty()) refusal = "--backup is empty: it names no file";
    if (refusal.empty()) return std::nullopt;
    return vrk::options::reportUsageError(app.get_name(), refusal);
}

}  // namespace vrk::host

std::optional<int> vrk::launcher::checkToolCommandLine(int argc, char** argv, int& release) {
    vrk::host::Options options;
    const std::optional<int> status = vrk::host::parseOptions(argc, argv, options);
    release = options.host.release;
    return status;
}
