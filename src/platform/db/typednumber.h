#pragma once
// Numbers as a clerk types them into a field, apart from the shared
// conversion (StrToFloat), which also reads "." as the decimal point.

#include <QString>

// "," is the decimal mark and a "." only a thousands mark in a well-formed
// grouping: one to three digits not starting with 0, then groups of exactly
// three ("1.600" is 1600, "1.600,25" 1600.25); a "." otherwise ("1.6",
// "0.125", "12345.678", "1,5.000") makes the text invalid.
bool TryTypedStrToFloat(const QString& text, double& value);
