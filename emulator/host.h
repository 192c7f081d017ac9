// Control of the emulated host: what the host program and the tests set up and observe.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/text.h"
#include "arx/arx.h"

namespace vrk::emu {

// ---- command line ----
// Everything printed with acutPrintf, as UTF-8.
const std::string& transcript();
void clearTranscript();
// Receives each printed text as it is printed (the host program writes it to standard output).
void setPrintSink(std::function<void(const std::string& utf8)> sink);
// Supplies the lines that acedGetString returns; returning false ends the input (RTCAN).
void setInputSource(std::function<bool(std::string& utf8Line)> source);
// Lines for acedGetString, taken before the input source.
void queueInput(const std::string& utf8Line);

// ---- status bar ----
struct StatusBarEvent {
    enum Kind { Meter, Position, Restore } kind;
    HostString label;  // for Meter: exactly the text the plug-in passed
    int first = 0;     // Meter: lowest position; Position: the position
    int second = 0;    // Meter: highest position
};
const std::vector<StatusBarEvent>& statusBarEvents();
void clearStatusBarEvents();
// Whether statusBarEvents() keeps the events (it does unless told not to). A host program that never
// looks at them says no: a command over 100,000 definitions would log a position for each.
void keepStatusBarEvents(bool keep);
bool progressMeterShown();
// Receives each event as it happens (the host program draws the meter).
void setStatusBarSink(std::function<void(const StatusBarEvent&)> sink);

// ---- system variables ----
// Back to the values of a new session.
void resetSystemVariables();
// The lowest and highest value of an integer variable (DWGCHECK takes 0 to 3, the others any short);
// nothing for an unknown name or a variable of another type.
std::optional<std::pair<int, int>> integerVariableRange(const std::string& utf8Name);

// ---- demand loading ----
// What each AcadAppInfo::writeToRegistry call was given, in order.
struct DemandLoadWrite {
    std::string appName;
    bool forCurrentUserOnly;
    bool overwrite;
};
const std::vector<DemandLoadWrite>& demandLoadWrites();

// ---- drawing files ----
// What each AcDbDatabase::readDwgFile call was given, in order.
struct DrawingFileRead {
    std::string path;  // UTF-8
    int shareMode;
    bool allowCodePageConversion;
};
const std::vector<DrawingFileRead>& drawingFileReads();

// ---- documents ----
void setWorkingDatabase(AcDbDatabase* pDb);
AcDbDatabase* workingDatabase();
// How many times objects of the database were opened for write; a drawing whose count moved since it
// was read or saved holds unsaved changes.
unsigned long long modificationCount(const AcDbDatabase* pDb);

// Forgets transcript, input, status bar, variables, working database and the call log and faults.
void resetHost();

}  // namespace vrk::emu
