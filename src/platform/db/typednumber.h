#pragma once
// Numbers as a clerk types them into a field, apart from the shared
// conversion (StrToFloat), which also reads "." as the decimal point.

#include <QString>

// "," is the decimal mark and every "." a thousands mark followed by exactly
// three digits ("1.600" is 1600, "1.600,25" 1600.25); a "." otherwise ("1.6",
// "1,5.000") makes the text invalid.
bool TryTypedStrToFloat(const QString& text, double& value);
