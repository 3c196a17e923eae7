// The four tables of the log and the rows a new installation starts with.
#pragma once

#include "base/result.h"

namespace vornik {

class Connection;

// Creates whatever of the log schema is missing. When the `config` table is new,
// it is given the starting rows that let a new installation dial. Nothing is
// half-created when it fails.
Result<> EnsureLogSchema(Connection& connection);

// A row when the file holds the log's `diallog` table: what tells a log from any
// other database under the same key.
inline constexpr const char* kLogTableQuery =
    "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'diallog' COLLATE NOCASE";

// True when the file holds the log's `diallog` table.
bool HasLogSchema(Connection& connection);

}  // namespace vornik
