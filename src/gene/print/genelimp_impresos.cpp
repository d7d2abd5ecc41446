#include "gene/print/genelimp_impresos.h"

#include <QDir>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genesist.h"
#include "gene/print/genelimp_p.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "io/textfile.h"

void CargarImpresosIniciales(TfGENEINIC*, TTable* Tabla) {
    if (Tabla->TableName()
            .section(QLatin1Char('.'), -1)
            .compare(QLatin1String("IMPRESO"), Qt::CaseInsensitive) != 0)
        return;
    const QDir carpeta(NativePath(JoinPath(DirectorioPrograma, QStringLiteral("impresos"))));
    const QStringList archivos = carpeta.entryList(
        {QStringLiteral("*.TXT"), QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    if (archivos.isEmpty()) return;
    TTable impreso;
    impreso.setDatabaseName(Tabla->DatabaseName());
    impreso.setTableName(Tabla->TableName());
    try {
        impreso.Open();
    } catch (...) {
        return;
    }
    static const char* const campos[] = {"Codigo", "Descripcion", "TipoDocumento",
                                         "Modo",   "Formato",     "ImpresoraPorDefecto"};
    for (const QString& archivo : archivos) {
        QString programa;
        if (!ReadTextFile(carpeta.filePath(archivo), programa)) continue;
        QHash<QString, QString> cabecera;
        for (const QString& linea : LineasProgramaImpreso(programa)) {
            if (linea.startsWith(QLatin1String("[SISTEMA]"))) break;
            const int igual = linea.indexOf(QLatin1Char('='));
            if (igual > 0)
                cabecera.insert(linea.left(igual).trimmed(), linea.mid(igual + 1).trimmed());
        }
        if (cabecera.value(QStringLiteral("Codigo")).isEmpty())
            cabecera.insert(QStringLiteral("Codigo"), QFileInfo(archivo).completeBaseName());
        try {
            if (impreso.FindKey({cabecera.value(QStringLiteral("Codigo"))})) continue;
            impreso.Append();
            for (const char* c : campos) {
                const QString valor = cabecera.value(QLatin1String(c));
                if (!valor.isEmpty()) impreso.FieldByName(QLatin1String(c))->setAsString(valor);
            }
            impreso.FieldByName(QStringLiteral("Instrucciones"))->setAsString(programa);
            impreso.Post();
        } catch (...) {
            if (impreso.State() == dsInsert) impreso.Cancel();
        }
    }
}
