#pragma once
// The numbered string table: every message, label and filter text the program shows.
// IDs 100 to 273, and 57344 for the application title.

enum : int { IDS_APP_TITLE = 57344 };

// The text of a string-table entry, or nullptr when the id has none.
const char* LoadResString(int id);
