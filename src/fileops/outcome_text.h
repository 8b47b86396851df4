#pragma once

#include <QString>

struct FileOpOutcome;

// The explanation of a failed file operation in the program's words: which item, and why.
// Empty for an outcome that is no failure.
QString outcomeText(const FileOpOutcome& outcome);
