#pragma once
// The string-table entries every converter shows as the status of its progress window.
enum : int { IDS_CONVERTING = 208, IDS_VALIDATING = 209, IDS_SAVING = 210 };
