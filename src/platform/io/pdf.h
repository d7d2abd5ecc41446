#pragma once
// PDF files as a whole: joining several into one and counting pages. Single
// PDFs are drawn by the report engine. Paths may use either separator.

#include <QString>
#include <QStringList>

#include "io/outputfile.h"

class EPdfError : public EOutputError {
public:
    using EOutputError::EOutputError;
};

// The number of pages of a PDF file. Raises EPdfError when the file is missing
// or is not a PDF that can be read.
int PdfPageCount(const QString& fileName);

// Writes target with the pages of the sources in order, and returns the page
// count. Every source is read before anything is written; a missing or
// unreadable source, or a target that cannot be written, raises EPdfError
// naming that file, and the target is then as it was before. A source may be
// the target itself. One source is copied as it is.
int JoinPdfFiles(const QStringList& sources, const QString& target);
