#pragma once
// Documents turned into PDF by LibreOffice run headless. Each conversion runs
// with a profile folder of its own (two jobs at once, or a LibreOffice the
// user has open, never share or lock one) and ends within a time-out.

#include <QString>

// The LibreOffice program to run: Configured when given (a command that may
// carry arguments), else "soffice" or "libreoffice" found on PATH; "" when
// there is none.
QString OfficeProgram(const QString& Configured);

// Writes Pdf (replacing it only when the conversion succeeded) from Document.
// False with a Spanish reason when no LibreOffice is found, it fails, or it
// does not end within TimeoutMs (it is then stopped).
bool ConvertToPdf(const QString& Document, const QString& Pdf, const QString& Configured,
                  int TimeoutMs, QString* Reason);
