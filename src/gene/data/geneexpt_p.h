#pragma once
// What the text export and the import share: the delimiters, the marker's
// place and the fixed texts.

#include <QString>

class TDataSet;
class TModuloDatos;

namespace geneexpt {

inline const QString kCabecera = QStringLiteral("CamposCabecera=");
inline const QString kLinea = QStringLiteral("CamposLinea=");
inline const QString kInactiva =
    QStringLiteral("¡La tabla o consulta debe estar activada previamente!");
inline const QString kCRLF = QStringLiteral("\r\n");

struct Delimitadores {
    QString separador = QStringLiteral("|");
    QString saltoLinea = QString(QChar(0xB7));
};

// The standard delimiters with "ConDelimitadorStd" or "SinDialogo", else the
// company's (the standard ones where those are empty).
Delimitadores ElegirDelimitadores(TModuloDatos* ModuloDatos, const QString& Opciones);
// The fields of the main table's current index; 0 when it is no table.
int CamposClave(TDataSet* Tabla);

}  // namespace geneexpt
