#pragma once
// The database-level round trip: the bytes read into the emulated database, solidified by the plug-in's
// command, saved, and the saved drawing read again.

#include <string>
#include <string_view>

namespace vrk::fuzz {

// folder: an existing writable folder for the drawing files (several calls may share it).
// Returns "" when every check holds, else what broke.
std::string checkDatabaseRoundTrip(std::string_view bytes, const std::string& folder);

}  // namespace vrk::fuzz
