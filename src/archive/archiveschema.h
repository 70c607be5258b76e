#pragma once

#include <vector>

namespace tandor28 {

// The schema as a list of steps: step i takes a database from user_version i to i + 1. A new
// version of the program appends a step and never edits an old one, so every archive ever written
// can be brought up to date.
[[nodiscard]] const std::vector<const char*>& archiveMigrations();

// The user_version an archive of this program has.
[[nodiscard]] int archiveSchemaVersion();

} // namespace tandor28
