#pragma once
// The road that replaces Word and the PDF printer's document conversion:
// documents made from a .docx or .odt model, turned into PDF by LibreOffice
// and printed through CUPS. The print engine's back-ends and the printing of
// attached documents share it.
//
// LibreOffice is the command set in section "Programas" of the settings file
// under the key "soffice", else "soffice" found on PATH.

#include <QString>

// The configured LibreOffice command ("" when none is set).
QString ComandoLibreOffice();
// How long one conversion may take.
constexpr int EsperaLibreOffice = 120000;

// The warning of the Word road: "¡Imposible conectar con Word!. (Motivo: " + Motivo.
QString TextoErrorWord(const QString& Motivo);

// Pdf written from Documento: a PDF is copied, anything else converted by
// LibreOffice. False with the reason (Pdf then as it was).
bool DocumentoAPDF(const QString& Documento, const QString& Pdf, QString& Motivo);
// Documento printed on Impresora ("" the default printer): a PDF as it is,
// anything else as LibreOffice's PDF of it. False with the reason.
bool ImprimirDocumento(const QString& Documento, const QString& Impresora, QString& Motivo);
