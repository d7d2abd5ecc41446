#pragma once
// SQLite's printf and format as every statement on a connection sees them,
// told apart from the built-in in one way only: a text longer than the
// connection's length limit is an error (SQLITE_TOOBIG), where the built-in
// gives a NULL without a word.

struct sqlite3;

// Puts printf and format in place on `handle` (the company's connection,
// which also runs users' statements under kUserValueLimit).
void HoldSqlitePrintfToLimit(sqlite3* handle);
